#include "ipc/localsocketpath.h"

#include "desktop/desktoppaths.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace platform {

namespace {

// Connecting to a local socket completes at once when a server listens; the wait only matters when a
// busy server's backlog is full, and then the socket counts as in use.
const int ConnectTimeoutMs = 250;

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

QString LocalSocketPath::fullPath(const QString &name)
{
    const QString folder = DesktopPaths::runtimeFolder();
    if (folder.isEmpty() || name.isEmpty())
        return QString();
    return folder + QLatin1Char('/') + name;
}

bool LocalSocketPath::isServing(const QString &path)
{
    if (path.isEmpty())
        return false;
    QLocalSocket probe;
    probe.connectToServer(path);
    const bool connected = probe.state() == QLocalSocket::ConnectedState
                           || probe.waitForConnected(ConnectTimeoutMs);
    if (connected)
        probe.abort();
    return connected;
}

bool LocalSocketPath::removeStale(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isDir() || isServing(path))
        return false;
    return QLocalServer::removeServer(path);
}

bool LocalSocketPath::listen(QLocalServer *server, const QString &name, QString *error)
{
    return claim(name, [server](const QString &path, QString *error) {
        server->setSocketOptions(QLocalServer::UserAccessOption);
        if (server->listen(path))
            return true;
        setError(error, server->errorString());
        return false;
    }, error);
}

bool LocalSocketPath::claim(const QString &name, const ListenAt &listenAt, QString *error)
{
    const QString path = fullPath(name);
    if (path.isEmpty()) {
        setError(error, QStringLiteral("no private runtime folder for the socket %1").arg(name));
        return false;
    }

    // Two programs starting at once must not both find the name free and then remove each other's
    // fresh socket: the check, the removal and the listen happen under one lock.
    QLockFile lock(path + QStringLiteral(".lock"));
    if (!lock.tryLock(2000)) {
        setError(error, QStringLiteral("the socket %1 is locked by another start").arg(path));
        return false;
    }
    if (!removeStale(path)) {
        setError(error, QStringLiteral("another program already serves %1").arg(path));
        return false;
    }
    return listenAt(path, error);
}

} // namespace platform
