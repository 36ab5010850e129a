#include "app/startup.h"

#include "app/handover.h"
#include "app/singleinstance.h"
#include "app/updatecheck.h"
#include "core/product.h"
#include "ui/compat.h"
#include "ui/input/frmmain.h"
#include "ui/platform.h"
#include "ui/weblinks.h"
#include "ui/windowstyle.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

#include <cstdio>

void prepareHighDpi()
{
    compat::enableHighDpiScaling();
}

void configureApplication()
{
    // The input window is hidden, not closed, while a reading shows; only EndProgram ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // The stored setting and the single-instance lock are addressed by the executable's name.
    QCoreApplication::setApplicationName(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    QCoreApplication::setOrganizationName(QString::fromUtf8(product::kPublisher));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(product::kVersion));
    // Ties the windows to the desktop entry (its name and icon in the task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("com.corvanesoftware.BodyAstrology"));
    // The windows are drawn in Verdana; without it, DejaVu Sans is the closest match.
    QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
    // The pictures and the windows' style, where there will be windows (not for --help).
    if (qobject_cast<QApplication*>(QCoreApplication::instance()))
        prepareProgramWindows();
}

void leaveProgramFolder()
{
    if (QDir::current() != QDir(QCoreApplication::applicationDirPath()))
        return;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir::setCurrent(QDir(documents).exists() ? documents : QDir::homePath());
}

Program::Program(Platform& platform, const InstanceNames& names)
    : m_session(platform)
    , m_names(names)
{
    // While a modal box is open, requests from later starts wait and are tried again.
    m_retry.setInterval(200);
    m_retry.setSingleShot(true);
    m_retry.callOnTimeout(&m_session, [this] { runRequests(); });
}

Program::~Program() = default;

bool Program::start(const QDate& today, quint32 seed, const QString& file)
{
    m_instance = std::make_unique<SingleInstance>(m_names.lockPath);
    if (!m_instance->isOnlyInstance()) {
        m_handOverFailed = !handOverTo(file);
        m_session.EndProgram();
        return false;
    }
    // Listening comes before any window, however long the first one takes to show (a cold
    // start on a slow machine): a later start waits only a moment for a copy that holds the
    // lock but does not listen, and would drop its file. What it sends waits until the input
    // window is up.
    listenForLaterStarts();

    m_session.random().seed(seed);
    {
        QSettings settings;
        OfferUpdateCheck(m_session.platform(), settings, today);
    }
    frmMain* input = m_session.showInputWindow();
    input->ChoosePromotionLabel(drawPromotionNumber(m_session.random()));
    m_started = true;
    if (!file.isEmpty())
        m_requests.prepend(file);
    runRequests();
    return true;
}

bool Program::handOverTo(const QString& file)
{
    if (file.isEmpty()) {
        m_session.platform().showMessage(nullptr, QMessageBox::Information,
                                         QStringLiteral("Application is already running"));
        handOver(QString(), m_names.handOverName, 0);
        return true;
    }
    // The running copy opens the file itself; nothing needs saying here.
    if (handOver(file, m_names.handOverName))
        return true;
    // Never as if all were well: the user, or whatever started this copy, learns that the file
    // was not opened.
    const QString text = QStringLiteral("%1 could not be handed to the copy of the program that is already running.")
                             .arg(QDir::toNativeSeparators(file));
    std::fprintf(stderr, "%s\n", qPrintable(text));
    std::fflush(stderr);
    m_session.platform().showMessage(nullptr, QMessageBox::Warning, text);
    return false;
}

void Program::listenForLaterStarts()
{
    m_handOver = std::make_unique<HandOverServer>();
    QObject::connect(m_handOver.get(), &HandOverServer::requested, &m_session, [this](const QString& path) {
        m_requests.append(path);
        runRequests();
    });
    // An ending copy would drop what it was handed: later starts are refused instead, and say
    // that their files were not handed over.
    QObject::connect(&m_session, &Session::ending, m_handOver.get(), &HandOverServer::close);
    // Another program may hold the name (anyone can make a pipe of any name first): this copy
    // works on without it, and later starts say that they could not hand their files over.
    if (!m_handOver->listen(m_names.handOverName))
        qInfo("Later starts will not hand files to this copy: its hand-over name is in use or cannot be made");
}

void Program::runRequests()
{
    if (!m_started || m_session.isEnding())
        return;
    // A file opened under a modal box would show its reading behind it, or under the open
    // dialog of the input window itself.
    if (QApplication::activeModalWidget()) {
        m_retry.start();
        return;
    }
    // Requests that come in under a message box of one of these wait in the queue.
    while (!m_requests.isEmpty() && !m_session.isEnding()) {
        const QString path = m_requests.takeFirst();
        if (path.isEmpty())
            m_session.bringToFront();
        else
            m_session.openReadingFile(path);
    }
}
