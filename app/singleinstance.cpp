#include "app/singleinstance.h"

#include <QFile>
#include <QFileInfo>

namespace {

// How long a second copy waits for a copy that is starting at the same moment to finish
// writing its lock, so that an empty lock just made is not taken for an abandoned one.
constexpr int kStartingCopyMs = 100;

} // namespace

SingleInstance::SingleInstance(const QString& lockPath)
    : m_lock(lockPath)
{
    // A lock never goes stale by age, only when the copy that took it is no longer running,
    // so a copy that crashed or was killed does not keep the next one out.
    m_lock.setStaleLockTime(0);
    if (m_lock.tryLock(kStartingCopyMs))
        return;
    // No lock can be made here at all (a folder we cannot write to): that must not stop the
    // program from starting.
    if (m_lock.error() != QLockFile::LockFailedError)
        return;

    // The lock is there and QLockFile would not take it over: a running copy holds it, or its
    // content names no running process it can check, or it is not ours to replace. Only the
    // first means another copy is running.
    const QFileInfo existing(lockPath);
    if (!existing.isFile() || !existing.isWritable()) {
        // No copy run by this user can have made it, so it proves nothing; the folder is the
        // user's own, so it may go (on Windows a read-only file must be made writable first).
        // If it cannot, the program runs without the lock.
        QFile::setPermissions(lockPath, QFile::ReadOwner | QFile::WriteOwner);
        QFile::remove(lockPath);
        m_lock.tryLock(0);
        return;
    }
    // A running copy keeps its lock file natively locked, so removing the file succeeds
    // exactly when the copy that made it has gone.
    if (m_lock.removeStaleLockFile() && m_lock.tryLock(0))
        return;
    m_onlyInstance = false;
}
