// Saved reading files: five scrambled lines (name, day, month, year, time), CR LF after each.
#pragma once

#include "core/records.h"

#include <QString>
#include <QStringList>

// The suffix of a reading file, without the dot ("boa"), and the file dialogs' filter for it
// ("Corvane Body Astrology (*.boa)"), both from the product's identity.
QString readingFileSuffix();
QString readingFileFilter();

// Writes the five lines of details atomically: on failure the file that was there is untouched,
// no partial file is left, and error says why.
bool writeReadingFile(const QString& path, const BirthDetails& details, QString* error);

// Reads at most five short lines and returns their unscrambled values in values (always five,
// missing lines empty). False, with error set, when the path is not a regular file (a pipe,
// device or folder) or the file cannot be opened or read.
bool readReadingFile(const QString& path, QStringList* values, QString* error);
