#include "storage/openfile.h"

#include <QFile>
#include <QFileInfo>

bool openRegularFile(QFile& file, const QString& path, QString* error)
{
    // Opening a pipe or device here does not block as it does on Unix; folders and devices are
    // still no reading, so only regular files are opened.
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        if (error)
            *error = QStringLiteral("Not a regular file");
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}
