#include "bench/benchsupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

#ifdef __linux__
#include <sys/resource.h>
#include <unistd.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

PaintWatcher::PaintWatcher(const QString& windowName, QObject* parent)
    : QObject(parent)
    , m_windowName(windowName)
{
    qApp->installEventFilter(this);
}

PaintWatcher::~PaintWatcher()
{
    qApp->removeEventFilter(this);
}

bool PaintWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Paint && !m_painted && watched->isWidgetType()) {
        const QWidget* window = static_cast<QWidget*>(watched)->window();
        if (window && window->objectName() == m_windowName)
            m_painted = true;
    }
    return false;
}

bool PaintWatcher::waitForPaint(int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!m_painted && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return m_painted;
}

InputWindowDriver::InputWindowDriver()
    : m_displayPaint(QStringLiteral("frmDisplay"))
    , m_mainPaint(QStringLiteral("frmMain"))
{
    m_proceed = child<QPushButton>(m_fixture.input(), "cmdProceed");
    m_mainPaint.waitForPaint();
}

InputWindowDriver::~InputWindowDriver() = default;

void InputWindowDriver::setEntries(const QString& name, int day, int month, int year, int timePosition)
{
    window().findChild<QLineEdit*>(QStringLiteral("txtName"))->setText(name);
    window().findChild<QComboBox*>(QStringLiteral("cmbDate"))->setCurrentIndex(day - 1);
    window().findChild<QComboBox*>(QStringLiteral("cmbMonth"))->setCurrentIndex(month - 1);
    frmMain::setListText(window().findChild<QComboBox*>(QStringLiteral("cmbYear")), QString::number(year));
    window().findChild<QComboBox*>(QStringLiteral("cmbTime"))->setCurrentIndex(timePosition);
    for (const char* box : {"chkSign_0", "chkSign_1", "chkSign_2"})
        window().findChild<QCheckBox*>(QLatin1String(box))->setChecked(true);
}

qint64 InputWindowDriver::pressProceedAndWait()
{
    m_displayPaint.reset();
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(m_proceed, Qt::LeftButton);
    m_lastHandlingNs = timer.nsecsElapsed();
    if (!m_fixture.result() || !m_displayPaint.waitForPaint())
        return -1;
    return timer.nsecsElapsed();
}

void InputWindowDriver::back()
{
    frmDisplay* display = m_fixture.result();
    if (!display)
        return;
    m_mainPaint.reset();
    display->cmdBack_Click();
    // Back closes the result window, which deletes itself later; do it now so that nothing
    // piles up between readings.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // The user presses the button on a painted input window.
    m_mainPaint.waitForPaint();
}

int InputWindowDriver::liveResultWindows() const
{
    int count = 0;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        // The one built ahead for the next reading, empty and hidden, is not a reading's window.
        if (qobject_cast<frmDisplay*>(widget) && widget != m_fixture.session.nextResultWindow())
            ++count;
    }
    return count;
}

// The tenth of every month lies well inside one sign, a different one each month.
const SunSignBirthday kSunSignBirthdays[12] = {
    {10, 4}, {10, 5}, {10, 6}, {10, 7}, {10, 8}, {10, 9},
    {10, 10}, {10, 11}, {10, 12}, {10, 1}, {10, 2}, {10, 3},
};

double median(QVector<double> samples)
{
    return percentile(std::move(samples), 0.5);
}

double percentile(QVector<double> samples, double fraction)
{
    if (samples.isEmpty())
        return 0.0;
    std::sort(samples.begin(), samples.end());
    const double position = fraction * (samples.size() - 1);
    const int below = static_cast<int>(position);
    const int above = std::min(below + 1, static_cast<int>(samples.size()) - 1);
    return samples[below] + (samples[above] - samples[below]) * (position - below);
}

long peakResidentKiB()
{
#ifdef __linux__
    rusage usage {};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        return usage.ru_maxrss; // KiB on Linux
#endif
    return -1;
}

double processorMs()
{
#ifdef __linux__
    rusage usage {};
    if (getrusage(RUSAGE_SELF, &usage) == 0)
        return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
               + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
#endif
    return -1;
}

long currentResidentKiB()
{
#ifdef __linux__
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (statm.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> fields = statm.readAll().split(' ');
        bool ok = false;
        const long pages = fields.value(1).toLong(&ok);
        if (ok)
            return pages * (sysconf(_SC_PAGESIZE) / 1024);
    }
#endif
    return -1;
}

long heapInUseKiB()
{
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 33))
    const struct mallinfo2 info = mallinfo2();
    return static_cast<long>((info.uordblks + info.hblkhd) / 1024);
#else
    return -1;
#endif
}

QString kibText(long kib)
{
    return kib < 0 ? QStringLiteral("n/a") : QStringLiteral("%1 KiB").arg(kib);
}

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok ? value : fallback;
}
