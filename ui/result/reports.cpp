#include "ui/result/reports.h"

#include "core/zodiac.h"

#include <QColor>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVector>

namespace {

const QColor kDarkRed(128, 0, 0);
const QColor kBlack(0, 0, 0);
const QColor kDarkBlue(0, 0, 128);
// The catalogue's line break; the cursor turns each into one paragraph break.
const QString kCrLf = QStringLiteral("\r\n");

struct Piece {
    QString text;
    bool bold;
    QColor colour;
    bool underline;
};

// The thirteen pieces of one sign's reading. The two layouts differ only in whether the
// planet is bold and in how the block ends.
QVector<Piece> signPieces(const QString& planetHeading, const CatalogueFields& fields, bool boldPlanet)
{
    const QString paragraphEnd = kCrLf + kCrLf;
    return {
        {planetHeading, true, kDarkRed, false},
        {QString::fromStdString(fields.RulingPlanet) + paragraphEnd, boldPlanet, kBlack, false},
        {QStringLiteral("Health Issues") + paragraphEnd, true, kDarkBlue, true},
        {QStringLiteral("Part of the Body/Glands :-") + kCrLf, true, kDarkRed, false},
        {QString::fromStdString(fields.BodyParts) + paragraphEnd, false, kBlack, false},
        {QStringLiteral("Tendency To Illness :-") + kCrLf, true, kDarkRed, false},
        {QString::fromStdString(fields.IllnessTendency) + paragraphEnd, false, kBlack, false},
        {QStringLiteral("Diet Tips :-") + kCrLf, true, kDarkRed, false},
        {QString::fromStdString(fields.DietTips) + paragraphEnd, false, kBlack, false},
        // "Heath" is how the heading has always read; saved printouts and users expect it.
        {QStringLiteral("Heath Tips :-") + kCrLf, true, kDarkRed, false},
        {QString::fromStdString(fields.HealthTips) + paragraphEnd, false, kBlack, false},
        {QStringLiteral("Erogenous Zone :-") + kCrLf, true, kDarkRed, false},
        {QString::fromStdString(fields.ErogenousZone) + paragraphEnd, false, kBlack, false},
    };
}

// Inserts at the end of the box, each piece with the attributes of the insertion point set just
// before it. Attributes not touched by a piece (face, and size once set) carry on to the next,
// as they do at a text box's insertion point.
class Appender {
public:
    explicit Appender(QTextEdit& box)
        : m_box(box)
        , m_cursor(box.document())
        , m_caret(box.textCursor().position())
    {
        m_cursor.movePosition(QTextCursor::End);
        m_format = m_cursor.charFormat();
    }

    ~Appender()
    {
        // Text inserted at the caret pushes it along; put it back so the box is read from
        // where it was (the top, for a report that fills an empty box).
        QTextCursor caret = m_box.textCursor();
        caret.setPosition(m_caret);
        m_box.setTextCursor(caret);
    }

    void setPointSize(qreal size) { m_format.setFontPointSize(size); }

    void append(const QVector<Piece>& pieces)
    {
        for (const Piece& piece : pieces) {
            m_format.setFontWeight(piece.bold ? QFont::Bold : QFont::Normal);
            m_format.setForeground(piece.colour);
            m_format.setFontUnderline(piece.underline);
            m_cursor.insertText(piece.text, m_format);
        }
    }

private:
    QTextEdit& m_box;
    QTextCursor m_cursor;
    const int m_caret;
    QTextCharFormat m_format;
};

} // namespace

void appendSignReport(QTextEdit& box, const QString& planetHeading, const CatalogueFields& fields)
{
    Appender(box).append(signPieces(planetHeading, fields, false));
}

void appendPrintableReport(QTextEdit& box, Records& records)
{
    const SignResults& signs = records.signResults;
    // The printed headings differ slightly from the on-screen ones (trailing blank, "Ascendent").
    const struct {
        const std::string& sign;
        QString heading;
        bool extraBreak;
    } blocks[] = {
        {signs.Sun, QStringLiteral("Ruling Planet for your Sun Sign is :- "), true},
        {signs.Opposite, QStringLiteral("Ruling Planet for your Opposite Sign is :- "), true},
        {signs.Ascending, QStringLiteral("Ruling Planet for your Ascendent Sign is :-"), false},
    };

    Appender appender(box);
    appender.setPointSize(12);
    for (const auto& block : blocks) {
        LookUpBodyAstrology(records.catalogueFields, block.sign);
        QVector<Piece> pieces = signPieces(block.heading, records.catalogueFields, true);
        if (block.extraBreak)
            pieces.last().text += kCrLf;
        appender.append(pieces);
    }
}

QString sunPlanetHeading()
{
    return QStringLiteral("Ruling Planet for your Sun Sign is :-");
}

QString oppositePlanetHeading()
{
    return QStringLiteral("Ruling Planet for your Opposite Sign is :-");
}

QString ascendantPlanetHeading()
{
    return QStringLiteral("Ruling Planet for your Ascendant Sign is :-");
}
