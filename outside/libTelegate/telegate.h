#pragma once

#include "telegateglobal.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>

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
// A client that sends a frame over 64 KiB, or a frame that is not a command, is closed; so is one that
// stops reading while messages pile up for it. At most MaxClients phones are served at a time; a
// further connection is closed at once. None of this touches the other clients.
class TELEGATE_EXPORT Telegate : public QObject
{
    Q_OBJECT

public:
    static constexpr int MaxClients = 8;
    // Unsent bytes a client may fall behind by before it is given up.
    static constexpr qint64 MaxBacklog = 16 * 1024 * 1024;

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
    int clientCount() const { return m_clients.size(); }

    // Sends one message to every phone connected; returns how many it went to.
    int sendDataToClient(unsigned id, QByteArray payload);

signals:
    void fromClientCmd(unsigned id, QByteArray payload);
    void clientCountChanged(int count);

private:
    void listen(const QHostAddress &address, quint16 port);
    void acceptClients();
    void readFrames(QTcpSocket *client);
    void dropClient(QTcpSocket *client, const char *reason);
    void forgetClient(QTcpSocket *client);

    QTcpServer *m_server;
    QList<QTcpSocket *> m_clients;
};
