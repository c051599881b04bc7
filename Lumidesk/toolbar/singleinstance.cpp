#include "toolbar/singleinstance.h"

#include "toolbar/link/localserver.h"

#include "ipc/localsocketpath.h"

const char SingleInstance::AlreadyRunningText[] = "Lumidesk is already running.";

SingleInstance::SingleInstance()
    : m_socketPath(platform::LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName)))
{
}

SingleInstance::Outcome SingleInstance::claim()
{
    if (m_socketPath.isEmpty())
        return Go;
    QString reason;
    switch (m_lock.take(m_socketPath + QLatin1String(".start"), &reason)) {
    case platform::StartLock::HeldByAnother:
        return AlreadyRunning;
    case platform::StartLock::Unusable:
        return refuse(reason);
    case platform::StartLock::Taken:
        break;
    }
    // The link's place must be one this start can listen on; a stale socket file is removed then.
    const QString unusable = platform::LocalSocketPath::unusablePlace(m_socketPath);
    if (!unusable.isEmpty())
        return refuse(unusable);
    if (platform::LocalSocketPath::isServing(m_socketPath))
        return refuse(QStringLiteral("%1 is served by a program that holds no start lock, so not by Lumidesk")
                          .arg(m_socketPath));
    return Go;
}

SingleInstance::Outcome SingleInstance::refuse(const QString &reason)
{
    m_lock.release();
    m_refusal = reason;
    return Refused;
}
