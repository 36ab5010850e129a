#include "common/guitest.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>
#include <QWidget>

ModalWatchdog::ModalWatchdog(QObject* parent)
    : QObject(parent)
{
    connect(&m_timer, &QTimer::timeout, this, &ModalWatchdog::check);
    m_timer.start(200);
}

void ModalWatchdog::check()
{
    if (QWidget* modal = QApplication::activeModalWidget()) {
        unexpected.append(QString::fromLatin1(modal->metaObject()->className()));
        modal->close();
    }
}

void prepareGuiTestEnvironment()
{
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale::c());
    QApplication::setQuitOnLastWindowClosed(false);
}
