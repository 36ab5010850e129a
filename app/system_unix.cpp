#include "app/system.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

#include <cstdio>

#include <sys/socket.h>
#include <sys/types.h>
#include <unistd.h>

// Libraries, the setting and the running program are found as the system always finds them.
void restrictLibrarySearch() {}
void choosePortableStorage() {}

QString instanceLockPath()
{
    const QString program = QCoreApplication::applicationName();
    // The user's private runtime folder (mode 0700): no other user can put a file there first,
    // and neither TMPDIR nor USER moves it. Without XDG_RUNTIME_DIR Qt would make one under
    // TMPDIR, so the per-user data folder is used instead.
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
        if (!folder.isEmpty())
            return QDir(folder).filePath(program + QStringLiteral(".lock"));
    }
    // The data folder may be shared between machines (a network home), so each machine has
    // its own lock there.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    QDir().mkpath(folder);
    return QDir(folder).filePath(QStringLiteral("%1-%2.lock").arg(program, QSysInfo::machineHostName()));
}

QString handOverServerName()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir::isAbsolutePath(folder))
        return QString();
    return QDir(folder).filePath(QCoreApplication::applicationName() + QStringLiteral(".socket"));
}

bool handOverPeerSharesUserSessionIntegrity(qintptr descriptor)
{
    const int fd = static_cast<int>(descriptor);
#if defined(SO_PEERCRED)
    struct ucred peer {};
    socklen_t size = sizeof(peer);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::geteuid();
#else
    uid_t uid = 0;
    gid_t gid = 0;
    return ::getpeereid(fd, &uid, &gid) == 0 && uid == ::geteuid();
#endif
}

void prepareCommandLineOutput()
{
    // A terminal program already has its standard output and error.
}

void showCommandLineError(const QString& text)
{
    std::fputs(qPrintable(text), stderr);
}
