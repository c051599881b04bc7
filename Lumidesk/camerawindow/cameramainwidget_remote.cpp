#include "cameramainwidget.h"

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "common/lumidesklog.h"
#include "common/remotepayload.h"
#include "dialogs/livestreamsettingdialog.h"
#include "qorvrtmpintf.h"
#include "uvc/uvc_control_range.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <QtEndian>

// The phone's commands for this window. A command reads only what its payload holds: a payload too
// short for what the command reads is logged and left as it came, so the phone gets its request back
// and nothing changes.

namespace {

// The ids the window also sends on its own are the class's; these only come from the phone.
enum RemoteId : quint32 {
    RecordTime = 0x80000005,
    LiveTime = 0x80000007,
    Snapshot = 0x80000250,
    Mirror = 0x8000020c,
    Ceiling = 0x8000020d,
    ResetOrientation = 0x8000020e,
    RotateLeft = 0x80000212,
    RotateRight = 0x80000213,
    ZoomValue = 0x80000411,
    ZoomRange = 0x80000428,
    MaximumWindow = 0x80000441,
    CurrentWindow = 0x80000442,
    CaptureModeQuery = 0x80000451,
    HQAvailable = 0x80000453,
};

} // namespace

void CameraMainWidget::FromClientCmd(unsigned int id, QByteArray &payload)
{
    switch (id) {
    case RecordStateId:
        remoteRecord(payload);
        return;
    case RecordTime:
        payload = RemotePayload::int32s({recordState, recordState == 0 ? 0 : qint32(recordElapsedMs / 1000)});
        return;
    case LiveStateId:
        remoteLive(payload);
        return;
    case LiveTime:
        payload = remoteLiveStatus();
        return;
    case PictureId:
        // The picture follows as its own message once the session has encoded the next frame.
        if (session && camera)
            session->getJPGFrameAsync();
        return;
    case Snapshot:
        remoteSnapshot();
        return;
    case Mirror:
        settingDialog->doMirror();
        return;
    case Ceiling:
        settingDialog->doCelling();
        return;
    case RotateLeft:
        settingDialog->doRotateLeft();
        return;
    case RotateRight:
        settingDialog->doRotateRight();
        return;
    case CaptureModeId:
        remoteCaptureMode(payload);
        return;
    case CaptureModeQuery:
        payload = RemotePayload::int32s({captureMode});
        return;
    case HQCaptureStateId:
        payload = RemotePayload::int32s({hqBusy ? 0 : 1});
        return;
    default:
        break;
    }
    // The router reaches the second window whatever its camera list shows: without a camera the
    // commands that read one leave the payload alone.
    if (!camera)
        return;
    switch (id) {
    case ResetOrientation:
        remoteResetOrientation();
        return;
    case ZoomValueId:
        remoteZoom(payload);
        return;
    case VisibleWindowId:
        remoteSetWindow(payload);
        return;
    case ZoomValue:
        payload = RemotePayload::int32s({remoteZoomValue()});
        return;
    case ZoomRange:
        payload = RemotePayload::int32s({remoteZoomMinimum(), zoomMax});
        return;
    case MaximumWindow:
    case CurrentWindow:
        payload = windowBytes(windowEdges(id == MaximumWindow));
        return;
    case ZoomAvailableId:
        payload = RemotePayload::int32s({isMakerCamera() && zoomLocked ? 0 : 1});
        return;
    case HQAvailable:
        payload = RemotePayload::int32s({isMakerCamera() && hqAvailable && !zoomLocked ? 1 : 0});
        return;
    default:
        return;
    }
}

void CameraMainWidget::remoteRecord(QByteArray &payload)
{
    qint32 action = 0;
    if (!RemotePayload::readInt32(payload, RecordStateId, &action))
        return;
    // Only the moves a user could make with the window's own buttons; anything else (a start while
    // paused, a pause while stopped, an action nobody knows) is answered with the request, unchanged.
    const int state = recordState;
    bool valid = false;
    switch (action) {
    case 0:
        valid = state != 0;
        break;
    case 1:
        valid = state == 0;
        break;
    case 2:
        valid = state == 1 || state == 3;
        break;
    case 3:
        valid = state == 2;
        break;
    default:
        _LumideskLog::log(Journix::Warning, "phone record action %d ignored", action);
        return;
    }
    if (!valid)
        return;
    {
        QScopedValueRollback<bool> remote(remoteCommandActive, true);
        switch (action) {
        case 0:
            recordStop();
            break;
        case 1:
            recordClick();
            break;
        case 2:
            recordPause();
            break;
        default:
            recordContinue();
            break;
        }
    }
    // The answer is the state the window reached: a start that failed answers "stopped".
    const qint32 now = recordState;
    const bool counting = now == 2 || now == 3;
    payload = RemotePayload::int32s({now, counting ? qint32(recordElapsedMs / 1000) : 0});
}

void CameraMainWidget::remoteLive(QByteArray &payload)
{
    qint32 value = 0;
    if (!RemotePayload::readInt32(payload, LiveStateId, &value))
        return;
    {
        QScopedValueRollback<bool> remote(remoteCommandActive, true);
        if (value == 0)
            stopLiveStream();
        else
            startLiveStream();
    }
    // A start the window refused (another stream runs, no camera) is answered as stopped.
    if (value != 0 && !liveActive)
        payload = RemotePayload::int32s({0});
}

int CameraMainWidget::getLiveStatus()
{
    if (rtmp->isStreaming() || rtmp->isStreamPending() || liveControlShown)
        return -1;
    liveSettingDialog->loadSetting();
    liveSettingDialog->enableAutoRecord(recordState == 0);
    if (liveSettingDialog->getStreamUrl().isEmpty() || liveSettingDialog->getStreamKey().isEmpty())
        return -2;
    return 0;
}

// 0 ready, 1 streaming from this window (with its seconds), 2 not configured, 3 recording, 4 another
// device or window streams.
QByteArray CameraMainWidget::remoteLiveStatus()
{
    const bool streaming = liveTimer->isActive();
    int status = qAbs(getLiveStatus());
    if (status == 1 && !streaming)
        status = 4;
    if (status == 0 && recordState != 0)
        status = 3;
    const qint32 seconds = streaming && status == 1 ? qint32(liveElapsedMs / 1000) : 0;
    return RemotePayload::int32s({status, seconds});
}

void CameraMainWidget::remoteSnapshot()
{
    if (!camera)
        return;
    QScopedValueRollback<bool> remote(remoteCommandActive, true);
    switch (captureMode) {
    case KeyStoneCapture:
        doKeystoneCapture();
        break;
    case HQCapture:
        doHQCapture();
        break;
    default:
        doCapture();
        break;
    }
}

void CameraMainWidget::remoteCaptureMode(QByteArray &payload)
{
    qint32 mode = 0;
    if (!RemotePayload::readInt32(payload, CaptureModeId, &mode))
        return;
    if (mode < NormalCapture || mode > HQCapture) {
        _LumideskLog::log(Journix::Warning, "phone capture mode %d ignored", mode);
        return;
    }
    {
        QScopedValueRollback<bool> remote(remoteCommandActive, true);
        switchCaptureMode(mode);
    }
    // A mode the camera cannot take leaves the window in normal mode; the phone hears which.
    payload = RemotePayload::int32s({captureMode});
}

void CameraMainWidget::remoteResetOrientation()
{
    float value = 0;
    if (camera->getDefaultMirror(&value) == GeneralCamera::Success)
        camera->setMirror(value);
    if (camera->getDefaultCeiling(&value) == GeneralCamera::Success)
        camera->setCeiling(value);
    session->setFlip(0, false, false);
    settingDialog->setDefaultCurrentAngle();
}

void CameraMainWidget::remoteZoom(QByteArray &payload)
{
    qint32 value = 0;
    if (!RemotePayload::readInt32(payload, ZoomValueId, &value))
        return;
    // The slider's range is the camera's: a value past it goes no further than the slider would.
    value = qBound(zoomSlider->minimum(), value, zoomSlider->maximum());
    QScopedValueRollback<bool> remote(remoteCommandActive, true);
    if (usesCameraZoom()) {
        if (!zoomLocked)
            camera->setZoomRatio(double(value));
        // The camera has the value already; the slider only shows it.
        const QSignalBlocker quiet(zoomSlider);
        zoomSlider->setValue(value);
    } else {
        // The slider's own slot crops the frames.
        zoomSlider->setValue(value);
    }
    // zoomSteps is left alone: the phone's value is no step of the user's, and the slider's next
    // release reports against what the analytics heard last.
    payload = RemotePayload::int32s({value});
}

qint32 CameraMainWidget::remoteZoomValue() const
{
    double ratio = 0;
    if (usesCameraZoom() && camera->getZoomRatio(&ratio) == GeneralCamera::Success)
        return qint32(ratio);
    return zoomSlider->value();
}

qint32 CameraMainWidget::remoteZoomMinimum() const
{
    uvc_control_range range;
    if (usesCameraZoom() && camera->getZoomRatioRange(&range) == GeneralCamera::Success)
        return qint32(quint32(quint64(range.min) & 0xFFFFFFFFu));
    return zoomSlider->minimum();
}

void CameraMainWidget::remoteSetWindow(const QByteArray &payload)
{
    if (payload.size() < 4 * int(sizeof(qint16))) {
        _LumideskLog::log(Journix::Warning, "phone window ignored: %d bytes, 8 needed", int(payload.size()));
        return;
    }
    if (!usesCameraZoom()) {
        // The crop follows the zoom level and drags only.
        _LumideskLog::log(Journix::Info, "phone window ignored: the camera has no region of interest");
        return;
    }
    qint16 edges[4];
    for (int i = 0; i < 4; ++i)
        edges[i] = qFromLittleEndian<qint16>(payload.constData() + i * int(sizeof(qint16)));
    uvcx_roi_control_t maximum, minimum;
    if (camera->getROIRange(&maximum, &minimum) != GeneralCamera::Success)
        return;
    const QPoint centre = roiCentre(maximum);
    const QList<int> turned = doRotation(edges[0], edges[1], edges[2], edges[3], centre.x(), centre.y(),
                                         -settingDialog->getCurrentAngle());
    // A window the camera cannot show would wrap through its 16-bit fields: refused, not clipped. The
    // largest record bounds each edge, whether a camera gives it as a whole-frame rectangle or as
    // the largest value of each field.
    const int lastRow = qMax(maximum.wROI_Top, maximum.wROI_Bottom);
    const int lastColumn = qMax(maximum.wROI_Left, maximum.wROI_Right);
    if (turned.size() != 4 || turned[0] < 0 || turned[1] < 0 || turned[0] > turned[2] || turned[1] > turned[3]
        || turned[2] > lastRow || turned[3] > lastColumn) {
        _LumideskLog::log(Journix::Warning, "phone window %d,%d,%d,%d outside the camera's range ignored",
                          edges[0], edges[1], edges[2], edges[3]);
        return;
    }
    uvcx_roi_control_t roi;
    roi.wROI_Top = uint16_t(turned[0]);
    roi.wROI_Left = uint16_t(turned[1]);
    roi.wROI_Bottom = uint16_t(turned[2]);
    roi.wROI_Right = uint16_t(turned[3]);
    camera->setROI(roi);
}
