#pragma once

#include "telegateglobal.h"

#include <optional>

class QAbstractSocket;

// Who owns the far end of a TCP connection made on this computer: the user id the kernel keeps for the
// peer's socket. The remote-control server uses it to serve only programs of the user who runs it.
//
// The kernel is asked for the one socket directly (sock_diag); where that is unavailable, its socket
// tables under /proc/net are read instead. A peer that is gone, or in its last wait after closing,
// has no owner any more: the answer is then empty, as for a peer on another computer.
class TELEGATE_EXPORT PeerOwner
{
public:
    enum Method {
        SocketDiagnostics,
        SocketTables
    };

    // The owner of the connection's far end, asking the kernel directly first.
    static std::optional<uint> uidOf(const QAbstractSocket &connection);
    // The same through one method only.
    static std::optional<uint> uidOf(const QAbstractSocket &connection, Method method);
    // The user whose sockets this process makes.
    static uint currentUid();

private:
    PeerOwner() = delete;
};
