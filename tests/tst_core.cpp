// The astrology core: sun sign, opposite sign, ascending table and catalogue.
#include "core/zodiac.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QtTest>

namespace {

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

// Kept here rather than taken from the core so a reordering there shows up as a failure.
const char* const kSigns[12] = {"Aries", "Taurus", "Gemini", "Cancer", "Leo", "Virgo",
                                "Libra", "Scorpio", "Sagittarius", "Capricorn", "Aquarius", "Pisces"};
const char* const kWindows[12] = {"4am-6am", "2am-4am", "midnight-2am", "10pm-midnight",
                                  "8pm-10pm", "6pm-8pm", "4pm-6pm", "2pm-4pm",
                                  "noon-2pm", "10am-noon", "8am-10am", "6am-8am"};

} // namespace

class TestCore : public QObject {
    Q_OBJECT

private slots:
    void sunSignWalksTheZodiacOnceAYear();
    void sunSignOutOfRangeKeepsPrevious_data();
    void sunSignOutOfRangeKeepsPrevious();

    void oppositeSign_data();
    void oppositeSign();

    void ascendingTable_data();
    void ascendingTable();
    void ascendingUnknownKeyKeepsPrevious_data();
    void ascendingUnknownKeyKeepsPrevious();

    void catalogueExactEntries_data();
    void catalogueExactEntries();
    void catalogueListShape_data();
    void catalogueListShape();
    void catalogueUnknownNameKeepsPrevious_data();
    void catalogueUnknownNameKeepsPrevious();
};

// Day by day through a leap year: the sign moves on twelve times, always to the next sign of
// the zodiac, each sign lasting about a month, and days a month lacks follow its rule.
void TestCore::sunSignWalksTheZodiacOnceAYear()
{
    const int monthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    auto sunOf = [](int day, int month) {
        SignResults results;
        FindSunSign(results, day, month);
        return results.Sun;
    };
    QCOMPARE(q(sunOf(1, 1)), QStringLiteral("Capricorn"));
    QCOMPARE(q(sunOf(7, 3)), QStringLiteral("Pisces"));
    QCOMPARE(q(sunOf(21, 3)), QStringLiteral("Aries"));
    std::string current = sunOf(1, 1);
    int changes = 0;
    int length = 0;
    for (int month = 1; month <= 12; ++month) {
        for (int day = 1; day <= 31; ++day) {
            const std::string sign = sunOf(day, month);
            if (day > monthDays[month - 1]) {
                QCOMPARE(q(sign), q(sunOf(monthDays[month - 1], month)));
                continue;
            }
            if (sign != current) {
                QCOMPARE(zodiac::signNumber(sign), zodiac::signNumber(current) % 12 + 1);
                if (changes > 0)
                    QVERIFY2(length >= 29 && length <= 32, qPrintable(q(current) + QString::number(length)));
                current = sign;
                length = 0;
                ++changes;
            }
            ++length;
        }
    }
    QCOMPARE(changes, 12);
}

void TestCore::sunSignOutOfRangeKeepsPrevious_data()
{
    QTest::addColumn<int>("day");
    QTest::addColumn<int>("month");

    QTest::newRow("day 0") << 0 << 5;
    QTest::newRow("day 32") << 32 << 5;
    QTest::newRow("negative day") << -1 << 12;
    QTest::newRow("month 0") << 10 << 0;
    QTest::newRow("month 13") << 10 << 13;
    QTest::newRow("negative month") << 10 << -1;
}

void TestCore::sunSignOutOfRangeKeepsPrevious()
{
    QFETCH(int, day);
    QFETCH(int, month);

    SignResults results;
    FindSunSign(results, day, month);
    QCOMPARE(q(results.Sun), QString());

    results.Sun = "Leo";
    FindSunSign(results, day, month);
    QCOMPARE(q(results.Sun), QStringLiteral("Leo"));
}

void TestCore::oppositeSign_data()
{
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("opposite");

    // Five places on, not six: the relation is deliberately not symmetric.
    QTest::newRow("Aries") << "Aries" << "Virgo";
    QTest::newRow("Taurus") << "Taurus" << "Libra";
    QTest::newRow("Gemini") << "Gemini" << "Scorpio";
    QTest::newRow("Cancer") << "Cancer" << "Sagittarius";
    QTest::newRow("Leo") << "Leo" << "Capricorn";
    QTest::newRow("Virgo") << "Virgo" << "Aquarius";
    QTest::newRow("Libra") << "Libra" << "Pisces";
    QTest::newRow("Scorpio") << "Scorpio" << "Aries";
    QTest::newRow("Sagittarius") << "Sagittarius" << "Taurus";
    QTest::newRow("Capricorn") << "Capricorn" << "Gemini";
    QTest::newRow("Aquarius") << "Aquarius" << "Cancer";
    QTest::newRow("Pisces") << "Pisces" << "Leo";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("lower case") << "aries" << "";
    QTest::newRow("trailing blank") << "Leo " << "";
}

void TestCore::oppositeSign()
{
    QFETCH(QString, sign);
    QFETCH(QString, opposite);
    QCOMPARE(q(OppositeSign(sign.toStdString())), opposite);
}

void TestCore::ascendingTable_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("ascending");

    // Each window is (12 - position) mod 12 signs ahead of 4am-6am.
    for (int p = 0; p < 12; ++p) {
        const int step = (12 - p) % 12;
        for (int n = 1; n <= 12; ++n) {
            const QString key = QString::fromLatin1(kSigns[n - 1]) + QLatin1Char('-') + QString::fromLatin1(kWindows[p]);
            QTest::newRow(qPrintable(key)) << key << QString::fromLatin1(kSigns[(n - 1 + step) % 12]);
        }
    }
}

void TestCore::ascendingTable()
{
    QFETCH(QString, key);
    QFETCH(QString, ascending);

    SignResults results;
    results.AscendingKey = key.toStdString();
    FindAscendingSign(results);
    QCOMPARE(q(results.Ascending), ascending);
}

void TestCore::ascendingUnknownKeyKeepsPrevious_data()
{
    QTest::addColumn<QString>("key");

    QTest::newRow("empty") << "";
    QTest::newRow("no sun sign") << "-4am-6am";
    QTest::newRow("lower-case sign") << "aries-4am-6am";
    QTest::newRow("upper-case window") << "Aries-4AM-6AM";
    QTest::newRow("blank after sign") << "Aries -4am-6am";
    QTest::newRow("trailing blank") << "Leo-10am-noon ";
    QTest::newRow("leading blank") << " Leo-10am-noon";
    QTest::newRow("window spelled with 12") << "Leo-12am-2am";
    QTest::newRow("sign only") << "Leo";
}

void TestCore::ascendingUnknownKeyKeepsPrevious()
{
    QFETCH(QString, key);

    SignResults results;
    results.AscendingKey = key.toStdString();
    FindAscendingSign(results);
    QCOMPARE(q(results.Ascending), QString());

    results.Ascending = "Gemini";
    FindAscendingSign(results);
    QCOMPARE(q(results.Ascending), QStringLiteral("Gemini"));
}

void TestCore::catalogueExactEntries_data()
{
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("planet");
    QTest::addColumn<QByteArray>("bodyParts");
    QTest::addColumn<QByteArray>("illnessTendency");
    QTest::addColumn<QByteArray>("dietTips");
    QTest::addColumn<QByteArray>("healthTips");
    QTest::addColumn<QByteArray>("erogenousZone");

    QTest::newRow("Aries") << "Aries" << "Mars"
        << QByteArray("->Head, face\r\n"
                      "->Thinking, Perception\r\n"
                      "->Subrenals (excitability, impetuosity)")
        << QByteArray("->headaches, head congestion, sinus conditions, eyestrain,teeth problem")
        << QByteArray("->Cell salt: ->Potassium phosphate.\r\n"
                      "->Well-balanced diet rich in potassium")
        << QByteArray("->Avoid salt and liquor\r\n"
                      "->drink plenty of water\r\n"
                      "->adequate rest and relaxation")
        << QByteArray("->Gentle stroking of the hair and scalp.\r\n"
                      "->ear massage\r\n"
                      "->light strokes of the lips\r\n"
                      "->kisses on eyes");
    QTest::newRow("Scorpio") << "Scorpio" << "Pluto"
        << QByteArray("->Sexual organs\r\n"
                      "->life-giving energy\r\n"
                      "->fund of energy and imagination\r\n"
                      "->passionate, possessive")
        << QByteArray("->problems and infections of the sex organs\r\n"
                      "->skin eruptions on the genitals, cystitis, diseases of the urinary tract\r\n"
                      "->unable to rest therefore suffer from exhaustion")
        << QByteArray("->Cell salt Calcium sulphate\r\n"
                      "->food rich in this mineral\r\n"
                      "->diet high in protein, fresh fruits ad vegetables, whole-grain breads")
        << QByteArray("->need rest ad recreation, exercise, peaceful surroundings\r\n"
                      "->under a water sign, benefit from sea travel, vacation at the seashore, long soaks in warm baths")
        << QByteArray("->Genital contact");
    QTest::newRow("Pisces") << "Pisces" << "Neptune"
        << QByteArray("->Feet, toes, the mucous membranes\r\n"
                      "->senses of taste and smell very acute")
        << QByteArray("->suffer from corns, bunions\r\n"
                      "->prone to athlete's foot and other fungus infections\r\n"
                      "->gouts often afflicts the toes\r\n"
                      "->easily fall prey to the influence of alcohol and drugs")
        << QByteArray("->Cell salt Ferrum phosphate\r\n"
                      "->foods rich in iron\r\n"
                      "->high protein diet low in fat and sugar\r\n"
                      "->cut down on table salt, on coffee")
        << QByteArray("->involved in creative work, music, art and drama.\r\n"
                      "->need  lots of rest to keep up vitality, which tends to be low\r\n"
                      "->swimming and dancing\r\n"
                      "->extra care of feet and wear comfortable , well -fitting shoes\r\n"
                      "->warm foot bath")
        << QByteArray("->massage, touch the feet\r\n"
                      "->foot soak in scented water, followed with an application of foot lotion, massage\r\n"
                      "->use the feet to enhance the act of love");
}

void TestCore::catalogueExactEntries()
{
    QFETCH(QString, sign);
    QFETCH(QString, planet);
    QFETCH(QByteArray, bodyParts);
    QFETCH(QByteArray, illnessTendency);
    QFETCH(QByteArray, dietTips);
    QFETCH(QByteArray, healthTips);
    QFETCH(QByteArray, erogenousZone);

    // Start from another sign's entry so every field must be overwritten.
    CatalogueFields fields;
    LookUpBodyAstrology(fields, sign == QLatin1String("Leo") ? "Aries" : "Leo");
    LookUpBodyAstrology(fields, sign.toStdString());

    QCOMPARE(q(fields.RulingPlanet), planet);
    QCOMPARE(QByteArray::fromStdString(fields.BodyParts), bodyParts);
    QCOMPARE(QByteArray::fromStdString(fields.IllnessTendency), illnessTendency);
    QCOMPARE(QByteArray::fromStdString(fields.DietTips), dietTips);
    QCOMPARE(QByteArray::fromStdString(fields.HealthTips), healthTips);
    QCOMPARE(QByteArray::fromStdString(fields.ErogenousZone), erogenousZone);
}

void TestCore::catalogueListShape_data()
{
    QTest::addColumn<QString>("sign");
    QTest::addColumn<QString>("planet");
    QTest::addColumn<int>("bodyParts");
    QTest::addColumn<int>("illnessTendency");
    QTest::addColumn<int>("dietTips");
    QTest::addColumn<int>("healthTips");
    QTest::addColumn<int>("erogenousZone");

    QTest::newRow("Aries") << "Aries" << "Mars" << 3 << 1 << 2 << 3 << 4;
    QTest::newRow("Taurus") << "Taurus" << "Venus" << 4 << 2 << 2 << 2 << 1;
    QTest::newRow("Gemini") << "Gemini" << "Mercury" << 4 << 1 << 4 << 3 << 2;
    QTest::newRow("Cancer") << "Cancer" << "Moon" << 1 << 2 << 3 << 3 << 1;
    QTest::newRow("Leo") << "Leo" << "Sun" << 2 << 3 << 3 << 3 << 2;
    QTest::newRow("Virgo") << "Virgo" << "Mercury" << 4 << 2 << 5 << 2 << 2;
    QTest::newRow("Libra") << "Libra" << "Venus" << 1 << 4 << 4 << 4 << 1;
    QTest::newRow("Scorpio") << "Scorpio" << "Pluto" << 4 << 3 << 3 << 2 << 1;
    QTest::newRow("Sagittarius") << "Sagittarius" << "Jupiter" << 3 << 3 << 3 << 3 << 1;
    QTest::newRow("Capricorn") << "Capricorn" << "Saturn" << 2 << 2 << 3 << 4 << 2;
    QTest::newRow("Aquarius") << "Aquarius" << "Uranus" << 3 << 3 << 4 << 5 << 3;
    QTest::newRow("Pisces") << "Pisces" << "Neptune" << 2 << 4 << 4 << 5 << 3;
}

void TestCore::catalogueListShape()
{
    QFETCH(QString, sign);
    QFETCH(QString, planet);
    QFETCH(int, bodyParts);
    QFETCH(int, illnessTendency);
    QFETCH(int, dietTips);
    QFETCH(int, healthTips);
    QFETCH(int, erogenousZone);

    CatalogueFields fields;
    LookUpBodyAstrology(fields, sign.toStdString());
    QCOMPARE(q(fields.RulingPlanet), planet);

    const struct {
        const char* name;
        const std::string& text;
        int items;
    } lists[] = {{"BodyParts", fields.BodyParts, bodyParts},
                 {"IllnessTendency", fields.IllnessTendency, illnessTendency},
                 {"DietTips", fields.DietTips, dietTips},
                 {"HealthTips", fields.HealthTips, healthTips},
                 {"ErogenousZone", fields.ErogenousZone, erogenousZone}};
    for (const auto& list : lists) {
        const QString text = q(list.text);
        // Splitting on CR LF must leave no stray CR or LF, and no empty item at either end.
        const QStringList items = text.split(QStringLiteral("\r\n"));
        QVERIFY2(items.size() == list.items,
                 qPrintable(QStringLiteral("%1 has %2 items").arg(QLatin1String(list.name)).arg(items.size())));
        for (const QString& item : items) {
            QVERIFY2(item.startsWith(QLatin1String("->")), qPrintable(QLatin1String(list.name) + QLatin1String(": ") + item));
            QVERIFY2(!item.contains(QLatin1Char('\r')) && !item.contains(QLatin1Char('\n')), list.name);
            QVERIFY2(item.size() > 2, list.name);
        }
    }
}

void TestCore::catalogueUnknownNameKeepsPrevious_data()
{
    QTest::addColumn<QString>("name");

    QTest::newRow("empty") << "";
    QTest::newRow("lower case") << "scorpio";
    QTest::newRow("upper case") << "ARIES";
    QTest::newRow("leading blank") << " Scorpio";
    QTest::newRow("trailing blank") << "Scorpio ";
    QTest::newRow("not a sign") << "Ophiuchus";
}

void TestCore::catalogueUnknownNameKeepsPrevious()
{
    QFETCH(QString, name);

    CatalogueFields before;
    LookUpBodyAstrology(before, "Aries");
    CatalogueFields fields = before;
    LookUpBodyAstrology(fields, name.toStdString());
    QCOMPARE(q(fields.RulingPlanet), q(before.RulingPlanet));
    QCOMPARE(q(fields.BodyParts), q(before.BodyParts));
    QCOMPARE(q(fields.IllnessTendency), q(before.IllnessTendency));
    QCOMPARE(q(fields.DietTips), q(before.DietTips));
    QCOMPARE(q(fields.HealthTips), q(before.HealthTips));
    QCOMPARE(q(fields.ErogenousZone), q(before.ErogenousZone));

    CatalogueFields empty;
    LookUpBodyAstrology(empty, name.toStdString());
    QVERIFY(empty.RulingPlanet.empty() && empty.BodyParts.empty() && empty.ErogenousZone.empty());
}

QTEST_APPLESS_MAIN(TestCore)
#include "tst_core.moc"
