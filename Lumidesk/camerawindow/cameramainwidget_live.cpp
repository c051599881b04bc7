#include "cameramainwidget.h"

#include "cameramainwidget_p.h"

#include "analytics/bigdata.h"
#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "dialogs/livesettings.h"
#include "dialogs/livestreamsettingdialog.h"
#include "qorvrtmpintf.h"

#include <QTimer>

using namespace CameraWindowText;

// Idle -> settings -> countdown (publisher pending) -> live -> idle. One stream runs on the machine at
// a time: the publisher's busy state covers every publisher of the process.

bool CameraMainWidget::streamHeldElsewhere() const
{
    return rtmp->isStreaming() || rtmp->isStreamPending() || liveControlShown;
}

void CameraMainWidget::showOneStreamNotice()
{
    showNotificationDialog(tr(StreamTitle), tr(OneStreamMessage), 0);
}

void CameraMainWidget::showLiveStreamSetting()
{
    if (!camera)
        return;
    if (streamHeldElsewhere() || liveActive || liveCountdownTimer->isActive()) {
        showOneStreamNotice();
        return;
    }
    liveSettingDialog->loadSetting();
    liveSettingDialog->enableAutoRecord(recordState == 0);
    centreOnPrimaryScreen(liveSettingDialog);
    liveSettingDialog->showSetting();
}

void CameraMainWidget::startLiveCountdown()
{
    if (!camera || liveActive || liveCountdownTimer->isActive())
        return;
    // The settings were open for a while: another stream may have started meanwhile.
    if (streamHeldElsewhere()) {
        showOneStreamNotice();
        return;
    }
    setToDisable(true);
    rtmp->setStreamPending(true);
    countdownValue = 3;
    lebalCountdown->setText(QString::number(countdownValue));
    lebalCountdown->show();
    liveCountdownTimer->start(timing.countdownStepMs);
    updateSeeThrough();
}

void CameraMainWidget::liveCountdown()
{
    const int before = countdownValue--;
    if (before >= 2) {
        lebalCountdown->setText(QString::number(countdownValue));
        liveCountdownTimer->start(timing.countdownStepMs);
        return;
    }
    countdownValue = 0;
    lebalCountdown->hide();
    if (mouseInside)
        showCameraWidgetContent();
    // The mark held the machine's one stream for this window; given up first, the start can tell
    // this window's hold from another's.
    rtmp->setStreamPending(false);
    startLiveStream();
    updateSeeThrough();
}

void CameraMainWidget::reSetLiveStatus()
{
    if (!liveCountdownTimer->isActive())
        return;
    liveCountdownTimer->stop();
    countdownValue = 0;
    lebalCountdown->hide();
    rtmp->setStreamPending(false);
    updateSeeThrough();
}

void CameraMainWidget::startLiveStream()
{
    if (liveSettingDialog->getShowSettingStatus())
        liveSettingDialog->closeSetting();
    if (liveCountdownTimer->isActive() || liveTimer->isActive() || liveActive || !camera)
        return;
    // One stream on the machine, however the start was asked for: the countdown's end, the phone.
    if (streamHeldElsewhere()) {
        _LumideskLog::log(Journix::Warning, "live start refused: another stream runs");
        if (recordState == 0)
            setToDisable(false);
        if (!remoteCommandActive)
            showOneStreamNotice();
        return;
    }
    setToDisable(true);
    if (recordRunning) {
        setRecordBlink(false);
        recordTimer->start(timing.counterTickMs);
    }
    liveActive = true;
    liveTimer->start(timing.counterTickMs);
    btnLiveMsg->show();
    btnStartLive->hide();
    btnStopLive->show();
    liveElapsedMs += CounterStepMs;

    rtmp->setUrl(liveSettingDialog->getStreamUrl());
    rtmp->setStreamKey(liveSettingDialog->getStreamKey());
    rtmp->setResolutionLevel(liveSettingDialog->getResolutionLevel());
    rtmp->setHasAudio(audioSource != nullptr);
    session->enableH264Export(true);

    const bool autoRecord = liveSettingDialog->getAutoRecordStatus();
    if (!remoteCommandActive) {
        if (autoRecord && recordState == 0)
            recordClick();
        sendState(LiveStateId, 1, 0);
    }
    sendAnalytics(LiveStartEvent, cameraOrder, cameraName(), LiveSettings::serviceLabel(liveSettingDialog->getServiceType()),
                  LiveSettings::levelLabel(liveSettingDialog->getResolutionLevel()), autoRecord);
}

void CameraMainWidget::stopLiveStream()
{
    if (!liveActive && !liveTimer->isActive())
        return;
    const qint64 seconds = liveElapsedMs / 1000;
    if (recordState == 0)
        setToDisable(false);
    liveActive = false;
    liveTimer->stop();
    setLiveBlink(false);
    liveElapsedMs = 0;
    lbLiveTime->setText(QStringLiteral("00:00:00"));
    frameLiveTime->hide();
    btnLiveMsg->hide();
    btnStartLive->show();
    btnStopLive->hide();
    btnLiveWarring->hide();
    session->enableH264Export(false);
    sendState(LiveStateId, 0, 0);
    if (camera)
        sendAnalytics(LiveStopEvent, cameraOrder, cameraName(), seconds);
    updateSeeThrough();
}

void CameraMainWidget::countLiveTime()
{
    setLiveBlink(!liveBlink);
    liveElapsedMs += CounterStepMs;
    lbLiveTime->setText(msecToString(liveElapsedMs));
}

void CameraMainWidget::showLiveTime()
{
    frameLiveTime->show();
    updateSeeThrough();
}

void CameraMainWidget::hideLiveTime()
{
    frameLiveTime->hide();
    updateSeeThrough();
}

// ---- the publisher's news (queued; a stream stopped meanwhile ignores it) ----

void CameraMainWidget::showRtmpNotification(int ret)
{
    if (!liveTimer->isActive())
        return;
    const char *message = nullptr;
    switch (ret) {
    case QorvRtmpIntf::ConnectFailed:
        message = ConnectFailedMessage;
        break;
    case QorvRtmpIntf::DataFormatError:
        message = DataFormatMessage;
        break;
    case QorvRtmpIntf::StreamFailed:
        message = StreamFailedMessage;
        break;
    default:
        return;
    }
    stopLiveStream();
    showNotificationDialog(tr(StreamTitle), tr(message), 1);
}

void CameraMainWidget::showUploadWarning(bool status)
{
    if (!liveTimer->isActive())
        return;
    btnLiveWarring->setVisible(status);
}

void CameraMainWidget::liveStatus(int kbps, int fps)
{
    Q_UNUSED(fps)
    if (!liveTimer->isActive())
        return;
    lbSpeed->setText(QStringLiteral("%1 kb/s").arg(kbps));
}

void CameraMainWidget::handleReconnectServer()
{
    if (!liveTimer->isActive())
        return;
    session->enableH264Export(false);
    QTimer::singleShot(timing.reconnectDelayMs, this, &CameraMainWidget::restartLive);
}

void CameraMainWidget::restartLive()
{
    if (!liveTimer->isActive())
        return;
    session->enableH264Export(true);
}
