#include "app/session.h"

#include "ui/input/frmmain.h"
#include "ui/result/frmdisplay.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace {

constexpr int kPrepareAfterStartMs = 300;

} // namespace

Session::Session(Platform& platform, QObject* parent)
    : QObject(parent)
    , m_platform(platform)
    , m_context(m_records, platform)
    , m_processEnder([] { QCoreApplication::exit(0); })
{
}

Session::~Session()
{
    // Discarded without their close handling: tearing down is not the user ending the program.
    delete m_resultWindow.data();
    delete m_nextResultWindow.data();
}

frmMain* Session::inputWindow() const
{
    return m_inputWindow.get();
}

frmDisplay* Session::resultWindow() const
{
    return m_resultWindow.data();
}

frmDisplay* Session::nextResultWindow() const
{
    return m_nextResultWindow.data();
}

frmMain* Session::showInputWindow()
{
    if (!m_inputWindow) {
        m_inputWindow = std::make_unique<frmMain>(m_context);
        connect(m_inputWindow.get(), &frmMain::readingReady, this, &Session::showReading);
        connect(m_inputWindow.get(), &frmMain::endRequested, this, &Session::EndProgram);
    }
    m_inputWindow->show();
    // Not before the input window is on screen: start-up must not wait for it.
    QTimer::singleShot(kPrepareAfterStartMs, this, &Session::prepareNextResultWindow);
    return m_inputWindow.get();
}

void Session::prepareNextResultWindow()
{
    if (m_nextResultWindow || m_ending)
        return;
    m_nextResultWindow = new frmDisplay(m_context);
}

void Session::showReading(const SignTicks& ticks)
{
    // Each reading gets a fresh result window, so its boxes start empty.
    if (m_resultWindow)
        m_resultWindow->cmdBack_Click();
    frmDisplay* display = m_nextResultWindow ? m_nextResultWindow.data() : new frmDisplay(m_context);
    m_nextResultWindow = nullptr;
    m_resultWindow = display;
    connect(display, &frmDisplay::backRequested, this, &Session::backToInput);
    connect(display, &frmDisplay::endRequested, this, &Session::EndProgram);
    display->showReading(ticks);

    // Centred on the screen the user is working on: the input window's.
    QScreen* screen = m_inputWindow ? m_inputWindow->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        display->move(screen->availableGeometry().center() - display->rect().center());

    if (m_inputWindow)
        m_inputWindow->hide();
    display->show();
}

void Session::openReadingFile(const QString& path)
{
    if (m_ending)
        return;
    if (m_resultWindow)
        m_resultWindow->cmdBack_Click();
    showInputWindow()->openReadingFile(path);
    bringToFront();
}

void Session::bringToFront()
{
    QWidget* window = m_resultWindow ? static_cast<QWidget*>(m_resultWindow.data()) : m_inputWindow.get();
    if (!window || m_ending)
        return;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
}

void Session::backToInput()
{
    m_resultWindow = nullptr;
    // The input window was only hidden, so it still holds what the user entered.
    if (m_inputWindow && !m_ending) {
        m_inputWindow->show();
        QTimer::singleShot(0, this, &Session::prepareNextResultWindow);
    }
}

void Session::EndProgram()
{
    // Closing a window below runs its close handling, which calls back in here: ignore that.
    if (m_ending)
        return;
    m_ending = true;
    emit ending();
    if (m_inputWindow)
        m_inputWindow->close();
    if (m_resultWindow)
        m_resultWindow->close();
    // Never shown, so there is nothing to close: it just goes.
    delete m_nextResultWindow.data();
    m_context.closeAbout();
    m_processEnder();
}
