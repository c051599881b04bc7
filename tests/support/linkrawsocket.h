#pragma once

#include <QByteArray>
#include <QLocalSocket>
#include <QObject>
#include <QStringList>

// A bare peer of the local command link, for testing one end on its own: it writes frames or raw
// bytes exactly as given and collects every message it receives. It decodes with QDataStream itself,
// not with the link's code under test.
class LinkRawSocket : public QObject
{
    Q_OBJECT

public:
    explicit LinkRawSocket(QLocalSocket *socket = nullptr, QObject *parent = nullptr);

    static QByteArray frame(const QString &text);

    bool connectTo(const QString &path, int timeoutMs = 15000);
    void writeFrame(const QString &text);
    void writeRaw(const QByteArray &bytes);

    QLocalSocket *socket() const { return m_socket; }
    QStringList messages() const { return m_messages; }
    void clearMessages() { m_messages.clear(); }
    bool isConnected() const { return m_socket->state() == QLocalSocket::ConnectedState; }

signals:
    void messageReceived(const QString &text);

private:
    void read();

    QLocalSocket *m_socket;
    QStringList m_messages;
};
