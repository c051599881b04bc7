#include "toolbar/link/localserver.h"

#include "linkcommandfuzzer.h"
#include "linkrawsocket.h"
#include "linksignalbounds.h"
#include "linksignalrecorder.h"

#include "ipc/locallistener.h"
#include "ipc/localsocketpath.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

using platform::LocalSocketPath;

using ServerCall = std::function<void(LocalServer &)>;
Q_DECLARE_METATYPE(ServerCall)

class TestLinkServer : public QObject
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
    void brokenFrameClosesThatConnection_data();
    void brokenFrameClosesThatConnection();
    void silentConnectionIsNeverServed();
    void newestGreetingIsServed_data();
    void newestGreetingIsServed();
    void olderConnectionDeathKeepsTheNewest();
    void missedEchoEndsThePanel_data();
    void missedEchoEndsThePanel();
    void echoDeadlineOfItsOwn();
    void newestConnectionDeathFallsBack();
    void makesRoomWithoutClosingThePanel_data();
    void makesRoomWithoutClosingThePanel();
    void strayThatGoesGivesThePanelBack_data();
    void strayThatGoesGivesThePanelBack();
    void manyIdleConnectionsUnderALowFileLimit();
    void secondServerLeavesTheNameAlone();
    void socketOfAKilledServerIsTakenOver();
    void survivesRandomFrames();
    void mutatedCommandsStayInRange();

private:
    static QString path() { return LocalSocketPath::fullPath(QLatin1String(LocalServer::ServerName)); }
    static QString greeting() { return QLatin1String(LocalServer::PanelGreeting); }
    // A connection the server has taken, that has said nothing.
    LinkRawSocket *connectPeer();
    // A connection that has greeted, as the panel does, and is served.
    LinkRawSocket *connectPanel();
    // The server's ends of the connections it has seen and not yet seen closed.
    int openServerEnds() const;
    // Runs what the server queued to the event loop before this call.
    bool runQueuedCalls();
    // Waits until every message written so far on peer has been handled.
    bool sync(LinkRawSocket *peer, LinkSignalRecorder *recorder, QStringList *seen);

    std::unique_ptr<LocalServer> m_server;
    QList<LinkRawSocket *> m_peers;
};

void TestLinkServer::init()
{
    m_server.reset(new LocalServer);
    QVERIFY(m_server->isListening());
}

void TestLinkServer::cleanup()
{
    qDeleteAll(m_peers);
    m_peers.clear();
    m_server.reset();
}

LinkRawSocket *TestLinkServer::connectPeer()
{
    // The server takes each connection before the spy hears of it: it connected first.
    QSignalSpy accepted(m_server->findChild<platform::LocalListener *>(), &platform::LocalListener::newConnection);
    auto *peer = new LinkRawSocket;
    m_peers.append(peer);
    if (!peer->connectTo(path()) || !(accepted.count() || accepted.wait(15000)))
        return nullptr;
    return peer;
}

LinkRawSocket *TestLinkServer::connectPanel()
{
    LinkRawSocket *peer = connectPeer();
    if (!peer)
        return nullptr;
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    peer->writeFrame(greeting());
    return ready.wait(15000) ? peer : nullptr;
}

int TestLinkServer::openServerEnds() const
{
    const QList<QLocalSocket *> ends = m_server->findChildren<QLocalSocket *>();
    return int(std::count_if(ends.cbegin(), ends.cend(), [](const QLocalSocket *end) {
        return end->state() == QLocalSocket::ConnectedState;
    }));
}

bool TestLinkServer::runQueuedCalls()
{
    bool ran = false;
    QMetaObject::invokeMethod(m_server.get(), [&ran] { ran = true; }, Qt::QueuedConnection);
    return QTest::qWaitFor([&] { return ran; }, 15000);
}

bool TestLinkServer::sync(LinkRawSocket *peer, LinkSignalRecorder *recorder, QStringList *seen)
{
    static const QString marker = QStringLiteral("audioMenuShow()");
    const int before = seen->count(marker);
    peer->writeFrame(QStringLiteral("cap_showAudioMenu"));
    const bool done = QTest::qWaitFor([&] {
        *seen += recorder->take();
        return seen->count(marker) > before;
    }, 15000);
    seen->removeOne(marker);
    return done;
}

void TestLinkServer::dispatch_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("emitted");

    auto row = [](const char *name, const QString &text, const QString &call) {
        QTest::newRow(name) << text << (call.isEmpty() ? QStringList() : QStringList{call});
    };
    row("showLumidesk", "cap_showLumidesk/p640/p-12", "lumideskShow(640,-12)");
    row("showLumidesk clamped", "cap_showLumidesk/p70000/p-70000", "lumideskShow(32767,-32768)");
    row("startRecord", "cap_startRecord", "recordStart()");
    row("startRecord by prefix", "cap_startRecordAgain", "recordStart()");
    row("startRecord in other case", "cap_startrecord", "");
    row("pauseRecord", "cap_pauseRecord", "recordPause()");
    row("stopRecord", "cap_stopRecord/p75", "recordStop(75)");
    row("stopRecord without seconds", "cap_stopRecord", "recordStop(0)");
    row("stopRecord not a number", "cap_stopRecord/pabc", "recordStop(0)");
    row("stopRecord negative", "cap_stopRecord/p-5", "recordStop(0)");
    row("stopRecord beyond int", "cap_stopRecord/p99999999999", "recordStop(0)");
    row("startLive", "cap_startLive", "liveStart()");
    row("stopLive", "cap_stopLive/p3600", "liveStop(3600)");
    row("changeAudioSource", "cap_changeAudioSource/phw:1/p2", "audioSourceChange(\"hw:1\",2)");
    row("changeAudioSource index clamped", "cap_changeAudioSource/phw:1/p100000", "audioSourceChange(\"hw:1\",256)");
    row("MacChangeAudioSource", "cap_MacChangeAudioSource/p USB Mic /pid 7/p2",
        "audioSourceChange(\" USB Mic \",\"id 7\",2)");
    row("MacChangeAudioSource without arguments", "cap_MacChangeAudioSource", "audioSourceChange(\"\",\"\",0)");
    row("setAudioSource", QString::fromUtf8("cap_setAudioSource/pMikrofon \xC3\xBC"),
        QString::fromUtf8("doSaveAudioSetting(\"Mikrofon \xC3\xBC\")"));
    row("removeAudioSource", "cap_removeAudioSource", "audioSourceRemove()");
    row("changeVolume", "cap_changeVolume/p80", "volumeChange(80)");
    row("changeVolume negative", "cap_changeVolume/p-5", "volumeChange(-5)");
    row("changeVolume beyond a byte", "cap_changeVolume/p300", "volumeChange(127)");
    row("hideRecordWidget", "cap_hideRecordWidget", "recordWidgetHide()");
    row("hideLiveWidget", "cap_hideLiveWidget", "liveWidgetHide()");
    row("getRecordTime", "cap_getRecordTime/p12", "recordTimeGet(12)");
    row("getLiveTime", "cap_getLiveTime/p7", "liveTimeGet(7)");
    row("a command the server only sends", "cap_changeLanguage/pen_US", "");
    row("the panel's greeting again", LocalServer::PanelGreeting, "");
    row("empty", "", "");
}

void TestLinkServer::dispatch()
{
    QFETCH(QString, text);
    QFETCH(QStringList, emitted);

    LinkRawSocket *peer = connectPanel();
    QVERIFY(peer);
    LinkSignalRecorder recorder(m_server.get());
    QStringList seen;
    peer->writeFrame(text);
    QVERIFY(sync(peer, &recorder, &seen));
    QCOMPARE(seen, emitted);
    QVERIFY(peer->isConnected());
}

void TestLinkServer::senders_data()
{
    QTest::addColumn<ServerCall>("call");
    QTest::addColumn<QStringList>("texts");

    auto row = [](const char *name, ServerCall call, const QString &text, const QString &then = QString()) {
        QStringList texts{text};
        if (!then.isEmpty())
            texts += then;
        QTest::newRow(name) << call << texts;
    };
    row("hideLumidesk", [](LocalServer &s) { s.hideLumidesk(120, -40); }, "cap_hideLumidesk/p120/p-40");
    row("changeLang", [](LocalServer &s) { s.changeLang(QStringLiteral("en_US")); }, "cap_changeLanguage/pen_US");
    row("showRecordWidget", [](LocalServer &s) { s.showRecordWidget(); }, "cap_showRecordWidget");
    row("showLiveWidget", [](LocalServer &s) { s.showLiveWidget(); }, "cap_showLiveWidget");
    row("updateAudioList", [](LocalServer &s) { s.updateAudioList({QStringLiteral("A"), QStringLiteral("B")}); },
        "cap_updateAudioList/p2/pA/pB");
    row("MacUpdateAudioList",
        [](LocalServer &s) {
            s.updateAudioList({QStringLiteral("Mic 1"), QStringLiteral("Mic 2")},
                              {QStringLiteral("id-1"), QStringLiteral("id-2")});
        },
        "cap_MacUpdateAudioList/p2/pMic 1/pid-1/pMic 2/pid-2");
    row("MacUpdateAudioList without devices", [](LocalServer &s) { s.updateAudioList({}, {}); },
        "cap_MacUpdateAudioList/p0");
    row("MacUpdateAudioList with fewer ids",
        [](LocalServer &s) { s.updateAudioList({QStringLiteral("Mic 1"), QStringLiteral("Mic 2")}, {QStringLiteral("id-1")}); },
        "cap_MacUpdateAudioList/p2/pMic 1/pid-1/pMic 2/p");
    row("updateAudioSource", [](LocalServer &s) { s.updateAudioSource(QStringLiteral("id-1")); },
        "cap_updateAudioSource/pid-1");
    row("updateVolume", [](LocalServer &s) { s.updateVolume(-3); }, "cap_updateVolume/p-3");
    row("updateLevelReport", [](LocalServer &s) { s.updateLevelReport(0); }, "cap_updateLevelReport/p0");
    row("showWarningBtn", [](LocalServer &s) { s.showWarningBtn(); }, "cap_showWarningBtn");
    row("hideWarningBtn", [](LocalServer &s) { s.hideWarningBtn(); }, "cap_hideWarningBtn");
    row("setAutoRecord on", [](LocalServer &s) { s.setAutoRecord(true); }, "cap_setAutoRecord/p1");
    row("setAutoRecord off", [](LocalServer &s) { s.setAutoRecord(false); }, "cap_setAutoRecord/p0");
    row("showNotification", [](LocalServer &s) { s.showNotification(); }, "cap_showNotification");
    row("showLiveWarningBtn", [](LocalServer &s) { s.showLiveWarningBtn(); }, "cap_showLiveWarningBtn");
    row("hideLiveWarningBtn", [](LocalServer &s) { s.hideLiveWarningBtn(); }, "cap_hideLiveWarningBtn");
    row("updateLiveStatus", [](LocalServer &s) { s.updateLiveStatus(1200, 30); }, "cap_updateLiveStatus/p1200/p30");
    row("getRecordTime", [](LocalServer &s) { s.getRecordTime(); }, "cap_getRecordTime");
    row("startRecord", [](LocalServer &s) { s.startRecord(); }, "cap_startRecord");
    row("pauseRecord", [](LocalServer &s) { s.pauseRecord(); }, "cap_pauseRecord");
    row("stopRecord", [](LocalServer &s) { s.stopRecord(); }, "cap_stopRecord");
    row("getLiveTime", [](LocalServer &s) { s.getLiveTime(); }, "cap_getLiveTime");
    row("startLive", [](LocalServer &s) { s.startLive(); }, "cap_startLive");
    row("stopLive", [](LocalServer &s) { s.stopLive(); }, "cap_stopLive");
}

void TestLinkServer::senders()
{
    QFETCH(ServerCall, call);
    QFETCH(QStringList, texts);

    // With no panel the message is lost: a panel that greets later does not get it.
    call(*m_server);
    LinkRawSocket *peer = connectPanel();
    QVERIFY(peer);
    call(*m_server);
    QTRY_COMPARE(peer->messages(), texts);
    // A message sent after it arrives after anything the first call may have held back.
    m_server->updateVolume(5);
    QTRY_COMPARE(peer->messages().size(), texts.size() + 1);
    QCOMPARE(peer->messages(), texts + QStringList{QStringLiteral("cap_updateVolume/p5")});
}

void TestLinkServer::framesSplitAndMerged()
{
    LinkRawSocket *peer = connectPanel();
    QVERIFY(peer);
    LinkSignalRecorder recorder(m_server.get());

    const QByteArray bytes = LinkRawSocket::frame(QStringLiteral("cap_stopRecord/p1"))
                             + LinkRawSocket::frame(QStringLiteral("cap_stopRecord/p2"));
    for (char byte : bytes) {
        peer->writeRaw(QByteArray(1, byte));
        peer->socket()->flush();
        QCoreApplication::processEvents();
    }
    QStringList seen;
    QVERIFY(sync(peer, &recorder, &seen));
    QCOMPARE(seen, (QStringList{"recordStop(1)", "recordStop(2)"}));

    seen.clear();
    const QByteArray fourth = LinkRawSocket::frame(QStringLiteral("cap_stopRecord/p4"));
    peer->writeRaw(LinkRawSocket::frame(QStringLiteral("cap_getRecordTime/p1"))
                   + LinkRawSocket::frame(QStringLiteral("cap_getRecordTime/p2"))
                   + LinkRawSocket::frame(QStringLiteral("cap_getRecordTime/p3")) + fourth.left(3));
    QTRY_COMPARE(recorder.pending(), 3);
    QCOMPARE(recorder.take(), (QStringList{"recordTimeGet(1)", "recordTimeGet(2)", "recordTimeGet(3)"}));
    peer->writeRaw(fourth.mid(3));
    QVERIFY(sync(peer, &recorder, &seen));
    QCOMPARE(seen, QStringList{"recordStop(4)"});
}

void TestLinkServer::brokenFrameClosesThatConnection_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("odd length") << QByteArray::fromHex("00000003006300");
    QTest::newRow("just over 64 KiB") << QByteArray::fromHex("00010002");
    QTest::newRow("2 GiB") << QByteArray::fromHex("7ffffffe0063");
    QTest::newRow("after a good message")
        << LinkRawSocket::frame(QStringLiteral("cap_startLive")) + QByteArray::fromHex("ff000000");
}

void TestLinkServer::brokenFrameClosesThatConnection()
{
    QFETCH(QByteArray, bytes);

    LinkRawSocket *bystander = connectPanel();
    LinkRawSocket *peer = connectPanel();
    QVERIFY(bystander && peer);
    // The bystander taking over is brought up to date; that is not what this looks at.
    LinkSignalRecorder recorder(m_server.get(), {"localSocketReady"});
    peer->writeRaw(bytes);
    QTRY_VERIFY(!peer->isConnected());
    const QStringList seen = recorder.take();
    QCOMPARE(seen, bytes.startsWith(LinkRawSocket::frame(QStringLiteral("cap_startLive")))
                       ? QStringList{"liveStart()"} : QStringList());

    // The other connection goes on, and becomes the one served again.
    QVERIFY(bystander->isConnected());
    m_server->startRecord();
    QTRY_COMPARE(bystander->messages(), QStringList{"cap_startRecord"});
}

// A connection that has not spoken is no panel, however new: nothing is sent to it, and a silent one
// that comes and goes (a second program start's check) changes nothing for the panel.
void TestLinkServer::silentConnectionIsNeverServed()
{
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    LinkRawSocket *early = connectPeer();
    QVERIFY(early);
    QVERIFY(!m_server->isPanelConnected());
    m_server->startRecord();

    LinkRawSocket *panel = connectPanel();
    QVERIFY(panel);
    LinkRawSocket *probe = connectPeer();
    QVERIFY(probe);
    QVERIFY(m_server->isPanelConnected());
    m_server->updateLevelReport(12);
    QTRY_COMPARE(panel->messages(), QStringList{"cap_updateLevelReport/p12"});
    probe->socket()->disconnectFromServer();
    QTRY_COMPARE(openServerEnds(), 2); // the server has seen the probe go
    m_server->stopRecord();
    QTRY_COMPARE(panel->messages(), (QStringList{"cap_updateLevelReport/p12", "cap_stopRecord"}));
    QCOMPARE(ready.count(), 1);

    // Once it greets it is served, and has been sent nothing before: what it gets first is what came
    // after its greeting.
    early->writeFrame(greeting());
    QVERIFY(ready.wait(15000));
    m_server->getLiveTime();
    QTRY_COMPARE(early->messages(), QStringList{"cap_getLiveTime"});
    QCOMPARE(probe->messages(), QStringList());
}

void TestLinkServer::newestGreetingIsServed_data()
{
    QTest::addColumn<bool>("olderGreetsLast");
    QTest::addColumn<QString>("firstWord");

    QTest::newRow("greetings in the order of connecting") << false << greeting();
    QTest::newRow("the older connection greets last") << true << greeting();
    QTest::newRow("a command as the first word") << true << QStringLiteral("cap_changeVolume/p40");
}

void TestLinkServer::newestGreetingIsServed()
{
    QFETCH(bool, olderGreetsLast);
    QFETCH(QString, firstWord);

    LinkRawSocket *older = connectPeer();
    LinkRawSocket *newer = connectPeer();
    QVERIFY(older && newer);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    LinkRawSocket *first = olderGreetsLast ? newer : older;
    LinkRawSocket *last = olderGreetsLast ? older : newer;
    first->writeFrame(firstWord);
    QVERIFY(ready.wait(15000));
    last->writeFrame(firstWord);
    QVERIFY(ready.wait(15000));
    m_server->showRecordWidget();
    QTRY_COMPARE(last->messages(), QStringList{"cap_showRecordWidget"});

    // The panel displaced is read, and its commands do not make it current again.
    LinkSignalRecorder recorder(m_server.get());
    QStringList seen;
    first->writeFrame(QStringLiteral("cap_stopRecord/p9"));
    QVERIFY(sync(first, &recorder, &seen));
    QCOMPARE(seen, QStringList{"recordStop(9)"});
    m_server->showLiveWidget();
    QTRY_COMPARE(last->messages(), (QStringList{"cap_showRecordWidget", "cap_showLiveWidget"}));
    QCOMPARE(first->messages(), QStringList());
    QCOMPARE(ready.count(), 2);
}

void TestLinkServer::missedEchoEndsThePanel_data()
{
    QTest::addColumn<bool>("olderPanel");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<bool>("goes");
    QTest::addColumn<bool>("handedBack");

    QTest::newRow("greets, then silent") << false << QString() << false << true;
    QTest::newRow("greets, then silent, beside an older panel") << true << QString() << false << true;
    QTest::newRow("greets, then answers something else") << true << QStringLiteral("cap_getRecordTime/p3") << false
                                                          << true;
    QTest::newRow("echoes in time") << true << QStringLiteral("cap_stopRecord/p4") << false << false;
    QTest::newRow("goes before its echo") << true << QString() << true << true;
}

// A connection that greeted and lets a command's deadline pass is no panel any more: what it was to echo
// is handed back once, an older panel is served again, and it is served again only once it speaks.
void TestLinkServer::missedEchoEndsThePanel()
{
    QFETCH(bool, olderPanel);
    QFETCH(QString, reply);
    QFETCH(bool, goes);
    QFETCH(bool, handedBack);

    QList<std::function<void()>> deadlines;
    m_server->setEchoDeadline(LocalServer::EchoDeadlineMs,
                              [&deadlines](std::function<void()> expire) { deadlines.append(std::move(expire)); });
    LinkRawSocket *older = olderPanel ? connectPanel() : nullptr;
    LinkRawSocket *deaf = connectPanel();
    QVERIFY(deaf && (older || !olderPanel));
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    int missed = 0;
    m_server->stopRecord([&missed] { ++missed; });
    QTRY_COMPARE(deaf->messages(), QStringList{"cap_stopRecord"});
    QCOMPARE(deadlines.size(), 1);
    LinkSignalRecorder recorder(m_server.get());
    QStringList seen;
    if (!reply.isEmpty()) {
        deaf->writeFrame(reply);
        QVERIFY(sync(deaf, &recorder, &seen));
    }
    if (goes) {
        deaf->socket()->disconnectFromServer();
        QTRY_COMPARE(openServerEnds(), 1);
    }
    for (const std::function<void()> &expire : qAsConst(deadlines))
        expire();
    // A second passing of the same deadline, or a late one, hands nothing back again.
    for (const std::function<void()> &expire : qAsConst(deadlines))
        expire();
    QVERIFY(runQueuedCalls());
    QCOMPARE(missed, handedBack ? 1 : 0);
    QCOMPARE(m_server->isPanelConnected(), !handedBack || olderPanel);
    QCOMPARE(ready.count(), handedBack && olderPanel ? 1 : 0);

    m_server->updateVolume(30);
    LinkRawSocket *served = handedBack ? older : deaf;
    if (served)
        QTRY_VERIFY(served->messages().contains("cap_updateVolume/p30"));
    if (goes)
        return;
    if (!handedBack)
        return;
    // Nothing reaches it until it speaks again; then it is the panel again.
    QVERIFY(!deaf->messages().contains("cap_updateVolume/p30"));
    deaf->writeFrame(greeting());
    QVERIFY(ready.wait(15000));
    m_server->updateVolume(31);
    QTRY_VERIFY(deaf->messages().contains("cap_updateVolume/p31"));
    if (older)
        QVERIFY(!older->messages().contains("cap_updateVolume/p31"));
}

// Without a keeper the deadline is a timer: a connection that never echoes loses the panel's place.
void TestLinkServer::echoDeadlineOfItsOwn()
{
    m_server->setEchoDeadline(50);
    LinkRawSocket *deaf = connectPanel();
    QVERIFY(deaf);
    bool missed = false;
    m_server->getRecordTime([&missed] { missed = true; });
    QTRY_VERIFY_WITH_TIMEOUT(missed, 15000);
    QVERIFY(!m_server->isPanelConnected());
    QCOMPARE(deaf->messages(), QStringList{"cap_getRecordTime"});
}

void TestLinkServer::olderConnectionDeathKeepsTheNewest()
{
    LinkRawSocket *first = connectPanel();
    LinkRawSocket *second = connectPanel();
    QVERIFY(first && second);
    first->socket()->disconnectFromServer();
    QTRY_COMPARE(openServerEnds(), 1); // the server has seen the close
    QVERIFY(m_server->isPanelConnected());
    m_server->startLive();
    QTRY_COMPARE(second->messages(), QStringList{"cap_startLive"});
}

void TestLinkServer::newestConnectionDeathFallsBack()
{
    LinkRawSocket *silent = connectPeer();
    LinkRawSocket *panel = connectPanel();
    LinkRawSocket *probe = connectPanel();
    QVERIFY(silent && panel && probe);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    probe->socket()->abort();
    QVERIFY(ready.wait(15000)); // the panel taking over is brought up to date
    QVERIFY(m_server->isPanelConnected());
    m_server->stopLive();
    QTRY_COMPARE(panel->messages(), QStringList{"cap_stopLive"});

    // The last panel going leaves none, whatever else is open.
    panel->socket()->disconnectFromServer();
    QTRY_VERIFY(!m_server->isPanelConnected());
    QCOMPARE(openServerEnds(), 1);
    m_server->stopLive();
    QCOMPARE(ready.count(), 1);
    silent->writeFrame(greeting());
    QVERIFY(ready.wait(15000));
    m_server->startLive();
    QTRY_COMPARE(silent->messages(), QStringList{"cap_startLive"});
}

void TestLinkServer::makesRoomWithoutClosingThePanel_data()
{
    QTest::addColumn<QString>("panelSays");
    QTest::addColumn<QString>("othersSay");
    QTest::addColumn<bool>("othersSpokeFirst");

    QTest::newRow("greeted, strays silent") << greeting() << QString() << false;
    QTest::newRow("greeted, strays say what is no command") << greeting() << QStringLiteral("cap_hello") << false;
    QTest::newRow("a command, strays silent") << QStringLiteral("cap_changeVolume/p40") << QString() << false;
    // Every other connection spoke before the panel greeted, and since: the panel is idle longest,
    // and only being current keeps it open.
    QTest::newRow("every other connection has spoken")
        << greeting() << QStringLiteral("cap_changeVolume/p40") << true;
}

// A panel rarely writes: connections opened beside it must not close it.
void TestLinkServer::makesRoomWithoutClosingThePanel()
{
    QFETCH(QString, panelSays);
    QFETCH(QString, othersSay);
    QFETCH(bool, othersSpokeFirst);

    LinkSignalRecorder recorder(m_server.get(), {"localSocketReady"});
    QStringList seen;
    QList<LinkRawSocket *> others;
    const auto speak = [&](LinkRawSocket *peer) {
        peer->writeFrame(othersSay);
        return sync(peer, &recorder, &seen);
    };
    if (othersSpokeFirst) {
        for (int i = 0; i < LocalServer::MaxConnections - 1; ++i) {
            others << connectPeer();
            QVERIFY(others.last() && speak(others.last()));
        }
    }
    LinkRawSocket *panel = connectPeer();
    QVERIFY(panel);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    panel->writeFrame(panelSays);
    QVERIFY(ready.wait(15000));
    if (othersSpokeFirst) {
        for (LinkRawSocket *other : qAsConst(others))
            QVERIFY(speak(other));
        others << connectPeer(); // one too many
        QVERIFY(others.last());
    } else {
        for (int i = 0; i < 6; ++i) {
            others << connectPeer();
            QVERIFY(others.last());
            if (!othersSay.isEmpty())
                others.last()->writeFrame(othersSay);
        }
    }
    const auto open = [&others] {
        return int(std::count_if(others.begin(), others.end(), [](LinkRawSocket *s) { return s->isConnected(); }));
    };
    QTRY_COMPARE(open(), LocalServer::MaxConnections - 1);
    QVERIFY(panel->isConnected());
    QVERIFY(others.last()->isConnected());
    if (othersSpokeFirst)
        QVERIFY(!others.first()->isConnected()); // the one idle longest after the panel

    // The panel is served meanwhile, and its commands are read.
    m_server->showLiveWidget();
    QTRY_COMPARE(panel->messages(), QStringList{"cap_showLiveWidget"});
    recorder.take();
    seen.clear();
    panel->writeFrame(QStringLiteral("cap_stopRecord/p9"));
    QVERIFY(sync(panel, &recorder, &seen));
    QCOMPARE(seen, QStringList{"recordStop(9)"});

    // The others going changes nothing for it.
    for (LinkRawSocket *other : qAsConst(others))
        other->socket()->disconnectFromServer();
    QTRY_COMPARE(openServerEnds(), 1);
    m_server->showRecordWidget();
    QTRY_COMPARE(panel->messages(), (QStringList{"cap_showLiveWidget", "cap_showRecordWidget"}));
    QCOMPARE(ready.count(), 1);
    for (LinkRawSocket *other : qAsConst(others))
        QCOMPARE(other->messages(), QStringList());
}

void TestLinkServer::strayThatGoesGivesThePanelBack_data()
{
    QTest::addColumn<QString>("straySays");
    QTest::addColumn<QByteArray>("lastWords");

    QTest::newRow("greets, closes") << greeting() << QByteArray();
    QTest::newRow("greets, sends a broken frame") << greeting() << QByteArray::fromHex("7ffffffe0063");
    QTest::newRow("says no command, closes") << QStringLiteral("cap_hello") << QByteArray();
}

// A connection that took the panel's place and goes gives it back; one that never did leaves it.
void TestLinkServer::strayThatGoesGivesThePanelBack()
{
    QFETCH(QString, straySays);
    QFETCH(QByteArray, lastWords);
    const bool tookOver = straySays == greeting();

    LinkRawSocket *panel = connectPanel();
    LinkRawSocket *idle = connectPeer();
    LinkRawSocket *otherIdle = connectPeer();
    LinkRawSocket *stray = connectPeer();
    QVERIFY(panel && idle && otherIdle && stray);
    QSignalSpy ready(m_server.get(), &LocalServer::localSocketReady);
    stray->writeFrame(straySays);
    if (tookOver)
        QVERIFY(ready.wait(15000));

    if (lastWords.isEmpty())
        stray->socket()->disconnectFromServer();
    else
        stray->writeRaw(lastWords);
    QTRY_COMPARE(openServerEnds(), 3); // the server has seen it go
    m_server->changeLang(QStringLiteral("de_DE"));
    QTRY_COMPARE(panel->messages(), QStringList{"cap_changeLanguage/pde_DE"});
    QCOMPARE(ready.count(), tookOver ? 2 : 0);

    // Another connection going leaves the panel where it is.
    idle->writeRaw(QByteArray::fromHex("7ffffffe0063"));
    QTRY_VERIFY(!idle->isConnected());
    m_server->startLive();
    QTRY_COMPARE(panel->messages().last(), QStringLiteral("cap_startLive"));
    QCOMPARE(otherIdle->messages(), QStringList());
    QCOMPARE(ready.count(), tookOver ? 2 : 0);
}

// Connections that nobody closes must not use up the program's file descriptors: the server runs in a
// process allowed 256 of them, and a panel that comes after 300 idle connections is served.
void TestLinkServer::manyIdleConnectionsUnderALowFileLimit()
{
    m_server.reset();
    QProcess host;
    host.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_link_serverhost"), {"256"});
    QVERIFY(host.waitForReadyRead(5000));
    QCOMPARE(host.readLine().trimmed(), QByteArray("ready"));

    std::vector<std::unique_ptr<QLocalSocket>> idle;
    for (int i = 0; i < 300; ++i) {
        idle.push_back(std::make_unique<QLocalSocket>());
        idle.back()->connectToServer(path());
        idle.back()->waitForConnected(1000);
    }
    const auto stillOpen = [&idle] {
        QCoreApplication::processEvents();
        return std::count_if(idle.begin(), idle.end(), [](const std::unique_ptr<QLocalSocket> &socket) {
            return socket->state() == QLocalSocket::ConnectedState;
        });
    };
    QTRY_VERIFY(stillOpen() <= LocalServer::MaxConnections);

    LinkRawSocket panel;
    QVERIFY(panel.connectTo(path()));
    panel.writeFrame(QStringLiteral("cap_getRecordTime/p42"));
    QTRY_COMPARE(panel.messages(), QStringList{"cap_updateVolume/p42"});
    QCOMPARE(host.state(), QProcess::Running);
    host.kill();
    host.waitForFinished();
}

void TestLinkServer::secondServerLeavesTheNameAlone()
{
    QSignalSpy accepted(m_server->findChild<platform::LocalListener *>(), &platform::LocalListener::newConnection);
    LocalServer second;
    QVERIFY(!second.isListening());
    // The second server's check was a connection of its own; the first has seen it come and go.
    QTRY_VERIFY(accepted.count() == 1 && openServerEnds() == 0);
    QVERIFY(!m_server->isPanelConnected());
    LinkRawSocket *peer = connectPanel();
    QVERIFY(peer);
    m_server->getLiveTime();
    QTRY_COMPARE(peer->messages(), QStringList{"cap_getLiveTime"});
}

void TestLinkServer::socketOfAKilledServerIsTakenOver()
{
    m_server.reset();
    QProcess crashed;
    crashed.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_link_listenhelper"),
                  {QLatin1String(LocalServer::ServerName)});
    QVERIFY(crashed.waitForReadyRead(5000));
    crashed.kill();
    QVERIFY(crashed.waitForFinished());
    QVERIFY(QFileInfo::exists(path()));

    m_server.reset(new LocalServer);
    QVERIFY(m_server->isListening());
    LinkRawSocket *peer = connectPanel();
    QVERIFY(peer);
    m_server->pauseRecord();
    QTRY_COMPARE(peer->messages(), QStringList{"cap_pauseRecord"});
}

void TestLinkServer::survivesRandomFrames()
{
    QRandomGenerator random(20240611);
    for (int round = 0; round < 3000; ++round) {
        auto peer = std::make_unique<LinkRawSocket>();
        QVERIFY(peer->connectTo(path()));
        QByteArray bytes;
        const int frames = random.bounded(1, 6);
        for (int i = 0; i < frames; ++i) {
            QString text = QStringLiteral("cap_");
            const int length = random.bounded(0, 40);
            for (int c = 0; c < length; ++c)
                text += QChar(ushort(random.bounded(0, 0x10000)));
            QByteArray frame = LinkRawSocket::frame(text);
            switch (random.bounded(4)) {
            case 0: // a sound frame
                break;
            case 1: { // a random length, often a plausible one
                const quint32 length = random.bounded(2) ? random.generate() : random.bounded(70000u);
                for (int b = 0; b < 4; ++b)
                    frame[b] = char(length >> (24 - 8 * b));
                break;
            }
            case 2: // flipped bytes
                for (int f = 0; f < 3; ++f)
                    frame[random.bounded(frame.size())] = char(random.bounded(256));
                break;
            default: // cut short
                frame.truncate(random.bounded(frame.size()));
                break;
            }
            bytes += frame;
        }
        // Written in random pieces, so frames split anywhere.
        while (!bytes.isEmpty()) {
            const int piece = random.bounded(1, bytes.size() + 1);
            peer->writeRaw(bytes.left(piece));
            bytes.remove(0, piece);
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
    }
    QTRY_COMPARE_WITH_TIMEOUT(openServerEnds(), 0, 30000); // every connection seen and closed

    // A sound panel is served as ever, both ways.
    LinkRawSocket *panel = connectPanel();
    QVERIFY(panel);
    LinkSignalRecorder recorder(m_server.get());
    QStringList seen;
    panel->writeFrame(QStringLiteral("cap_stopRecord/p42"));
    QVERIFY(sync(panel, &recorder, &seen));
    QCOMPARE(seen, QStringList{"recordStop(42)"});
    m_server->showLiveWidget();
    QTRY_COMPARE(panel->messages(), QStringList{"cap_showLiveWidget"});
}

// Valid commands mutated, straight into the dispatch: no value outside what the main program's slots
// can take reaches a signal, and every signal with arguments is reached.
void TestLinkServer::mutatedCommandsStayInRange()
{
    using F = LinkCommandFuzzer;
    LinkCommandFuzzer fuzzer(20240612, {
        {"cap_showLumidesk", {F::Number, F::Number}},
        {"cap_startRecord", {}},
        {"cap_pauseRecord", {}},
        {"cap_stopRecord", {F::Number}},
        {"cap_startLive", {}},
        {"cap_stopLive", {F::Number}},
        {"cap_showAudioMenu", {}},
        {"cap_changeAudioSource", {F::Text, F::Number}},
        {"cap_MacChangeAudioSource", {F::Text, F::Text, F::Number}},
        {"cap_setAudioSource", {F::Text}},
        {"cap_removeAudioSource", {}},
        {"cap_changeVolume", {F::Number}},
        {"cap_hideRecordWidget", {}},
        {"cap_hideLiveWidget", {}},
        {"cap_getRecordTime", {F::Number}},
        {"cap_getLiveTime", {F::Number}},
    });
    using B = LinkSignalBounds;
    // Window positions are X11's 16-bit coordinates, the volume goes on as a signed byte, an index
    // picks one of at most 256 audio inputs, elapsed seconds are never negative.
    const B::Rule seconds = [](const QVariantList &a) { return B::inRange(a.at(0), 0, INT_MAX); };
    LinkSignalBounds bounds(m_server.get(), {
        {"lumideskShow(int,int)",
         [](const QVariantList &a) { return B::inRange(a.at(0), -32768, 32767) && B::inRange(a.at(1), -32768, 32767); }},
        {"recordStop(int)", seconds},
        {"liveStop(int)", seconds},
        {"recordTimeGet(int)", seconds},
        {"liveTimeGet(int)", seconds},
        {"audioSourceChange(QString,int)", [](const QVariantList &a) { return B::inRange(a.at(1), 0, 256); }},
        {"audioSourceChange(QString,QString,int)", [](const QVariantList &a) { return B::inRange(a.at(2), 0, 256); }},
        {"doSaveAudioSetting(QString)", [](const QVariantList &) { return true; }},
        {"volumeChange(int)", [](const QVariantList &a) { return B::inRange(a.at(0), -128, 127); }},
    });
    QCOMPARE(fuzzer.firstViolation(20000, bounds, [this](const QString &text) { m_server->readMessage(text); }),
             QString());
    QCOMPARE(bounds.neverEmittedWithArguments(), QStringList());
}

QTEST_GUILESS_MAIN(TestLinkServer)
#include "tst_link_server.moc"
