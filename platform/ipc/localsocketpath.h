#pragma once

#include <QString>

#include <functional>

class QLocalServer;

namespace platform {

// Where the programs' local sockets live and how a server takes its name.
//
// Sockets go into the user's private runtime folder ($XDG_RUNTIME_DIR), so another user can neither
// take a name nor connect to it. A socket file is only removed after a connection attempt to it has
// failed: a file left by a crashed run never blocks the next start, and a running program keeps its
// name when a second copy starts.
class LocalSocketPath
{
public:
    // The full path of the socket called name, or an empty string when the user has no private
    // runtime folder.
    static QString fullPath(const QString &name);

    // True when a server accepts connections at the full path.
    static bool isServing(const QString &path);

    // What lies in the place of the socket at the full path that no start may clear away (a folder,
    // a file of another user); empty when the place is free or holds only a socket file of ours.
    static QString unusablePlace(const QString &path);

    // Removes the socket file at the full path when nothing accepts connections there. Returns true
    // when no file is left behind (there was none, or it was stale and is gone).
    static bool removeStale(const QString &path);

    // Makes server listen on the socket called name, restricted to the current user. Fails, with a
    // reason in error, when another server already serves the name or the socket cannot be made; the
    // reason says what is in the socket's place (a server that answers, a folder, a file that cannot
    // be removed).
    static bool listen(QLocalServer *server, const QString &name, QString *error = nullptr);

    // The name-taking rule behind listen for any kind of server: under a lock shared by every start,
    // fails when another server serves the name, removes a stale socket file, then calls
    // listenAt(full path, error), whose result it returns.
    using ListenAt = std::function<bool(const QString &path, QString *error)>;
    static bool claim(const QString &name, const ListenAt &listenAt, QString *error = nullptr);

private:
    LocalSocketPath() = delete;
};

} // namespace platform
