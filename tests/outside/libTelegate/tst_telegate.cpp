#include "peerowner.h"
#include "telegate.h"
#include "telegateframe.h"

#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

#include <memory>
#include <optional>
#include <vector>

Q_DECLARE_METATYPE(QList<QByteArray>)
Q_DECLARE_METATYPE(PeerOwner::Method)
Q_DECLARE_METATYPE(std::optional<uint>)
Q_DECLARE_METATYPE(QHostAddress)

namespace {

// A phone: connects, writes what it is given and reads the frames the server sends.
class Phone
{
public:
    explicit Phone(quint16 port, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost))
    {
        m_socket.connectToHost(address, port);
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

// A client's own end as the server's log names it.
QString peerName(const QTcpSocket &client)
{
    const QString address = client.localAddress().toString();
    const QString host = client.localAddress().protocol() == QAbstractSocket::IPv6Protocol
            ? QStringLiteral("[%1]").arg(address)
            : address;
    return QStringLiteral("%1:%2").arg(host).arg(client.localPort());
}

// The number of phones served at a time is part of the server's contract: pinned here rather than
// read from the server, so that a changed limit fails these tests.
constexpr int MostPhones = 8;

// A step of a script of phones: connect one more, or let phone n send a command.
constexpr int ConnectOne = -1;

QList<int> connectMore(int count)
{
    QList<int> steps;
    for (int i = 0; i < count; ++i)
        steps.append(ConnectOne);
    return steps;
}

// Another user's program on this computer: a shell run under another user id that connects, sends a
// greeting and reads until the server closes the connection. Exits with 0 once closed, 3 when it could
// not connect.
void startAs(uint uid, quint16 port, QProcess *client)
{
    const QString script = QStringLiteral(
            "exec 3<>/dev/tcp/127.0.0.1/%1 || exit 3\n"
            "printf '\\x43\\x04\\x00\\x80\\x04\\x00\\x00\\x00\\x65\\x00\\x00\\x00' >&3 2>/dev/null\n"
            "cat <&3 >/dev/null 2>&1\n"
            "exit 0\n").arg(port);
    client->setWorkingDirectory(QStringLiteral("/"));
    client->start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(uid), QStringLiteral("--regid=%1").arg(uid),
                                              QStringLiteral("--clear-groups"), QStringLiteral("--"),
                                              QStringLiteral("bash"), QStringLiteral("-c"), script});
}

bool canRunAs(uint uid)
{
    return QProcess::execute(QStringLiteral("setpriv"), {QStringLiteral("--reuid=%1").arg(uid),
                                                         QStringLiteral("--regid=%1").arg(uid),
                                                         QStringLiteral("--clear-groups"), QStringLiteral("true")})
            == 0;
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
    void fullServerMakesRoom_data();
    void fullServerMakesRoom();
    void firstCommandIsAwaited_data();
    void firstCommandIsAwaited();
    void onlyOwnUsersProgramsServed_data();
    void onlyOwnUsersProgramsServed();
    void peerOwnerOfRealConnections_data();
    void peerOwnerOfRealConnections();
    void anotherUsersProgramRefused();
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

void TestTelegate::fullServerMakesRoom_data()
{
    QTest::addColumn<QList<int>>("script");
    QTest::addColumn<int>("closed");

    const QList<int> eight = connectMore(MostPhones);
    QTest::newRow("eight idle connections: the first") << eight << 0;
    QTest::newRow("all spoke: the one silent longest") << eight + QList<int>{3, 1, 0, 2, 4, 5, 6, 7} << 3;
    QTest::newRow("one spoke again") << eight + QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 0} << 1;
    QTest::newRow("one never spoke: it goes before those that did")
            << connectMore(MostPhones - 1) + QList<int>{0, 1, 2, 3, 4, 5, 6, ConnectOne} << 7;
}

// A full server serves a further phone at once, closing the connection that is least likely a phone.
void TestTelegate::fullServerMakesRoom()
{
    QFETCH(QList<int>, script);
    QFETCH(int, closed);

    Telegate server(QHostAddress::LocalHost, 0);
    // Only making room can let the newcomer in, never the first command's deadline.
    server.setFirstFrameTimeout(10 * 60 * 1000);
    QSignalSpy received(&server, &Telegate::fromClientCmd);
    std::vector<std::unique_ptr<Phone>> phones;
    for (const int step : script) {
        if (step == ConnectOne) {
            phones.push_back(std::make_unique<Phone>(server.serverPort()));
            QVERIFY(phones.back()->connected());
            QTRY_COMPARE(server.clientCount(), int(phones.size()));
        } else {
            const int before = received.size();
            phones.at(size_t(step))->write(TelegateFrame::encode(0x80000005, QByteArray()));
            QTRY_COMPARE(received.size(), before + 1);
        }
    }
    QCOMPARE(server.clientCount(), MostPhones);

    Phone newcomer(server.serverPort());
    QVERIFY(newcomer.connected());
    const int before = received.size();
    newcomer.write(TelegateFrame::encode(0x80000443, QByteArray::fromHex("66000000")));
    QTRY_COMPARE_WITH_TIMEOUT(received.size(), before + 1, 20000);
    QCOMPARE(received.last().at(0).toUInt(), 0x80000443u);
    QTRY_VERIFY(!phones.at(size_t(closed))->isOpen());
    QCOMPARE(server.clientCount(), MostPhones);
    for (size_t i = 0; i < phones.size(); ++i) {
        if (int(i) != closed)
            QVERIFY2(phones.at(i)->isOpen(), qPrintable(QString::number(i)));
    }
    QCOMPARE(server.sendDataToClient(0x80000443, QByteArray()), MostPhones);
    QTRY_COMPARE(newcomer.frames().size(), 1);
}

void TestTelegate::firstCommandIsAwaited_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("kept");

    const QByteArray command = TelegateFrame::encode(0x80000443, QByteArray::fromHex("66000000"));
    QTest::newRow("nothing") << QByteArray() << false;
    QTest::newRow("half a header") << command.left(4) << false;
    QTest::newRow("a command without its payload") << command.left(TelegateFrame::HeaderSize + 1) << false;
    QTest::newRow("a whole command") << command << true;
}

void TestTelegate::firstCommandIsAwaited()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, kept);

    Telegate server(QHostAddress::LocalHost, 0);
    server.setFirstFrameTimeout(1500);
    QSignalSpy received(&server, &Telegate::fromClientCmd);
    Phone tested(server.serverPort());
    QVERIFY(tested.connected());
    QTRY_COMPARE(server.clientCount(), 1);
    if (!bytes.isEmpty())
        tested.write(bytes);

    // A connection made after it and silent throughout: once that one is closed, the tested one's
    // deadline has passed too.
    Phone later(server.serverPort());
    QVERIFY(later.connected());
    QTRY_VERIFY_WITH_TIMEOUT(!later.isOpen(), 20000);
    QCOMPARE(server.clientCount(), kept ? 1 : 0);
    QTRY_COMPARE(tested.isOpen(), kept);
    QCOMPARE(received.size(), kept ? 1 : 0);
}

void TestTelegate::onlyOwnUsersProgramsServed_data()
{
    QTest::addColumn<QHostAddress>("listenAt");
    QTest::addColumn<std::optional<uint>>("owner");
    QTest::addColumn<int>("othersConnected");
    QTest::addColumn<bool>("served");

    const uint us = PeerOwner::currentUid();
    const std::optional<uint> stranger = us + 1;
    const QHostAddress loopback(QHostAddress::LocalHost);
    QTest::newRow("ours") << loopback << std::optional<uint>(us) << 0 << true;
    QTest::newRow("another user's") << loopback << stranger << 0 << false;
    QTest::newRow("nobody's found") << loopback << std::optional<uint>() << 0 << false;
    QTest::newRow("another user's, on a full server") << loopback << stranger << MostPhones << false;
    QTest::newRow("another user's, IPv6 loopback") << QHostAddress(QHostAddress::LocalHostIPv6) << stranger << 0
                                                   << false;
    // Open to the network, the server cannot tell a phone's user: peers keep being served.
    QTest::newRow("another user's, network listener") << QHostAddress(QHostAddress::AnyIPv4) << stranger << 0 << true;
}

// Who owns the peer comes from a table here; the lookups themselves are tested below.
void TestTelegate::onlyOwnUsersProgramsServed()
{
    QFETCH(QHostAddress, listenAt);
    QFETCH(std::optional<uint>, owner);
    QFETCH(int, othersConnected);
    QFETCH(bool, served);

    Telegate server(listenAt, 0);
    QVERIFY(server.isListening());
    QHash<quint16, std::optional<uint>> owners;
    server.setPeerUidLookup([&owners](const QAbstractSocket &connection) { return owners.value(connection.peerPort()); });
    const QHostAddress connectTo = listenAt.isLoopback() ? listenAt : QHostAddress(QHostAddress::LocalHost);
    QSignalSpy received(&server, &Telegate::fromClientCmd);

    std::vector<std::unique_ptr<Phone>> others;
    for (int i = 0; i < othersConnected; ++i) {
        others.push_back(std::make_unique<Phone>(server.serverPort(), connectTo));
        // The server accepts in the event loop, which waiting for the connection does not run.
        QVERIFY(others.back()->connected());
        owners.insert(others.back()->m_socket.localPort(), PeerOwner::currentUid());
        QTRY_COMPARE(server.clientCount(), i + 1);
    }

    Phone tested(server.serverPort(), connectTo);
    QVERIFY(tested.connected());
    owners.insert(tested.m_socket.localPort(), owner);
    if (!served) {
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^refused the connection from %1: ")
                                                        .arg(QRegularExpression::escape(peerName(tested.m_socket)))));
    }
    tested.write(TelegateFrame::encode(0x80000443, QByteArray::fromHex("66000000")));
    if (served) {
        QTRY_COMPARE(received.size(), 1);
        QCOMPARE(server.clientCount(), othersConnected + 1);
        QVERIFY(tested.isOpen());
    } else {
        QTRY_VERIFY(!tested.isOpen());
        QCOMPARE(received.size(), 0);
        QCOMPARE(server.clientCount(), othersConnected);
        for (const auto &other : others)
            QVERIFY(other->isOpen());
    }
}

void TestTelegate::peerOwnerOfRealConnections_data()
{
    QTest::addColumn<QHostAddress>("address");
    QTest::addColumn<PeerOwner::Method>("method");

    for (const auto &[name, address] : {std::make_pair("IPv4", QHostAddress::LocalHost),
                                        std::make_pair("IPv6", QHostAddress::LocalHostIPv6)}) {
        QTest::addRow("%s, asking the kernel", name) << QHostAddress(address) << PeerOwner::SocketDiagnostics;
        QTest::addRow("%s, socket tables", name) << QHostAddress(address) << PeerOwner::SocketTables;
    }
}

// Either end of a connection made here is ours, seen from the other end.
void TestTelegate::peerOwnerOfRealConnections()
{
    QFETCH(QHostAddress, address);
    QFETCH(PeerOwner::Method, method);

    QTcpServer listener;
    QVERIFY(listener.listen(address, 0));
    QTcpSocket client;
    client.connectToHost(address, listener.serverPort());
    QVERIFY(client.waitForConnected(10000));
    QVERIFY(listener.waitForNewConnection(10000));
    std::unique_ptr<QTcpSocket> accepted(listener.nextPendingConnection());
    QVERIFY(accepted);

    const std::optional<uint> us = PeerOwner::currentUid();
    QCOMPARE(PeerOwner::uidOf(*accepted, method), us);
    QCOMPARE(PeerOwner::uidOf(client, method), us);
    QCOMPARE(PeerOwner::uidOf(*accepted), us);
    QCOMPARE(PeerOwner::uidOf(QTcpSocket()), std::optional<uint>());
}

// A real program of another user, where this test may start one (it runs with the right to).
void TestTelegate::anotherUsersProgramRefused()
{
    const uint stranger = PeerOwner::currentUid() == 65534 ? 65533 : 65534;
    if (!canRunAs(stranger)) {
        // As root (as CI runs) setpriv always can, so a failure there is a fault, never a quiet pass.
        QVERIFY2(PeerOwner::currentUid() != 0, "setpriv cannot start a program of another user");
        qInfo("no other user's program can be started here; the refusal is checked with a table only");
        return;
    }

    // The lookups find its user.
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress::LocalHost, 0));
    QProcess looked;
    startAs(stranger, listener.serverPort(), &looked);
    QVERIFY(listener.waitForNewConnection(20000));
    std::unique_ptr<QTcpSocket> accepted(listener.nextPendingConnection());
    QCOMPARE(PeerOwner::uidOf(*accepted, PeerOwner::SocketDiagnostics), std::optional<uint>(stranger));
    QCOMPARE(PeerOwner::uidOf(*accepted, PeerOwner::SocketTables), std::optional<uint>(stranger));
    accepted->abort();
    QVERIFY(looked.waitForFinished(20000));
    QCOMPARE(looked.exitCode(), 0);

    // The server closes it as it connects, and serves ours still.
    Telegate server(QHostAddress::LocalHost, 0);
    QSignalSpy received(&server, &Telegate::fromClientCmd);
    QTest::ignoreMessage(QtWarningMsg,
                         QRegularExpression(QStringLiteral("^refused the connection from 127\\.0\\.0\\.1:\\d+: it "
                                                           "belongs to user %1, ").arg(stranger)));
    QProcess refused;
    startAs(stranger, server.serverPort(), &refused);
    QTRY_COMPARE_WITH_TIMEOUT(refused.state(), QProcess::NotRunning, 20000);
    QCOMPARE(refused.exitCode(), 0);
    QCOMPARE(received.size(), 0);
    QCOMPARE(server.clientCount(), 0);

    Phone ours(server.serverPort());
    QVERIFY(ours.connected());
    ours.write(TelegateFrame::encode(0x80000443, QByteArray::fromHex("66000000")));
    QTRY_COMPARE(received.size(), 1);
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
