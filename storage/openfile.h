// Opening a file that should hold a reading, safely whatever the path turns out to be.
#pragma once

#include <QString>

class QFile;

// Opens path read-only into file (which must not be open yet), but only when what was opened is
// a regular file; otherwise false, with error set. On Unix the type is checked on the opened
// file itself, so nothing can be swapped in between, and the open does not wait for a pipe's
// writer or a device.
bool openRegularFile(QFile& file, const QString& path, QString* error);
