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
#include <QPointer>
#include <QScopedValueRollback>
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
    // A start that finds the recording running changes nothing: a panel's echo that came after its
    // deadline, when the toolbar had started without it.
    if (m_recording && m_recordState != Paused)
        return;
    if (!m_recording) {
        const QRect screen = primaryGeometry();
        // "Video<MM-dd-yy_hhmmss>.mov"; a second one within the same second gets "-2".
        const QString path = CaptureFileNames::nextVideoPath();
        const QRect movie(QPoint(0, 0), screen.size());
        const qint32 result = m_session->startRecording(path, movie, QorvCaptureSession::PlainRecording, movie);
        sendAnalytics(RecordStartEvent);
        if (result != QorvCaptureSession::Success) {
            // 1 (the last movie is still being finished) is a failure too: nothing records now, and
            // the state says so to whoever asks, the phone among them, whatever the start promised.
            _LumideskLog::log(ErrorLevel, QStringLiteral("Desktop recording not started: 0x%x."), unsigned(result));
            m_recordState = Idle;
            scheduleRecordStop(result);
            return;
        }
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording started: %s."), path.toUtf8().constData());
        m_recordState = Recording;
        m_stopPending = false;
        m_recordCounter.start();
    } else {
        // The panel resumes a paused recording.
        m_session->pauseRecording(false);
        m_recordState = Resumed;
        m_recordCounter.resume();
    }
    m_recordTime = 0;
    SendToClient(CameraMainWidget::RecordStateId, RemotePayload::int32s({m_recordState, 0}));
    m_recording = true;
    // After the state went out: an answer given at once (no panel) is then the later, truer one.
    if (m_recordState == Resumed)
        askPanelTime(RecordTimeId);
}

void Lumidesk::scheduleRecordStop(qint32 result)
{
    // The panel counts already: it is told to stop a second later, with a notice that says why.
    if (m_stopPending)
        return;
    m_stopPending = true;
    m_stopReason = result;
    if (!m_timing.deferStopNotice) {
        QTimer::singleShot(m_timing.stopNoticeDelayMs, this, &Lumidesk::deskSpaceNotEnough);
        return;
    }
    // Whoever holds the notice may outlive the toolbar.
    m_timing.deferStopNotice([toolbar = QPointer<Lumidesk>(this)] {
        if (toolbar)
            toolbar->deskSpaceNotEnough();
    });
}

void Lumidesk::pauseRecord()
{
    if (!m_recording || m_recordState == Paused)
        return;
    m_session->pauseRecording(true);
    m_recordState = Paused;
    m_recordCounter.pause();
    if (!m_remoteCommandRunning)
        askPanelTime(RecordTimeId);
}

void Lumidesk::stopRecord(int time)
{
    sendAnalytics(RecordStopEvent, time);
    if (m_recording) {
        m_session->finishRecording();
        m_recordState = Idle;
        m_recordCounter.stop();
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording stopped after %d s."), time);
        if (!m_remoteCommandRunning)
            SendToClient(CameraMainWidget::RecordStateId, RemotePayload::int32s({0, 0}));
    }
    m_recording = false;
    recordingEnded();
    // The panel answers this after its count went back to 0; the toolbar's own count has by now too.
    askPanelTime(RecordTimeId);
}

void Lumidesk::recordingEnded()
{
    // While the stop is still scheduled, its notice is yet to come: the mark keeps a second one away.
    if (m_stopReason == 0)
        m_stopPending = false;
}

void Lumidesk::recordFinish(QString path, int result)
{
    // A failed writer is also reported as an error, which stops the recording (handleError).
    if (result == 0)
        _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording written: %s."), path.toUtf8().constData());
    else
        _LumideskLog::log(ErrorLevel, QStringLiteral("Desktop recording failed (0x%x): %s."), unsigned(result),
                          path.toUtf8().constData());
    // The movie may have ended without the panel's stop (the writer gave up): whatever comes next is
    // new trouble and is told. A movie finished late while the next one records changes nothing.
    if (!m_session->isRecording())
        recordingEnded();
}

// Commands that begin in the program reach the slots through the panel, which echoes them once the
// command that caused them has ended; called at once, with no panel, the slots see the same, so
// what they report reaches the phone as after the echo. A panel that does not echo in time is no
// panel: the command is asked again, of the panel served then or of none.

void Lumidesk::throughPanel(void (LocalServer::*askPanel)(const std::function<void()> &),
                            const std::function<void()> &again, const std::function<void()> &carryOut)
{
    if (m_localServer->isPanelConnected()) {
        (m_localServer->*askPanel)(again);
        return;
    }
    QScopedValueRollback<bool> echoed(m_remoteCommandRunning, false);
    carryOut();
}

// Each is awaited only when the panel has something to do for it: the panel echoes nothing for a start
// while it records, nor for a pause or stop while it does not.

void Lumidesk::requestStartRecord()
{
    const bool changes = !m_recording || m_recordState == Paused;
    throughPanel(&LocalServer::startRecord, changes ? [this] { requestStartRecord(); } : std::function<void()>(),
                 [this] { startRecord(); });
}

void Lumidesk::requestPauseRecord()
{
    const bool changes = m_recording && m_recordState != Paused;
    throughPanel(&LocalServer::pauseRecord, changes ? [this] { requestPauseRecord(); } : std::function<void()>(),
                 [this] { pauseRecord(); });
}

void Lumidesk::requestStopRecord()
{
    throughPanel(&LocalServer::stopRecord, m_recording ? [this] { requestStopRecord(); } : std::function<void()>(),
                 [this] { stopRecord(m_recordCounter.seconds()); });
}

void Lumidesk::requestStartLive()
{
    throughPanel(&LocalServer::startLive, !m_live ? [this] { requestStartLive(); } : std::function<void()>(),
                 [this] { startLive(); });
}

void Lumidesk::requestStopLive()
{
    throughPanel(&LocalServer::stopLive, m_live ? [this] { requestStopLive(); } : std::function<void()>(),
                 [this] { stopLive(m_liveCounter.seconds()); });
}

// ---- Time answers of the panel ----

void Lumidesk::askPanelTime(quint32 cmdID)
{
    const bool record = cmdID == RecordTimeId;
    if (m_localServer->isPanelConnected()) {
        // Unanswered in time, the question goes to the panel served then, or the toolbar's count answers.
        const auto again = [this, cmdID] { askPanelTime(cmdID); };
        if (record)
            m_localServer->getRecordTime(again);
        else
            m_localServer->getLiveTime(again);
        return;
    }
    if (record)
        getRecordTime(m_recordCounter.seconds());
    else
        getLiveTime(m_liveCounter.seconds());
}

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
