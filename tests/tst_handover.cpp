// A later start handing its reading file (or only a call to the front) to the copy that runs.
#include "app/handover.h"
#include "app/startup.h"
#include "storage/readingfile.h"
#include "tests/common/guitest.h"
#include "tests/common/scriptedprogram.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QStandardPaths>

#include <memory>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// A saved reading; born 7 March the sun sign is Pisces, born 1 January it is Capricorn.
QString writeReading(const QTemporaryDir& dir, const char* name, int day, const char* month)
{
    const QString path = dir.filePath(QLatin1String(name) + QLatin1String(".boa"));
    BirthDetails details{name, static_cast<std::int16_t>(day), month, 1990, "8am-10am"};
    QString error;
    return writeReadingFile(path, details, &error) ? path : QString();
}

// Runs events until the running copy, in this same thread, can take another sender. A Windows
// pipe takes the next one only once the copy's events have made a new instance, and neither
// Qt's local socket nor a later start runs them while it waits; a Unix socket queues senders.
void waitUntilListening(const QString& socketPath)
{
#ifdef Q_OS_WIN
    const QString pipe = QStringLiteral("\\\\.\\pipe\\") + socketPath;
    QTRY_VERIFY(WaitNamedPipeW(reinterpret_cast<const wchar_t*>(pipe.utf16()), 1));
#else
    Q_UNUSED(socketPath);
#endif
}

// Sends raw bytes as a later start would, and leaves once the running copy listens again.
void sendRaw(const QString& socketPath, const QByteArray& message)
{
    waitUntilListening(socketPath);
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(message);
    // With events running: a Windows pipe writes only from the event loop.
    QTRY_COMPARE(socket.bytesToWrite(), qint64(0));
    socket.disconnectFromServer();
    waitUntilListening(socketPath);
}

} // namespace

class tst_handover : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void handOverTakesOneAbsolutePathUpToTheLimit();
    void startOpensFileAndHandedFilesWaitForModalBoxes();
    void defaultNamesAreTheUsersOwn();
    void laterStartWithFileHandsItOver();
    void slowFirstWindowLosesNoHandedFile();
    void burstOfLaterStartsArrivesWhole_data();
    void burstOfLaterStartsArrivesWhole();
    void queuedSilentSendersHoldRealOneOffForABoundedTime();
    void copyThatIsEndingTakesNoFile();
};

void tst_handover::handOverTakesOneAbsolutePathUpToTheLimit()
{
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("bodyastro.socket"));
    // Left behind by a copy that was killed: the one holding the lock takes the name over.
    QFile leftover(socketPath);
    QVERIFY(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    HandOverServer server;
    QVERIFY(server.listen(socketPath));
    QSignalSpy requests(&server, &HandOverServer::requested);
    QVERIFY(!handOver(QStringLiteral("/a.boa"), dir.filePath(QStringLiteral("nobody.socket")), 0));
#ifndef Q_OS_WIN
    QCOMPARE(QFileInfo(socketPath).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther), 0);
#endif
    // Senders that connect and say nothing take every place, but only until their own reads
    // time out: a real one that comes meanwhile waits for a place, and cuts none of them off.
    QLocalSocket silent[HandOverServer::kMaxSenders];
    for (QLocalSocket& sender : silent) {
        waitUntilListening(socketPath);
        sender.connectToServer(socketPath);
        QVERIFY(sender.waitForConnected(5000));
    }
    QTRY_COMPARE(int(server.findChildren<HandOverSender*>().size()), HandOverServer::kMaxSenders);
    QElapsedTimer waited;
    waited.start();
    QVERIFY(handOver(dir.filePath(QStringLiteral("during.boa")), socketPath));
    QVERIFY2(waited.elapsed() > HandOverServer::kSenderTimeoutMs / 2, qPrintable(QString::number(waited.elapsed())));
    QTRY_COMPARE(requests.size(), 1);
    requests.clear();

    // Each refused message is followed by a good one: only the good ones come through.
    const QString longest = QLatin1Char('/') + QString(HandOverServer::kMaxMessage - 1, QLatin1Char('a'));
    const QByteArray refused[] = {QByteArray("relative/a.boa"), QByteArray("/a\0b.boa", 8),
                                  QByteArray("/\xff\xfe.boa"), QByteArray(100000, '/')};
    QStringList expected;
    for (const QByteArray& message : refused) {
        sendRaw(socketPath, message);
        const QString good = dir.filePath(QString::number(expected.size()) + QStringLiteral(".boa"));
        QVERIFY(handOver(good, socketPath));
        expected.append(good);
        QTRY_COMPARE(requests.size(), expected.size());
        QCOMPARE(requests.last().first().toString(), good);
    }
    QVERIFY(handOver(longest, socketPath));
    // One byte over: the running copy drops it, so the later start must not claim it was taken.
    QVERIFY(!handOver(longest + QLatin1Char('a'), socketPath));
    QVERIFY(handOver(QString(), socketPath)); // only to the front
    QTRY_COMPARE(requests.size(), expected.size() + 2);
    // Two senders under way at once: the shorter message may be whole first.
    QStringList lastTwo{requests.at(expected.size()).first().toString(), requests.last().first().toString()};
    lastTwo.sort();
    QCOMPARE(lastTwo, (QStringList{QString(), longest}));
}

void tst_handover::startOpensFileAndHandedFilesWaitForModalBoxes()
{
    // Lock and socket in a folder of this test's own.
    QTemporaryDir dir;
    const InstanceNames names{dir.filePath(QStringLiteral("bodyastro.lock")), dir.filePath(QStringLiteral("bodyastro.socket"))};
    const QString ann = writeReading(dir, "ANN", 7, "March");
    const QString bob = writeReading(dir, "BOB", 1, "January");
    FakePlatform platform;
    Program program(platform, names);
    Session& session = program.session();
    session.setProcessEnder([] {});
    QVERIFY(program.start(QDate(2024, 1, 1), 1, ann));
    QVERIFY(session.resultWindow() && session.resultWindow()->isVisible());
    QCOMPARE(session.records().signResults.Sun, std::string("Pisces"));

    // A file handed over while a modal box is open is opened once the box has closed.
    QDialog box;
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    // (QTRY_VERIFY evaluates once more when it has passed: the file is handed over once.)
    bool handed = false;
    QTRY_VERIFY(handed || (handed = handOver(bob, names.handOverName, 0)));
    QTest::qWait(500);
    QCOMPARE(session.records().signResults.Sun, std::string("Pisces"));
    box.close();
    QTRY_COMPARE(session.records().signResults.Sun, std::string("Capricorn"));
    QVERIFY(platform.messages.isEmpty());
}

void tst_handover::defaultNamesAreTheUsersOwn()
{
#ifdef Q_OS_WIN
    const QString lockFolder = QFileInfo(instanceLockPath()).absolutePath();
    // Not loose in the home folder, where Qt's runtime location points on Windows.
    QCOMPARE(lockFolder, QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
    // Pipe names are machine-wide: this one carries the user's SID.
    QVERIFY2(handOverServerName().startsWith(QCoreApplication::applicationName() + QStringLiteral("-S-1-")),
             qPrintable(handOverServerName()));
    // One copy per Windows session ID: a second logon of the same user runs its own.
    DWORD session = 0;
    QVERIFY(ProcessIdToSessionId(GetCurrentProcessId(), &session));
    const QString ofSession = QLatin1Char('-') + QString::number(session);
    QVERIFY(handOverServerName().endsWith(ofSession));
    QCOMPARE(QFileInfo(instanceLockPath()).fileName(), QCoreApplication::applicationName() + ofSession + QStringLiteral(".lock"));
#else
    // Both in the user's private runtime folder, whatever TMPDIR says.
    QTemporaryDir runtime;
    QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString lockFolder = QFileInfo(instanceLockPath()).absolutePath();
    const QString serverFolder = QFileInfo(handOverServerName()).absolutePath();
    qputenv("XDG_RUNTIME_DIR", saved);
    QCOMPARE(lockFolder, runtime.path());
    QCOMPARE(serverFolder, runtime.path());
#endif
}

void tst_handover::laterStartWithFileHandsItOver()
{
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    // A private lock, hand-over socket and settings (and runtime folder, which Qt itself wants).
    PrivateHome home;
    QVERIFY(home.isValid());
    QTemporaryDir files;
    const QString ann = writeReading(files, "ANN", 7, "March");
    const QString bob = writeReading(files, "BOB", 1, "January");
    QVERIFY(!ann.isEmpty() && !bob.isEmpty());

    ScriptedProgram first(home.environment());
    QVERIFY(first.start({ann}));
    QTRY_VERIFY2_WITH_TIMEOUT(first.said().contains(QStringLiteral("reading: Pisces\n")), qPrintable(first.said()), 30000);

    // With a file: handed over without a word; the first copy shows it.
    ScriptedProgram second(home.environment());
    QVERIFY(second.start({bob}));
    QVERIFY2(second.endsWell(), qPrintable(second.said()));
    QCOMPARE(second.said(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(first.said().contains(QStringLiteral("reading: Capricorn\n")), 30000);

    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY2(!first.said().contains(QStringLiteral("message: ")), qPrintable(first.said()));
}

void tst_handover::slowFirstWindowLosesNoHandedFile()
{
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    PrivateHome home;
    QVERIFY(home.isValid());
    QTemporaryDir files;
    const QString bob = writeReading(files, "BOB", 1, "January");
    // The first copy takes longer to show its window than a later start waits for a copy that
    // holds the lock but does not listen; the second starts as soon as the first has the lock.
    QProcessEnvironment slow = home.environment();
    slow.insert(QStringLiteral("BODYASTRO_TEST_SLOW_SHOW_MS"), QStringLiteral("3000"));
    ScriptedProgram first(slow);
    QVERIFY(first.start());
    QTRY_VERIFY(QFileInfo::exists(home.lockPath()));
    ScriptedProgram second(home.environment());
    QVERIFY(second.start({bob}));
    QVERIFY2(second.endsWell(), qPrintable(second.said()));
    QCOMPARE(second.said(), QString());
    QTRY_VERIFY_WITH_TIMEOUT(first.said().contains(QStringLiteral("reading: Capricorn\n")), 30000);
}

void tst_handover::burstOfLaterStartsArrivesWhole_data()
{
    QTest::addColumn<int>("slowShowMs");
    for (const int ms : {0, 2000, 4000})
        QTest::addRow("first window after %d ms", ms) << ms;
}

void tst_handover::burstOfLaterStartsArrivesWhole()
{
    // A file manager starts one copy per file selected: the first takes the lock, all the
    // others hand their files over at once while its window may still be coming.
    QFETCH(int, slowShowMs);
    SKIP_WITHOUT_SCRIPTED_PROGRAM();
    PrivateHome home;
    QVERIFY(home.isValid());
    QTemporaryDir files;
    QProcessEnvironment slow = home.environment();
    slow.insert(QStringLiteral("BODYASTRO_TEST_SLOW_SHOW_MS"), QString::number(slowShowMs));
    ScriptedProgram first(slow);
    QVERIFY(first.start());
    QTRY_VERIFY(QFileInfo::exists(home.lockPath()));
    // Born on the 1st of one of four months in turn: the sun signs tell the files apart.
    const char* const months[][2] = {{"January", "Capricorn"}, {"March", "Pisces"}, {"June", "Gemini"}, {"September", "Virgo"}};
    QStringList expected;
    std::vector<std::unique_ptr<ScriptedProgram>> later;
    for (int i = 0; i < 16; ++i) {
        const QByteArray name = "N" + QByteArray(1, char('A' + i));
        const QString file = writeReading(files, name.constData(), 1, months[i % 4][0]);
        expected.append(QStringLiteral("reading: ") + QLatin1String(months[i % 4][1]));
        later.push_back(std::make_unique<ScriptedProgram>(home.environment()));
        QVERIFY(later.back()->start({file}));
    }
    for (const auto& start : later)
        QVERIFY2(start->endsWell(60000), qPrintable(start->said()));
    QTRY_COMPARE_WITH_TIMEOUT(first.said().count(QStringLiteral("reading: ")), expected.size(), 30000);
    // Every file once, one reading at a time, and the last one still on screen.
    QStringList shown = first.said().split(QLatin1Char('\n')).filter(QStringLiteral("reading: "));
    shown.sort();
    expected.sort();
    QCOMPARE(shown, expected);
    QCOMPARE(first.said().count(QStringLiteral("reading closed")), expected.size() - 1);
    QVERIFY2(!first.said().contains(QStringLiteral("message: ")), qPrintable(first.said()));
}

void tst_handover::queuedSilentSendersHoldRealOneOffForABoundedTime()
{
    // Another program of the user's queues silent connections ahead of a real later start.
#ifdef Q_OS_WIN
    QSKIP("A pipe has no queue: senders past its instances are told it is busy");
#endif
    QTemporaryDir dir;
    const QString socketPath = dir.filePath(QStringLiteral("bodyastro.socket"));
    HandOverServer server;
    QVERIFY(server.listen(socketPath));
    QLocalSocket silent[8 * HandOverServer::kMaxSenders];
    for (QLocalSocket& sender : silent)
        sender.connectToServer(socketPath);
    QVERIFY(handOver(dir.filePath(QStringLiteral("real.boa")), socketPath));
}

void tst_handover::copyThatIsEndingTakesNoFile()
{
    // File > Exit while later starts hand files over: what comes after must not be claimed taken.
    QTemporaryDir dir;
    const InstanceNames names{dir.filePath(QStringLiteral("bodyastro.lock")), dir.filePath(QStringLiteral("bodyastro.socket"))};
    FakePlatform platform;
    Program program(platform, names);
    program.session().setProcessEnder([] {});
    QVERIFY(program.start(QDate(2024, 1, 1), 1, QString()));
    program.session().EndProgram();
    QVERIFY(!handOver(writeReading(dir, "BOB", 1, "January"), names.handOverName, 0));
}

QTEST_MAIN(tst_handover)
#include "tst_handover.moc"
