#include "phoneclient.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QtTest>

#include <cstring>

namespace {

constexpr quint32 ViewId = 0x80000243;

quint32 readU32(const char *bytes)
{
    const auto *b = reinterpret_cast<const uchar *>(bytes);
    return quint32(b[0]) | quint32(b[1]) << 8 | quint32(b[2]) << 16 | quint32(b[3]) << 24;
}

void appendU32(QByteArray *bytes, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes->append(char((value >> shift) & 0xFF));
}

} // namespace

QByteArray PhoneClient::int32s(std::initializer_list<qint32> values)
{
    QByteArray payload;
    for (const qint32 value : values)
        appendU32(&payload, quint32(value));
    return payload;
}

QByteArray PhoneClient::frame(quint32 id, const QByteArray &payload)
{
    QByteArray bytes;
    appendU32(&bytes, id);
    appendU32(&bytes, quint32(payload.size()));
    return bytes + payload;
}

bool PhoneClient::connectTo(quint16 port, int timeoutMs)
{
    connect(&m_socket, &QTcpSocket::readyRead, this, &PhoneClient::read, Qt::UniqueConnection);
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    QElapsedTimer clock;
    clock.start();
    while (m_socket.state() != QAbstractSocket::ConnectedState && clock.elapsed() < timeoutMs)
        QTest::qWait(5);
    return isConnected();
}

void PhoneClient::disconnectFromProgram()
{
    m_socket.disconnectFromHost();
}

void PhoneClient::send(quint32 id, const QByteArray &payload)
{
    sendRaw(frame(id, payload));
}

void PhoneClient::sendRaw(const QByteArray &bytes)
{
    m_socket.write(bytes);
    m_socket.flush();
}

bool PhoneClient::waitForCount(int count, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (m_messages.size() < count && clock.elapsed() < timeoutMs)
        QTest::qWait(2);
    return m_messages.size() >= count;
}

bool PhoneClient::request(quint32 id, const QByteArray &payload, QByteArray *answer, int timeoutMs)
{
    const int from = m_messages.size();
    send(id, payload);
    const int index = waitFor(from, [id](const Message &m) { return m.id == id; }, timeoutMs);
    if (index < 0)
        return false;
    *answer = m_messages.at(index).payload;
    return true;
}

bool PhoneClient::sync(qint32 currentView, int timeoutMs)
{
    const QByteArray view = int32s({currentView});
    const int from = m_messages.size();
    send(ViewId, view);
    const auto echo = [&view](const Message &m) { return m.id == ViewId && m.payload == view; };
    m_syncIndex = waitFor(from, echo, timeoutMs);
    return m_syncIndex >= 0;
}

int PhoneClient::waitFor(int from, const std::function<bool(const Message &)> &wanted, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        for (int i = from; i < m_messages.size(); ++i) {
            if (wanted(m_messages.at(i)))
                return i;
        }
        if (clock.elapsed() >= timeoutMs || !isConnected())
            return -1;
        QTest::qWait(2);
    }
}

QList<QByteArray> PhoneClient::payloadsOf(quint32 id) const
{
    QList<QByteArray> payloads;
    for (const Message &message : m_messages) {
        if (message.id == id)
            payloads.append(message.payload);
    }
    return payloads;
}

QList<PhoneClient::Message> PhoneClient::messagesBeforeSync() const
{
    return m_syncIndex < 0 ? m_messages : m_messages.mid(0, m_syncIndex);
}

void PhoneClient::read()
{
    m_buffer += m_socket.readAll();
    while (m_buffer.size() >= 8) {
        const quint32 length = readU32(m_buffer.constData() + 4);
        if (quint32(m_buffer.size() - 8) < length)
            return;
        Message message;
        message.id = readU32(m_buffer.constData());
        message.payload = m_buffer.mid(8, int(length));
        m_messages.append(message);
        m_buffer.remove(0, 8 + int(length));
    }
}
