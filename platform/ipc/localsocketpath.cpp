#include "ipc/localsocketpath.h"

#include "desktop/desktoppaths.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

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

// What a file of this mode is, in the words of an error message.
QString kindOf(mode_t mode)
{
    if (S_ISREG(mode))
        return QStringLiteral("a regular file");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISLNK(mode))
        return QStringLiteral("a symbolic link");
    return QStringLiteral("a device");
}

// What in the socket's place no start may clear away; empty when nothing does.
QString refusalOfPlace(const QString &path, const struct stat &place)
{
    // A folder may hold someone's files; it is never removed to make room for a socket.
    if (QFileInfo(path).isDir()) {
        const QString kind = S_ISLNK(place.st_mode) ? QStringLiteral("a symbolic link to a folder")
                                                    : QStringLiteral("a folder");
        return QStringLiteral("%1 is in the place of the socket %2").arg(kind, path);
    }
    // Another user's file is not ours to remove, even where we could.
    if (place.st_uid != ::geteuid())
        return QStringLiteral("%1 of another user (uid %2) is in the place of the socket %3")
            .arg(kindOf(place.st_mode)).arg(place.st_uid).arg(path);
    return QString();
}

// What keeps the socket from being made at path, after removing a stale socket file there; empty when
// the place is free.
QString clearPlace(const QString &path)
{
    const QByteArray nativePath = QFile::encodeName(path);
    struct stat place;
    if (::lstat(nativePath.constData(), &place) != 0) {
        const int failure = errno;
        if (failure == ENOENT)
            return QString();
        return QStringLiteral("the place of the socket %1 cannot be examined (%2)").arg(path, qt_error_string(failure));
    }
    const QString unusable = refusalOfPlace(path, place);
    if (!unusable.isEmpty())
        return unusable;
    if (LocalSocketPath::isServing(path))
        return QStringLiteral("another program already serves %1").arg(path);
    if (::unlink(nativePath.constData()) != 0) {
        const int failure = errno;
        if (failure != ENOENT)
            return QStringLiteral("%1 that nothing answers is in the place of the socket %2 and cannot be "
                                  "removed (%3)").arg(kindOf(place.st_mode), path, qt_error_string(failure));
    }
    return QString();
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

QString LocalSocketPath::unusablePlace(const QString &path)
{
    struct stat place;
    if (path.isEmpty() || ::lstat(QFile::encodeName(path).constData(), &place) != 0)
        return QString();
    return refusalOfPlace(path, place);
}

bool LocalSocketPath::removeStale(const QString &path)
{
    return clearPlace(path).isEmpty();
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
    const QString inTheWay = clearPlace(path);
    if (!inTheWay.isEmpty()) {
        setError(error, inTheWay);
        return false;
    }
    return listenAt(path, error);
}

} // namespace platform
