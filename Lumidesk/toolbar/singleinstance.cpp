#include "toolbar/singleinstance.h"

#include "toolbar/link/localserver.h"

#include "ipc/localsocketpath.h"

#include <QLockFile>

const char SingleInstance::AlreadyRunningText[] = "Lumidesk is already running.";

SingleInstance::SingleInstance()
    : m_socketPath(platform::LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName)))
{
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::claim()
{
    if (m_socketPath.isEmpty())
        return true;
    m_lock = std::make_unique<QLockFile>(m_socketPath + QLatin1String(".start"));
    // A start may take long on a slow machine; the lock is stale only when its holder is gone.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        // Held by a start that is still going on: that one is the Lumidesk of this user. A lock that
        // cannot be made at all says nothing of others; the socket still does.
        const bool heldByAnother = m_lock->error() == QLockFile::LockFailedError;
        m_lock.reset();
        if (heldByAnother)
            return false;
    }
    if (platform::LocalSocketPath::isServing(m_socketPath)) {
        release();
        return false;
    }
    return true;
}

void SingleInstance::release()
{
    m_lock.reset();
}
