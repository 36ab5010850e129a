#include "app/singleinstance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>

namespace {

QString userName()
{
    for (const char* variable : {"USER", "USERNAME", "LOGNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    // No name to go by: the home folder tells users apart as well.
    return QString::fromLatin1(
        QCryptographicHash::hash(QDir::homePath().toUtf8(), QCryptographicHash::Sha1).toHex().left(12));
}

} // namespace

SingleInstance::SingleInstance(const QString& lockPath)
    : m_lock(lockPath)
{
    // A lock never goes stale by age, only when the copy that took it is no longer running,
    // so a copy that crashed or was killed does not keep the next one out.
    m_lock.setStaleLockTime(0);
    if (!m_lock.tryLock(0)) {
        // Only a lock held by a live copy counts; a folder we cannot write to must not stop
        // the program from starting.
        m_onlyInstance = m_lock.error() != QLockFile::LockFailedError;
    }
}

QString SingleInstance::defaultLockPath()
{
    return QDir(QDir::tempPath())
        .filePath(QStringLiteral("%1-%2.lock").arg(QCoreApplication::applicationName(), userName()));
}
