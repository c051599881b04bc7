#pragma once

#include "telegateglobal.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>

#include <functional>
#include <optional>
#include <vector>

class QAbstractSocket;
class QTcpServer;
class QTcpSocket;

// The phone remote-control server. Phones connect over TCP and exchange frames of TelegateFrame:
// each frame a phone sends becomes one fromClientCmd(); sendDataToClient() sends one frame to every
// phone connected.
//
// The protocol carries no authentication, so by default the server listens on 127.0.0.1 only; the
// build setting LUMIDESK_REMOTE_LISTEN_ANY opens it to the network. Its port is the build setting
// LUMIDESK_REMOTE_PORT; when another program holds that port the server takes any free one, so
// serverPort() is the one to tell a phone (the pairing code carries it).
//
// On the loopback interface every program of the computer can connect, so there only programs of the
// user who runs the server are served; others are refused as they connect. Peers on the network (with
// LUMIDESK_REMOTE_LISTEN_ANY) are served whoever they are, as the protocol has no way to tell.
//
// A client that sends a frame over 64 KiB, or a frame that is not a command, is closed; so is one that
// stops reading while messages pile up for it, and one that has not sent a whole command within
// firstFrameTimeout() of connecting. At most MaxClients phones are served at a time: when a further
// one connects, the client silent longest makes room, one that never sent a command before one that
// did. None of this touches the other clients.
class TELEGATE_EXPORT Telegate : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxClients = 8;
    // Unsent bytes a client may fall behind by before it is given up.
    static constexpr qint64 MaxBacklog = 16 * 1024 * 1024;
    // A phone sends its greeting as it connects; a connection quiet for this long is no phone.
    static constexpr int DefaultFirstFrameTimeout = 5000;

    // The user id owning the far end of a connection; empty when none can be found.
    using PeerUidLookup = std::function<std::optional<uint>(const QAbstractSocket &connection)>;

    // The build settings.
    static quint16 defaultPort();
    static QHostAddress defaultAddress();

    // Listens at the build settings' address and port.
    explicit Telegate(QObject *parent = nullptr);
    // Listens at the given address and port (0: any free port).
    Telegate(const QHostAddress &address, quint16 port, QObject *parent = nullptr);
    ~Telegate() override;

    bool isListening() const;
    QHostAddress serverAddress() const;
    // The port phones reach the server on; 0 when it is not listening.
    quint16 serverPort() const;
    int clientCount() const { return int(m_clients.size()); }

    // Milliseconds a client has, from connecting, to send its first whole command; for clients
    // connecting from now on.
    int firstFrameTimeout() const { return m_firstFrameTimeout; }
    void setFirstFrameTimeout(int msecs) { m_firstFrameTimeout = msecs; }
    // How the owner of a loopback peer is found (PeerOwner::uidOf unless replaced).
    void setPeerUidLookup(PeerUidLookup lookup) { m_peerUid = std::move(lookup); }

    // Sends one message to every phone connected; returns how many it went to.
    int sendDataToClient(unsigned id, QByteArray payload);

signals:
    void fromClientCmd(unsigned id, QByteArray payload);
    void clientCountChanged(int count);

private:
    struct Client
    {
        QTcpSocket *socket = nullptr;
        // When the client was last heard from (connected or sent a command), as a running count.
        quint64 lastHeard = 0;
        bool sentCommand = false;
    };

    void listen(const QHostAddress &address, quint16 port);
    void acceptClients();
    bool isOwnUsersPeer(const QTcpSocket &client) const;
    void addClient(QTcpSocket *client);
    void makeRoom();
    void readFrames(QTcpSocket *client);
    void heardFrom(QTcpSocket *client);
    void closeIfStillQuiet(QTcpSocket *client);
    Client *findClient(const QTcpSocket *client);
    void dropClient(QTcpSocket *client, const char *reason);
    void forgetClient(QTcpSocket *client);

    QTcpServer *m_server;
    std::vector<Client> m_clients;
    quint64 m_heardCount = 0;
    int m_firstFrameTimeout = DefaultFirstFrameTimeout;
    PeerUidLookup m_peerUid;
};
