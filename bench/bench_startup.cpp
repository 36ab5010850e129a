// Start-up: how long until the input window is on screen, against a plain Qt window of the same
// kind (ReferenceWindow: as many widgets, a menu bar, the same fonts and custom colours, built
// in code). The goal is at most 1.10 times the plain window.
//
// The main figures are whole processes, as the user waits for them: the real bodyastro
// executable against bench_plainwindow, a separate program that links Qt Widgets only, each
// timed from starting it until its window has painted. Neither executable holds anything for
// the benchmark: the probe plugin (startupprobe.cpp), which Qt loads into both, reports the
// first paint on standard output. So loading the program's libraries counts.
//
// The breakdown runs the same windows in children of this benchmark, which links everything
// the program links: an empty QMainWindow, one holding a label (the least any window with text
// pays), the reference window and the input window after the program's own start-up code. The
// warm figures build, show and delete the windows inside one running process.
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
// What every child writes once its window has painted:
// "painted <window> <peak resident KiB> <processor ms>".
const char kPaintedLine[] = "painted ";
const char kProbeKey[] = "bodyastro-startup-probe";

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

void reportShown(const QString& window)
{
    std::printf("%s%s %ld %.2f\n", kPaintedLine, qPrintable(window), peakResidentKiB(), processorMs());
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
        reportShown(window.objectName());
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
        reportShown(window.objectName());
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
    reportShown(QStringLiteral("frmMain"));
    program.session().setProcessEnder([] {});
    return 0;
}

struct ChildStart {
    QString window;      // the window that painted first, as the child names it
    double ms = -1;      // from starting the child until that paint; -1 on failure
    double peakKiB = -1; // the child's peak resident size by then
    double cpuMs = -1;   // and the processor time it had used
};

// Starts program and waits for the line saying its first window has painted.
ChildStart timeChild(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.setProcessEnvironment(environment);
    ChildStart result;
    QElapsedTimer timer;
    timer.start();
    child.start(program, arguments);
    QByteArray output;
    int lineStart = -1;
    int lineEnd = -1;
    for (;;) {
        lineStart = output.indexOf(kPaintedLine);
        if (lineStart >= 0 && (lineEnd = output.indexOf('\n', lineStart)) >= 0)
            break;
        if (!child.waitForReadyRead(30000)) {
            child.kill();
            child.waitForFinished(30000);
            return result;
        }
        output += child.readAllStandardOutput();
    }
    const double elapsed = timer.nsecsElapsed() / 1e6;
    const QList<QByteArray> fields = output.mid(lineStart, lineEnd - lineStart).split(' ');
    result.window = QString::fromUtf8(fields.value(1));
    result.peakKiB = fields.value(2).toDouble();
    result.cpuMs = fields.value(3).toDouble();
    result.ms = elapsed;
    // Ended by itself, so the next start finds no lock or socket left behind.
    if (!child.waitForFinished(30000))
        child.kill();
    return result;
}

// The whole-process children: the real program and the plain window program, with the probe.
QProcessEnvironment probeEnvironment()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(BODYASTRO_PROBE_PLUGINS));
    environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QLatin1String(kProbeKey));
    return environment;
}

struct Kind {
    QString name;       // as the samples are filed
    QString program;    // empty: this benchmark in child mode
    QString window;     // the window that must paint first
};

ChildStart timeKind(const Kind& kind)
{
    static const QProcessEnvironment probe = probeEnvironment();
    if (kind.program.isEmpty())
        return timeChild(QCoreApplication::applicationFilePath(), {QLatin1String(kChildOption), kind.name},
                         QProcessEnvironment::systemEnvironment());
    return timeChild(kind.program, {}, probe);
}

} // namespace

class bench_startup : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeProcess_data();
    void wholeProcess();
    void coldStartup_data();
    void coldStartup();
    void warmWindow_data();
    void warmWindow();
    void cleanupTestCase();

private:
    // The median of one measure over a kind's samples.
    double medianOf(const QString& kind, double ChildStart::*measure) const;
    double medianMs(const QString& kind) const { return medianOf(kind, &ChildStart::ms); }
    double medianCpuMs(const QString& kind) const { return medianOf(kind, &ChildStart::cpuMs); }
    long medianPeakKiB(const QString& kind) const { return static_cast<long>(medianOf(kind, &ChildStart::peakKiB)); }

    int m_runs = 21;
    // Fresh-process samples by kind: "program" and "plain" (whole processes), then "empty",
    // "label", "reference" and "input" (children of this benchmark).
    QMap<QString, QVector<ChildStart>> m_cold;
    // Measured in Qt Test's warm-up call of warmWindow, reported in both calls.
    double m_warmEmpty = -1;
    double m_warmReference = -1;
    double m_warmInput = -1;
};

void bench_startup::initTestCase()
{
    prepareGuiTestEnvironment();
    m_runs = qMax(1, envInt("BODYASTRO_BENCH_RUNS", m_runs));

    QVector<Kind> kinds{
        {QStringLiteral("program"), QStringLiteral(BODYASTRO_PROGRAM), QStringLiteral("frmMain")},
        {QStringLiteral("plain"), QStringLiteral(BODYASTRO_PLAIN_WINDOW), QStringLiteral("referenceWindow")},
        {QStringLiteral("empty"), QString(), QStringLiteral("emptyWindow")},
        {QStringLiteral("label"), QString(), QStringLiteral("emptyWindow")},
        {QStringLiteral("reference"), QString(), QStringLiteral("referenceWindow")},
        {QStringLiteral("input"), QString(), QStringLiteral("frmMain")},
    };
    // Another build of the program (an earlier commit, say), timed in the same turns.
    const QString other = qEnvironmentVariable("BODYASTRO_BENCH_OTHER_PROGRAM");
    if (!other.isEmpty())
        kinds.append({QStringLiteral("other"), other, QStringLiteral("frmMain")});
    // Run -1 is not counted: the program's first start writes its setting, and the files
    // come into the page cache. Then take turns, each run in another order, so that drift in
    // the machine's load and whatever one start leaves behind for the next hit every kind alike.
    for (int run = -1; run < m_runs; ++run) {
        for (int turn = 0; turn < kinds.size(); ++turn) {
            const Kind& kind = kinds.at((run + 1 + turn) % kinds.size());
            const ChildStart start = timeKind(kind);
            QVERIFY2(start.ms >= 0, qPrintable(QStringLiteral("the %1 start-up child did not report").arg(kind.name)));
            QVERIFY2(start.window == kind.window,
                     qPrintable(QStringLiteral("%1: %2 painted first").arg(kind.name, start.window)));
            if (run >= 0)
                m_cold[kind.name].append(start);
        }
    }
}

double bench_startup::medianOf(const QString& kind, double ChildStart::*measure) const
{
    QVector<double> samples;
    for (const ChildStart& start : m_cold.value(kind))
        samples.append(start.*measure);
    return median(samples);
}

void bench_startup::wholeProcess_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("bodyastro") << QStringLiteral("program");
    QTest::newRow("plain window program") << QStringLiteral("plain");
}

void bench_startup::wholeProcess()
{
    QFETCH(QString, kind);
    QTest::setBenchmarkResult(medianMs(kind), QTest::WalltimeMilliseconds);
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
    QTest::setBenchmarkResult(medianMs(kind), QTest::WalltimeMilliseconds);
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
    const double program = medianMs(QStringLiteral("program"));
    const double plain = medianMs(QStringLiteral("plain"));
    if (program > 0 && plain > 0) {
        qInfo("whole process, start to first paint (median of %d): bodyastro %.1f ms, plain window program %.1f ms",
              m_runs, program, plain);
        qInfo("bodyastro / plain window program: %.2f (goal <= 1.10)", program / plain);
        const double programCpu = medianCpuMs(QStringLiteral("program"));
        const double plainCpu = medianCpuMs(QStringLiteral("plain"));
        if (programCpu > 0 && plainCpu > 0)
            qInfo("processor time by the first paint: bodyastro %.1f ms, plain window program %.1f ms: %.2f", programCpu,
                  plainCpu, programCpu / plainCpu);
        qInfo("peak resident size by the first paint: bodyastro %s, plain window program %s",
              qPrintable(kibText(medianPeakKiB(QStringLiteral("program")))),
              qPrintable(kibText(medianPeakKiB(QStringLiteral("plain")))));
        const double other = medianMs(QStringLiteral("other"));
        if (other > 0)
            qInfo("BODYASTRO_BENCH_OTHER_PROGRAM %.1f ms, %.2f of the plain window program (processor %.1f ms), "
                  "peak resident size %s",
                  other, other / plain, medianCpuMs(QStringLiteral("other")),
                  qPrintable(kibText(medianPeakKiB(QStringLiteral("other")))));
    }
    const double empty = medianMs(QStringLiteral("empty"));
    const double label = medianMs(QStringLiteral("label"));
    const double reference = medianMs(QStringLiteral("reference"));
    const double input = medianMs(QStringLiteral("input"));
    if (empty > 0 && label > 0 && reference > 0) {
        qInfo("breakdown, children of this benchmark (it links all the program links): empty QMainWindow %.1f ms, "
              "with a label %.1f ms, reference window %.1f ms, input window %.1f ms",
              empty, label, reference, input);
        qInfo("input window / reference window: %.2f; input window / empty QMainWindow: %.2f; "
              "input window / window with a label: %.2f",
              input / reference, input / empty, input / label);
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
    // The real program keeps its setting under the user's configuration folder; its starts
    // here must not change the user's own.
    QTemporaryDir configuration;
    if (configuration.isValid())
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configuration.path()));
    bench_startup benchmark;
    return QTest::qExec(&benchmark, argc, argv);
}

#include "bench_startup.moc"
