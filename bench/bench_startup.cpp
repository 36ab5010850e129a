// Start-up: how long until the input window is on screen, against an empty QMainWindow
// started the same way in the same run. The goal is at most 1.5 times the empty window.
//
// The cold figures start a fresh process for every sample (this program, in a child mode), so
// they include loading Qt and the platform plugin exactly as a real start does. The warm
// figures build, show and delete the window inside one running process, which isolates what
// the input window itself costs.
#include "benchsupport.h"

#include "frmmain.h"
#include "platform.h"
#include "session.h"

#include <QApplication>
#include <QMainWindow>
#include <QProcess>
#include <QtTest>

#include <cstdio>
#include <cstring>

namespace {

const char kChildOption[] = "--startup-child";
const char kShownLine[] = "shown";

// What main() does up to the input window being painted, or the same for an empty window;
// then says so on standard output and ends.
int runStartupChild(int argc, char* argv[], const QString& which)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (which == QLatin1String("empty")) {
        PaintWatcher paint(QStringLiteral("emptyWindow"));
        QMainWindow window;
        window.setObjectName(QStringLiteral("emptyWindow"));
        window.show();
        if (!paint.waitForPaint())
            return 2;
        std::puts(kShownLine);
        std::fflush(stdout);
        window.close();
        return 0;
    }
    PaintWatcher paint(QStringLiteral("frmMain"));
    QtPlatform platform;
    Session session(platform);
    frmMain window(session);
    session.setMainWindow(&window);
    window.show();
    if (!paint.waitForPaint())
        return 2;
    std::puts(kShownLine);
    std::fflush(stdout);
    session.setProcessEnder([] {});
    window.close();
    return 0;
}

// Milliseconds from starting the child until it reports its window painted; -1 on failure.
double timeChildStartup(const QString& which)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kChildOption), which});
    QByteArray output;
    while (!output.contains(kShownLine)) {
        if (!child.waitForReadyRead(30000))
            return -1;
        output += child.readAllStandardOutput();
    }
    const double elapsed = timer.nsecsElapsed() / 1e6;
    child.waitForFinished(30000);
    return elapsed;
}

} // namespace

class bench_startup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void coldStartup_data();
    void coldStartup();
    void warmWindow_data();
    void warmWindow();
    void cleanupTestCase();

private:
    int m_runs = 15;
    QVector<double> m_coldEmpty;
    QVector<double> m_coldInput;
    // Measured in Qt Test's warm-up call of warmWindow, reported in both calls.
    double m_warmEmpty = -1;
    double m_warmInput = -1;
};

void bench_startup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    m_runs = qMax(1, envInt("BODYASTRO_BENCH_RUNS", m_runs));

    // Alternate the two kinds so that drift in the machine's load hits both alike.
    for (int run = 0; run < m_runs; ++run) {
        const double empty = timeChildStartup(QStringLiteral("empty"));
        const double input = timeChildStartup(QStringLiteral("input"));
        QVERIFY2(empty >= 0 && input >= 0, "a start-up child did not report its window");
        m_coldEmpty.append(empty);
        m_coldInput.append(input);
    }
}

void bench_startup::coldStartup_data()
{
    QTest::addColumn<bool>("input");
    QTest::newRow("empty QMainWindow") << false;
    QTest::newRow("input window") << true;
}

void bench_startup::coldStartup()
{
    QFETCH(bool, input);
    QTest::setBenchmarkResult(median(input ? m_coldInput : m_coldEmpty), QTest::WalltimeMilliseconds);
}

void bench_startup::warmWindow_data()
{
    QTest::addColumn<bool>("input");
    QTest::newRow("empty QMainWindow") << false;
    QTest::newRow("input window") << true;
}

void bench_startup::warmWindow()
{
    QFETCH(bool, input);
    double& result = input ? m_warmInput : m_warmEmpty;
    if (result >= 0) {
        QTest::setBenchmarkResult(result, QTest::WalltimeMilliseconds);
        return;
    }
    FakePlatform platform;
    Session session(platform);
    session.setProcessEnder([] {});
    const QString name = input ? QStringLiteral("frmMain") : QStringLiteral("emptyWindow");
    PaintWatcher paint(name);

    QVector<double> samples;
    // The first window pays for fonts, styles and resources once; it is not counted.
    for (int run = -1; run < qMax(m_runs, 3); ++run) {
        paint.reset();
        QElapsedTimer timer;
        timer.start();
        QMainWindow* window = nullptr;
        if (input) {
            auto* frm = new frmMain(session);
            session.setMainWindow(frm);
            window = frm;
        } else {
            window = new QMainWindow;
            window->setObjectName(name);
        }
        window->show();
        QVERIFY(paint.waitForPaint());
        if (run >= 0)
            samples.append(timer.nsecsElapsed() / 1e6);
        delete window;
    }
    result = median(samples);
    QTest::setBenchmarkResult(result, QTest::WalltimeMilliseconds);
}

void bench_startup::cleanupTestCase()
{
    const double coldEmpty = median(m_coldEmpty);
    const double coldInput = median(m_coldInput);
    qInfo("start-up, fresh process (median of %d): empty QMainWindow %.1f ms, input window %.1f ms, "
          "ratio %.2f (goal <= 1.5)",
          int(m_coldInput.size()), coldEmpty, coldInput, coldEmpty > 0 ? coldInput / coldEmpty : 0.0);
    if (m_warmEmpty > 0) {
        qInfo("window only, warm process: empty QMainWindow %.2f ms, input window %.2f ms, ratio %.1f",
              m_warmEmpty, m_warmInput, m_warmInput / m_warmEmpty);
    }
}

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], kChildOption) == 0)
        return runStartupChild(argc, argv, QString::fromLatin1(argv[2]));
    QApplication app(argc, argv);
    bench_startup benchmark;
    return QTest::qExec(&benchmark, argc, argv);
}

#include "bench_startup.moc"
