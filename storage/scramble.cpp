#include "storage/scramble.h"

namespace {

// Code points of the bytes 0x80..0x9F in Windows-1252. The five bytes the code page leaves
// undefined map to the C1 control of the same value, as Windows itself converts them.
const char16_t kHighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// The Windows-1252 byte for one UTF-16 unit, or '?' when the code page has none.
char encodeUnit(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < 32; ++i) {
        if (kHighControlRange[i] == unit)
            return static_cast<char>(0x80 + i);
    }
    return '?';
}

} // namespace

QByteArray ScrambleText(const QByteArray& text)
{
    QByteArray result;
    result.reserve(text.size());
    for (const char c : text) {
        const int code = static_cast<unsigned char>(c) + kScrambleShift;
        if (code <= 255)
            result.append(static_cast<char>(code));
    }
    return result;
}

QByteArray UnscrambleText(const QByteArray& text)
{
    QByteArray result;
    result.reserve(text.size());
    for (const char c : text) {
        const int code = static_cast<unsigned char>(c) - kScrambleShift;
        if (code >= 0)
            result.append(static_cast<char>(code));
    }
    return result;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text.at(i);
        if (ch.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            // A character outside the Basic Multilingual Plane is one character, so one '?'.
            result.append('?');
            ++i;
            continue;
        }
        result.append(encodeUnit(ch.unicode()));
    }
    return result;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString result;
    result.reserve(bytes.size());
    for (const char c : bytes) {
        const unsigned char code = static_cast<unsigned char>(c);
        if (code >= 0x80 && code <= 0x9F)
            result.append(QChar(kHighControlRange[code - 0x80]));
        else
            result.append(QChar(static_cast<char16_t>(code)));
    }
    return result;
}
