#include "telegate.h"
#include "telegateframe.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <vector>

Q_DECLARE_METATYPE(QList<QByteArray>)

namespace {

// A phone: connects, writes what it is given and reads the frames the server sends.
class Phone
{
public:
    explicit Phone(quint16 port)
    {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
    }

    bool connected() { return m_socket.state() == QAbstractSocket::ConnectedState || m_socket.waitForConnected(5000); }
    void write(const QByteArray &bytes)
    {
        m_socket.write(bytes);
        m_socket.flush();
    }
    bool isOpen() const { return m_socket.state() == QAbstractSocket::ConnectedState; }

    // The frames received so far, as (id, payload).
    QList<QPair<quint32, QByteArray>> frames()
    {
        m_buffer.append(m_socket.readAll());
        while (m_buffer.size() >= TelegateFrame::HeaderSize) {
            const quint32 id = qFromLittleEndian<quint32>(m_buffer.constData());
            const quint32 length = qFromLittleEndian<quint32>(m_buffer.constData() + 4);
            if (quint32(m_buffer.size()) < TelegateFrame::HeaderSize + length)
                break;
            m_frames.append({id, m_buffer.mid(TelegateFrame::HeaderSize, int(length))});
            m_buffer.remove(0, TelegateFrame::HeaderSize + int(length));
        }
        return m_frames;
    }

    QTcpSocket m_socket;

private:
    QByteArray m_buffer;
    QList<QPair<quint32, QByteArray>> m_frames;
};

QByteArray header(quint32 id, quint32 length)
{
    QByteArray bytes(8, Qt::Uninitialized);
    qToLittleEndian<quint32>(id, bytes.data());
    qToLittleEndian<quint32>(length, bytes.data() + 4);
    return bytes;
}

} // namespace

class TestTelegate : public QObject
{
    Q_OBJECT

private slots:
    void listensOnLoopbackAtTheBuildPort();
    void takesAnotherPortWhenItsOwnIsTaken();
    void commandsArriveWhole_data();
    void commandsArriveWhole();
    void messagesReachEveryPhone();
    void brokenPhoneClosedAlone_data();
    void brokenPhoneClosedAlone();
    void atMostEightPhones();
    void phoneThatStopsReadingIsGivenUp();
};

void TestTelegate::listensOnLoopbackAtTheBuildPort()
{
    QCOMPARE(Telegate::defaultPort(), quint16(LUMIDESK_REMOTE_PORT));
    QCOMPARE(Telegate::defaultAddress(), QHostAddress(QHostAddress::LocalHost));
    // Another program (or test) may hold the port; the server then still listens, elsewhere.
    QTcpServer probe;
    const bool portFree = probe.listen(QHostAddress::LocalHost, Telegate::defaultPort());
    probe.close();

    Telegate server;
    QVERIFY(server.isListening());
    QCOMPARE(server.serverAddress(), QHostAddress(QHostAddress::LocalHost));
    // A test running beside this one may take the port between the probe and the server; then it is
    // still held when probed again.
    if (portFree && server.serverPort() != Telegate::defaultPort()) {
        QTcpServer again;
        QVERIFY2(!again.listen(QHostAddress::LocalHost, Telegate::defaultPort()),
                 "the build port was free, yet the server listens elsewhere");
    }
    QVERIFY(server.serverPort() != 0);
}

void TestTelegate::takesAnotherPortWhenItsOwnIsTaken()
{
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::LocalHost, 0));
    Telegate server(QHostAddress::LocalHost, other.serverPort());
    QVERIFY(server.isListening());
    QVERIFY(server.serverPort() != 0);
    QVERIFY(server.serverPort() != other.serverPort());

    Phone phone(server.serverPort());
    QVERIFY(phone.connected());
    QTRY_COMPARE(server.clientCount(), 1);
}

void TestTelegate::commandsArriveWhole_data()
{
    QTest::addColumn<QList<QByteArray>>("writes");
    QTest::addColumn<QList<quint32>>("ids");
    QTest::addColumn<QList<QByteArray>>("payloads");

    const QByteArray record = TelegateFrame::encode(0x80000004, QByteArray::fromHex("01000000"));
    const QByteArray greeting = TelegateFrame::encode(0x80000443, QByteArray::fromHex("65000000"));
    const QByteArray empty = TelegateFrame::encode(0x80000005, QByteArray());
    const QByteArray largest = TelegateFrame::encode(0x80000200, QByteArray(TelegateFrame::MaxPayload, 'x'));

    QList<QByteArray> byteByByte;
    for (char c : record)
        byteByByte.append(QByteArray(1, c));
    QTest::newRow("one frame") << QList<QByteArray>{record} << QList<quint32>{0x80000004}
                               << QList<QByteArray>{QByteArray::fromHex("01000000")};
    QTest::newRow("byte by byte") << byteByByte << QList<quint32>{0x80000004}
                                  << QList<QByteArray>{QByteArray::fromHex("01000000")};
    QTest::newRow("three in one write, one empty")
            << QList<QByteArray>{record + empty + greeting} << QList<quint32>{0x80000004, 0x80000005, 0x80000443}
            << QList<QByteArray>{QByteArray::fromHex("01000000"), QByteArray(), QByteArray::fromHex("65000000")};
    QTest::newRow("split inside the header, then the rest")
            << QList<QByteArray>{greeting.left(5), greeting.mid(5) + record.left(9), record.mid(9)}
            << QList<quint32>{0x80000443, 0x80000004}
            << QList<QByteArray>{QByteArray::fromHex("65000000"), QByteArray::fromHex("01000000")};
    QTest::newRow("64 KiB exactly") << QList<QByteArray>{largest} << QList<quint32>{0x80000200}
                                    << QList<QByteArray>{QByteArray(TelegateFrame::MaxPayload, 'x')};
}

void TestTelegate::commandsArriveWhole()
{
    QFETCH(QList<QByteArray>, writes);
    QFETCH(QList<quint32>, ids);
    QFETCH(QList<QByteArray>, payloads);

    Telegate server(QHostAddress::LocalHost, 0);
    QSignalSpy received(&server, &Telegate::fromClientCmd);
    Phone phone(server.serverPort());
    QVERIFY(phone.connected());
    for (const QByteArray &bytes : writes) {
        phone.write(bytes);
        QTest::qWait(5);
    }
    QTRY_COMPARE(received.size(), ids.size());
    for (int i = 0; i < ids.size(); ++i) {
        QCOMPARE(received.at(i).at(0).toUInt(), ids.at(i));
        QCOMPARE(received.at(i).at(1).toByteArray(), payloads.at(i));
    }
    QVERIFY(phone.isOpen());
}

void TestTelegate::messagesReachEveryPhone()
{
    Telegate server(QHostAddress::LocalHost, 0);
    std::vector<std::unique_ptr<Phone>> phones;
    for (int i = 0; i < 3; ++i) {
        phones.push_back(std::make_unique<Phone>(server.serverPort()));
        QVERIFY(phones.back()->connected());
    }
    QTRY_COMPARE(server.clientCount(), 3);

    QCOMPARE(server.sendDataToClient(0x80000003, QByteArray()), 3);
    QCOMPARE(server.sendDataToClient(0x80000004, QByteArray::fromHex("0100000005000000")), 3);
    for (const auto &phone : phones) {
        QTRY_COMPARE(phone->frames().size(), 2);
        QCOMPARE(phone->frames().at(0), qMakePair(quint32(0x80000003), QByteArray()));
        QCOMPARE(phone->frames().at(1), qMakePair(quint32(0x80000004), QByteArray::fromHex("0100000005000000")));
    }

    phones.front()->m_socket.disconnectFromHost();
    QTRY_COMPARE(server.clientCount(), 2);
    QCOMPARE(server.sendDataToClient(0x80000003, QByteArray()), 2);
}

void TestTelegate::brokenPhoneClosedAlone_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("frame over 64 KiB") << header(0x80000200, TelegateFrame::MaxPayload + 1);
    QTest::newRow("length far too large") << header(0x80000004, 0xFFFFFFFFu);
    QTest::newRow("not a command id") << header(0x12345678, 4) + QByteArray(4, '\0');
    QTest::newRow("an HTTP request") << QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    QTest::newRow("good frame, then garbage")
            << TelegateFrame::encode(0x80000004, QByteArray(4, '\0')) + QByteArray("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
}

void TestTelegate::brokenPhoneClosedAlone()
{
    QFETCH(QByteArray, bytes);

    Telegate server(QHostAddress::LocalHost, 0);
    QSignalSpy received(&server, &Telegate::fromClientCmd);
    Phone good(server.serverPort());
    Phone broken(server.serverPort());
    QVERIFY(good.connected());
    QVERIFY(broken.connected());
    QTRY_COMPARE(server.clientCount(), 2);

    broken.write(bytes);
    QTRY_VERIFY(!broken.isOpen());
    QCOMPARE(server.clientCount(), 1);
    const int before = received.size();
    QVERIFY(before <= 1);

    good.write(TelegateFrame::encode(0x80000005, QByteArray()));
    QTRY_COMPARE(received.size(), before + 1);
    QCOMPARE(received.last().at(0).toUInt(), 0x80000005u);
    QCOMPARE(server.sendDataToClient(0x80000003, QByteArray()), 1);
    QTRY_COMPARE(good.frames().size(), 1);
    QVERIFY(server.isListening());
}

void TestTelegate::atMostEightPhones()
{
    Telegate server(QHostAddress::LocalHost, 0);
    std::vector<std::unique_ptr<Phone>> phones;
    for (int i = 0; i < Telegate::MaxClients; ++i) {
        phones.push_back(std::make_unique<Phone>(server.serverPort()));
        QVERIFY(phones.back()->connected());
    }
    QTRY_COMPARE(server.clientCount(), Telegate::MaxClients);

    Phone ninth(server.serverPort());
    ninth.connected();
    QTRY_VERIFY(!ninth.isOpen());
    QCOMPARE(server.clientCount(), Telegate::MaxClients);
    for (const auto &phone : phones)
        QVERIFY(phone->isOpen());

    phones.front()->m_socket.disconnectFromHost();
    QTRY_COMPARE(server.clientCount(), Telegate::MaxClients - 1);
    Phone later(server.serverPort());
    QVERIFY(later.connected());
    QTRY_COMPARE(server.clientCount(), Telegate::MaxClients);
    QTest::qWait(50);
    QVERIFY(later.isOpen());
}

void TestTelegate::phoneThatStopsReadingIsGivenUp()
{
    Telegate server(QHostAddress::LocalHost, 0);
    Phone phone(server.serverPort());
    QVERIFY(phone.connected());
    QTRY_COMPARE(server.clientCount(), 1);

    // Without the event loop nothing leaves the server, as with a phone that reads nothing.
    const QByteArray picture(1024 * 1024, 'p');
    int reached = 0;
    for (int i = 0; i < 20; ++i)
        reached += server.sendDataToClient(0x80000200, picture);
    QVERIFY2(reached < 20, qPrintable(QString::number(reached)));
    QCOMPARE(reached, int(Telegate::MaxBacklog / (picture.size() + TelegateFrame::HeaderSize)));
    QCOMPARE(server.clientCount(), 0);
}

QTEST_GUILESS_MAIN(TestTelegate)
#include "tst_telegate.moc"
