// A Platform that records every message, dialog and web address instead of showing them,
// and answers from queues that the test fills beforehand.
#pragma once

#include "ui/platform.h"

#include <QList>
#include <QQueue>
#include <QStringList>
#include <functional>

class FakePlatform : public Platform {
public:
    struct Message {
        QMessageBox::Icon icon;
        QString text;
        QMessageBox::StandardButtons buttons;
    };
    struct FileDialog {
        QString title;
        QString filter;
        QString defaultSuffix; // save dialogs only
    };

    // Recorded calls.
    QList<Message> messages;
    QList<FileDialog> openDialogs;
    QList<FileDialog> saveDialogs;
    QList<QUrl> openedUrls;
    int printDialogs = 0;
    bool lastPrintHadSelection = false;

    // Answers. An empty queue answers Ok / cancel.
    QQueue<QMessageBox::StandardButton> messageAnswers;
    QQueue<QString> openFileAnswers;
    QQueue<QString> saveFileAnswers;
    bool printerInstalled = true;
    // Called with the printer when the print dialog "is accepted"; null means cancel.
    std::function<void(QPrinter&)> printAnswer;

    QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons) override;
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& defaultSuffix) override;
    bool canPrint() override { return printerInstalled; }
    bool execPrintDialog(QWidget* parent, QPrinter& printer, bool hasSelection) override;
    void openUrl(const QUrl& url) override;

    QStringList messageTexts() const;
};
