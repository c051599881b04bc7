#include "telegate.h"

#include "peerowner.h"
#include "telegateframe.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>

#ifndef LUMIDESK_REMOTE_PORT
#define LUMIDESK_REMOTE_PORT 30380
#endif

Q_LOGGING_CATEGORY(lcTelegate, "lumidesk.telegate")

namespace {

QString peerName(const QAbstractSocket &client)
{
    const QString address = client.peerAddress().toString();
    const QString host = client.peerAddress().protocol() == QAbstractSocket::IPv6Protocol
            ? QStringLiteral("[%1]").arg(address)
            : address;
    return QStringLiteral("%1:%2").arg(host).arg(client.peerPort());
}

} // namespace

quint16 Telegate::defaultPort()
{
    return quint16(LUMIDESK_REMOTE_PORT);
}

QHostAddress Telegate::defaultAddress()
{
#ifdef LUMIDESK_REMOTE_LISTEN_ANY
    return QHostAddress(QHostAddress::Any);
#else
    return QHostAddress(QHostAddress::LocalHost);
#endif
}

Telegate::Telegate(QObject *parent)
    : Telegate(defaultAddress(), defaultPort(), parent)
{
}

Telegate::Telegate(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
    , m_peerUid([](const QAbstractSocket &connection) { return PeerOwner::uidOf(connection); })
{
    connect(m_server, &QTcpServer::newConnection, this, &Telegate::acceptClients);
    listen(address, port);
}

Telegate::~Telegate()
{
    // The sockets are the server's children; they go with it, and say nothing on the way.
    for (const Client &client : m_clients)
        client.socket->disconnect(this);
}

void Telegate::listen(const QHostAddress &address, quint16 port)
{
    if (m_server->listen(address, port))
        return;
    const QString refusal = m_server->errorString();
    // Another program holds the port: a free one still lets phones that pair by the code connect. That
    // is no fault, so it goes to the log only; a server that cannot listen at all is one.
    if (port != 0 && m_server->listen(address, 0)) {
        qCInfo(lcTelegate, "port %u of %s is taken (%s): listening on port %u instead", unsigned(port),
               qUtf8Printable(address.toString()), qUtf8Printable(refusal), unsigned(m_server->serverPort()));
        return;
    }
    qCWarning(lcTelegate, "cannot listen on %s:%u: %s", qUtf8Printable(address.toString()), unsigned(port),
              qUtf8Printable(refusal));
}

bool Telegate::isListening() const
{
    return m_server->isListening();
}

QHostAddress Telegate::serverAddress() const
{
    return m_server->serverAddress();
}

quint16 Telegate::serverPort() const
{
    return m_server->isListening() ? m_server->serverPort() : 0;
}

void Telegate::acceptClients()
{
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        if (!isOwnUsersPeer(*client)) {
            client->abort();
            client->deleteLater();
            continue;
        }
        if (int(m_clients.size()) >= MaxClients)
            makeRoom();
        addClient(client);
        // It may have written before we looked.
        readFrames(client);
    }
}

bool Telegate::isOwnUsersPeer(const QTcpSocket &client) const
{
    if (!m_server->serverAddress().isLoopback())
        return true;
    const std::optional<uint> owner = m_peerUid ? m_peerUid(client) : std::nullopt;
    const uint us = PeerOwner::currentUid();
    if (owner == us)
        return true;
    const QString peer = peerName(client);
    if (owner)
        qCWarning(lcTelegate, "refused the connection from %s: it belongs to user %u, not to user %u who runs this",
                  qUtf8Printable(peer), *owner, us);
    else
        qCWarning(lcTelegate, "refused the connection from %s: the user it belongs to cannot be found",
                  qUtf8Printable(peer));
    return false;
}

void Telegate::addClient(QTcpSocket *client)
{
    m_clients.push_back({client, ++m_heardCount, false});
    connect(client, &QTcpSocket::readyRead, this, [this, client] { readFrames(client); });
    connect(client, &QTcpSocket::disconnected, this, [this, client] { forgetClient(client); });
    QTimer::singleShot(m_firstFrameTimeout, Qt::PreciseTimer, client, [this, client] { closeIfStillQuiet(client); });
    qCInfo(lcTelegate, "phone connected from %s", qUtf8Printable(peerName(*client)));
    emit clientCountChanged(clientCount());
}

void Telegate::makeRoom()
{
    // A connection that never sent a command is no phone yet, and is closed first; a phone that stays
    // quiet for a while is still one.
    const auto quieter = [](const Client &a, const Client &b) {
        return std::make_pair(a.sentCommand, a.lastHeard) < std::make_pair(b.sentCommand, b.lastHeard);
    };
    const auto quietest = std::min_element(m_clients.begin(), m_clients.end(), quieter);
    if (quietest == m_clients.end())
        return;
    dropClient(quietest->socket, quietest->sentCommand ? "room for a further phone: this one was silent longest"
                                                       : "room for a further phone: this one sent no command");
}

void Telegate::readFrames(QTcpSocket *socket)
{
    QPointer<Telegate> self(this);
    QPointer<QTcpSocket> client(socket);
    while (self && client && findClient(client) && client->bytesAvailable() >= TelegateFrame::HeaderSize) {
        char header[TelegateFrame::HeaderSize];
        if (client->peek(header, sizeof header) != sizeof header)
            return;
        quint32 id = 0;
        quint32 length = 0;
        switch (TelegateFrame::readHeader(header, &id, &length)) {
        case TelegateFrame::TooLarge:
            dropClient(client, "a frame over 64 KiB");
            return;
        case TelegateFrame::NotACommand:
            dropClient(client, "a frame that is not a command");
            return;
        case TelegateFrame::Valid:
            break;
        }
        if (client->bytesAvailable() < TelegateFrame::HeaderSize + qint64(length))
            return; // the rest is on its way
        client->skip(TelegateFrame::HeaderSize);
        const QByteArray payload = client->read(length);
        heardFrom(client);
        emit fromClientCmd(id, payload);
    }
}

void Telegate::heardFrom(QTcpSocket *client)
{
    if (Client *known = findClient(client)) {
        known->lastHeard = ++m_heardCount;
        known->sentCommand = true;
    }
}

void Telegate::closeIfStillQuiet(QTcpSocket *client)
{
    const Client *known = findClient(client);
    if (known && !known->sentCommand)
        dropClient(client, "no command came after it connected");
}

Telegate::Client *Telegate::findClient(const QTcpSocket *client)
{
    const auto found = std::find_if(m_clients.begin(), m_clients.end(),
                                    [client](const Client &known) { return known.socket == client; });
    return found == m_clients.end() ? nullptr : &*found;
}

int Telegate::sendDataToClient(unsigned id, QByteArray payload)
{
    const QByteArray frame = TelegateFrame::encode(id, payload);
    int sent = 0;
    std::vector<QTcpSocket *> clients;
    for (const Client &client : m_clients)
        clients.push_back(client.socket);
    for (QTcpSocket *client : clients) {
        if (client->bytesToWrite() + frame.size() > MaxBacklog) {
            dropClient(client, "it stopped reading");
            continue;
        }
        client->write(frame);
        ++sent;
    }
    return sent;
}

void Telegate::dropClient(QTcpSocket *client, const char *reason)
{
    qCWarning(lcTelegate, "closing the phone at %s: %s", qUtf8Printable(peerName(*client)), reason);
    forgetClient(client);
    client->abort();
}

void Telegate::forgetClient(QTcpSocket *client)
{
    const auto known = std::find_if(m_clients.begin(), m_clients.end(),
                                    [client](const Client &c) { return c.socket == client; });
    if (known == m_clients.end())
        return;
    m_clients.erase(known);
    client->disconnect(this);
    client->deleteLater();
    emit clientCountChanged(clientCount());
}
