// Placeholder until scrambling is built.
#include "scramble.h"
QByteArray ScrambleText(const QByteArray& text) { return text; }
QByteArray UnscrambleText(const QByteArray& text) { return text; }
QByteArray toWindows1252(const QString& text) { return text.toLatin1(); }
QString fromWindows1252(const QByteArray& bytes) { return QString::fromLatin1(bytes); }
