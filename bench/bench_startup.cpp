// Start-up: how long until the input window is on screen, against a plain Qt window of the same
// kind (ReferenceWindow: as many widgets, a menu bar, the same fonts and custom colours, built
// in code) started the same way in the same run. The goal is at most 1.10 times the reference.
// An empty QMainWindow and one holding a label are measured too: the empty one is a floor no
// window with text can reach, the label shows what any window with text pays.
//
// The cold figures start a fresh process for every sample (this program, in a child mode), so
// they include loading Qt and the platform plugin exactly as a real start does. The warm
// figures build, show and delete the window inside one running process, which isolates what
// the input window itself costs.
#include "app/startup.h"
#include "bench/benchsupport.h"
#include "bench/referencewindow.h"

#include <QApplication>
#include <QDate>
#include <QDateTime>
#include <QFont>
#include <QLabel>
#include <QMainWindow>
#include <QMap>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

namespace {

const char kChildOption[] = "--startup-child";
const char kShownLine[] = "shown";

// Where the child's time goes, on standard error, when BODYASTRO_BENCH_PHASES is set.
class PhaseClock {
public:
    PhaseClock() { m_timer.start(); }
    void mark(const char* phase)
    {
        if (m_enabled)
            std::fprintf(stderr, "  %-28s %7.2f ms\n", phase, m_timer.nsecsElapsed() / 1e6);
        m_timer.restart();
    }

private:
    QElapsedTimer m_timer;
    bool m_enabled = qEnvironmentVariableIsSet("BODYASTRO_BENCH_PHASES");
};

// Every child would repeat the same two remarks about the test machine (no runtime folder
// set, the offscreen platform cannot pass size hints on); keep the output readable.
QtMessageHandler g_defaultMessageHandler = nullptr;

void dropMachineRemarks(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (message.contains(QLatin1String("propagateSizeHints")) || message.contains(QLatin1String("XDG_RUNTIME_DIR")))
        return;
    if (g_defaultMessageHandler)
        g_defaultMessageHandler(type, context, message);
    else
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}

void reportShown()
{
    std::puts(kShownLine);
    std::fflush(stdout);
}

// What main() does up to the input window being painted, or the same for an empty window;
// then says so on standard output and ends.
int runStartupChild(int argc, char* argv[], const QString& which)
{
    PhaseClock clock;
    g_defaultMessageHandler = qInstallMessageHandler(dropMachineRemarks);
    prepareHighDpi();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    clock.mark("QApplication");
    if (which == QLatin1String("empty") || which == QLatin1String("label")) {
        PaintWatcher paint(QStringLiteral("emptyWindow"));
        QMainWindow window;
        window.setObjectName(QStringLiteral("emptyWindow"));
        // One line of text: the least any window with text pays (the font database).
        if (which == QLatin1String("label"))
            window.setCentralWidget(new QLabel(QStringLiteral("Corvane Body Astrology")));
        window.show();
        if (!paint.waitForPaint())
            return 2;
        clock.mark("window shown and painted");
        reportShown();
        window.close();
        return 0;
    }
    if (which == QLatin1String("reference")) {
        PaintWatcher paint(QStringLiteral("referenceWindow"));
        ReferenceWindow::setUpApplication();
        ReferenceWindow window;
        window.setObjectName(QStringLiteral("referenceWindow"));
        clock.mark("reference window built");
        window.show();
        if (!paint.waitForPaint())
            return 2;
        clock.mark("reference window shown, painted");
        reportShown();
        window.close();
        return 0;
    }

    // As main() does it, but with a name of its own, so that neither the single-instance lock
    // nor the stored setting is shared with a copy of the program in use, and with answers
    // instead of message boxes.
    configureApplication();
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setApplicationName(QStringLiteral("bodyastro-bench"));
    FakePlatform platform;
    platform.messageAnswers.enqueue(QMessageBox::No);
    PaintWatcher paint(QStringLiteral("frmMain"));
    Program program(platform);
    if (!program.start(QDate::currentDate(), static_cast<quint32>(QDateTime::currentMSecsSinceEpoch())))
        return 3;
    clock.mark("start-up sequence, window shown");
    if (!paint.waitForPaint())
        return 2;
    clock.mark("input window painted");
    reportShown();
    program.session().setProcessEnder([] {});
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
    int m_runs = 21;
    // Fresh-process samples by child kind: "empty", "label", "reference", "input".
    QMap<QString, QVector<double>> m_cold;
    // Measured in Qt Test's warm-up call of warmWindow, reported in both calls.
    double m_warmEmpty = -1;
    double m_warmReference = -1;
    double m_warmInput = -1;
};

void bench_startup::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setQuitOnLastWindowClosed(false);
    m_runs = qMax(1, envInt("BODYASTRO_BENCH_RUNS", m_runs));

    // Take turns, each run in another order, so that drift in the machine's load and
    // whatever one start leaves behind for the next hit every kind alike.
    const QStringList kinds{QStringLiteral("empty"), QStringLiteral("label"), QStringLiteral("reference"),
                            QStringLiteral("input")};
    for (int run = 0; run < m_runs; ++run) {
        for (int turn = 0; turn < kinds.size(); ++turn) {
            const QString& kind = kinds.at((run + turn) % kinds.size());
            const double elapsed = timeChildStartup(kind);
            QVERIFY2(elapsed >= 0, qPrintable(QStringLiteral("the %1 start-up child did not report").arg(kind)));
            m_cold[kind].append(elapsed);
        }
    }
}

void bench_startup::coldStartup_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty QMainWindow") << QStringLiteral("empty");
    QTest::newRow("QMainWindow with a label") << QStringLiteral("label");
    QTest::newRow("reference window") << QStringLiteral("reference");
    QTest::newRow("input window") << QStringLiteral("input");
}

void bench_startup::coldStartup()
{
    QFETCH(QString, kind);
    QTest::setBenchmarkResult(median(m_cold.value(kind)), QTest::WalltimeMilliseconds);
}

void bench_startup::warmWindow_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("empty QMainWindow") << QStringLiteral("empty");
    QTest::newRow("reference window") << QStringLiteral("reference");
    QTest::newRow("input window") << QStringLiteral("input");
}

void bench_startup::warmWindow()
{
    QFETCH(QString, kind);
    const bool input = kind == QLatin1String("input");
    const bool reference = kind == QLatin1String("reference");
    double& result = input ? m_warmInput : reference ? m_warmReference : m_warmEmpty;
    if (result >= 0) {
        QTest::setBenchmarkResult(result, QTest::WalltimeMilliseconds);
        return;
    }
    FakePlatform platform;
    Session session(platform);
    session.setProcessEnder([] {});
    const QString name = input ? QStringLiteral("frmMain") : QStringLiteral("otherWindow");
    if (reference)
        ReferenceWindow::setUpApplication();
    PaintWatcher paint(name);

    QVector<double> samples;
    // The first window pays for fonts, styles and resources once; it is not counted.
    for (int run = -1; run < qMax(m_runs, 3); ++run) {
        paint.reset();
        QElapsedTimer timer;
        timer.start();
        QMainWindow* window = nullptr;
        if (input) {
            window = new frmMain(session.context());
        } else if (reference) {
            window = new ReferenceWindow;
            window->setObjectName(name);
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
    const double empty = median(m_cold.value(QStringLiteral("empty")));
    const double label = median(m_cold.value(QStringLiteral("label")));
    const double reference = median(m_cold.value(QStringLiteral("reference")));
    const double input = median(m_cold.value(QStringLiteral("input")));
    if (empty > 0 && label > 0 && reference > 0) {
        qInfo("start-up, fresh process (median of %d): empty QMainWindow %.1f ms, with a label %.1f ms, "
              "reference window %.1f ms, input window %.1f ms",
              m_runs, empty, label, reference, input);
        qInfo("input window / reference window: %.2f (goal <= 1.10)", input / reference);
        qInfo("input window / empty QMainWindow: %.2f; input window / window with a label: %.2f", input / empty,
              input / label);
    }
    if (m_warmEmpty > 0 && m_warmReference > 0) {
        qInfo("window only, warm process: empty QMainWindow %.2f ms, reference window %.2f ms, input window %.2f ms, "
              "input / reference %.2f",
              m_warmEmpty, m_warmReference, m_warmInput, m_warmInput / m_warmReference);
    }
}

int main(int argc, char* argv[])
{
    if (argc == 3 && std::strcmp(argv[1], kChildOption) == 0)
        return runStartupChild(argc, argv, QString::fromLatin1(argv[2]));
    QApplication app(argc, argv);
    // A desktop session always has a private runtime folder in memory (/run/user/<uid>), where
    // the single-instance lock lives; a bare machine has none, and the lock would go to disk
    // and be synced there. The children get one like a desktop's.
    QTemporaryDir runtime(QStringLiteral("/dev/shm/bodyastro-bench-XXXXXX"));
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtime.isValid())
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    bench_startup benchmark;
    return QTest::qExec(&benchmark, argc, argv);
}

#include "bench_startup.moc"
