#include "camwindowfixture.h"

#include "capture/qorvcapturesession.h"
#include "dialogs/livestreamsettingdialog.h"
#include "nginxrtmp.h"
#include "qorvrtmpintf.h"
#include "writerprobe.h"

#include <QToolButton>
#include <QSettings>

using namespace camwindow;

// Live streaming from a camera window into a local nginx-rtmp, with the automatic recording beside it,
// one stream per machine, and the publisher's notices.
class TestCamWindowLive : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void streamsWithAutomaticRecording();
    void publisherNoticesOnlyWhileLive();
    void oneStreamOnEveryStartPath();
    void publisherFailuresEndTheStream_data();
    void publisherFailuresEndTheStream();
    void reconnectRestartsOnlyAStreamStillLive();

private:
    void configureStream(bool autoRecord = false);
    NginxRtmp m_server;
};

namespace {

QByteArray ints(std::initializer_list<qint32> values)
{
    QByteArray payload;
    for (const qint32 value : values)
        payload.append(reinterpret_cast<const char *>(&value), sizeof(value));
    return payload;
}

} // namespace

void TestCamWindowLive::configureStream(bool autoRecord)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Live/Service"), 0);
    settings.setValue(QStringLiteral("Live/YoutubeUrl"), m_server.url());
    settings.setValue(QStringLiteral("Live/YoutubeKey"), QStringLiteral("cam"));
    settings.setValue(QStringLiteral("Live/Resolution"), 3);
    settings.setValue(QStringLiteral("Live/AutoRecord"), autoRecord);
}

void TestCamWindowLive::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
    QVERIFY2(m_server.start(), qPrintable(m_server.lastError()));
}

void TestCamWindowLive::init()
{
    QFile::remove(_GUID_SETTING_INI);
    plugOnly({makeCamera(0, 0x0815, QStringLiteral("Doc")), makeCamera(1, 0x0816, QStringLiteral("Desk"))});
}

void TestCamWindowLive::streamsWithAutomaticRecording()
{
    configureStream(true);
    auto first = makeWindow(1);
    auto second = makeWindow(2);
    first->comboBoxSource->setCurrentIndex(1);
    second->comboBoxSource->setCurrentIndex(2);
    QVERIFY(first->getSourceCamera() && second->getSourceCamera());
    CameraMainWidget::Timing timing;
    timing.countdownStepMs = 100;
    first->setTiming(timing);
    QSignalSpy sent(first.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(first.get(), &CameraMainWidget::sendCommand);
    QSignalSpy ended(first->captureSession(), &QorvCaptureSession::recordingDidEnd);

    // The user applies the settings; the countdown runs, then the stream and the recording start.
    first->btnStartLive->click();
    LiveStreamSettingDialog *dialog = first->liveStreamSettingDialog();
    QVERIFY(dialog->isVisible());
    dialog->findChild<QToolButton *>(QStringLiteral("btnApply"))->click();
    QCOMPARE(first->lebalCountdown->text(), QStringLiteral("3"));
    QVERIFY(first->publisher()->isStreamPending());
    QTRY_VERIFY(first->isLive());
    QVERIFY(!first->publisher()->isStreamPending());
    QCOMPARE(first->getRecordState(), 1);
    QCOMPARE(sentInts(sent, CameraMainWidget::LiveStateId), (QList<QList<qint32>>{{1, 0}}));
    QCOMPARE(countOf(analytics, CameraMainWidget::LiveStartEvent), 1);
    QTRY_VERIFY_WITH_TIMEOUT(first->publisher()->isStreaming(), 10000);

    // One stream on the machine: the second window is refused and told why.
    second->showLiveStreamSetting();
    QVERIFY(!second->liveStreamSettingDialog()->isVisible());
    QVERIFY2(shownNotice(*second).contains(QStringLiteral("only stream content on one device")),
             qPrintable(shownNotice(*second)));

    // Three seconds on the window's own counter (it starts at half a second).
    QTRY_VERIFY_WITH_TIMEOUT(first->liveElapsed() >= 3500, 20000);
    first->btnStopLive->click();
    QVERIFY(!first->isLive());
    QCOMPARE(sentInts(sent, CameraMainWidget::LiveStateId).last(), (QList<qint32>{0, 0}));
    // The recording started with the stream runs on until it is stopped itself.
    QCOMPARE(first->getRecordState(), 1);
    QVERIFY(!first->comboBoxSource->isEnabled());
    first->recordStop();
    QVERIFY(first->comboBoxSource->isEnabled());
    QVERIFY(ended.wait(20000));

    QVERIFY2(m_server.waitForRecording(QStringLiteral("cam"), 15000), qPrintable(m_server.errorLog()));
    const WriterProbe streamed = WriterProbe::run(m_server.recordPath(QStringLiteral("cam")));
    QVERIFY2(streamed.ok, qPrintable(streamed.error));
    const WriterProbedStream live = streamed.stream(QStringLiteral("video"));
    QCOMPARE(live.codecName, QStringLiteral("h264"));
    QCOMPARE(QSize(live.width, live.height), QSize(640, 360));
    QVERIFY2(live.duration() > 2.0, qPrintable(QString::number(live.duration())));
    const WriterProbe recorded = WriterProbe::run(ended.first().at(0).toString());
    QVERIFY2(recorded.ok, qPrintable(recorded.error));
    QVERIFY2(recorded.stream(QStringLiteral("video")).duration() > 2.5,
             qPrintable(QString::number(recorded.stream(QStringLiteral("video")).duration())));
}

void TestCamWindowLive::publisherNoticesOnlyWhileLive()
{
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    window->showRtmpNotification(QorvRtmpIntf::ConnectFailed);
    window->showUploadWarning(true);
    window->liveStatus(1234, 30);
    QCOMPARE(shown.count(), 0);
    QVERIFY(window->btnLiveWarring->isHidden());
    QCOMPARE(window->lbSpeed->text(), QStringLiteral("0 kb/s"));
}

// One stream on the machine, however a start is asked for: the end of a countdown, the settings
// applied, the phone.
void TestCamWindowLive::oneStreamOnEveryStartPath()
{
    configureStream();
    auto first = makeWindow(1);
    auto second = makeWindow(2);
    first->comboBoxSource->setCurrentIndex(1);
    second->comboBoxSource->setCurrentIndex(2);
    QVERIFY(first->getSourceCamera() && second->getSourceCamera());
    CameraMainWidget::Timing timing;
    timing.countdownStepMs = 50;
    second->setTiming(timing);
    first->liveStreamSettingDialog()->loadSetting();
    second->liveStreamSettingDialog()->loadSetting();
    QSignalSpy firstSent(first.get(), &CameraMainWidget::SendToClient);
    QSignalSpy secondSent(second.get(), &CameraMainWidget::SendToClient);

    // The second window counts down: the phone cannot start the first one meanwhile.
    second->startLiveCountdown();
    QVERIFY(second->publisher()->isStreamPending());
    QByteArray payload = ints({1});
    first->FromClientCmd(CameraMainWidget::LiveStateId, payload);
    QCOMPARE(payload, ints({0}));
    QVERIFY(!first->isLive());
    // The main window opens its live controls before the countdown ends: the second stays off too.
    second->setLiveControlState(true);
    QTRY_VERIFY(second->lebalCountdown->isHidden());
    QVERIFY(!second->isLive());
    QVERIFY(!second->captureSession()->isLive());
    QVERIFY(!second->publisher()->isStreamPending());
    QVERIFY2(shownNotice(*second).contains(QStringLiteral("only stream content on one device")),
             qPrintable(shownNotice(*second)));
    QVERIFY(second->comboBoxSource->isEnabled());
    second->notification()->close();
    second->receiveCloseDialog();
    second->setLiveControlState(false);

    // The first window streams; neither the phone nor the settings start the second then.
    payload = ints({1});
    first->FromClientCmd(CameraMainWidget::LiveStateId, payload);
    QCOMPARE(payload, ints({1}));
    QVERIFY(first->isLive());
    QTRY_VERIFY_WITH_TIMEOUT(first->publisher()->isStreaming(), 10000);
    payload = ints({1});
    second->FromClientCmd(CameraMainWidget::LiveStateId, payload);
    QCOMPARE(payload, ints({0}));
    QVERIFY(!second->isLive());
    QVERIFY(!second->captureSession()->isLive());
    emit second->liveStreamSettingDialog()->settingSuccess();
    QVERIFY(second->lebalCountdown->isHidden());
    QVERIFY(!second->publisher()->isStreamPending());
    QVERIFY2(shownNotice(*second).contains(QStringLiteral("only stream content on one device")),
             qPrintable(shownNotice(*second)));
    QVERIFY(second->comboBoxSource->isEnabled());
    QCOMPARE(sentInts(secondSent, CameraMainWidget::LiveStateId), QList<QList<qint32>>());
    QCOMPARE(sentInts(firstSent, CameraMainWidget::LiveStateId), QList<QList<qint32>>());
    first->stopLiveStream();
}

void TestCamWindowLive::publisherFailuresEndTheStream_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("notice");
    QTest::newRow("connect failed") << int(QorvRtmpIntf::ConnectFailed) << QStringLiteral("Connect server fail !");
    QTest::newRow("data format") << int(QorvRtmpIntf::DataFormatError)
                                 << QStringLiteral("Live stream data format error !");
    QTest::newRow("stream failed") << int(QorvRtmpIntf::StreamFailed) << QStringLiteral("Live stream fail !");
}

// A publisher failure while live ends the stream, reported to the phone, and tells the user why.
void TestCamWindowLive::publisherFailuresEndTheStream()
{
    QFETCH(int, code);
    QFETCH(QString, notice);
    configureStream();
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    window->liveStreamSettingDialog()->loadSetting();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    window->startLiveStream();
    QVERIFY(window->isLive());
    emit window->publisher()->rtmpNotification(code);
    QTRY_VERIFY(!window->isLive());
    QVERIFY(!window->captureSession()->isLive());
    QVERIFY(!window->btnStartLive->isHidden());
    QCOMPARE(sentInts(sent, CameraMainWidget::LiveStateId), (QList<QList<qint32>>{{1, 0}, {0, 0}}));
    const QString shown = shownNotice(*window);
    QVERIFY2(shown.contains(QStringLiteral("Stream Notification")) && shown.contains(notice), qPrintable(shown));
}

// A reconnect switches the export off and on again after its delay, but only for a stream still live.
void TestCamWindowLive::reconnectRestartsOnlyAStreamStillLive()
{
    configureStream();
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    window->liveStreamSettingDialog()->loadSetting();
    CameraMainWidget::Timing timing;
    timing.reconnectDelayMs = 100;
    window->setTiming(timing);
    window->startLiveStream();
    QVERIFY(window->captureSession()->isLive());
    emit window->publisher()->reconnectServer();
    QTRY_VERIFY(!window->captureSession()->isLive());
    QVERIFY(window->isLive());
    QTRY_VERIFY(window->captureSession()->isLive());
    QVERIFY(window->isLive());

    // Stopped during the delay: nothing starts again.
    emit window->publisher()->reconnectServer();
    QTRY_VERIFY(!window->captureSession()->isLive());
    window->stopLiveStream();
    QVERIFY(waitPast(4 * timing.reconnectDelayMs));
    QVERIFY(!window->captureSession()->isLive());
    QVERIFY(!window->isLive());
}

QTEST_MAIN(TestCamWindowLive)
#include "tst_camwindow_live.moc"
