#include "storage/openfile.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool refuse(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool openRegularFile(QFile& file, const QString& path, QString* error)
{
    // Without O_NONBLOCK a pipe would hold the window in open() until some program writes to
    // it; O_NOCTTY keeps a terminal device from becoming the program's controlling terminal.
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return refuse(error, qt_error_string(errno));

    // What was opened, not what the path named a moment before.
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return refuse(error, QStringLiteral("Not a regular file"));
    }
    // Back to ordinary reads.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        const int cause = errno;
        ::close(fd);
        return refuse(error, qt_error_string(cause));
    }
    // A read-only open of a descriptor fails only before QFile takes it, so it is closed here then.
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refuse(error, file.errorString());
    }
    return true;
}
