// The fixed character shift applied to everything the program stores outside itself.
#pragma once

#include <QByteArray>
#include <QString>

constexpr int kScrambleShift = 62;

// Each byte raised by the shift; bytes that would pass 255 are left out.
QByteArray ScrambleText(const QByteArray& text);
// Each byte lowered by the shift; bytes that would fall below 0 are left out.
QByteArray UnscrambleText(const QByteArray& text);

// Windows-1252, the code page the program's files and setting use; characters with no
// Windows-1252 code become '?'.
QByteArray toWindows1252(const QString& text);
QString fromWindows1252(const QByteArray& bytes);
