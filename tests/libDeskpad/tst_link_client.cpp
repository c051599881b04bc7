#include "localclient.h"

#include "linkcommandfuzzer.h"
#include "linkrawserver.h"
#include "linkrawsocket.h"
#include "linksignalbounds.h"
#include "linksignalrecorder.h"

#include <QElapsedTimer>
#include <QtTest>

#include <functional>
#include <memory>

using ClientCall = std::function<void(LocalClient &)>;
Q_DECLARE_METATYPE(ClientCall)

class TestLinkClient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void dispatch_data();
    void dispatch();
    void senders_data();
    void senders();
    void framesSplitAndMerged();
    void greetsAndComesBackAfterADrop_data();
    void greetsAndComesBackAfterADrop();
    void linkDroppedAgainAndAgainIsTriedOncePerCheck();
    void reportsAnAbsentServerEverySecond();
    void reportsTheServerGoingAwayAndStaysDown();
    void destructionIsNoShutdown();
    void mutatedCommandsStayInRange();

private:
    static QString greeting() { return QLatin1String(LocalClient::PanelGreeting); }
    bool connectClient();

    std::unique_ptr<LinkRawServer> m_server;
    std::unique_ptr<LocalClient> m_client;
};

void TestLinkClient::init()
{
    m_server.reset(new LinkRawServer);
    QVERIFY(m_server->listen(QLatin1String(LocalClient::ServerName)));
    m_client.reset(new LocalClient);
}

void TestLinkClient::cleanup()
{
    m_client.reset();
    m_server.reset();
}

bool TestLinkClient::connectClient()
{
    m_client->requestNewConnection();
    if (!QTest::qWaitFor([this] { return m_client->checkAlive() && m_server->newestPeer(); }, 15000))
        return false;
    return true;
}

void TestLinkClient::dispatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("emitted");

    auto row = [](const char *name, const QString &text, const QString &call) {
        QTest::newRow(name) << text << (call.isEmpty() ? QStringList() : QStringList{call});
    };
    row("hideLumidesk", "cap_hideLumidesk/p120/p-40", "lumideskHided(120,-40)");
    row("hideLumidesk off screen clamped", "cap_hideLumidesk/p99999/p-99999", "lumideskHided(32767,-32768)");
    row("changeLanguage", "cap_changeLanguage/pen_US", "langChanged(\"en_US\")");
    row("changeLanguage with a dash", "cap_changeLanguage/pzh-TW", "langChanged(\"zh-TW\")");
    row("changeLanguage into a parent folder", "cap_changeLanguage/p../../x", "");
    row("changeLanguage with a slash", "cap_changeLanguage/pen/US", "");
    row("changeLanguage empty", "cap_changeLanguage", "");
    row("showRecordWidget", "cap_showRecordWidget", "recordWidgetShow()");
    row("showLiveWidget", "cap_showLiveWidget", "liveWidgetShow()");
    row("updateAudioList", "cap_updateAudioList/p2/pA/pB", "audioListUpdate([\"A\",\"B\"])");
    row("updateAudioList missing names", "cap_updateAudioList/p3/pA/pB", "audioListUpdate([\"A\",\"B\",\"\"])");
    row("updateAudioList negative count", "cap_updateAudioList/p-4/pA", "audioListUpdate([])");
    row("MacUpdateAudioList", "cap_MacUpdateAudioList/p2/pMic 1/pid-1/pMic 2/pid-2",
        "audioListUpdate([\"Mic 1\",\"Mic 2\"],[\"id-1\",\"id-2\"])");
    row("MacUpdateAudioList empty", "cap_MacUpdateAudioList/p0", "audioListUpdate([],[])");
    row("MacUpdateAudioList name holding the separator", "cap_MacUpdateAudioList/p1/pUSB/pro/pid-1",
        "audioListUpdate([\"USB\"],[\"ro\"])");
    row("updateAudioSource", "cap_updateAudioSource/pBuilt-in", "audioSourceUpdate(\"Built-in\")");
    row("updateVolume", "cap_updateVolume/p70", "volumeUpdate(70)");
    row("updateVolume clamped", "cap_updateVolume/p300", "volumeUpdate(100)");
    row("updateLevelReport", "cap_updateLevelReport/p50", "levelReportUpdate(50)");
    row("updateLevelReport negative", "cap_updateLevelReport/p-3", "levelReportUpdate(0)");
    row("showWarningBtn", "cap_showWarningBtn", "warningBtnShow()");
    row("hideWarningBtn", "cap_hideWarningBtn", "warningBtnHided()");
    row("setAutoRecord 0", "cap_setAutoRecord/p0", "autoRecordSet(false)");
    row("setAutoRecord 2", "cap_setAutoRecord/p2", "autoRecordSet(true)");
    row("setAutoRecord missing", "cap_setAutoRecord", "autoRecordSet(false)");
    row("showNotification", "cap_showNotification", "notificationShow()");
    row("showLiveWarningBtn", "cap_showLiveWarningBtn", "liveWarningBtnShow()");
    row("hideLiveWarningBtn", "cap_hideLiveWarningBtn", "liveWarningBtnHided()");
    row("updateLiveStatus", "cap_updateLiveStatus/p1200/p30", "liveStatusUpdate(1200,30)");
    row("updateLiveStatus not numbers", "cap_updateLiveStatus/pfast/p", "liveStatusUpdate(0,0)");
    row("getRecordTime", "cap_getRecordTime", "recordTimeGet()");
    row("startRecord", "cap_startRecord", "recordStart()");
    row("startRecord by prefix", "cap_startRecordNow", "recordStart()");
    row("startRecord in other case", "cap_StartRecord", "");
    row("pauseRecord", "cap_pauseRecord", "recordPause()");
    row("stopRecord", "cap_stopRecord", "recordStop()");
    row("getLiveTime", "cap_getLiveTime", "liveTimeGet()");
    row("startLive", "cap_startLive", "liveStart()");
    row("stopLive", "cap_stopLive", "liveStop()");
    row("unknown", "cap_reboot", "");
    row("empty", "", "");
}

void TestLinkClient::dispatch()
{
    QFETCH(QString, text);
    QFETCH(QStringList, emitted);

    QVERIFY(connectClient());
    LinkSignalRecorder recorder(m_client.get(), {"serverShutdown"});
    m_server->newestPeer()->writeFrame(text);
    // A marker after the message: once it arrives, the message has been handled.
    m_server->newestPeer()->writeFrame(QStringLiteral("cap_showNotification"));
    QStringList seen;
    QVERIFY(QTest::qWaitFor([&] {
        seen += recorder.take();
        return seen.count(QStringLiteral("notificationShow()")) >= (text == "cap_showNotification" ? 2 : 1);
    }, 15000));
    seen.removeOne(QStringLiteral("notificationShow()"));
    QCOMPARE(seen, emitted);
}

void TestLinkClient::senders_data()
{
    QTest::addColumn<ClientCall>("call");
    QTest::addColumn<QString>("text");

    QTest::newRow("showLumidesk") << ClientCall([](LocalClient &c) { c.showLumidesk(640, -12); })
                                  << "cap_showLumidesk/p640/p-12";
    QTest::newRow("startRecord") << ClientCall([](LocalClient &c) { c.startRecord(); }) << "cap_startRecord";
    QTest::newRow("pauseRecord") << ClientCall([](LocalClient &c) { c.pauseRecord(); }) << "cap_pauseRecord";
    QTest::newRow("stopRecord") << ClientCall([](LocalClient &c) { c.stopRecord(75); }) << "cap_stopRecord/p75";
    QTest::newRow("startLive") << ClientCall([](LocalClient &c) { c.startLive(); }) << "cap_startLive";
    QTest::newRow("stopLive") << ClientCall([](LocalClient &c) { c.stopLive(3600); }) << "cap_stopLive/p3600";
    QTest::newRow("showAudioMenu") << ClientCall([](LocalClient &c) { c.showAudioMenu(); }) << "cap_showAudioMenu";
    QTest::newRow("changeAudioSource")
        << ClientCall([](LocalClient &c) { c.changeAudioSource(QStringLiteral("hw:1"), 2); })
        << "cap_changeAudioSource/phw:1/p2";
    QTest::newRow("MacChangeAudioSource")
        << ClientCall([](LocalClient &c) { c.changeAudioSource(QStringLiteral(" USB Mic "), QStringLiteral("id 7"), 2); })
        << "cap_MacChangeAudioSource/p USB Mic /pid 7/p2";
    QTest::newRow("setAudioSource")
        << ClientCall([](LocalClient &c) { c.doSaveAudioSetting(QString::fromUtf8("Mikrofon \xC3\xBC")); })
        << QString::fromUtf8("cap_setAudioSource/pMikrofon \xC3\xBC");
    QTest::newRow("removeAudioSource") << ClientCall([](LocalClient &c) { c.removeAudioSource(); })
                                       << "cap_removeAudioSource";
    QTest::newRow("changeVolume") << ClientCall([](LocalClient &c) { c.changeVolume(-5); }) << "cap_changeVolume/p-5";
    QTest::newRow("hideRecordWidget") << ClientCall([](LocalClient &c) { c.hideRecordWidget(); })
                                      << "cap_hideRecordWidget";
    QTest::newRow("hideLiveWidget") << ClientCall([](LocalClient &c) { c.hideLiveWidget(); }) << "cap_hideLiveWidget";
    QTest::newRow("updateRecordTime") << ClientCall([](LocalClient &c) { c.updateRecordTime(12); })
                                      << "cap_getRecordTime/p12";
    QTest::newRow("updateLiveTime") << ClientCall([](LocalClient &c) { c.updateLiveTime(0); }) << "cap_getLiveTime/p0";
}

void TestLinkClient::senders()
{
    QFETCH(ClientCall, call);
    QFETCH(QString, text);

    // While the link is down nothing is sent, not even later.
    call(*m_client);
    QVERIFY(connectClient());
    call(*m_client);
    LinkRawSocket *peer = m_server->newestPeer();
    QTRY_COMPARE(peer->messages(), (QStringList{greeting(), text}));
}

void TestLinkClient::framesSplitAndMerged()
{
    QVERIFY(connectClient());
    LinkSignalRecorder recorder(m_client.get(), {"serverShutdown"});
    LinkRawSocket *peer = m_server->newestPeer();

    // Byte by byte, with the event loop turning between bytes: nothing is lost, nothing invented.
    const QByteArray split = LinkRawSocket::frame(QStringLiteral("cap_updateVolume/p40"))
                             + LinkRawSocket::frame(QStringLiteral("cap_updateVolume/p41"));
    for (char byte : split) {
        peer->writeRaw(QByteArray(1, byte));
        peer->socket()->flush();
        QCoreApplication::processEvents();
        QVERIFY(recorder.pending() <= 2);
    }
    QTRY_COMPARE(recorder.pending(), 2);
    QCOMPARE(recorder.take(), (QStringList{"volumeUpdate(40)", "volumeUpdate(41)"}));

    // Three messages and the first bytes of a fourth in one write.
    peer->writeRaw(LinkRawSocket::frame(QStringLiteral("cap_updateLevelReport/p1"))
                   + LinkRawSocket::frame(QStringLiteral("cap_updateLevelReport/p2"))
                   + LinkRawSocket::frame(QStringLiteral("cap_updateLevelReport/p3"))
                   + LinkRawSocket::frame(QStringLiteral("cap_updateLevelReport/p4")).left(7));
    QTRY_COMPARE(recorder.pending(), 3);
    QCOMPARE(recorder.take(), (QStringList{"levelReportUpdate(1)", "levelReportUpdate(2)", "levelReportUpdate(3)"}));
    // Nothing was made of the cut fourth: once its rest has come, it is the one message taken.
    peer->writeRaw(LinkRawSocket::frame(QStringLiteral("cap_updateLevelReport/p4")).mid(7));
    QTRY_COMPARE(recorder.pending(), 1);
    QCOMPARE(recorder.take(), QStringList{"levelReportUpdate(4)"});
    QVERIFY(m_client->checkAlive());
}

void TestLinkClient::greetsAndComesBackAfterADrop_data()
{
    QTest::addColumn<QByteArray>("lastWords");

    QTest::newRow("closed by the server") << QByteArray();
    // A length of 2 GiB: the client must neither wait for it nor allocate it.
    QTest::newRow("a broken frame") << QByteArray::fromHex("7ffffffe0063");
}

// The server goes on answering under its name: the panel's link comes back on a new connection, which
// is greeted like the first, and the panel is not told to end.
void TestLinkClient::greetsAndComesBackAfterADrop()
{
    QFETCH(QByteArray, lastWords);

    QVERIFY(connectClient());
    LinkRawSocket *first = m_server->newestPeer();
    QTRY_COMPARE(first->messages(), QStringList{greeting()});
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    if (lastWords.isEmpty())
        first->socket()->disconnectFromServer();
    else
        first->writeRaw(lastWords);
    QTRY_COMPARE(m_server->peers().size(), 2);
    LinkRawSocket *second = m_server->newestPeer();
    QTRY_COMPARE(second->messages(), QStringList{greeting()});
    QVERIFY(m_client->checkAlive());
    QVERIFY(!first->isConnected());

    QSignalSpy volume(m_client.get(), &LocalClient::volumeUpdate);
    second->writeFrame(QStringLiteral("cap_updateVolume/p70"));
    QVERIFY(volume.wait(15000));
    m_client->stopRecord(10);
    QTRY_COMPARE(second->messages().last(), QStringLiteral("cap_stopRecord/p10"));
    QCOMPARE(shutdown.count(), 0);
}

// A server that closes every connection at once is still there: it is asked again, but not in a loop.
void TestLinkClient::linkDroppedAgainAndAgainIsTriedOncePerCheck()
{
    connect(m_server.get(), &LinkRawServer::peerConnected, this,
            [](LinkRawSocket *peer) { peer->socket()->disconnectFromServer(); }, Qt::QueuedConnection);
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    QElapsedTimer clock;
    clock.start();
    m_client->requestNewConnection();
    QTRY_VERIFY_WITH_TIMEOUT(m_server->peers().size() >= 4, 10000);
    const qint64 checks = clock.elapsed() / LocalClient::AliveIntervalMs;
    QVERIFY2(m_server->peers().size() <= 2 + checks + 1,
             qPrintable(QStringLiteral("%1 connections in %2 ms").arg(m_server->peers().size()).arg(clock.elapsed())));
    QCOMPARE(shutdown.count(), 0);
}

void TestLinkClient::reportsAnAbsentServerEverySecond()
{
    m_server.reset();
    m_client.reset(new LocalClient);
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    QElapsedTimer clock;
    clock.start();
    m_client->requestNewConnection();
    QVERIFY(!m_client->checkAlive());
    m_client->stopRecord(10);

    QVERIFY(shutdown.wait(30000));
    QVERIFY2(clock.elapsed() >= 900, "the first check comes after one interval");
    QVERIFY(shutdown.wait(30000));
    QVERIFY(clock.elapsed() >= 1800);
}

void TestLinkClient::reportsTheServerGoingAwayAndStaysDown()
{
    QVERIFY(connectClient());
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    m_server->close();
    QVERIFY(shutdown.wait(15000));
    QVERIFY(!m_client->checkAlive());

    // A new server under the same name does not bring this client back.
    m_server.reset(new LinkRawServer);
    QVERIFY(m_server->listen(QLatin1String(LocalClient::ServerName)));
    QVERIFY(shutdown.wait(30000)); // the next check, which did not connect
    QVERIFY(m_server->peers().isEmpty());
    QVERIFY(!m_client->checkAlive());
}

void TestLinkClient::destructionIsNoShutdown()
{
    QVERIFY(connectClient());
    QSignalSpy shutdown(m_client.get(), &LocalClient::serverShutdown);
    bool destroyed = false;
    connect(m_client.get(), &QObject::destroyed, [&] { destroyed = true; });
    const int before = shutdown.count();
    m_client.reset();
    QVERIFY(destroyed);
    QCOMPARE(shutdown.count(), before);
}

namespace {

// A language code names a catalogue file and folder: it must be a plain name, never a path.
bool isPlainLanguageCode(const QString &code)
{
    if (code.isEmpty() || code.size() > 16 || !code.at(0).isLetter())
        return false;
    for (QChar c : code) {
        const bool plain = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                           || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('_') || c == QLatin1Char('-');
        if (!plain)
            return false;
    }
    return true;
}

} // namespace

// Valid commands mutated, straight into the dispatch: no value outside what the panel's controls can
// take reaches a signal, and every signal with arguments is reached.
void TestLinkClient::mutatedCommandsStayInRange()
{
    using F = LinkCommandFuzzer;
    LinkCommandFuzzer fuzzer(20240613, {
        {"cap_hideLumidesk", {F::Number, F::Number}},
        {"cap_changeLanguage", {F::Language}},
        {"cap_showRecordWidget", {}},
        {"cap_showLiveWidget", {}},
        {"cap_updateAudioList", {F::Count}},
        {"cap_MacUpdateAudioList", {F::Count, F::Pairs}},
        {"cap_updateAudioSource", {F::Text}},
        {"cap_updateVolume", {F::Number}},
        {"cap_updateLevelReport", {F::Number}},
        {"cap_showWarningBtn", {}},
        {"cap_hideWarningBtn", {}},
        {"cap_setAutoRecord", {F::Number}},
        {"cap_showNotification", {}},
        {"cap_showLiveWarningBtn", {}},
        {"cap_hideLiveWarningBtn", {}},
        {"cap_updateLiveStatus", {F::Number, F::Number}},
        {"cap_getRecordTime", {}},
        {"cap_startRecord", {}},
        {"cap_pauseRecord", {}},
        {"cap_stopRecord", {}},
        {"cap_getLiveTime", {}},
        {"cap_startLive", {}},
        {"cap_stopLive", {}},
    });
    using B = LinkSignalBounds;
    // Positions are X11's 16-bit coordinates; volume and level feed 0-100 controls; a list has at
    // most 256 entries and a name list as many ids; the live status shows at most 10 Gbit/s and
    // 1000 frames per second.
    const B::Rule percent = [](const QVariantList &a) { return B::inRange(a.at(0), 0, 100); };
    LinkSignalBounds bounds(m_client.get(), {
        {"lumideskHided(int,int)",
         [](const QVariantList &a) { return B::inRange(a.at(0), -32768, 32767) && B::inRange(a.at(1), -32768, 32767); }},
        {"langChanged(QString)", [](const QVariantList &a) { return isPlainLanguageCode(a.at(0).toString()); }},
        {"audioListUpdate(QList<QString>)",
         [](const QVariantList &a) { return a.at(0).value<QList<QString>>().size() <= 256; }},
        {"audioListUpdate(QList<QString>,QList<QString>)",
         [](const QVariantList &a) {
             const int names = a.at(0).value<QList<QString>>().size();
             return names <= 256 && a.at(1).value<QList<QString>>().size() == names;
         }},
        {"audioSourceUpdate(QString)", [](const QVariantList &) { return true; }},
        {"volumeUpdate(int)", percent},
        {"levelReportUpdate(int)", percent},
        {"autoRecordSet(bool)", [](const QVariantList &) { return true; }},
        {"liveStatusUpdate(int,int)",
         [](const QVariantList &a) { return B::inRange(a.at(0), 0, 10000000) && B::inRange(a.at(1), 0, 1000); }},
    });
    QCOMPARE(fuzzer.firstViolation(20000, bounds, [this](const QString &text) { m_client->readMessage(text); }),
             QString());
    QCOMPARE(bounds.neverEmittedWithArguments(), QStringList());
}

QTEST_GUILESS_MAIN(TestLinkClient)
#include "tst_link_client.moc"
