#include "telegate.h"

#include "telegateframe.h"

#include <QLoggingCategory>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#ifndef LUMIDESK_REMOTE_PORT
#define LUMIDESK_REMOTE_PORT 30380
#endif

Q_LOGGING_CATEGORY(lcTelegate, "lumidesk.telegate")

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
{
    connect(m_server, &QTcpServer::newConnection, this, &Telegate::acceptClients);
    listen(address, port);
}

Telegate::~Telegate()
{
    // The sockets are the server's children; they go with it, and say nothing on the way.
    for (QTcpSocket *client : qAsConst(m_clients))
        client->disconnect(this);
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
        if (m_clients.size() >= MaxClients) {
            qCWarning(lcTelegate, "%d phones are connected already: a further one is refused", MaxClients);
            client->abort();
            client->deleteLater();
            continue;
        }
        m_clients.append(client);
        connect(client, &QTcpSocket::readyRead, this, [this, client] { readFrames(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] { forgetClient(client); });
        qCInfo(lcTelegate, "phone connected from %s", qUtf8Printable(client->peerAddress().toString()));
        emit clientCountChanged(m_clients.size());
        // It may have written before we looked.
        readFrames(client);
    }
}

void Telegate::readFrames(QTcpSocket *socket)
{
    QPointer<Telegate> self(this);
    QPointer<QTcpSocket> client(socket);
    while (self && client && m_clients.contains(client) && client->bytesAvailable() >= TelegateFrame::HeaderSize) {
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
        emit fromClientCmd(id, payload);
    }
}

int Telegate::sendDataToClient(unsigned id, QByteArray payload)
{
    const QByteArray frame = TelegateFrame::encode(id, payload);
    int sent = 0;
    for (QTcpSocket *client : QList<QTcpSocket *>(m_clients)) {
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
    qCWarning(lcTelegate, "closing the phone at %s: %s", qUtf8Printable(client->peerAddress().toString()), reason);
    forgetClient(client);
    client->abort();
}

void Telegate::forgetClient(QTcpSocket *client)
{
    if (!m_clients.removeOne(client))
        return;
    client->disconnect(this);
    client->deleteLater();
    emit clientCountChanged(m_clients.size());
}
