// Ending the program, and the real program refusing to run twice.
#include "tests/common/guitest.h"
#include "tests/common/scriptedprogram.h"
#include "ui/about/frmabout.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

class TestLifecycle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void endProgramEndsOnceFromEitherWindow_data();
    void endProgramEndsOnceFromEitherWindow();
    void endingWithAboutBoxOpenLeavesEventLoop();
    void secondCopyStepsAside_data();
    void secondCopyStepsAside();
};

void TestLifecycle::endProgramEndsOnceFromEitherWindow_data()
{
    QTest::addColumn<bool>("fromResult");
    QTest::newRow("input window closed") << false;
    QTest::newRow("result window closed") << true;
}

void TestLifecycle::endProgramEndsOnceFromEitherWindow()
{
    QFETCH(bool, fromResult);
    GuiFixture fx;
    QPointer<frmDisplay> result = fx.readingFor();
    QVERIFY(result);

    // Each window's close handling calls EndProgram again while it runs.
    if (fromResult)
        result->close();
    else
        fx.input()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(fx.endings, 1);
    QVERIFY(fx.session.isEnding());
    QVERIFY(!fx.input()->isVisible());
    QVERIFY(!result);
    QVERIFY(fx.platform.messages.isEmpty());
}

void TestLifecycle::endingWithAboutBoxOpenLeavesEventLoop()
{
    GuiFixture fx;
    frmMain* input = fx.input();
    QPointer<QWidget> box;
    bool boxOpenAtEnd = true;
    // The real ending leaves every event loop; first note whether the About box was closed.
    fx.session.setProcessEnder([&] {
        boxOpenAtEnd = box && box->isVisible();
        QCoreApplication::exit(0);
    });
    bool aboutWasOpen = false;
    QTimer::singleShot(0, input, [&] {
        QTimer::singleShot(0, input, [&] {
            box = QApplication::activeModalWidget();
            aboutWasOpen = qobject_cast<frmAbout*>(box.data()) != nullptr;
            input->close();
        });
        input->findChild<QAction*>(QStringLiteral("mnuAbout"))->trigger();
    });
    QTimer::singleShot(10000, input, [] { QCoreApplication::exit(2); }); // never hang

    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(aboutWasOpen);
    QVERIFY(!boxOpenAtEnd);
    QVERIFY(box.isNull()); // closed and discarded by the time the loop returns
    QVERIFY(!input->isVisible());
}

void TestLifecycle::secondCopyStepsAside_data()
{
    QTest::addColumn<bool>("asSecondUser");
    QTest::newRow("this user") << false;
    // Run by a user who can neither read nor replace the planted lock.
    QTest::newRow("second user") << true;
}

#ifdef Q_OS_UNIX
namespace {

// A second user, made for the test where it can be (as root, with useradd) and removed after.
class SecondUser {
public:
    SecondUser()
    {
        m_made = ::geteuid() == 0 && !::getpwnam(kName)
                 && QProcess::execute("useradd", {"--system", "--no-create-home", kName}) == 0;
        const passwd* user = ::getpwnam(kName);
        if (!user || ::geteuid() != 0)
            return;
        m_uid = user->pw_uid;
        m_gid = user->pw_gid;
        m_asUser = QStringList{"setpriv", QStringLiteral("--reuid=%1").arg(m_uid),
                               QStringLiteral("--regid=%1").arg(m_gid), "--clear-groups", "--"};
    }
    ~SecondUser()
    {
        if (m_made)
            QProcess::execute("userdel", {kName});
    }
    bool exists() const { return !m_asUser.isEmpty(); }
    // The command prefix that runs a program as this user.
    QStringList asUser() const { return m_asUser; }
    // The temporary folder may be private to the first user (mktemp -d makes it so): the
    // second user's home goes into the first base that user can reach.
    QString reachableBase() const
    {
        for (const QString& base : {QDir::tempPath(), QStringLiteral("/tmp"), QStringLiteral("/var/tmp")}) {
            if (QProcess::execute(m_asUser.first(), m_asUser.mid(1) + QStringList{"test", "-x", base}) == 0)
                return base;
        }
        return QString();
    }
    bool give(const QString& path) const { return ::chown(QFile::encodeName(path).constData(), m_uid, m_gid) == 0; }

private:
    static constexpr char kName[] = "bodyastro-test";
    bool m_made = false;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    QStringList m_asUser;
};

} // namespace
#endif

// The lock file names the process that holds it (-1: none, never a process that ended).
static qint64 lockHolder(const QString& lockPath)
{
    QFile lock(lockPath);
    bool named = false;
    const qint64 pid = lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong(&named) : 0;
    return named ? pid : -1;
}

// The program takes the lock at once; one that ended instead fails at once. Empty when it took
// it, else what happened.
static QString lockNotTaken(ScriptedProgram& process, const QString& lockPath, int patience)
{
    QDeadlineTimer deadline(patience);
    while (lockHolder(lockPath) != process.processId()) {
        if (process.state() != QProcess::Running || deadline.hasExpired()) {
            const QString state = process.state() == QProcess::Running
                                      ? QStringLiteral("still running after %1 ms").arg(patience)
                                      : QStringLiteral("ended with status %1").arg(process.exitCode());
            return QStringLiteral("%1 did not take the lock, %2; its output: %3")
                .arg(process.describe(), state, process.said());
        }
        process.waitForFinished(20);
    }
    return QString();
}

void TestLifecycle::secondCopyStepsAside()
{
    QFETCH(bool, asSecondUser);
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    QStringList command{ScriptedProgram::path()};
    QString homeBase = QDir::tempPath();
#ifdef Q_OS_UNIX
    SecondUser user;
    if (asSecondUser) {
        if (!user.exists())
            QSKIP("no second user: making one needs root and useradd");
        homeBase = user.reachableBase();
        if (homeBase.isEmpty())
            QSKIP("the second user can reach none of the temporary folders");
    }
#else
    if (asSecondUser)
        QSKIP("needs Unix users");
#endif
    PrivateHome home(homeBase);
    QVERIFY(home.isValid());
#ifdef Q_OS_UNIX
    if (asSecondUser) {
        // A copy of the program in the user's home, wherever the build folder is.
        const QString program = home.path() + QStringLiteral("/bodyastro");
        QVERIFY(QFile::copy(command.first(), program));
        for (const QString& path : {home.path(), home.runtime(), program})
            QVERIFY(user.give(path));
        command = user.asUser() + QStringList{program};
    }
#endif
    // A lock that cannot be read, left by someone else: it must not keep the program out.
    const QString lockPath = home.lockPath();
    QVERIFY(QFile(lockPath).open(QIODevice::WriteOnly));
    // Unreadable; on Windows, which has no such permission, read-only.
    QVERIFY(QFile::setPermissions(lockPath, QFile::Permissions()) || QFile::setPermissions(lockPath, QFile::ReadOwner));
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !asSecondUser)
        QCOMPARE(::chown(QFile::encodeName(lockPath).constData(), 65534, 65534), 0);
#endif
    const int patience = 15000;
    ScriptedProgram first(home.environment(), command);
    QVERIFY(first.start());
    const QString firstRefused = lockNotTaken(first, lockPath, patience);
    QVERIFY2(firstRefused.isEmpty(), qPrintable(firstRefused));

    // Another temporary folder or user name does not make a second copy welcome.
    QProcessEnvironment elsewhere = home.environment();
    elsewhere.insert(QStringLiteral("TMPDIR"), home.runtime());
    elsewhere.insert(QStringLiteral("USER"), QStringLiteral("someone-else"));
    ScriptedProgram second(elsewhere, command);
    QVERIFY(second.start());
    QVERIFY(second.waitForFinished(patience));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    // Its only message; nothing else was asked or shown.
    const QString told = second.said();
    QCOMPARE(told.count(QStringLiteral("message: ")), 1);
    QVERIFY2(told.contains(QStringLiteral("message: Application is already running\n")), qPrintable(told));

    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockHolder(lockPath), first.processId());
    QVERIFY(!first.said().contains(QStringLiteral("message: ")));

    // A copy that was killed leaves its lock behind; it must not keep the next one out.
    first.kill();
    QVERIFY(first.waitForFinished(patience));
    ScriptedProgram third(home.environment(), command);
    QVERIFY(third.start());
    const QString thirdRefused = lockNotTaken(third, lockPath, patience);
    QVERIFY2(thirdRefused.isEmpty(), qPrintable(thirdRefused));
    QCOMPARE(third.state(), QProcess::Running);
    QVERIFY(!third.said().contains(QStringLiteral("message: ")));
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
