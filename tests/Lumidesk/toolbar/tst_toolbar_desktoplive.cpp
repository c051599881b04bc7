#include "toolbarfixture.h"

#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "dialogs/livestreamsettingdialog.h"
#include "manager/doccammanager.h"
#include "nginxrtmp.h"
#include "qorvrtmpintf.h"
#include "simulated/simulatedcameras.h"
#include "syslogger.h"
#include "writerprobe.h"

#include <QMutex>
#include <QTcpServer>

#include <atomic>
#include <memory>

using namespace toolbar;

namespace {

// The records the log system writes, in order; the publisher's threads may write too.
class CapturedLog : public SysLogger
{
public:
    bool open() override { return true; }
    void close() override {}
    void write(const QByteArray &line) override
    {
        QMutexLocker locker(&m_mutex);
        m_lines.append(line);
    }
    int count(const QByteArray &text) const
    {
        QMutexLocker locker(&m_mutex);
        return int(std::count_if(m_lines.cbegin(), m_lines.cend(),
                                 [&](const QByteArray &line) { return line.contains(text); }));
    }
    void clear()
    {
        QMutexLocker locker(&m_mutex);
        m_lines.clear();
    }

private:
    mutable QMutex m_mutex;
    QList<QByteArray> m_lines;
};

const QByteArray StartedLine = "Desktop live stream started.";

} // namespace

// Live streaming of the desktop into a local nginx-rtmp, started and stopped as the record and live
// panel does it over the real local command link; what the publisher reports, and a busy publisher.
class TestDesktopLive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void streamsIntoTheServer();
    void busyPublisherRefusesTheStream();
    void publisherTroubleStopsTheStream_data();
    void publisherTroubleStopsTheStream();
    void reconnectRestartsTheExport();
    void lostPictureStopsTheStream_data();
    void lostPictureStopsTheStream();
    void sleepStopsTheStream();
    void warningsReachThePanel_data();
    void warningsReachThePanel();
    void liveControlsWithAutomaticRecording_data();
    void liveControlsWithAutomaticRecording();
    void stopWhileNotLive();
    void startIsLoggedOnceTheServerTakesTheStream_data();
    void startIsLoggedOnceTheServerTakesTheStream();

private:
    void goLive(Lumidesk &bar, ScriptedPanel *panel);

    NginxRtmp m_server;
    CapturedLog m_log;
    QString m_key;
    int m_run = 0;
};

void TestDesktopLive::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
    _LumideskLog::moduleId();
    Journix::getSysJournix()->setLogger(&m_log);
    Journix::getSysJournix()->setLogLevel(Journix::Debug);
    QVERIFY(Journix::getSysJournix()->startLog());
}

void TestDesktopLive::init()
{
    m_log.clear();
    m_key = QStringLiteral("desk%1").arg(++m_run);
    writeSettings({{"Live/Service", 3},
                   {"Live/OthersUrl", m_server.url()},
                   {"Live/OthersKey", m_key},
                   {"Live/Resolution", 1},
                   {"Live/AutoRecord", false}});
}

void TestDesktopLive::goLive(Lumidesk &bar, ScriptedPanel *panel)
{
    if (panel) {
        QVERIFY(panel->connectToToolbar());
        QTRY_VERIFY(bar.localServer()->isPanelConnected());
        emit bar.liveSettingDialog()->settingSuccess();
        panel->send("cap_startLive");
    } else {
        emit bar.liveSettingDialog()->settingSuccess();
        QMetaObject::invokeMethod(&bar, "startLive");
    }
    QTRY_VERIFY(bar.isLive());
    QVERIFY(bar.desktopSession()->isLive());
}

void TestDesktopLive::streamsIntoTheServer()
{
    auto bar = makeToolbar();
    bar->streamingBtn->click();
    QVERIFY(bar->liveSettingDialog()->isVisible());
    QVERIFY(bar->liveSettingDialog()->getShowSettingStatus());

    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    // The user applied the settings: the panel shows its live controls, without the record ones.
    emit bar->liveSettingDialog()->settingSuccess();
    QTRY_VERIFY(panel.received().contains("cap_showLiveWidget"));
    QVERIFY(panel.received().contains("cap_setAutoRecord/p0"));
    QVERIFY(!panel.has("cap_showRecordWidget"));

    panel.send("cap_startLive");
    QTRY_VERIFY(bar->isLive());
    QVERIFY(!bar->liveSettingDialog()->getShowSettingStatus()); // the start closes the settings
    QTRY_VERIFY_WITH_TIMEOUT(bar->publisher()->isStreaming(), 10000);

    // Started again while our own stream runs: nothing changes, nothing is stopped.
    panel.clear();
    QSignalSpy starts(bar->localServer(), &LocalServer::liveStart);
    panel.send("cap_startLive");
    QTRY_COMPARE(starts.count(), 1);
    QVERIFY(panel.settle(*bar));
    QVERIFY(bar->isLive());
    QVERIFY(!panel.has("cap_stopLive"));
    QVERIFY(shownNotice(*bar).isEmpty());

    // Slow frames: the eleventh slow report in a row shows the panel's warning, a fast one resets.
    for (int i = 0; i < 10; ++i)
        emit bar->desktopSession()->recordedFPSReceived(5);
    emit bar->desktopSession()->recordedFPSReceived(7);
    for (int i = 0; i < 10; ++i)
        emit bar->desktopSession()->recordedFPSReceived(5);
    QVERIFY(runQueued(*bar));
    QVERIFY(panel.settle(*bar));
    QVERIFY(!panel.has("cap_showLiveWarningBtn"));
    emit bar->desktopSession()->recordedFPSReceived(6);
    QTRY_COMPARE(panel.count("cap_showLiveWarningBtn"), 1);
    emit bar->publisher()->liveStatus(1200, 30);
    QTRY_VERIFY(panel.received().contains("cap_updateLiveStatus/p1200/p30"));

    // Streamed until the publisher's own reports, one a second, have counted pictures sent in three
    // seconds, however slowly a busy machine encodes them: the server then holds well over 1.5 s.
    auto secondsWithPictures = std::make_shared<std::atomic<int>>(0);
    const QMetaObject::Connection reports = connect(bar->publisher(), &QorvRtmpIntf::liveStatus, bar->publisher(),
            [secondsWithPictures](int, int fps) {
                if (fps > 0)
                    ++*secondsWithPictures;
            }, Qt::DirectConnection);
    QTRY_VERIFY_WITH_TIMEOUT(*secondsWithPictures >= 3, 30000);
    disconnect(reports);
    panel.send("cap_stopLive/p3");
    QTRY_VERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
    QCOMPARE(countOf(analytics, Lumidesk::LiveStartEvent), 1);
    const QList<QVariant> started = firstOf(analytics, Lumidesk::LiveStartEvent);
    QCOMPARE(started.at(1).toString(), QString()); // service "Others" has no label
    QCOMPARE(started.at(2).toString(), QStringLiteral("720P"));
    QCOMPARE(started.at(3).toBool(), false);
    QCOMPARE(firstOf(analytics, Lumidesk::LiveStopEvent).at(1).toInt(), 3);

    QVERIFY2(m_server.waitForRecording(m_key, 15000), qPrintable(m_server.errorLog()));
    const WriterProbe streamed = WriterProbe::run(m_server.recordPath(m_key));
    QVERIFY2(streamed.ok, qPrintable(streamed.error));
    const WriterProbedStream video = streamed.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QCOMPARE(QSize(video.width, video.height), QSize(1280, 720));
    QVERIFY2(video.duration() > 1.5, qPrintable(QString::number(video.duration())));
}

void TestDesktopLive::busyPublisherRefusesTheStream()
{
    // Another stream of this program is about to start.
    QorvRtmpIntf *other = acquireQorvRtmpImpl();
    other->setStreamPending(true);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());

    bar->streamingBtn->click();
    QVERIFY(!bar->liveSettingDialog()->isVisible());
    QVERIFY(shownNotice(*bar).contains("only stream content on one device"));
    bar->notification()->closeDialog();

    panel.send("cap_startLive");
    QTRY_VERIFY(panel.has("cap_stopLive"));
    QVERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
    QVERIFY(shownNotice(*bar).contains("only stream content on one device"));
    other->setStreamPending(false);
}

void TestDesktopLive::publisherTroubleStopsTheStream_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::newRow("panel") << true;
    QTest::newRow("no panel") << false;
}

void TestDesktopLive::publisherTroubleStopsTheStream()
{
    QFETCH(bool, withPanel);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    goLive(*bar, withPanel ? &panel : nullptr);

    emit bar->publisher()->rtmpNotification(-4); // not a notice of the publisher
    QVERIFY(runQueued(*bar));
    QVERIFY(bar->isLive());
    QVERIFY(shownNotice(*bar).isEmpty());
    emit bar->publisher()->rtmpNotification(QorvRtmpIntf::ConnectFailed);
    QTRY_VERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
    QVERIFY(shownNotice(*bar).contains("Connect server fail !"));
    QCOMPARE(panel.count("cap_stopLive"), withPanel ? 1 : 0);

    // Once stopped, the publisher's late news changes nothing.
    bar->notification()->closeDialog();
    emit bar->publisher()->rtmpNotification(QorvRtmpIntf::StreamFailed);
    QVERIFY(runQueued(*bar));
    QVERIFY(shownNotice(*bar).isEmpty());
}

void TestDesktopLive::reconnectRestartsTheExport()
{
    auto bar = makeToolbar();
    goLive(*bar, nullptr);
    emit bar->publisher()->reconnectServer();
    QTRY_VERIFY(!bar->desktopSession()->isLive());
    QVERIFY(bar->isLive());
    // Back after the (shortened) wait.
    QTRY_VERIFY(bar->desktopSession()->isLive());

    // Stopped during the wait: the export stays off once the wait is over.
    emit bar->publisher()->reconnectServer();
    QTRY_VERIFY(!bar->desktopSession()->isLive());
    QMetaObject::invokeMethod(bar.get(), "stopLive", Q_ARG(int, 1));
    QVERIFY(outlastTimer(testTiming().reconnectDelayMs));
    QVERIFY(!bar->desktopSession()->isLive());
}

void TestDesktopLive::lostPictureStopsTheStream_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::newRow("panel") << true;
    QTest::newRow("no panel") << false;
}

// The desktop's picture broke off while only streaming: the stream stops, and the user is told why.
void TestDesktopLive::lostPictureStopsTheStream()
{
    QFETCH(bool, withPanel);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    goLive(*bar, withPanel ? &panel : nullptr);
    emit bar->desktopSession()->receiveError(QorvCaptureSession::StreamLost);
    QTRY_VERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
    QVERIFY2(shownNotice(*bar).contains("The picture of the desktop was lost."), qPrintable(shownNotice(*bar)));
    QVERIFY(shownNotice(*bar).contains("Stream Notification"));
    QCOMPARE(panel.count("cap_stopLive"), withPanel ? 1 : 0);
    QVERIFY(!panel.has("cap_stopRecord"));
}

// A sleep ends the stream through the panel; waking does not start it again.
void TestDesktopLive::sleepStopsTheStream()
{
    auto bar = makeToolbar();
    ScriptedPanel panel;
    goLive(*bar, &panel);
    panel.clear();
    platform::SimulatedCameras::instance()->suspendComputer();
    QTRY_VERIFY(!bar->isLive());
    QCOMPARE(panel.count("cap_stopLive"), 1);
    platform::SimulatedCameras::instance()->resumeComputer();
    // A stop that goes round the panel once more proves the wake sent nothing before it.
    QMetaObject::invokeMethod(bar.get(), "stopLiveFromRtmp");
    QTRY_COMPARE(panel.count("cap_stopLive"), 2);
    QVERIFY(!panel.has("cap_startLive"));
    QVERIFY(!panel.has("cap_pauseRecord"));
    QVERIFY(!bar->isLive());
}

void TestDesktopLive::warningsReachThePanel_data()
{
    QTest::addColumn<bool>("live");
    QTest::addColumn<QList<int>>("uploadWarnings");
    QTest::addColumn<QList<int>>("frameRates");
    QTest::addColumn<QStringList>("sent");

    const QString show = QStringLiteral("cap_showLiveWarningBtn");
    const QString hide = QStringLiteral("cap_hideLiveWarningBtn");
    QTest::newRow("upload slow, then well") << true << QList<int>{1, 0} << QList<int>{} << QStringList{show, hide};
    QTest::newRow("upload while not live") << false << QList<int>{1, 0} << QList<int>{} << QStringList{};
    // The eleventh report in a row on the same side changes the warning, and every one after it
    // repeats it.
    QList<int> slowThenFast;
    for (int i = 0; i < 12; ++i)
        slowThenFast.append(6);
    for (int i = 0; i < 11; ++i)
        slowThenFast.append(7);
    QTest::newRow("frames slow, then fast") << true << QList<int>{} << slowThenFast << QStringList{show, show, hide};
    QTest::newRow("frames while not live") << false << QList<int>{} << slowThenFast << QStringList{};
}

void TestDesktopLive::warningsReachThePanel()
{
    QFETCH(bool, live);
    QFETCH(QList<int>, uploadWarnings);
    QFETCH(QList<int>, frameRates);
    QFETCH(QStringList, sent);

    // A stream to an address that never answers: no warning of the publisher's own joins the ones
    // sent here.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    const QString silentUrl = QStringLiteral("rtmp://127.0.0.1:%1/live").arg(silent.serverPort());
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(QStringLiteral("Live/OthersUrl"), silentUrl);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    if (live) {
        goLive(*bar, &panel);
    } else {
        QVERIFY(panel.connectToToolbar());
        QTRY_VERIFY(bar->localServer()->isPanelConnected());
    }
    panel.clear();
    for (const int warning : uploadWarnings)
        emit bar->publisher()->showUploadWarning(warning != 0);
    for (const int rate : frameRates)
        emit bar->desktopSession()->recordedFPSReceived(rate);
    // The stop's round trip through the panel comes after every warning the reports caused.
    QMetaObject::invokeMethod(bar.get(), "stopLiveFromRtmp");
    QTRY_VERIFY(panel.has("cap_stopLive"));
    QStringList warnings;
    for (const QString &text : panel.received()) {
        if (text.endsWith(QLatin1String("LiveWarningBtn")))
            warnings.append(text);
    }
    QCOMPARE(warnings, sent);
}

void TestDesktopLive::liveControlsWithAutomaticRecording_data()
{
    QTest::addColumn<bool>("autoRecord");
    QTest::addColumn<bool>("recordControlShown");
    QTest::addColumn<QStringList>("sent");

    const QString showLive = QStringLiteral("cap_showLiveWidget");
    const QString showRecord = QStringLiteral("cap_showRecordWidget");
    QTest::newRow("on") << true << false << QStringList{"cap_setAutoRecord/p1", showLive, showRecord};
    QTest::newRow("on, record controls shown already") << true << true << QStringList{"cap_setAutoRecord/p1", showLive};
    QTest::newRow("off") << false << false << QStringList{"cap_setAutoRecord/p0", showLive};
}

// With automatic recording the live controls bring the record controls too, so the panel can start
// the recording with the stream.
void TestDesktopLive::liveControlsWithAutomaticRecording()
{
    QFETCH(bool, autoRecord);
    QFETCH(bool, recordControlShown);
    QFETCH(QStringList, sent);

    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(QStringLiteral("Live/AutoRecord"), autoRecord);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    if (recordControlShown)
        bar->recordBtn->click();
    QTRY_COMPARE(panel.count("cap_showRecordWidget"), recordControlShown ? 1 : 0);
    panel.clear();
    emit bar->liveSettingDialog()->settingSuccess();
    QTRY_VERIFY(panel.has("cap_showLiveWidget"));
    // A message after the controls' own proves nothing more came with them.
    QMetaObject::invokeMethod(bar.get(), "stopLiveFromRtmp");
    QTRY_VERIFY(panel.has("cap_stopLive"));
    QStringList controls;
    for (const QString &text : panel.received()) {
        if (text.startsWith(QLatin1String("cap_show")) || text.startsWith(QLatin1String("cap_setAutoRecord")))
            controls.append(text);
    }
    QCOMPARE(controls, sent);
}

// A stop while nothing streams is counted for the statistics, and changes nothing else.
void TestDesktopLive::stopWhileNotLive()
{
    auto bar = makeToolbar();
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    QMetaObject::invokeMethod(bar.get(), "stopLive", Q_ARG(int, 42));
    QCOMPARE(countOf(analytics, Lumidesk::LiveStopEvent), 1);
    QCOMPARE(firstOf(analytics, Lumidesk::LiveStopEvent).at(1).toInt(), 42);
    QVERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
}

void TestDesktopLive::startIsLoggedOnceTheServerTakesTheStream_data()
{
    QTest::addColumn<bool>("refused");
    QTest::newRow("server takes the stream") << false;
    QTest::newRow("refused port") << true;
}

// The log's start line stands for a stream the server took: it follows the publisher's news that the
// server accepted it, once, and a refused connection logs none.
void TestDesktopLive::startIsLoggedOnceTheServerTakesTheStream()
{
    QFETCH(bool, refused);
    if (refused) {
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        const quint16 port = closed.serverPort();
        closed.close();
        writeSettings({{"Live/Service", 3},
                       {"Live/OthersUrl", QStringLiteral("rtmp://127.0.0.1:%1/live").arg(port)},
                       {"Live/OthersKey", m_key},
                       {"Live/Resolution", 1},
                       {"Live/AutoRecord", false}});
    }
    auto bar = makeToolbar();
    QSignalSpy accepted(bar->publisher(), &QorvRtmpIntf::streamConnected);
    ScriptedPanel panel;
    goLive(*bar, &panel);

    if (refused) {
        QTRY_VERIFY_WITH_TIMEOUT(!bar->isLive(), 20000);
        QVERIFY(shownNotice(*bar).contains("Connect server fail !"));
        QCOMPARE(accepted.count(), 0);
        QCOMPARE(m_log.count(StartedLine), 0);
        QCOMPARE(m_log.count("stopped after"), 0);
        QCOMPARE(m_log.count("Desktop live stream ended before the server accepted it."), 1);
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_log.count(StartedLine), 1, 15000);
    QCOMPARE(accepted.count(), 1);
    // A reconnect's acceptance is the same stream.
    emit bar->publisher()->streamConnected();
    QVERIFY(runQueued(*bar));
    QCOMPARE(m_log.count(StartedLine), 1);
    panel.send("cap_stopLive/p2");
    QTRY_VERIFY(!bar->isLive());
    QCOMPARE(m_log.count("Desktop live stream stopped after 2 s."), 1);
}

QTEST_MAIN(TestDesktopLive)
#include "tst_toolbar_desktoplive.moc"
