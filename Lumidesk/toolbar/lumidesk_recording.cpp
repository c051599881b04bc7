// Desktop recording, the desktop snapshot, the output folder, the desktop's sound input and the record
// and live time answers of the panel.

#include "toolbar/lumidesk.h"

#include "audio/qorvaudiosource.h"
#include "camerawindow/cameramainwidget.h"
#include "camerawindow/capturefilenames.h"
#include "capture/qorvcapturesession.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "common/remotepayload.h"
#include "dialogs/livestreamsettingdialog.h"
#include "qorvrtmpintf.h"
#include "telegate.h"
#include "toolbar/link/localserver.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>


namespace {

const Journix::LogLevel ErrorLevel = Journix::LogLevel(2);
const Journix::LogLevel StateLevel = Journix::LogLevel(4);

} // namespace

void Lumidesk::checkFolderExist(QString path)
{
    CaptureFileNames::makeFolder(path);
}

// ---- Recording ----

void Lumidesk::startRecord()
{
    if (!m_recording) {
        const QRect screen = primaryGeometry();
        // "Video<MM-dd-yy_hhmmss>.mov"; a second one within the same second gets "-2".
        const QString path = CaptureFileNames::nextVideoPath();
        const QRect movie(QPoint(0, 0), screen.size());
        const qint32 result = m_session->startRecording(path, movie, QorvCaptureSession::PlainRecording, movie);
        sendAnalytics(RecordStartEvent);
        if (result != QorvCaptureSession::Success) {
            // 1 (the last movie is still being finished) is a failure too: nothing records now.
            _LumideskLog::log(ErrorLevel, QStringLiteral("Desktop recording not started: 0x%x."), unsigned(result));
            scheduleRecordStop(result);
            return;
        }
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording started: %s."), path.toUtf8().constData());
        m_recordState = Recording;
        m_stopPending = false;
    } else {
        // The panel resumes a paused recording.
        m_session->pauseRecording(false);
        m_recordState = Resumed;
    }
    if (m_recordState == Resumed)
        m_localServer->getRecordTime();
    m_recordTime = 0;
    SendToClient(CameraMainWidget::RecordStateId, RemotePayload::int32s({m_recordState, 0}));
    m_recording = true;
}

void Lumidesk::scheduleRecordStop(qint32 result)
{
    // The panel counts already: it is told to stop a second later, with a notice that says why.
    if (m_stopPending)
        return;
    m_stopPending = true;
    m_stopReason = result;
    QTimer::singleShot(m_timing.stopNoticeDelayMs, this, &Lumidesk::deskSpaceNotEnough);
}

void Lumidesk::pauseRecord()
{
    if (!m_recording)
        return;
    m_session->pauseRecording(true);
    m_recordState = Paused;
    if (!m_remoteCommandRunning)
        m_localServer->getRecordTime();
}

void Lumidesk::stopRecord(int time)
{
    sendAnalytics(RecordStopEvent, time);
    m_localServer->getRecordTime();
    if (m_recording) {
        m_session->finishRecording();
        m_recordState = Idle;
        m_stopPending = false;
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording stopped after %d s."), time);
        if (!m_remoteCommandRunning)
            SendToClient(CameraMainWidget::RecordStateId, RemotePayload::int32s({0, 0}));
    }
    m_recording = false;
}

void Lumidesk::recordFinish(QString path, int result)
{
    // A failed writer is also reported as an error, which stops the recording (handleError).
    if (result == 0)
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording written: %s."), path.toUtf8().constData());
    else
        _LumideskLog::log(ErrorLevel, QStringLiteral("Desktop recording failed (0x%x): %s."), unsigned(result),
                          path.toUtf8().constData());
}

void Lumidesk::requestStartRecord()
{
    if (m_localServer->isPanelConnected())
        m_localServer->startRecord();
    else
        startRecord();
}

void Lumidesk::requestPauseRecord()
{
    if (m_localServer->isPanelConnected())
        m_localServer->pauseRecord();
    else
        pauseRecord();
}

void Lumidesk::requestStopRecord()
{
    if (m_localServer->isPanelConnected())
        m_localServer->stopRecord();
    else
        stopRecord(m_recordTime);
}

void Lumidesk::requestStopLive()
{
    if (m_localServer->isPanelConnected())
        m_localServer->stopLive();
    else
        stopLive(m_liveTime);
}

// ---- Time answers of the panel ----

void Lumidesk::getRecordTime(int recordTime)
{
    m_recordTime = recordTime;
    const QByteArray payload = RemotePayload::int32s({m_recordState, recordTime});
    if (m_pendingTimeReply == RecordTimeId) {
        m_telegate->sendDataToClient(RecordTimeId, payload);
        m_pendingTimeReply = 0;
    } else {
        SendToClient(CameraMainWidget::RecordStateId, payload);
    }
}

int Lumidesk::getLiveStatus()
{
    if (publisherBusy())
        return -1;
    m_liveSetting->loadSetting();
    m_liveSetting->enableAutoRecord(m_recordState == Idle);
    if (m_liveSetting->getStreamUrl().isEmpty() || m_liveSetting->getStreamKey().isEmpty())
        return -2;
    return 0;
}

void Lumidesk::getLiveTime(int liveTime)
{
    m_liveTime = liveTime;
    const int status = qAbs(getLiveStatus());
    int code = status == 1 && !m_live ? 4 : status;
    if (code == 0 && m_recording)
        code = 3;
    if (m_pendingTimeReply == LiveTimeId) {
        m_telegate->sendDataToClient(LiveTimeId, RemotePayload::int32s({code, liveTime}));
        m_pendingTimeReply = 0;
    }
}

// ---- Snapshot and folder ----

void Lumidesk::doCapture()
{
    if (m_snapshotRunning)
        return;
    m_snapshotRunning = true;
    // "Pic<MM-dd-yy_hhmmss>.jpg", never over an earlier picture of the same second.
    const QString path = CaptureFileNames::nextPicturePath();
    m_snapshotPath = path;
    // The screen source encodes its next frame as JPEG on the capture thread; the sound and the flash
    // follow once the file is written, so the flash is never in the picture.
    m_session->getJPGFileAsync(path);
    QTimer::singleShot(m_timing.snapshotTimeoutMs, this, [this, path] {
        if (m_snapshotRunning && m_snapshotPath == path)
            snapshotWritten(path, QorvCaptureSession::SnapshotNotWritten);
    });
}

void Lumidesk::snapshotWritten(const QString &path, qint32 result)
{
    if (!m_snapshotRunning || path != m_snapshotPath)
        return;
    if (result == 0) {
        const QRect screen = primaryGeometry();
        m_dockHelper->executeSuccessResponse(QRect(QPoint(0, 0), screen.size()));
    } else {
        _LumideskLog::log(ErrorLevel, QStringLiteral("Desktop snapshot not written: %s."), path.toUtf8().constData());
        showNotificationDialog(tr("Tivlo"), tr("The picture could not be saved."), 0);
    }
    m_snapshotRunning = false;
    m_snapshotPath.clear();
    sendAnalytics(SnapshotEvent);
}

void Lumidesk::JPGFileReceived(QString fileName)
{
    // Runs on the capture thread; the feedback waits for finishedWritingFrame on the GUI thread.
    Q_UNUSED(fileName)
}

void Lumidesk::showPreviewFolder()
{
    // Both folders are made on the way, so the user finds where the pictures and movies go.
    CaptureFileNames::pictureFolder();
    CaptureFileNames::videoFolder();
    QDesktopServices::openUrl(QUrl::fromLocalFile(CaptureFileNames::tivloFolder()));
}

// ---- Sound of the desktop ----

void Lumidesk::setAudioSource(QString name, QString uid, int index)
{
    if (index <= 0) {
        dropAudioSource();
        m_localServer->updateLevelReport(0);
        return;
    }
    if (m_audioSource && m_audioSource->currentUuid() == uid)
        return;
    replaceAudioSource(new QorvAudioSource(name, uid, index - 1));
}

void Lumidesk::setAudioSource(QString name, int index)
{
    if (index <= 0) {
        dropAudioSource();
        m_localServer->updateLevelReport(0);
        return;
    }
    if (m_audioSource && m_audioSource->currentSourceID() == name)
        return;
    replaceAudioSource(new QorvAudioSource(name, QString(), 0));
}

void Lumidesk::replaceAudioSource(QorvAudioSource *source)
{
    removeAudioSource();
    m_audioSource = source;
    m_session->addSource(source);
    updateLevelExport();
    qint8 volume = 0;
    source->getVolume(&volume);
    source->setVolume(volume);
    m_localServer->updateVolume(volume);
}

void Lumidesk::dropAudioSource()
{
    if (!m_audioSource)
        return;
    m_session->removeSource(m_audioSource);
    delete m_audioSource;
    m_audioSource = nullptr;
}

void Lumidesk::removeAudioSource()
{
    if (!m_audioSource)
        return;
    dropAudioSource();
    m_localServer->updateLevelReport(0);
}

void Lumidesk::setAudioVoice(int volume)
{
    if (m_audioSource)
        m_audioSource->setVolume(qint8(volume));
}

void Lumidesk::adjustVolum(int8_t level)
{
    m_localServer->updateLevelReport(level);
}

void Lumidesk::updateLevelExport()
{
    if (m_audioSource)
        m_session->enableAudioVolumeLevelExport(m_recordControlShown || m_liveControlShown);
}
