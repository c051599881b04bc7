#include "localclient.h"
#include "toolbar/link/localserver.h"

#include "linksignalrecorder.h"

#include "ipc/locallistener.h"
#include "ipc/localsocketpath.h"

#include <QProcess>
#include <QtTest>

#include <functional>
#include <memory>
#include <vector>

using PairCall = std::function<void(LocalServer &, LocalClient &)>;
Q_DECLARE_METATYPE(PairCall)

// The main program's server and the panel's client against each other, as the two programs use them.
class TestLinkPair : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commands_data();
    void commands();
    void recordRoundTrip();
    void idleConnectionsLeaveThePanelServed();
    void panelComesBackWhenItsConnectionIsDropped();
    void serverGoingAwayShutsThePanelDown();
    void killedServerShutsThePanelDown();

private:
    static QString path()
    {
        return platform::LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName));
    }

    // Sends a marker to the panel, then one back once it came: both arrive after anything sent
    // before them, an answer from the other end included. Collects what else was emitted meanwhile.
    bool settle(LinkSignalRecorder &serverSide, LinkSignalRecorder &clientSide, QStringList *serverSeen,
                QStringList *clientSeen);

    std::unique_ptr<LocalServer> m_server;
    std::unique_ptr<LocalClient> m_client;
};

void TestLinkPair::init()
{
    m_server.reset(new LocalServer);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    m_client.reset(new LocalClient);
    m_client->requestNewConnection();
    QVERIFY(ready.count() || ready.wait(15000));
    QVERIFY(m_client->checkAlive());
}

void TestLinkPair::cleanup()
{
    m_client.reset();
    m_server.reset();
}

bool TestLinkPair::settle(LinkSignalRecorder &serverSide, LinkSignalRecorder &clientSide, QStringList *serverSeen,
                          QStringList *clientSeen)
{
    static const QString toClient = QStringLiteral("volumeUpdate(77)");
    static const QString toServer = QStringLiteral("volumeChange(-77)");
    const auto arrived = [](LinkSignalRecorder &side, QStringList *seen, const QString &marker) {
        return QTest::qWaitFor([&] {
            *seen += side.take();
            return seen->contains(marker);
        }, 10000);
    };
    m_server->updateVolume(77);
    if (!arrived(clientSide, clientSeen, toClient))
        return false;
    m_client->changeVolume(-77);
    if (!arrived(serverSide, serverSeen, toServer))
        return false;
    *serverSeen += serverSide.take();
    *clientSeen += clientSide.take();
    clientSeen->removeOne(toClient);
    serverSeen->removeOne(toServer);
    return true;
}

void TestLinkPair::commands_data()
{
    QTest::addColumn<PairCall>("call");
    QTest::addColumn<QString>("serverSignal");
    QTest::addColumn<QString>("clientSignal");

    auto toServer = [](const char *name, PairCall call, const QString &emitted) {
        QTest::newRow(name) << call << emitted << QString();
    };
    auto toClient = [](const char *name, PairCall call, const QString &emitted) {
        QTest::newRow(name) << call << QString() << emitted;
    };
    toClient("pen hand-over", [](LocalServer &s, LocalClient &) { s.hideLumidesk(-8, 1040); },
             "lumideskHided(-8,1040)");
    toServer("hand-back", [](LocalServer &, LocalClient &c) { c.showLumidesk(640, -12); }, "lumideskShow(640,-12)");
    toClient("language", [](LocalServer &s, LocalClient &) { s.changeLang(QStringLiteral("ja_jp")); },
             "langChanged(\"ja_jp\")");
    toClient("audio list",
             [](LocalServer &s, LocalClient &) {
                 s.updateAudioList({QString::fromUtf8("Micr\xC3\xB3" "fono USB"), QStringLiteral(" Line in ")},
                                   {QStringLiteral("alsa_input.usb-1"), QStringLiteral("alsa_input.pci-2")});
             },
             QString::fromUtf8("audioListUpdate([\"Micr\xC3\xB3" "fono USB\",\" Line in \"],"
                               "[\"alsa_input.usb-1\",\"alsa_input.pci-2\"])"));
    toServer("audio choice",
             [](LocalServer &, LocalClient &c) {
                 c.changeAudioSource(QStringLiteral(" Line in "), QStringLiteral("alsa_input.pci-2"), 2);
             },
             "audioSourceChange(\" Line in \",\"alsa_input.pci-2\",2)");
    toServer("volume", [](LocalServer &, LocalClient &c) { c.changeVolume(-5); }, "volumeChange(-5)");
    toClient("live status", [](LocalServer &s, LocalClient &) { s.updateLiveStatus(1500, 30); },
             "liveStatusUpdate(1500,30)");
    toClient("automatic recording", [](LocalServer &s, LocalClient &) { s.setAutoRecord(true); },
             "autoRecordSet(true)");
    toServer("live stopped", [](LocalServer &, LocalClient &c) { c.stopLive(61); }, "liveStop(61)");
}

void TestLinkPair::commands()
{
    QFETCH(PairCall, call);
    QFETCH(QString, serverSignal);
    QFETCH(QString, clientSignal);

    LinkSignalRecorder serverSide(m_server.get());
    LinkSignalRecorder clientSide(m_client.get(), {"serverShutdown"});
    call(*m_server, *m_client);
    QTRY_COMPARE(serverSide.pending() + clientSide.pending(), 1);
    QStringList serverSeen, clientSeen;
    QVERIFY(settle(serverSide, clientSide, &serverSeen, &clientSeen));
    QCOMPARE(serverSeen, serverSignal.isEmpty() ? QStringList() : QStringList{serverSignal});
    QCOMPARE(clientSeen, clientSignal.isEmpty() ? QStringList() : QStringList{clientSignal});
}

void TestLinkPair::recordRoundTrip()
{
    // A stop that starts in the main program reaches the recorder only as the panel's echo, with the
    // elapsed seconds; the time question is answered under the same word.
    connect(m_client.get(), &LocalClient::recordStop, m_client.get(), [this] { m_client->stopRecord(75); });
    connect(m_client.get(), &LocalClient::recordTimeGet, m_client.get(), [this] { m_client->updateRecordTime(75); });
    QSignalSpy stopped(m_server.get(), &LocalServer::recordStop);
    QSignalSpy time(m_server.get(), &LocalServer::recordTimeGet);

    m_server->stopRecord();
    m_server->getRecordTime();
    QTRY_COMPARE(time.count(), 1);
    QCOMPARE(stopped.count(), 1);
    QCOMPARE(stopped.first().first().toInt(), 75);
    QCOMPARE(time.first().first().toInt(), 75);
}

// Idle connections beside the panel, as a hostile or broken program of the same user might open: the
// panel keeps its link and is served all along, both ways.
void TestLinkPair::idleConnectionsLeaveThePanelServed()
{
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    QSignalSpy accepted(m_server->findChild<platform::LocalListener *>(), &platform::LocalListener::newConnection);
    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 6; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(path());
        QVERIFY(idle.back()->waitForConnected(15000));
        QTRY_COMPARE(accepted.count(), i + 1);
    }
    QSignalSpy shown(m_client.get(), &LocalClient::recordWidgetShow);
    m_server->showRecordWidget();
    QVERIFY(shown.wait(15000));
    QSignalSpy stopped(m_server.get(), &LocalServer::liveStop);
    m_client->stopLive(61);
    QVERIFY(stopped.wait(15000));
    QCOMPARE(stopped.first().first().toInt(), 61);

    for (const std::unique_ptr<QLocalSocket> &socket : idle)
        socket->disconnectFromServer();
    m_server->showRecordWidget();
    QVERIFY(shown.wait(15000));
    QVERIFY(m_client->checkAlive());
    QCOMPARE(shutdown.count(), 0);
    QCOMPARE(ready.count(), 0);
    for (const std::unique_ptr<QLocalSocket> &socket : idle)
        QCOMPARE(socket->bytesAvailable(), qint64(0));
}

// The server closing the panel's connection while it goes on running is no end of the main program.
void TestLinkPair::panelComesBackWhenItsConnectionIsDropped()
{
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    m_server->disconnectSocket();
    QVERIFY(ready.wait(15000));
    QTRY_VERIFY(m_client->checkAlive());

    QSignalSpy language(m_client.get(), &LocalClient::langChanged);
    m_server->changeLang(QStringLiteral("de_DE"));
    QVERIFY(language.wait(15000));
    QSignalSpy volume(m_server.get(), &LocalServer::volumeChange);
    m_client->changeVolume(30);
    QVERIFY(volume.wait(15000));
    QCOMPARE(shutdown.count(), 0);
}

void TestLinkPair::serverGoingAwayShutsThePanelDown()
{
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    m_server.reset();
    QVERIFY(shutdown.wait(15000));
    QVERIFY(!m_client->checkAlive());
    QVERIFY(shutdown.wait(15000));
}

// A main program that dies leaves its socket file behind: nobody answers there, which is the end too.
void TestLinkPair::killedServerShutsThePanelDown()
{
    m_client.reset();
    m_server.reset();
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_link_serverhost"), {"256"});
    QVERIFY(host.waitForReadyRead(5000));
    QCOMPARE(host.readLine().trimmed(), QByteArray("ready"));
    m_client.reset(new LocalClient);
    m_client->requestNewConnection();
    QTRY_VERIFY(m_client->checkAlive());

    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    host.kill();
    QVERIFY(host.waitForFinished(5000));
    QVERIFY(QFileInfo::exists(path()));
    QVERIFY(shutdown.wait(15000));
    QVERIFY(!m_client->checkAlive());
    QVERIFY(shutdown.wait(15000));
}

QTEST_GUILESS_MAIN(TestLinkPair)
#include "tst_link_pair.moc"
