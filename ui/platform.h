// Everything that blocks on the user or leaves the process goes through Platform, so the
// windows can be driven by tests with a recording fake instead of real dialogs.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QUrl>

class QPrinter;
class QWidget;

class Platform {
public:
    virtual ~Platform() = default;

    // A modal message box titled with the application title.
    virtual QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon,
                                                    const QString& text,
                                                    QMessageBox::StandardButtons buttons = QMessageBox::Ok) = 0;
    // Empty result: cancelled.
    virtual QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter) = 0;
    virtual QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix) = 0;
    // False when nothing can be printed: no printer is installed and the print dialog offers no
    // other way (a PDF file).
    virtual bool canPrint() = 0;
    // Shows the print dialog for printer; false when cancelled. With hasSelection the
    // selection is preselected as the range.
    virtual bool execPrintDialog(QWidget* parent, QPrinter& printer, bool hasSelection) = 0;
    // Hands the address to the desktop; the outcome is not reported.
    virtual void openUrl(const QUrl& url) = 0;
};

// The real dialogs and the desktop's browser.
class QtPlatform : public Platform {
public:
    // Called once by a portable copy at start-up, before any dialog: its file dialogs are then
    // Qt's own, which leave nothing outside the program's folder (the system's keep the folders
    // and files chosen in the user's registry and recent items), and Qt's memory of them (its
    // last folder, in the registry on Windows) is neither read nor written.
    static void setPortable();

    QMessageBox::StandardButton showMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text,
                                            QMessageBox::StandardButtons buttons) override;
    QString getOpenFileName(QWidget* parent, const QString& title, const QString& filter) override;
    QString getSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                            const QString& defaultSuffix) override;
    bool canPrint() override;
    bool execPrintDialog(QWidget* parent, QPrinter& printer, bool hasSelection) override;
    void openUrl(const QUrl& url) override;
};

// Keeps Qt's memory of its file dialog (last folder, history) from being read or written, for the
// whole process and for good; false when that could not be done. One file per system.
bool keepQtDialogStateAway();
// Whether the system's print dialog can print to a PDF file when no printer is installed.
bool printDialogPrintsToPdf();

// The product's name ("Corvane Body Astrology"): the title of every message box.
QString applicationTitle();
// The name and version ("Corvane Body Astrology v1.0"): the caption of every window.
QString windowCaption();
