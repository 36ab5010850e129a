// The start-up update reminder and the one setting it keeps.
#include "storage/scramble.h"
#include "app/updatecheck.h"
#include "ui/weblinks.h"
#include "tests/common/fakeplatform.h"

#include <QtTest>

class TestUpdateCheck : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStartRecordsTodayWithoutAsking();
    void asksOnlyOutsideTwoWeeks_data();
    void asksOnlyOutsideTwoWeeks();
    void unreadableValueRestartsTheCount_data();
    void unreadableValueRestartsTheCount();
    void damagedStoreIsLeftAlone();

private:
    QString settingsPath(const QString& name = QStringLiteral("settings.ini")) const
    {
        return m_dir->filePath(name);
    }
    // Everything the store holds, key by key.
    static QVariantMap contents(const QString& path)
    {
        QSettings settings(path, QSettings::IniFormat);
        QVariantMap map;
        for (const QString& key : settings.allKeys())
            map.insert(key, settings.value(key));
        return map;
    }
    void runCheck(const QString& path, const QDate& today)
    {
        QSettings settings(path, QSettings::IniFormat);
        OfferUpdateCheck(m_platform, settings, today);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePlatform m_platform;
};

void TestUpdateCheck::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_platform = FakePlatform();
    QLocale::setDefault(QLocale::c());
}

void TestUpdateCheck::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestUpdateCheck::firstStartRecordsTodayWithoutAsking()
{
    const QDate today(2026, 10, 5);
    runCheck(settingsPath(), today);
    QVERIFY(m_platform.messages.isEmpty());
    QVERIFY(m_platform.openedUrls.isEmpty());

    const QVariantMap stored = contents(settingsPath());
    QCOMPARE(stored.size(), 1);
    QVERIFY(stored.firstKey().startsWith(QLatin1String("Settings/")));

    // Neither the key's name nor the date may be readable in the file.
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    for (const char* plain : {"Duration", "2026", "Oct", "10/5", "5/10", "05"})
        QVERIFY2(!raw.contains(plain), plain);
}

void TestUpdateCheck::asksOnlyOutsideTwoWeeks_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QDate>("lastAsked");
    QTest::addColumn<int>("daysLater");
    QTest::addColumn<bool>("asked");
    QTest::addColumn<int>("answer");

    const QDate october(2026, 10, 5); // "Oct" scrambles into a byte Windows-1252 leaves undefined
    const int yes = QMessageBox::Yes;
    const int no = QMessageBox::No;
    QTest::newRow("14 days ago") << "C" << october << 14 << false << no;
    QTest::newRow("15 days ago, Yes") << "C" << october << 15 << true << yes;
    QTest::newRow("15 days ago, No") << "C" << october << 15 << true << no;
    QTest::newRow("14 days ahead") << "C" << october << -14 << false << no;
    QTest::newRow("15 days ahead") << "C" << october << -15 << true << no;
    QTest::newRow("across the new year") << "C" << QDate(2026, 12, 25) << 15 << true << no;
    // Short formats with a two-digit year: a date read back in the 1900s would ask every time.
    QTest::newRow("en_US next day") << "en_US" << october << 1 << false << no;
    QTest::newRow("en_US 15 days") << "en_US" << october << 15 << true << no;
    QTest::newRow("de_DE 14 days") << "de_DE" << october << 14 << false << no;
    QTest::newRow("ko_KR 15 days") << "ko_KR" << october << 15 << true << yes;
}

void TestUpdateCheck::asksOnlyOutsideTwoWeeks()
{
    QFETCH(QString, locale);
    QFETCH(QDate, lastAsked);
    QFETCH(int, daysLater);
    QFETCH(bool, asked);
    QFETCH(int, answer);
    QLocale::setDefault(QLocale(locale));

    runCheck(settingsPath(), lastAsked);
    const QVariantMap before = contents(settingsPath());
    m_platform.messageAnswers.enqueue(static_cast<QMessageBox::StandardButton>(answer));
    const QDate today = lastAsked.addDays(daysLater);
    runCheck(settingsPath(), today);

    if (!asked) {
        QVERIFY(m_platform.messages.isEmpty());
        QCOMPARE(contents(settingsPath()), before);
        return;
    }
    QCOMPARE(m_platform.messages.size(), 1);
    const FakePlatform::Message& message = m_platform.messages.constFirst();
    QCOMPARE(message.text, QStringLiteral("There maybe an update to this software available\r"
                                          "Do you want to check for an update?"));
    QCOMPARE(message.icon, QMessageBox::Information);
    QCOMPARE(message.buttons, QMessageBox::Yes | QMessageBox::No);

    // Today is recorded whatever the answer: the same as a first start today records.
    runCheck(settingsPath(QStringLiteral("fresh.ini")), today);
    QCOMPARE(contents(settingsPath()), contents(settingsPath(QStringLiteral("fresh.ini"))));

    const QList<QUrl> expected =
        answer == QMessageBox::Yes ? QList<QUrl>{QUrl(webAddress(WebPage::ProductUpdate))} : QList<QUrl>{};
    QCOMPARE(m_platform.openedUrls, expected);
}

void TestUpdateCheck::unreadableValueRestartsTheCount_data()
{
    QTest::addColumn<QString>("writtenUnder");
    QTest::addColumn<QString>("readUnder");
    QTest::addColumn<QString>("value"); // empty: the date as written under the first locale
    QTest::newRow("not a date") << "C" << "C" << fromWindows1252(ScrambleText("someday"));
    QTest::newRow("date stored unscrambled") << "C" << "C" << QStringLiteral("5 Oct 2026");
    QTest::newRow("en_GB, then de_DE") << "en_GB" << "de_DE" << QString();
    QTest::newRow("de_DE, then ja_JP") << "de_DE" << "ja_JP" << QString();
}

// A value that does not read as a date (typically written before the locale changed) is
// replaced with today, without a question, so that the reminder comes back in two weeks.
void TestUpdateCheck::unreadableValueRestartsTheCount()
{
    QFETCH(QString, writtenUnder);
    QFETCH(QString, readUnder);
    QFETCH(QString, value);
    QLocale::setDefault(QLocale(writtenUnder));
    runCheck(settingsPath(), QDate(2020, 1, 1));
    if (!value.isEmpty()) {
        QSettings settings(settingsPath(), QSettings::IniFormat);
        settings.setValue(contents(settingsPath()).firstKey(), value);
    }

    QLocale::setDefault(QLocale(readUnder));
    const QDate today(2026, 10, 5);
    runCheck(settingsPath(), today);
    QVERIFY(m_platform.messages.isEmpty());
    runCheck(settingsPath(QStringLiteral("fresh.ini")), today);
    QCOMPARE(contents(settingsPath()), contents(settingsPath(QStringLiteral("fresh.ini"))));
}

void TestUpdateCheck::damagedStoreIsLeftAlone()
{
    runCheck(settingsPath(), QDate(2026, 10, 5));
    QFile file(settingsPath());
    QVERIFY(file.open(QIODevice::Append));
    file.write("[Broken\n");
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();

    // Due for the question, but the store reports an error: nothing is asked or written.
    runCheck(settingsPath(), QDate(2026, 11, 5));
    QVERIFY(m_platform.messages.isEmpty());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), before);
}

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
