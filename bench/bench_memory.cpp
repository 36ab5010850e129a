// Readings in a row, every sun sign with every birth-time window and Back between: the peak
// memory of the process must not grow with the number of readings.
//
// Peak resident size never shrinks, so a single figure says little; what counts is how much
// it grows between 144 and 1,440 readings after a warm-up of 144 readings has loaded what is
// loaded once (fonts, pictures, styles).
#include "bench/benchsupport.h"

#include <QApplication>
#include <QtTest>

#include <cstdio>
#include <cstdlib>

class bench_memory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readingsInARow();

private:
    // Reading number n takes sun sign n / 12 and time window n % 12, round and round.
    bool runReadings(InputWindowDriver& driver, int first, int count);
    // Qt Test calls a benchmark function twice, the first time as a warm-up; the long run
    // happens in the first call only.
    bool m_measured = false;
    double m_peakGrowthBytes = -1; // -1 where the platform gives no peak figure
};

void bench_memory::initTestCase()
{
    prepareGuiTestEnvironment();
}

bool bench_memory::runReadings(InputWindowDriver& driver, int first, int count)
{
    for (int reading = first; reading < first + count; ++reading) {
        const int combination = reading % 144;
        const SunSignBirthday& birthday = kSunSignBirthdays[combination / 12];
        driver.setEntries(QStringLiteral("ANN LEE"), birthday.day, birthday.month, 1990, combination % 12);
        if (driver.pressProceedAndWait() < 0) {
            qWarning("no result window after reading %d", reading);
            return false;
        }
        driver.back();
        if (driver.liveResultWindows() != 0) {
            qWarning("a result window outlived Back after reading %d", reading);
            return false;
        }
    }
    return true;
}

void bench_memory::readingsInARow()
{
    if (m_measured) {
        if (m_peakGrowthBytes >= 0)
            QTest::setBenchmarkResult(m_peakGrowthBytes, QTest::BytesAllocated);
        return;
    }
    m_measured = true;
    const int warmUp = qMax(0, envInt("BODYASTRO_BENCH_WARMUP_READINGS", 144));
    const int readings = qMax(1, envInt("BODYASTRO_BENCH_READINGS", 1440));
    const int checkpoint = qMin(144, readings);

    InputWindowDriver driver;
    // Whatever a first reading creates for good (menus, style objects) is the baseline.
    QVERIFY(runReadings(driver, 0, 1));
    const int widgetsAfterFirst = QApplication::allWidgets().size();
    QVERIFY(runReadings(driver, 1, warmUp));
    const long peakWarm = peakResidentKiB();
    const long currentWarm = currentResidentKiB();

    QElapsedTimer timer;
    timer.start();
    QVERIFY(runReadings(driver, 0, checkpoint));
    const long peakCheckpoint = peakResidentKiB();
    const long currentCheckpoint = currentResidentKiB();
    // The growth curve, one figure per 144 readings, shows a leak as a steady climb.
    QStringList curve{QString::number(peakCheckpoint)};
    QStringList heapCurve{QString::number(heapInUseKiB())};
    for (int done = checkpoint; done < readings; done += 144) {
        QVERIFY(runReadings(driver, done, qMin(144, readings - done)));
        curve.append(QString::number(peakResidentKiB()));
        heapCurve.append(QString::number(heapInUseKiB()));
    }
    const double perReading = timer.nsecsElapsed() / 1e6 / readings;
    const long peakLast = peakResidentKiB();
    const long currentLast = currentResidentKiB();

    QVERIFY(driver.platform().messages.isEmpty());
    // Every result window and everything it owned is gone again.
    QCOMPARE(QApplication::allWidgets().size(), widgetsAfterFirst);

    qInfo("%d warm-up readings, then %d readings, %.2f ms each including Back", warmUp + 1, readings,
          perReading);
    qInfo("peak RSS:    after warm-up %s, after %d more %s, after %d more %s", qPrintable(kibText(peakWarm)),
          checkpoint, qPrintable(kibText(peakCheckpoint)), readings, qPrintable(kibText(peakLast)));
    qInfo("current RSS: after warm-up %s, after %d more %s, after %d more %s",
          qPrintable(kibText(currentWarm)), checkpoint, qPrintable(kibText(currentCheckpoint)), readings,
          qPrintable(kibText(currentLast)));
    if (peakLast >= 0) {
        qInfo("peak RSS every 144 readings (KiB): %s", qPrintable(curve.join(QLatin1Char(' '))));
    }
    if (heapInUseKiB() >= 0) {
        qInfo("heap in use every 144 readings (KiB): %s", qPrintable(heapCurve.join(QLatin1Char(' '))));
    }
    if (peakLast >= 0) {
        m_peakGrowthBytes = double(peakLast - peakCheckpoint) * 1024;
        qInfo("peak RSS growth from %d to %d readings: %ld KiB", checkpoint, readings, peakLast - peakCheckpoint);
        QTest::setBenchmarkResult(m_peakGrowthBytes, QTest::BytesAllocated);
    }
    // For a heap profiler: end here, without tearing anything down, so that everything still
    // held after the readings shows up as "leaked", by call site. Comparing a short and a long
    // run shows what grows with the number of readings.
    if (qEnvironmentVariableIsSet("BODYASTRO_BENCH_QUICK_EXIT")) {
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(0);
    }
}

QTEST_MAIN(bench_memory)
#include "bench_memory.moc"
