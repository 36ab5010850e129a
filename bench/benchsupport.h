// Shared pieces of the benchmark programs: waiting for a window's first paint, a driver for
// the input window, sample statistics and the process's memory figures.
#pragma once

#include "tests/common/guitest.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QVector>

class QPushButton;

// Counts paint events of widgets inside the top-level window with the given object name.
// Installed on the application, so it also sees windows created after it.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(const QString& windowName, QObject* parent = nullptr);
    ~PaintWatcher() override;
    void reset() { m_painted = false; }
    bool painted() const { return m_painted; }
    // Runs the event loop until a paint was seen; false after timeoutMs. Spins rather than
    // sleeps, since QTest::qWaitFor's 10 ms naps would swamp the figures being measured.
    bool waitForPaint(int timeoutMs = 5000);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString m_windowName;
    bool m_painted = false;
};

// The input window on the tests' fixture, timed.
class InputWindowDriver {
public:
    InputWindowDriver();
    ~InputWindowDriver();

    FakePlatform& platform() { return m_fixture.platform; }
    Session& session() { return m_fixture.session; }
    frmMain& window() { return *m_fixture.input(); }

    // Name, day 1..31, month 1..12, year, time-window list position 0..11, and all three signs.
    void setEntries(const QString& name, int day, int month, int year, int timePosition);
    // Presses the reading button and waits until the result window has painted; the elapsed
    // nanoseconds from the press, or -1 when no result window appeared.
    qint64 pressProceedAndWait();
    // Of that, the nanoseconds until the press had been handled (the reading built and the
    // window shown, but not yet painted).
    qint64 lastHandlingNs() const { return m_lastHandlingNs; }
    // Back to the input window; the result window is deleted before this returns.
    void back();
    // Result windows alive right now (shown or waiting for deletion), leaving out the empty one
    // built ahead for the next reading.
    int liveResultWindows() const;

private:
    // The watchers come first: they must be in place before the fixture shows the window.
    PaintWatcher m_displayPaint;
    PaintWatcher m_mainPaint;
    GuiFixture m_fixture;
    QPushButton* m_proceed = nullptr;
    qint64 m_lastHandlingNs = 0;
};

// Day and month (1-based) of a birthday under each of the twelve sun signs.
struct SunSignBirthday {
    int day;
    int month;
};
extern const SunSignBirthday kSunSignBirthdays[12];

double median(QVector<double> samples);
double percentile(QVector<double> samples, double fraction);

// Peak resident set size of this process in KiB, or -1 where the platform does not say.
long peakResidentKiB();
// Processor time (user and system) this process has used so far in milliseconds, or -1.
double processorMs();
// Current resident set size in KiB, or -1 where the platform does not say.
long currentResidentKiB();
// Bytes handed out by malloc and not yet freed, in KiB, or -1 where the C library does not
// say. Unlike the resident size it does not count freed memory that the allocator keeps.
long heapInUseKiB();
QString kibText(long kib);

// A whole number from the environment, or fallback when unset or not a number.
int envInt(const char* name, int fallback);
