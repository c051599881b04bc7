#include "peerowner.h"

#include <QAbstractSocket>
#include <QFile>
#include <QHostAddress>
#include <QList>
#include <QtEndian>

#include <array>
#include <cerrno>
#include <cstring>

#include <linux/inet_diag.h>
#include <linux/netlink.h>
#include <linux/sock_diag.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// One end of a TCP connection as the kernel files it: an IPv4 address (also one an IPv6 socket carries
// mapped) or an IPv6 one, in network order.
struct Endpoint
{
    int family = AF_UNSPEC;
    std::array<quint8, 16> address{};
    quint16 port = 0;

    int addressSize() const { return family == AF_INET ? 4 : 16; }
};

Endpoint endpointOf(const QHostAddress &address, quint16 port)
{
    Endpoint endpoint;
    endpoint.port = port;
    if (address.protocol() == QAbstractSocket::IPv4Protocol) {
        endpoint.family = AF_INET;
        qToBigEndian<quint32>(address.toIPv4Address(), endpoint.address.data());
        return endpoint;
    }
    if (address.protocol() != QAbstractSocket::IPv6Protocol)
        return endpoint;
    const Q_IPV6ADDR bytes = address.toIPv6Address();
    static constexpr quint8 mappedPrefix[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::memcmp(bytes.c, mappedPrefix, sizeof mappedPrefix) == 0) {
        endpoint.family = AF_INET;
        std::memcpy(endpoint.address.data(), bytes.c + 12, 4);
    } else {
        endpoint.family = AF_INET6;
        std::memcpy(endpoint.address.data(), bytes.c, 16);
    }
    return endpoint;
}

// States in which a socket still belongs to the program that made it. A socket in its last wait after
// closing, or a connection not yet accepted, is filed with no owner (uid 0), which is no answer.
bool hasOwner(int state)
{
    switch (state) {
    case TCP_ESTABLISHED:
    case TCP_FIN_WAIT1:
    case TCP_FIN_WAIT2:
    case TCP_CLOSE_WAIT:
    case TCP_LAST_ACK:
    case TCP_CLOSING:
        return true;
    default:
        return false;
    }
}

class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// Asks the kernel for the one socket whose own end is mine and whose far end is theirs.
std::optional<uint> askSocketDiagnostics(const Endpoint &mine, const Endpoint &theirs)
{
    const Descriptor netlink(::socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_SOCK_DIAG));
    if (netlink.fd() < 0)
        return std::nullopt;

    struct
    {
        nlmsghdr header;
        inet_diag_req_v2 body;
    } request;
    std::memset(&request, 0, sizeof request);
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = SOCK_DIAG_BY_FAMILY;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.body.sdiag_family = quint8(mine.family);
    request.body.sdiag_protocol = IPPROTO_TCP;
    request.body.idiag_states = ~0u;
    request.body.id.idiag_sport = qToBigEndian(mine.port);
    request.body.id.idiag_dport = qToBigEndian(theirs.port);
    std::memcpy(request.body.id.idiag_src, mine.address.data(), size_t(mine.addressSize()));
    std::memcpy(request.body.id.idiag_dst, theirs.address.data(), size_t(theirs.addressSize()));
    request.body.id.idiag_cookie[0] = INET_DIAG_NOCOOKIE;
    request.body.id.idiag_cookie[1] = INET_DIAG_NOCOOKIE;

    sockaddr_nl kernel;
    std::memset(&kernel, 0, sizeof kernel);
    kernel.nl_family = AF_NETLINK;
    if (::sendto(netlink.fd(), &request, sizeof request, 0, reinterpret_cast<const sockaddr *>(&kernel),
                 sizeof kernel) != ssize_t(sizeof request))
        return std::nullopt;

    // The kernel has queued its answer to a single lookup by the time sendto returns; the limit only
    // keeps a kernel that does otherwise from holding the caller.
    const timeval limit{1, 0};
    ::setsockopt(netlink.fd(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    alignas(nlmsghdr) char reply[8192];
    ssize_t size = -1;
    do {
        size = ::recv(netlink.fd(), reply, sizeof reply, 0);
    } while (size < 0 && errno == EINTR);

    // The answer is one message: the socket, or an error (none such, or no lookup in this kernel).
    nlmsghdr header;
    inet_diag_msg found;
    if (size < ssize_t(NLMSG_LENGTH(sizeof found)))
        return std::nullopt;
    std::memcpy(&header, reply, sizeof header);
    if (header.nlmsg_type != SOCK_DIAG_BY_FAMILY || header.nlmsg_len < NLMSG_LENGTH(sizeof found)
        || header.nlmsg_len > size_t(size))
        return std::nullopt;
    std::memcpy(&found, reply + NLMSG_HDRLEN, sizeof found);
    if (found.id.idiag_sport != request.body.id.idiag_sport || found.id.idiag_dport != request.body.id.idiag_dport
        || !hasOwner(found.idiag_state))
        return std::nullopt;
    return found.idiag_uid;
}

// An address and port as the socket tables print them: the address in 32-bit words, each printed as
// the number its bytes make in this machine's order, then the port.
QByteArray tableEntry(const quint8 *address, int size, quint16 port)
{
    QByteArray entry;
    for (int offset = 0; offset < size; offset += 4) {
        quint32 word = 0;
        std::memcpy(&word, address + offset, 4);
        entry += QByteArray::number(word, 16).toUpper().rightJustified(8, '0');
    }
    return entry + ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
}

// Columns of a line: "sl local_address rem_address st tx_queue:rx_queue tr:when retrnsmt uid ...".
std::optional<uint> findInTable(const QString &path, const QByteArray &local, const QByteArray &remote)
{
    QFile table(path);
    if (!table.open(QIODevice::ReadOnly))
        return std::nullopt;
    table.readLine(); // the column titles
    while (!table.atEnd()) {
        const QList<QByteArray> columns = table.readLine().simplified().split(' ');
        if (columns.size() < 8 || columns.at(1) != local || columns.at(2) != remote)
            continue;
        bool stateRead = false;
        bool uidRead = false;
        const int state = columns.at(3).toInt(&stateRead, 16);
        const uint uid = columns.at(7).toUInt(&uidRead);
        if (stateRead && uidRead && hasOwner(state))
            return uid;
    }
    return std::nullopt;
}

std::optional<uint> readSocketTables(const Endpoint &mine, const Endpoint &theirs)
{
    if (mine.family == AF_INET) {
        const auto found = findInTable(QStringLiteral("/proc/net/tcp"),
                                       tableEntry(mine.address.data(), 4, mine.port),
                                       tableEntry(theirs.address.data(), 4, theirs.port));
        if (found)
            return found;
    }
    // An IPv6 socket may carry an IPv4 connection, filed under the mapped addresses.
    const auto asIPv6 = [](const Endpoint &endpoint) {
        std::array<quint8, 16> address{};
        if (endpoint.family == AF_INET6)
            return endpoint.address;
        address[10] = address[11] = 0xff;
        std::memcpy(address.data() + 12, endpoint.address.data(), 4);
        return address;
    };
    return findInTable(QStringLiteral("/proc/net/tcp6"), tableEntry(asIPv6(mine).data(), 16, mine.port),
                       tableEntry(asIPv6(theirs).data(), 16, theirs.port));
}

} // namespace

std::optional<uint> PeerOwner::uidOf(const QAbstractSocket &connection)
{
    if (const auto uid = uidOf(connection, SocketDiagnostics))
        return uid;
    return uidOf(connection, SocketTables);
}

std::optional<uint> PeerOwner::uidOf(const QAbstractSocket &connection, Method method)
{
    if (connection.state() != QAbstractSocket::ConnectedState)
        return std::nullopt;
    // The far socket's own end is our peer, its far end is us.
    const Endpoint theirOwnEnd = endpointOf(connection.peerAddress(), connection.peerPort());
    const Endpoint ourEnd = endpointOf(connection.localAddress(), connection.localPort());
    if (theirOwnEnd.family == AF_UNSPEC || theirOwnEnd.family != ourEnd.family)
        return std::nullopt;
    return method == SocketDiagnostics ? askSocketDiagnostics(theirOwnEnd, ourEnd)
                                       : readSocketTables(theirOwnEnd, ourEnd);
}

uint PeerOwner::currentUid()
{
    return ::geteuid();
}
