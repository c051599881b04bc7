// What happens to the toolbar from outside: one notice at a time, the list of sound inputs, capture
// errors and a full disk, sleep and wake, and the camera windows' reports (camera chosen, z-order,
// reboot).

#include "toolbar/lumidesk.h"

#include "audio/qorvaudiosource.h"
#include "camera/generalcamera.h"
#include "camerawindow/cameramainwidget.h"
#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "common/settingspath.h"
#include "notificationdialog.h"
#include "toolbar/link/localserver.h"

#include <QSettings>

#include <algorithm>
#include <iterator>

namespace {

const Journix::LogLevel ErrorLevel = Journix::LogLevel(2);
const Journix::LogLevel StateLevel = Journix::LogLevel(4);

// Capture errors that only ever mean memory ran out, by what they stop.
constexpr qint32 RecordMemoryError = qint32(0xE0050002);
constexpr qint32 LiveMemoryError = qint32(0xE0050003);
constexpr qint32 MemoryErrors[] = {qint32(0xE0100004), qint32(0xE0100005), qint32(0xE0200006), qint32(0xE0200007)};

} // namespace

// ---- Notices ----

void Lumidesk::showNotificationDialog(QString title, QString message, int mode)
{
    // One notice of the toolbar and the camera windows at a time; a later one is dropped.
    if (m_dialogShown) {
        _LumideskLog::log(StateLevel, QStringLiteral("Notice not shown, another is open: %s"),
                          message.toUtf8().constData());
        return;
    }
    m_notificationDialog->setTitle(title);
    m_notificationDialog->setMessage(message);
    m_notificationDialog->show();
    m_dialogShown = true;
    emit dialogIsShow(true);
    m_notificationDialog->autoAdjustSize(mode);
}

void Lumidesk::receiveCloseDialog()
{
    m_dialogShown = false;
    emit dialogIsShow(false);
}

void Lumidesk::setDialogShowValue(bool shown)
{
    m_dialogShown = shown;
}

// ---- Sound inputs ----

bool Lumidesk::compareList(QList<QString> a, QList<QString> b)
{
    return a == b;
}

void Lumidesk::syncAudioList()
{
    sendAudioList(false);
}

void Lumidesk::sendAudioList(bool evenIfUnchanged)
{
    // The list is read from a copy kept current in the background: this never waits on the sound
    // server.
    QList<QString> names;
    QList<QString> ids;
    if (QorvAudioSource::getAvailableSources(&names, &ids) != 0)
        return;
    if (!evenIfUnchanged) {
        if (compareList(ids, m_audioIds))
            return;
        _LumideskLog::log(StateLevel, QStringLiteral("Audio list changed."));
    }
    m_audioNames = names;
    m_audioIds = ids;
    m_localServer->updateAudioList(names, ids);
}

void Lumidesk::doSaveAudioSetting(QString name)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Audio/AudioDesktop"), name);
}

// ---- Errors ----

void Lumidesk::handleError(int code)
{
    const qint32 error = qint32(code);
    bool memory = false;
    if (error == RecordMemoryError) {
        requestStopRecord();
        memory = true;
    } else if (error == LiveMemoryError) {
        requestStopLive();
        memory = true;
    } else if (std::find(std::begin(MemoryErrors), std::end(MemoryErrors), error) != std::end(MemoryErrors)) {
        if (m_recording)
            requestStopRecord();
        if (m_live)
            requestStopLive();
        memory = true;
    } else if (error == QorvCaptureSession::DiskFull) {
        // Reported with every frame while the disk is full: one stop and one notice.
        if (m_recording)
            scheduleRecordStop(error);
    } else if (error == QorvCaptureSession::WriterFailed) {
        // The movie could not be written any more: the recording has ended, and the user is told.
        if (m_recording)
            scheduleRecordStop(error);
    } else if (error == QorvCaptureSession::StreamLost) {
        if (m_recording)
            scheduleRecordStop(error);
        if (m_live) {
            requestStopLive();
            // With a recording its notice tells of both stops; a stream alone is told here.
            if (!m_recording)
                showNotificationDialog(tr("Stream Notification"), tr("The picture of the desktop was lost."), 1);
        }
    }
    if (memory) {
        _LumideskLog::log(ErrorLevel, QStringLiteral("Capture error 0x%x: out of memory."), unsigned(error));
        showNotificationDialog(tr("Tivlo"), tr("There is not enough memory to run record or live stream."), 0);
    }
}

void Lumidesk::deskSpaceNotEnough()
{
    requestStopRecord();
    QString title = tr("Recording has stopped");
    QString text;
    switch (m_stopReason) {
    case QorvCaptureSession::DiskFull:
        text = tr("Destination disk drive is full. Please free up sufficient space on the disk drive.");
        break;
    case QorvCaptureSession::PreviousRecordingFinishing:
        text = tr("The previous recording is still being saved. Please try again in a moment.");
        break;
    case QorvCaptureSession::WriterFailed:
        text = tr("The recording could not be written to the disk drive.");
        break;
    case QorvCaptureSession::StreamLost:
        text = tr("The picture of the desktop was lost.");
        break;
    default:
        text = tr("The recording could not be started.");
        break;
    }
    _LumideskLog::log(StateLevel, QStringLiteral("Desktop recording stopped: 0x%x."), unsigned(m_stopReason));
    showNotificationDialog(title, text, 0);
    // Until the panel's echo ends the recording, further reports of the same trouble are the same
    // trouble.
    m_stopPending = m_recording;
    m_stopReason = 0;
}

// ---- Sleep and wake ----

void Lumidesk::handlePowerChange(int state)
{
    if (state == 0) {
        m_pausedBeforeSleep = m_recordState == Paused;
        if (m_recording)
            requestPauseRecord();
        if (m_live)
            requestStopLive();
    } else if (state == 1) {
        // A recording paused for the sleep resumes; one the user had paused stays paused.
        if (m_recordState == Paused && !m_pausedBeforeSleep)
            requestStartRecord();
    }
}

// ---- The camera windows ----

void Lumidesk::handleCameraSelectedFirst(GeneralCamera *camera)
{
    handleCameraSelected(1, camera);
}

void Lumidesk::handleCameraSelectedSecond(GeneralCamera *camera)
{
    handleCameraSelected(2, camera);
}

void Lumidesk::handleCameraSelected(int order, GeneralCamera *camera)
{
    const bool first = order == 1;
    GeneralCamera *&source = first ? m_firstCameraSource : m_secondCameraSource;
    GeneralCamera *const &otherSource = first ? m_secondCameraSource : m_firstCameraSource;
    const CameraMainWidget *other = first ? m_secondCamera : m_firstCamera;
    source = camera;
    if (!other || !other->getSourceCamera() || !source || !otherSource)
        return;
    // The window that selected last gives way.
    if (source->getLocationID() == otherSource->getLocationID()) {
        (first ? m_firstCamera : m_secondCamera)->setToCameraSource();
        source = nullptr;
    }
}

void Lumidesk::handleZorderChange()
{
    if (m_zorderRaised || !m_firstCamera || !m_secondCamera)
        return;
    const qint64 firstArea = qint64(m_firstCamera->width()) * m_firstCamera->height();
    const qint64 secondArea = qint64(m_secondCamera->width()) * m_secondCamera->height();
    if (firstArea == secondArea)
        return;
    // The smaller window stays in front of the larger one.
    CameraMainWidget *front = firstArea > secondArea ? m_secondCamera : m_firstCamera;
    m_zorderRaised = true;
    front->previewWindow()->raise();
    front->raise();
    m_zorderRaised = false;
}

void Lumidesk::setRebootValue(bool rebooting)
{
    for (CameraMainWidget *window : {m_firstCamera, m_secondCamera}) {
        if (window)
            window->setRebootFlag(rebooting);
    }
}
