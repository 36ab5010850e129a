#include "session.h"

#include "frmdisplay.h"
#include "frmmain.h"

#include <QCoreApplication>
#include <QDialog>

Session::Session(Platform& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_processEnder([] { QCoreApplication::exit(0); })
{
    // The pictures live in a static library, whose resources must be registered by hand.
    Q_INIT_RESOURCE(assets);
}

frmMain* Session::mainWindow() const
{
    return m_mainWindow;
}

void Session::setMainWindow(frmMain* window)
{
    m_mainWindow = window;
}

frmDisplay* Session::displayWindow() const
{
    return m_displayWindow;
}

void Session::setDisplayWindow(frmDisplay* window)
{
    m_displayWindow = window;
}

void Session::EndProgram()
{
    // Closing a window below runs its close handling, which calls back in here: ignore that.
    if (m_ending)
        return;
    m_ending = true;
    if (m_mainWindow)
        m_mainWindow->close();
    if (m_displayWindow)
        m_displayWindow->close();
    if (m_aboutBox)
        m_aboutBox->reject();
    m_processEnder();
}
