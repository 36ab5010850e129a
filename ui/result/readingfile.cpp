// Placeholder until reading files are built.
#include "readingfile.h"
bool writeReadingFile(const QString&, const BirthDetails&, QString* error) { if (error) *error = QStringLiteral("not built"); return false; }
bool readReadingFile(const QString&, QStringList*, QString* error) { if (error) *error = QStringLiteral("not built"); return false; }
void saveReadingAs(const BirthDetails&, Platform&, QWidget*) {}
