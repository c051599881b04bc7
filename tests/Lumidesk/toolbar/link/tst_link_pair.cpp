#include "localclient.h"
#include "toolbar/link/localserver.h"

#include "linksignalrecorder.h"

#include <QtTest>

#include <functional>
#include <memory>

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
    void serverGoingAwayShutsThePanelDown();

private:
    std::unique_ptr<LocalServer> m_server;
    std::unique_ptr<LocalClient> m_client;
};

void TestLinkPair::init()
{
    m_server.reset(new LocalServer);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    m_client.reset(new LocalClient);
    m_client->requestNewConnection();
    QVERIFY(ready.count() || ready.wait(2000));
    QVERIFY(m_client->checkAlive());
}

void TestLinkPair::cleanup()
{
    m_client.reset();
    m_server.reset();
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
    QTest::qWait(20);
    QCOMPARE(serverSide.take(), serverSignal.isEmpty() ? QStringList() : QStringList{serverSignal});
    QCOMPARE(clientSide.take(), clientSignal.isEmpty() ? QStringList() : QStringList{clientSignal});
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

void TestLinkPair::serverGoingAwayShutsThePanelDown()
{
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    m_server.reset();
    QVERIFY(shutdown.wait(500));
    QVERIFY(!m_client->checkAlive());
    QVERIFY(shutdown.wait(1500));
}

QTEST_GUILESS_MAIN(TestLinkPair)
#include "tst_link_pair.moc"
