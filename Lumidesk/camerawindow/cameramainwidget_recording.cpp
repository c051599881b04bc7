#include "cameramainwidget.h"

#include "cameramainwidget_p.h"
#include "capturefilenames.h"
#include "keystonewidget.h"

#include "analytics/bigdata.h"
#include "camera/generalcamera.h"
#include "capture/qorvcapturesession.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "progressdialog.h"
#include "vantohqcapture.h"
#include "common/remotepayload.h"

#include <QTimer>

using namespace CameraWindowText;

// ---- recording ----
//
// States (recordState): 0 stopped, 1 recording, 2 paused, 3 resumed. Each slot acts only from the
// states it leaves, so a stray click, a late signal or a remote command never makes a state out of turn.

void CameraMainWidget::sendState(quint32 id, qint32 state, qint32 seconds)
{
    if (remoteCommandActive)
        return;
    emit SendToClient(id, RemotePayload::int32s({state, seconds}));
}

void CameraMainWidget::sendRecordState(qint64 seconds)
{
    sendState(RecordStateId, recordState, qint32(seconds));
}

void CameraMainWidget::setRecordBlink(bool on)
{
    recordBlink = on;
    btnRecordMsg->setStyleSheet(on ? CameraWindowStyle::RecordBlink : CameraWindowStyle::Transparent);
}

void CameraMainWidget::setLiveBlink(bool on)
{
    liveBlink = on;
    btnLiveMsg->setStyleSheet(on ? CameraWindowStyle::LiveBlink : CameraWindowStyle::Transparent);
}

QString CameraMainWidget::msecToString(qint64 ms)
{
    return QString::asprintf("%02lld:%02lld:%02lld", ms / 3600000, (ms / 60000) % 60, (ms / 1000) % 60);
}

void CameraMainWidget::checkFolderExist(QString path)
{
    CaptureFileNames::makeFolder(path);
}

void CameraMainWidget::startRecordCountdown()
{
    if (!camera || recordState != 0 || recordCountdownTimer->isActive() || recordTimer->isActive())
        return;
    setToDisable(true);
    if (recordElapsedMs != 0) {
        recordClick();
        return;
    }
    countdownValue = 3;
    lebalCountdown->setText(QString::number(countdownValue));
    lebalCountdown->show();
    recordCountdownTimer->start(timing.countdownStepMs);
    verticalWidgetLeft->hide();
    verticalWidgetRight->hide();
    ptzWidget->hide();
    bottomBar->hide();
    session->enableAudioVolumeLevelExport(false);
    updateSeeThrough();
}

void CameraMainWidget::recordCountdown()
{
    const int before = countdownValue--;
    if (before > 1) {
        lebalCountdown->setText(QString::number(countdownValue));
        recordCountdownTimer->start(timing.countdownStepMs);
        return;
    }
    countdownValue = 0;
    lebalCountdown->hide();
    if (mouseInside)
        showCameraWidgetContent();
    recordClick();
}

void CameraMainWidget::recordClick()
{
    if (recordCountdownTimer->isActive() || recordTimer->isActive() || recordState != 0)
        return;
    if (!camera) {
        if (!liveTimer->isActive())
            setToDisable(false);
        return;
    }
    setToDisable(true);
    btnContinue->hide();
    btnRecord->hide();
    btnPause->show();
    btnStop->show();
    if (liveActive) {
        setLiveBlink(false);
        liveTimer->start(timing.counterTickMs);
    }
    recordTimer->start(timing.counterTickMs);
    btnRecordMsg->show();
    recordRunning = true;
    recordElapsedMs += CounterStepMs;

    const VideoFormat active = camera->getActiveFormat();
    const QRect frame(0, 0, active.width, active.height);
    const QString path = CaptureFileNames::nextVideoPath();
    const qint32 result = session->startRecording(path, frame, QorvCaptureSession::PlainRecording, frame);
    if (result != QorvCaptureSession::Success) {
        // Anything but success leaves no recording behind: 1 (a previous movie still finishing)
        // counts as a failure like the error codes.
        _LumideskLog::log(Journix::Warning, "camera recording not started: 0x%08x", unsigned(result));
        if (result == DiskFull)
            deskSpaceNotEnough();
        else
            writerFailed();
        return;
    }
    recordState = 1;
    sendRecordState(0);
    sendAnalytics(RecordStartEvent, cameraOrder, cameraName());
    updateSeeThrough();
}

void CameraMainWidget::recordPause()
{
    if (recordState != 1 && recordState != 3)
        return;
    recordRunning = false;
    recordTimer->stop();
    setRecordBlink(true);
    btnPause->hide();
    btnContinue->show();
    session->pauseRecording(true);
    recordState = 2;
    sendRecordState(recordElapsedMs / 1000);
}

void CameraMainWidget::recordContinue()
{
    if (recordState != 2)
        return;
    recordRunning = true;
    btnContinue->hide();
    btnRecord->hide();
    btnPause->show();
    btnStop->show();
    if (liveActive) {
        setLiveBlink(true);
        liveTimer->start(timing.counterTickMs);
    }
    recordTimer->start(timing.counterTickMs);
    session->pauseRecording(false);
    recordState = 3;
    sendRecordState(recordElapsedMs / 1000);
}

void CameraMainWidget::recordStop()
{
    const qint64 seconds = recordElapsedMs / 1000;
    const bool wasRecording = recordState != 0;
    recordBlink = false;
    recordRunning = false;
    if (!liveTimer->isActive())
        setToDisable(false);
    btnContinue->hide();
    btnPause->hide();
    btnStop->hide();
    btnRecord->show();
    recordTimer->stop();
    recordElapsedMs = 0;
    lbRecordTime->setText(QStringLiteral("00:00:00"));
    frameRecordTime->hide();
    btnRecordMsg->hide();
    updateSeeThrough();
    if (!wasRecording)
        return;
    session->finishRecording();
    recordState = 0;
    sendRecordState(0);
    if (camera)
        sendAnalytics(RecordStopEvent, cameraOrder, cameraName(), seconds);
}

void CameraMainWidget::countRecordTime()
{
    setRecordBlink(!recordBlink);
    recordElapsedMs += CounterStepMs;
    lbRecordTime->setText(msecToString(recordElapsedMs));
    if (recordElapsedMs < RecordLimitMs)
        return;
    recordStop();
    if (comboBoxSource->currentIndex() != 0)
        showNotificationDialog(comboBoxSource->currentText(), tr(MaximumTimeMessage), 0);
}

void CameraMainWidget::reSetRecordStatus()
{
    if (!recordCountdownTimer->isActive())
        return;
    recordCountdownTimer->stop();
    countdownValue = 0;
    lebalCountdown->hide();
    updateSeeThrough();
}

void CameraMainWidget::deskSpaceNotEnough()
{
    recordStop();
    showNotificationDialog(tr(RecordingStoppedTitle), tr(DiskFullMessage), 0);
}

void CameraMainWidget::writerFailed()
{
    recordStop();
    showNotificationDialog(tr(RecordingStoppedTitle), tr(WriterFailedMessage), 0);
}

void CameraMainWidget::recordFinish(QString path, qint32 result)
{
    // Failures come through handleError as well; a complete movie needs nothing more.
    Q_UNUSED(path)
    Q_UNUSED(result)
}

void CameraMainWidget::showRecordTime()
{
    frameRecordTime->show();
    updateSeeThrough();
}

void CameraMainWidget::hideRecordTime()
{
    frameRecordTime->hide();
    updateSeeThrough();
}

// ---- snapshots ----

void CameraMainWidget::doCapture()
{
    sendAnalytics(SnapshotEvent, cameraOrder, cameraName());
    const QString path = CaptureFileNames::nextPicturePath();
    flash->executeSuccessResponse(primaryScreenRect());
    session->getJPGFileAsync(path);
}

void CameraMainWidget::doHQCapture()
{
    // One picture at a time: the camera answers one request before it takes the next.
    if (hqBusy || !camera)
        return;
    const QString path = CaptureFileNames::nextPicturePath();
    flash->executeSuccessResponse(primaryScreenRect());
    if (!hqCapture->doHQCapture(path))
        return;
    progressDialog->move(pos() + QPoint(width() / 2, height() / 2)
                         - QPoint(progressDialog->width() / 2, progressDialog->height() / 2));
    progressDialog->show();
    hqBusy = true;
    if (!remoteCommandActive)
        emit SendToClient(HQCaptureStateId, RemotePayload::int32s({0}));
}

void CameraMainWidget::closeProgressDialog(QString path)
{
    progressDialog->hide();
    const bool wasBusy = hqBusy;
    hqBusy = false;
    if (!remoteCommandActive)
        emit SendToClient(HQCaptureStateId, RemotePayload::int32s({1}));
    if (wasBusy && path.isEmpty())
        showNotificationDialog(tr(NoticeTitle), tr(PictureFailedMessage), 0);
}

void CameraMainWidget::JPGFileReceived(QString fileName)
{
    Q_UNUSED(fileName)
}

void CameraMainWidget::addExifValue(QString path)
{
    Q_UNUSED(path)
}

