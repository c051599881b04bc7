#include "toolbarfixture.h"

#include "capture/qorvcapturesession.h"
#include "dialogs/livestreamsettingdialog.h"
#include "manager/doccammanager.h"
#include "nginxrtmp.h"
#include "qorvrtmpintf.h"
#include "writerprobe.h"

using namespace toolbar;

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

private:
    void goLive(Lumidesk &bar, ScriptedPanel *panel);

    NginxRtmp m_server;
    QString m_key;
    int m_run = 0;
};

void TestDesktopLive::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
}

void TestDesktopLive::init()
{
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
    panel.send("cap_startLive");
    QTest::qWait(300);
    QVERIFY(bar->isLive());
    QVERIFY(!panel.has("cap_stopLive"));
    QVERIFY(shownNotice(*bar).isEmpty());

    // Slow frames: the eleventh slow report in a row shows the panel's warning, a fast one resets.
    for (int i = 0; i < 10; ++i)
        emit bar->desktopSession()->recordedFPSReceived(5);
    emit bar->desktopSession()->recordedFPSReceived(7);
    for (int i = 0; i < 10; ++i)
        emit bar->desktopSession()->recordedFPSReceived(5);
    QTest::qWait(200);
    QVERIFY(!panel.has("cap_showLiveWarningBtn"));
    emit bar->desktopSession()->recordedFPSReceived(6);
    QTRY_COMPARE(panel.count("cap_showLiveWarningBtn"), 1);
    emit bar->publisher()->liveStatus(1200, 30);
    QTRY_VERIFY(panel.received().contains("cap_updateLiveStatus/p1200/p30"));

    QTest::qWait(2500);
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
    QTest::qWait(100);
    QVERIFY(bar->isLive());
    emit bar->publisher()->rtmpNotification(QorvRtmpIntf::ConnectFailed);
    QTRY_VERIFY(!bar->isLive());
    QVERIFY(!bar->desktopSession()->isLive());
    QVERIFY(shownNotice(*bar).contains("Connect server fail !"));
    QCOMPARE(panel.count("cap_stopLive"), withPanel ? 1 : 0);

    // Once stopped, the publisher's late news changes nothing.
    bar->notification()->closeDialog();
    emit bar->publisher()->rtmpNotification(QorvRtmpIntf::StreamFailed);
    QTest::qWait(100);
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

    // Stopped during the wait: the export stays off.
    emit bar->publisher()->reconnectServer();
    QTRY_VERIFY(!bar->desktopSession()->isLive());
    QMetaObject::invokeMethod(bar.get(), "stopLive", Q_ARG(int, 1));
    QTest::qWait(500);
    QVERIFY(!bar->desktopSession()->isLive());
}

QTEST_MAIN(TestDesktopLive)
#include "tst_core_desktoplive.moc"
