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
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QSettings>
#include <QStandardPaths>

#include <functional>
#include <utility>

namespace {

// Calls back once, after the first paint of any of the program's windows, or after a second if
// none has been painted by then.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QObject* parent, std::function<void()> call)
        : QObject(parent)
        , m_call(std::move(call))
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(1000, this, &AfterFirstPaint::run);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        // A window is painted in one pass; the call comes once the pass is over.
        if (event->type() == QEvent::Paint) {
            qApp->removeEventFilter(this);
            QMetaObject::invokeMethod(this, &AfterFirstPaint::run, Qt::QueuedConnection);
        }
        return false;
    }

private:
    void run()
    {
        qApp->removeEventFilter(this);
        if (m_call)
            std::exchange(m_call, nullptr)();
        deleteLater();
    }

    std::function<void()> m_call;
};

} // namespace

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
        handOverTo(file);
        m_session.EndProgram();
        return false;
    }
    // Listening waits for the first window drawn (the update question's box or the input
    // window), so that start-up does not wait for it; a later start that comes before then
    // tries again for a moment. What it sends waits until the input window is up.
    new AfterFirstPaint(&m_session, [this] {
        if (!m_session.isEnding())
            listenForLaterStarts();
    });

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

void Program::handOverTo(const QString& file)
{
    // The running copy opens the file itself; nothing needs saying here.
    if (!file.isEmpty() && handOver(file, m_names.handOverName))
        return;
    m_session.platform().showMessage(nullptr, QMessageBox::Information,
                                     QStringLiteral("Application is already running"));
    handOver(QString(), m_names.handOverName, 0);
}

void Program::listenForLaterStarts()
{
    m_handOver = std::make_unique<HandOverServer>();
    QObject::connect(m_handOver.get(), &HandOverServer::requested, &m_session, [this](const QString& path) {
        m_requests.append(path);
        runRequests();
    });
    if (!m_handOver->listen(m_names.handOverName))
        qWarning("Later starts cannot hand files to this copy: its hand-over name is taken or cannot be made");
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
