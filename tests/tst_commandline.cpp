// The command line, and a later start handing its reading file to the copy that runs.
#include "app/handover.h"
#include "app/startup.h"
#include "storage/readingfile.h"
#include "tests/common/guitest.h"

#include <QDialog>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>

#include <sys/stat.h>

namespace {

// A saved reading; born 7 March the sun sign is Pisces, born 1 January it is Capricorn.
QString writeReading(const QTemporaryDir& dir, const char* name, int day, const char* month)
{
    const QString path = dir.filePath(QLatin1String(name) + QLatin1String(".boa"));
    BirthDetails details{name, static_cast<std::int16_t>(day), month, 1990, "8am-10am"};
    QString error;
    return writeReadingFile(path, details, &error) ? path : QString();
}

// Sends raw bytes as a later start would, and leaves.
void sendRaw(const QString& socketPath, const QByteArray& message)
{
    QLocalSocket socket;
    socket.connectToServer(socketPath);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(message);
    socket.waitForBytesWritten(5000);
    socket.disconnectFromServer();
}

} // namespace

class tst_commandline : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { prepareGuiTestEnvironment(); }
    void handOverTakesOneAbsolutePathUpToTheLimit();
    void startOpensFileAndHandedFilesWaitForModalBoxes();
    void helpAndVersionAnswerWithoutDisplay_data();
    void helpAndVersionAnswerWithoutDisplay();
    void laterStartWithFileHandsItOver();
};

void tst_commandline::handOverTakesOneAbsolutePathUpToTheLimit()
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
    QVERIFY(!handOver(QStringLiteral("/a.boa"), dir.filePath(QStringLiteral("nobody.socket"))));

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
    QVERIFY(handOver(QString(), socketPath)); // only to the front
    QTRY_COMPARE(requests.size(), expected.size() + 2);
    QCOMPARE(requests.at(expected.size()).first().toString(), longest);
    QCOMPARE(requests.last().first().toString(), QString());
}

void tst_commandline::startOpensFileAndHandedFilesWaitForModalBoxes()
{
    // Lock and socket in a folder of this test's own.
    QTemporaryDir dir;
    const QByteArray savedTmp = qgetenv("TMPDIR"), savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("TMPDIR", QFile::encodeName(dir.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir.path()));
    const QString ann = writeReading(dir, "ANN", 7, "March");
    const QString bob = writeReading(dir, "BOB", 1, "January");
    {
        FakePlatform platform;
        Program program(platform);
        Session& session = program.session();
        session.setProcessEnder([] {});
        QVERIFY(program.start(QDate(2024, 1, 1), 1, ann));
        QVERIFY(session.resultWindow() && session.resultWindow()->isVisible());
        QCOMPARE(session.records().signResults.Sun, std::string("Pisces"));

        // A file handed over while a modal box is open is opened once the box has closed.
        QDialog box;
        box.setWindowModality(Qt::ApplicationModal);
        box.show();
        // Taken once the running copy has drawn a window and listens.
        QTRY_VERIFY(handOver(bob));
        QTest::qWait(500);
        QCOMPARE(session.records().signResults.Sun, std::string("Pisces"));
        box.close();
        QTRY_COMPARE(session.records().signResults.Sun, std::string("Capricorn"));
        QVERIFY(platform.messages.isEmpty());
    }
    qputenv("TMPDIR", savedTmp);
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
}

void tst_commandline::helpAndVersionAnswerWithoutDisplay_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("answer");
    QTest::newRow("help") << "--help" << "[FILE]";
    QTest::newRow("version") << "--version" << "bodyastro 1.0\n";
}

void tst_commandline::helpAndVersionAnswerWithoutDisplay()
{
    QFETCH(QString, option);
    QFETCH(QString, answer);
    const QString program = qEnvironmentVariable("BODYASTRO_SCRIPTED_EXE");
    if (program.isEmpty())
        QSKIP("BODYASTRO_SCRIPTED_EXE is not set");
    // A window system that cannot be reached: any window, or even connecting, would fail.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, {option});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    QVERIFY2(out.contains(answer), qPrintable(out));
}

void tst_commandline::laterStartWithFileHandsItOver()
{
    const QString program = qEnvironmentVariable("BODYASTRO_SCRIPTED_EXE");
    if (program.isEmpty())
        QSKIP("BODYASTRO_SCRIPTED_EXE is not set");

    // A private home, settings, runtime and temporary folder.
    QTemporaryDir home;
    const QString runtime = home.filePath(QStringLiteral("runtime"));
    const QString shared = home.filePath(QStringLiteral("tmp"));
    QVERIFY(QDir().mkpath(runtime) && QDir().mkpath(shared));
    QVERIFY(::chmod(QFile::encodeName(runtime).constData(), 0700) == 0);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home.path());
    env.insert(QStringLiteral("TMPDIR"), shared);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));

    // Someone else got there first and listens under the names the program might use in the
    // shared temporary folder.
    QLocalServer squatters[2];
    const char* names[] = {"bodyastro", "bodyastro.socket"};
    for (int i = 0; i < 2; ++i)
        QVERIFY(squatters[i].listen(QDir(shared).filePath(QLatin1String(names[i]))));

    QTemporaryDir files;
    const QString ann = writeReading(files, "ANN", 7, "March");
    const QString bob = writeReading(files, "BOB", 1, "January");
    QVERIFY(!ann.isEmpty() && !bob.isEmpty());

    QProcess first;
    QString firstSaid;
    auto said = [&] { return firstSaid += QString::fromLocal8Bit(first.readAllStandardError()); };
    first.setProcessEnvironment(env);
    first.start(program, {ann});
    QTRY_VERIFY_WITH_TIMEOUT(said().contains(QStringLiteral("reading: Pisces\n")), 30000);

    // With a file: handed over without a word; the first copy shows it.
    QProcess second;
    second.setProcessEnvironment(env);
    second.start(program, {bob});
    QVERIFY(second.waitForFinished(30000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(second.readAllStandardError(), QByteArray());
    QTRY_VERIFY_WITH_TIMEOUT(said().contains(QStringLiteral("reading: Capricorn\n")), 30000);

    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY2(!said().contains(QStringLiteral("message: ")), qPrintable(firstSaid));
    // Nothing reached them, and their sockets are still theirs.
    for (QLocalServer& squatter : squatters) {
        QVERIFY(!squatter.hasPendingConnections());
        QLocalSocket probe;
        probe.connectToServer(squatter.fullServerName());
        QVERIFY(probe.waitForConnected(5000));
        QVERIFY(squatter.waitForNewConnection(5000));
    }
    first.kill();
    first.waitForFinished(30000);
}

QTEST_MAIN(tst_commandline)
#include "tst_commandline.moc"
