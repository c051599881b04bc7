#pragma once

// A phone as the remote-control server sees one: a TCP client that sends command frames
// ([u32 id LE][u32 length LE][payload]) and collects every frame the program sends back, in order.
// It runs on the test's own thread: the waits spin the event loop, so the program answers meanwhile.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpSocket>

#include <functional>
#include <initializer_list>

class PhoneClient : public QObject
{
    Q_OBJECT

public:
    struct Message
    {
        quint32 id = 0;
        QByteArray payload;
        bool operator==(const Message &other) const { return id == other.id && payload == other.payload; }
    };

    static QByteArray int32s(std::initializer_list<qint32> values);
    static QByteArray frame(quint32 id, const QByteArray &payload);

    bool connectTo(quint16 port, int timeoutMs = 15000);
    void disconnectFromProgram();
    bool isConnected() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    void send(quint32 id, const QByteArray &payload = QByteArray());
    // Bytes as they are, for frames a correct phone never sends.
    void sendRaw(const QByteArray &bytes);

    // Waits until at least count messages have arrived in all; false when the time runs out.
    bool waitForCount(int count, int timeoutMs = 15000);
    // Sends a command and waits for the next message under the same id; false when none comes.
    bool request(quint32 id, const QByteArray &payload, QByteArray *answer, int timeoutMs = 15000);
    // Every message the program handles before this one has been answered once this returns true:
    // sends the view command with the given view (which changes nothing when it is the current one)
    // and waits for its echo.
    bool sync(qint32 currentView, int timeoutMs = 15000);

    QList<Message> messages() const { return m_messages; }
    QList<QByteArray> payloadsOf(quint32 id) const;
    // The messages since the last sync (the sync's own echo left out).
    QList<Message> messagesBeforeSync() const;
    void clear()
    {
        m_messages.clear();
        m_syncIndex = -1;
    }

private:
    void read();
    // The index of the first message from index from on that is wanted, waiting for it; -1 if none came.
    int waitFor(int from, const std::function<bool(const Message &)> &wanted, int timeoutMs);

    QTcpSocket m_socket;
    QByteArray m_buffer;
    QList<Message> m_messages;
    int m_syncIndex = -1;
};
