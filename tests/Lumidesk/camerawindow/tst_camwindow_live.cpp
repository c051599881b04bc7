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

private:
    NginxRtmp m_server;
};

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
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Live/Service"), 0);
        settings.setValue(QStringLiteral("Live/YoutubeUrl"), m_server.url());
        settings.setValue(QStringLiteral("Live/YoutubeKey"), QStringLiteral("cam"));
        settings.setValue(QStringLiteral("Live/Resolution"), 3);
        settings.setValue(QStringLiteral("Live/AutoRecord"), true);
    }
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

    QTest::qWait(3000);
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

QTEST_MAIN(TestCamWindowLive)
#include "tst_camwindow_live.moc"
