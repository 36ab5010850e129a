// Ending the program, and the real program refusing to run twice.
#include "tests/common/guitest.h"
#include "ui/about/frmabout.h"

#include <QAction>
#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QScopeGuard>

#include <algorithm>

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

void TestLifecycle::secondCopyStepsAside()
{
    QFETCH(bool, asSecondUser);
    QString program = qEnvironmentVariable("BODYASTRO_SCRIPTED_EXE");
    if (program.isEmpty())
        QSKIP("BODYASTRO_SCRIPTED_EXE is not set");
    QStringList command{program};

    QString homeBase = QDir::tempPath();
#ifdef Q_OS_UNIX
    const char userName[] = "bodyastro-test";
    const bool made = asSecondUser && ::geteuid() == 0 && !::getpwnam(userName)
                      && QProcess::execute("useradd", {"--system", "--no-create-home", userName}) == 0;
    const auto removeUser = qScopeGuard([&] {
        if (made)
            QProcess::execute("userdel", {userName});
    });
    QStringList asUser;
    uid_t uid = 0;
    gid_t gid = 0;
    if (asSecondUser) {
        const passwd* user = ::getpwnam(userName);
        if (!user || ::geteuid() != 0)
            QSKIP("no second user: making one needs root and useradd");
        uid = user->pw_uid;
        gid = user->pw_gid;
        asUser = QStringList{"setpriv", QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(gid),
                             "--clear-groups", "--"};
        // The temporary folder may be private to this user (mktemp -d makes it so): the second
        // user's home goes into the first one that user can reach.
        const QStringList bases{homeBase, QStringLiteral("/tmp"), QStringLiteral("/var/tmp")};
        const auto reachable = std::find_if(bases.begin(), bases.end(), [&](const QString& base) {
            return QProcess::execute(asUser.first(), asUser.mid(1) + QStringList{"test", "-x", base}) == 0;
        });
        if (reachable == bases.end())
            QSKIP(qPrintable("the second user can reach none of " + bases.join(", ")));
        homeBase = *reachable;
    }
#else
    if (asSecondUser)
        QSKIP("needs Unix users");
#endif
    // A private home, settings and runtime folder: real settings and locks stay untouched.
    QTemporaryDir home(homeBase + QStringLiteral("/bodyastro-XXXXXX"));
    QVERIFY(home.isValid());
    const QString runtime = home.filePath(QStringLiteral("run"));
    QVERIFY(QDir(home.path()).mkdir(QStringLiteral("run")));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
#ifdef Q_OS_UNIX
    if (asSecondUser) {
        // A copy of the program in the user's home, wherever the build folder is.
        QVERIFY(QFile::copy(program, home.filePath(QStringLiteral("bodyastro"))));
        program = home.filePath(QStringLiteral("bodyastro"));
        for (const QString& path : {home.path(), runtime, program})
            QCOMPARE(::chown(QFile::encodeName(path).constData(), uid, gid), 0);
        command = asUser + QStringList{program};
    }
#endif
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // Windows ignores the variables above: the lock, socket and settings are named outright.
    env.insert(QStringLiteral("BODYASTRO_TEST_INSTANCE_DIR"), runtime);

    // A lock that cannot be read, left by someone else: it must not keep the program out.
    // The test program takes the real program's name, and so its lock.
    const QString lockPath = QDir(runtime).filePath(QStringLiteral("bodyastro.lock"));
    QVERIFY(QFile(lockPath).open(QIODevice::WriteOnly));
    // Unreadable; on Windows, which has no such permission, read-only.
    QVERIFY(QFile::setPermissions(lockPath, QFile::Permissions()) || QFile::setPermissions(lockPath, QFile::ReadOwner));
#ifdef Q_OS_UNIX
    if (::geteuid() == 0 && !asSecondUser)
        QCOMPARE(::chown(QFile::encodeName(lockPath).constData(), 65534, 65534), 0);
#endif

    auto start = [&](QProcess& process, const QProcessEnvironment& environment) {
        process.setProcessEnvironment(environment);
        process.start(command.first(), command.mid(1));
        return process.waitForStarted();
    };
    // The lock file names the process that holds it (-1: none, never a process that ended).
    auto lockHolder = [&] {
        QFile lock(lockPath);
        bool named = false;
        const qint64 pid = lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong(&named) : 0;
        return named ? pid : -1;
    };

    // The program takes the lock at once; one that ended instead fails the test at once.
    const int patience = 15000;
    auto takesLock = [&](QProcess& process) {
        QDeadlineTimer deadline(patience);
        while (lockHolder() != process.processId()) {
            if (process.state() != QProcess::Running || deadline.hasExpired())
                return false;
            process.waitForFinished(20);
        }
        return true;
    };
    auto lockNotTaken = [&](QProcess& process) {
        const QString state = process.state() == QProcess::Running
                                  ? QStringLiteral("still running after %1 ms").arg(patience)
                                  : QStringLiteral("ended with status %1").arg(process.exitCode());
        return QStringLiteral("%1 did not take the lock, %2; its output: %3")
            .arg(command.join(' '), state, QString::fromLocal8Bit(process.readAllStandardError()));
    };

    QProcess first;
    QVERIFY(start(first, env));
    QVERIFY2(takesLock(first), qPrintable(lockNotTaken(first)));

    // Another temporary folder or user name does not make a second copy welcome.
    QProcessEnvironment elsewhere = env;
    elsewhere.insert(QStringLiteral("TMPDIR"), runtime);
    elsewhere.insert(QStringLiteral("USER"), QStringLiteral("someone-else"));
    QProcess second;
    QVERIFY(start(second, elsewhere));
    QVERIFY(second.waitForFinished(patience));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    // Its only message; nothing else was asked or shown.
    const QString told = QString::fromLocal8Bit(second.readAllStandardError());
    QCOMPARE(told.count(QStringLiteral("message: ")), 1);
    QVERIFY2(told.contains(QStringLiteral("message: Application is already running\n")), qPrintable(told));

    QCOMPARE(first.state(), QProcess::Running);
    QCOMPARE(lockHolder(), first.processId());
    QVERIFY(!first.readAllStandardError().contains("message: "));

    // A copy that was killed leaves its lock behind; it must not keep the next one out.
    first.kill();
    QVERIFY(first.waitForFinished(patience));
    QProcess third;
    QVERIFY(start(third, env));
    QVERIFY2(takesLock(third), qPrintable(lockNotTaken(third)));
    QCOMPARE(third.state(), QProcess::Running);
    QVERIFY(!third.readAllStandardError().contains("message: "));
    third.kill();
    third.waitForFinished(patience);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
