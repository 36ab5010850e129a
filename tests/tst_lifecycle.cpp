// Ending the program, and the real program refusing to run twice.
#include "tests/common/guitest.h"
#include "ui/about/frmabout.h"

#include <QAction>
#include <QApplication>
#include <QProcess>

class TestLifecycle : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void endProgramEndsOnceFromEitherWindow_data();
    void endProgramEndsOnceFromEitherWindow();
    void endingWithAboutBoxOpenLeavesEventLoop();
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

void TestLifecycle::secondCopyStepsAside()
{
    const QString program = qEnvironmentVariable("BODYASTRO_SCRIPTED_EXE");
    if (program.isEmpty())
        QSKIP("BODYASTRO_SCRIPTED_EXE is not set");

    // A private home, settings and temporary folder: real settings and locks stay untouched.
    QTemporaryDir home;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), home.path());
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    auto start = [&](QProcess& process) {
        process.setProcessEnvironment(env);
        process.start(program, QStringList());
        return process.waitForStarted();
    };
    // The lock file names the process that holds it.
    auto lockHolder = [&] {
        const QStringList locks = QDir(home.path()).entryList({QStringLiteral("*.lock")}, QDir::Files);
        QFile lock(home.filePath(locks.value(0)));
        return !locks.isEmpty() && lock.open(QIODevice::ReadOnly) ? lock.readLine().trimmed().toLongLong() : 0;
    };

    QProcess first;
    QVERIFY(start(first));
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(), first.processId(), 30000);

    QProcess second;
    QVERIFY(start(second));
    QVERIFY(second.waitForFinished(30000));
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
    QVERIFY(first.waitForFinished(30000));
    QProcess third;
    QVERIFY(start(third));
    QTRY_COMPARE_WITH_TIMEOUT(lockHolder(), third.processId(), 30000);
    QCOMPARE(third.state(), QProcess::Running);
    QVERIFY(!third.readAllStandardError().contains("message: "));
    third.kill();
    third.waitForFinished(30000);
}

QTEST_MAIN(TestLifecycle)
#include "tst_lifecycle.moc"
