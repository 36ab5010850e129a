// Only one copy of the program runs for a user: the first copy holds a lock file for as long as
// it runs; a later copy finds it taken.
#pragma once

#include "app/system.h"

#include <QLockFile>
#include <QString>

class SingleInstance {
public:
    explicit SingleInstance(const QString& lockPath = instanceLockPath());

    // True when no other copy holds the lock; this copy then holds it until it ends.
    bool isOnlyInstance() const { return m_onlyInstance; }

private:
    QLockFile m_lock;
    bool m_onlyInstance = true;
};
