// The character shift for stored text and the Windows-1252 conversion at its edge.
#include "storage/scramble.h"

#include <QtTest>

namespace {

QByteArray allBytes()
{
    QByteArray bytes;
    for (int code = 0; code < 256; ++code)
        bytes.append(static_cast<char>(code));
    return bytes;
}

} // namespace

class TestScramble : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void scrambleDropsBytesAbove193_data();
    void scrambleDropsBytesAbove193();
    void unscrambleDropsBytesBelowShift();
    void scrambledBytesNeverBelowShift();
    void windows1252_data();
    void windows1252();
    void windows1252UnmappableBecomesQuestionMark_data();
    void windows1252UnmappableBecomesQuestionMark();
    void windows1252DecodeEncodeKeepsEveryByte();
    void storedTextRoundTrip();
};

void TestScramble::roundTrip_data()
{
    QTest::addColumn<QByteArray>("text");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("date") << QByteArray("17/03/2024");
    QTest::newRow("name with blanks") << QByteArray("ANN O'NEILL-SMITH");
    QTest::newRow("birth time") << QByteArray("midnight-2am");
    QTest::newRow("control bytes") << QByteArray("a\r\nb\t\0c", 7);
    QTest::newRow("highest byte that fits") << QByteArray("\xC1");
    // Longer than a 16-bit counter could walk; must still go through whole.
    QTest::newRow("long text") << QByteArray(40000, 'x');
}

void TestScramble::roundTrip()
{
    QFETCH(QByteArray, text);

    const QByteArray scrambled = ScrambleText(text);
    QCOMPARE(scrambled.size(), text.size());
    if (!text.isEmpty())
        QVERIFY(scrambled != text);
    QCOMPARE(UnscrambleText(scrambled), text);
}

void TestScramble::scrambleDropsBytesAbove193_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("scrambled");

    QTest::newRow("ABC") << QByteArray("ABC") << QByteArray("\x7F\x80\x81");
    QTest::newRow("e acute in the middle") << QByteArray("A\xE9" "B") << QByteArray("\x7F\x80");
    QTest::newRow("first byte that overflows") << QByteArray("\xC2") << QByteArray();
    QTest::newRow("only overflowing bytes") << QByteArray("\xFF\xC2\xE0") << QByteArray();
}

void TestScramble::scrambleDropsBytesAbove193()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, scrambled);

    QCOMPARE(ScrambleText(text), scrambled);
}

void TestScramble::unscrambleDropsBytesBelowShift()
{
    // '=' (61) and CR LF cannot be lowered by 62; the rest keep their order.
    QCOMPARE(UnscrambleText(QByteArray("\x7F=\x80\r\n\x3E")), QByteArray("AB\0", 3));
    QCOMPARE(UnscrambleText(QByteArray()), QByteArray());
    QCOMPARE(UnscrambleText(allBytes()).size(), 256 - 62);
}

void TestScramble::scrambledBytesNeverBelowShift()
{
    const QByteArray scrambled = ScrambleText(allBytes());
    QCOMPARE(scrambled.size(), 256 - 62);
    for (const char c : scrambled)
        QVERIFY(static_cast<unsigned char>(c) >= kScrambleShift);
    QVERIFY(!scrambled.contains('\r'));
    QVERIFY(!scrambled.contains('\n'));
}

void TestScramble::windows1252_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("ascii") << QStringLiteral("Ann 7/3") << QByteArray("Ann 7/3");
    QTest::newRow("e acute") << QString::fromUtf16(u"Zo\u00EB \u00E9") << QByteArray("Zo\xEB \xE9");
    QTest::newRow("euro") << QString::fromUtf16(u"\u20AC5") << QByteArray("\x80" "5");
    QTest::newRow("curly quotes and dash") << QString::fromUtf16(u"\u2018\u201D\u2014") << QByteArray("\x91\x94\x97");
    QTest::newRow("OE, Z caron, Y diaeresis") << QString::fromUtf16(u"\u0152\u017D\u0178") << QByteArray("\x8C\x8E\x9F");
    QTest::newRow("trade mark") << QString::fromUtf16(u"\u2122") << QByteArray("\x99");
    QTest::newRow("undefined bytes as C1 controls")
        << QString::fromUtf16(u"\u0081\u008D\u008F\u0090\u009D") << QByteArray("\x81\x8D\x8F\x90\x9D");
    QTest::newRow("no-break space and y diaeresis") << QString::fromUtf16(u"\u00A0\u00FF") << QByteArray("\xA0\xFF");
}

void TestScramble::windows1252()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(toWindows1252(text), bytes);
    QCOMPARE(fromWindows1252(bytes), text);
}

void TestScramble::windows1252UnmappableBecomesQuestionMark_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("A macron") << QString::fromUtf16(u"\u0100") << QByteArray("?");
    QTest::newRow("C1 control whose byte is the euro") << QString::fromUtf16(u"\u0080") << QByteArray("?");
    QTest::newRow("snowman among letters") << QString::fromUtf16(u"a\u2603b") << QByteArray("a?b");
    QTest::newRow("surrogate pair is one character") << QString::fromUtf16(u"x\U0001F600y") << QByteArray("x?y");
}

void TestScramble::windows1252UnmappableBecomesQuestionMark()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    QCOMPARE(toWindows1252(text), bytes);
}

void TestScramble::windows1252DecodeEncodeKeepsEveryByte()
{
    const QString decoded = fromWindows1252(allBytes());
    QCOMPARE(decoded.size(), 256);
    QCOMPARE(toWindows1252(decoded), allBytes());
}

void TestScramble::storedTextRoundTrip()
{
    // The path a saved name takes: encode, scramble, unscramble, decode.
    const QString name = QString::fromUtf16(u"\u0152IL \u2018N\u2019 \u20AC");
    QCOMPARE(fromWindows1252(UnscrambleText(ScrambleText(toWindows1252(name)))), name);

    // Letters coded above 193 (most accented capitals) cannot be raised and are lost.
    const QString accented = QString::fromUtf16(u"REN\u00C9E");
    QCOMPARE(fromWindows1252(UnscrambleText(ScrambleText(toWindows1252(accented)))), QStringLiteral("RENE"));
}

QTEST_APPLESS_MAIN(TestScramble)
#include "tst_scramble.moc"
