#include "cameramainwidget.h"

#include "analytics/bigdata.h"
#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "common/supportedcamera.h"
#include "uvc/uvc_control_range.h"
#include "common/remotepayload.h"

#include <QMouseEvent>
#include <QTimer>

// The maker's older models (product id below 0x2000) zoom and pan in the camera (zoom ratio and
// region of interest) where they have a zoom; any other camera is zoomed by cropping its frames in the
// session.

namespace {

constexpr int ZoomCategory = 0x15000001;
constexpr int PanCategory = 0x15000002;
constexpr int ZoomInBehaviour = 0x16000001;
constexpr int ZoomOutBehaviour = 0x16000002;
constexpr int PtzFirstStep = 16;
constexpr int PtzFastStep = 112;
constexpr int PtzSlowTicks = 4;

enum PtzDirection { Right = 0, Left = 1, Up = 2, Down = 3, None = 4 };

// Without a place for the current window only the range is read.
bool readRoiRange(GeneralCamera *camera, uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum,
                  uvcx_roi_control_t *current)
{
    return camera->getROIRange(maximum, minimum) == GeneralCamera::Success
           && (!current || camera->getROI(current) == GeneralCamera::Success);
}

} // namespace

bool CameraMainWidget::usesCameraZoom() const
{
    return camera && ownZoom;
}

QSize CameraMainWidget::frameSize() const
{
    if (!camera)
        return QSize();
    const VideoFormat active = camera->getActiveFormat();
    return QSize(active.width, active.height);
}

int CameraMainWidget::currentAngle() const
{
    return settingDialog->getCurrentAngle();
}

void CameraMainWidget::setDigitalCrop()
{
    session->setDigitalPTZ(zoom.origin(), zoom.fraction(), false);
}

void CameraMainWidget::applyDigitalZoom()
{
    setDigitalCrop();
}

void CameraMainWidget::setToCenter(float oldFraction, float newFraction)
{
    zoom.keepCentre(oldFraction, newFraction, frameSize());
}

void CameraMainWidget::zoomIn()
{
    zoomStep(+1);
}

void CameraMainWidget::zoomOut()
{
    zoomStep(-1);
}

void CameraMainWidget::zoomStep(int step)
{
    if (!camera)
        return;
    const bool in = step > 0;
    const int value = zoomSlider->value();
    const int end = in ? zoomMax : zoomMin;
    int next = end;
    if (in ? value < zoomMax : value > zoomMin) {
        next = value + step;
        zoomSteps += step;
    } else {
        zoomSteps = end;
    }
    const int behaviour = in ? ZoomInBehaviour : ZoomOutBehaviour;
    if (!usesCameraZoom()) {
        if (in ? zoom.zoomIn(frameSize()) : zoom.zoomOut(frameSize())) {
            applyDigitalZoom();
            sendAnalytics(CameraMoveEvent, ZoomCategory, behaviour, 1, cameraName());
        }
    } else {
        double ratio = 0.0;
        if (camera->getZoomRatio(&ratio) != GeneralCamera::Success)
            ratio = 0.0;
        uvc_control_range range;
        if (camera->getZoomRatioRange(&range) == GeneralCamera::Success && (in ? ratio < range.max : ratio > range.min))
            sendAnalytics(CameraMoveEvent, ZoomCategory, behaviour, 1, cameraName());
        camera->setZoomRatio(double(next));
    }
    zoomSlider->setValue(next);
    if (!remoteCommandActive)
        emit SendToClient(ZoomValueId, RemotePayload::int32s({next}));
}

void CameraMainWidget::setZoomRatio(int value)
{
    if (!camera)
        return;
    if (usesCameraZoom()) {
        if (!zoomLocked)
            camera->setZoomRatio(double(value));
        return;
    }
    // Locked as the camera's own zoom is: the phone's value moves the slider only.
    if (zoomLocked)
        return;
    zoom.setSliderValue(value, frameSize());
    applyDigitalZoom();
}

void CameraMainWidget::zoomSliderRelease()
{
    const int value = zoomSlider->value();
    if (!remoteCommandActive)
        emit SendToClient(ZoomValueId, RemotePayload::int32s({value}));
    if (comboBoxSource->currentIndex() > 0) {
        if (value > zoomSteps)
            sendAnalytics(CameraMoveEvent, ZoomCategory, ZoomInBehaviour, value - zoomSteps, cameraName());
        else if (value < zoomSteps)
            sendAnalytics(CameraMoveEvent, ZoomCategory, ZoomOutBehaviour, zoomSteps - value, cameraName());
    }
    zoomSteps = value;
}

// ---- pan by mouse ----

void CameraMainWidget::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        panPressed = true;
        panPressPos = e->localPos().toPoint();
    }
    QWidget::mousePressEvent(e);
}

void CameraMainWidget::mouseMoveEvent(QMouseEvent *e)
{
    QWidget::mouseMoveEvent(e);
    if (!panPressed)
        return;
    const QPoint position = e->localPos().toPoint();
    const int dx = position.x() - panPressPos.x();
    const int dy = position.y() - panPressPos.y();
    if (usesCameraZoom())
        roiProcess(dx, dy);
    else
        virtualPt(dx, dy);
}

void CameraMainWidget::mouseReleaseEvent(QMouseEvent *e)
{
    QWidget::mouseReleaseEvent(e);
    if (e->button() != Qt::LeftButton)
        return;
    panPressed = false;
    panPressPos = QPoint(0, 0);
    if (!camera)
        return;
    reportVisibleWindow();
}

void CameraMainWidget::virtualPt(int dx, int dy)
{
    if (!camera)
        return;
    if (zoom.pan(dx, dy, currentAngle()))
        applyDigitalZoom();
}

void CameraMainWidget::roiProcess(int dx, int dy)
{
    double ratio = 0.0;
    if (!camera || camera->getZoomRatio(&ratio) != GeneralCamera::Success || ratio <= 0.0)
        return;
    uvcx_roi_control_t b1, b2, roi;
    if (!readRoiRange(camera, &b1, &b2, &roi))
        return;
    const uvcx_roi_control_t moved = ZoomPan::dragRoi(roi, b1, b2, dx, dy, currentAngle());
    // At most one change per tick of the 300 ms timer: the camera takes a while for each.
    if (!roiSendAllowed)
        return;
    roiSendAllowed = false;
    camera->setROI(moved);
}

QList<int> CameraMainWidget::doRotation(int p1, int p2, int p3, int p4, int cx, int cy, int angle)
{
    return ZoomPan::rotateEdges(p1, p2, p3, p4, cx, cy, angle);
}

QPoint CameraMainWidget::roiCentre(const uvcx_roi_control_t &maximum)
{
    return QPoint(qAbs((maximum.wROI_Right - maximum.wROI_Left) / 2),
                  qAbs((maximum.wROI_Bottom - maximum.wROI_Top) / 2));
}

QList<int> CameraMainWidget::windowEdges(bool maximumWindow) const
{
    if (!usesCameraZoom()) {
        // Zoomed by cropping: the frame is the largest window, the crop the current one.
        const QSize frame = frameSize();
        const QList<int> edges = maximumWindow ? QList<int>{0, 0, frame.height(), frame.width()}
                                               : zoom.visibleEdges(frame);
        return doRotation(edges[0], edges[1], edges[2], edges[3], frame.width() / 2, frame.height() / 2,
                          currentAngle());
    }
    uvcx_roi_control_t maximum, minimum, current;
    if (!readRoiRange(camera, &maximum, &minimum, maximumWindow ? nullptr : &current))
        return QList<int>();
    const uvcx_roi_control_t &roi = maximumWindow ? maximum : current;
    const QPoint centre = roiCentre(maximum);
    return doRotation(roi.wROI_Top, roi.wROI_Left, roi.wROI_Bottom, roi.wROI_Right, centre.x(), centre.y(),
                      currentAngle());
}

// Four 16-bit values, top, left, bottom, right, each the low 16 bits of its int; no window, no bytes.
QByteArray CameraMainWidget::windowBytes(const QList<int> &edges)
{
    if (edges.size() != 4)
        return QByteArray();
    return RemotePayload::uint16s({quint16(edges[0]), quint16(edges[1]), quint16(edges[2]), quint16(edges[3])});
}

void CameraMainWidget::reportVisibleWindow()
{
    const QList<int> edges = windowEdges(false);
    if (edges.size() != 4)
        return;
    const bool zoomed = usesCameraZoom() ? zoomSlider->value() != 0 : zoom.level() != 1;
    emit SendToClient(VisibleWindowId, windowBytes(edges));
    if (zoomed)
        reportCameraMove(edges);
}

void CameraMainWidget::reportCameraMove(const QList<int> &edges)
{
    const uint16_t a = uint16_t(edges[2]);
    const uint16_t b = uint16_t(edges[3]);
    uint16_t &la = lastPanPosition[0];
    uint16_t &lb = lastPanPosition[1];
    if (a != la) {
        sendAnalytics(CameraMoveEvent, PanCategory, a < la ? 0x16000005 : 0x16000006, qAbs(int(a) - int(la)),
                      cameraName());
        la = a;
    }
    if (b != lb) {
        sendAnalytics(CameraMoveEvent, PanCategory, b < lb ? 0x16000004 : 0x16000003, qAbs(int(b) - int(lb)),
                      cameraName());
        lb = b;
    }
}

void CameraMainWidget::doRotation(int angle)
{
    session->setFlip(static_cast<unsigned short>(angle), false, false);
    settingDialog->setCurrentAngle(angle);
}

// ---- PTZ buttons ----

bool CameraMainWidget::checkRioMode()
{
    uvcx_roi_control_t roi;
    if (!camera || camera->getDefaultROI(&roi) != GeneralCamera::Success)
        return false;
    return roi.wROI_Top != 0xFFFF && roi.wROI_Left != 0xFFFF && roi.wROI_Bottom != 0xFFFF
           && roi.wROI_Right != 0xFFFF;
}

void CameraMainWidget::ptzPressed(int direction, uint32_t (GeneralCamera::*start)(), int dx, int dy)
{
    if (!camera)
        return;
    if (!checkRioMode()) {
        (camera->*start)();
        return;
    }
    ptzDirection = direction;
    changeROICoordinate(dx, dy);
    ptzHoldCount = 0;
    if (!ptzTimer->isActive())
        ptzTimer->start();
}

void CameraMainWidget::ptzUpPressed()
{
    ptzPressed(Up, &GeneralCamera::setPtzUpStart, 0, PtzFirstStep);
}

void CameraMainWidget::ptzDownPressed()
{
    ptzPressed(Down, &GeneralCamera::setPtzDownStart, 0, -PtzFirstStep);
}

void CameraMainWidget::ptzLeftPressed()
{
    ptzPressed(Left, &GeneralCamera::setPtzLeftStart, PtzFirstStep, 0);
}

void CameraMainWidget::ptzRightPressed()
{
    ptzPressed(Right, &GeneralCamera::setPtzRightStart, -PtzFirstStep, 0);
}

void CameraMainWidget::btnPressTimeout()
{
    const int step = ptzHoldCount <= PtzSlowTicks ? PtzFirstStep : PtzFastStep;
    ++ptzHoldCount;
    switch (ptzDirection) {
    case Right:
        changeROICoordinate(-step, 0);
        break;
    case Left:
        changeROICoordinate(step, 0);
        break;
    case Up:
        changeROICoordinate(0, step);
        break;
    case Down:
        changeROICoordinate(0, -step);
        break;
    default:
        break;
    }
}

void CameraMainWidget::ptzReleasedd()
{
    if (!camera)
        return;
    if (!checkRioMode()) {
        camera->setPtzStop();
        return;
    }
    ptzDirection = None;
    if (ptzTimer->isActive())
        ptzTimer->stop();
    ptzHoldCount = 0;
}

void CameraMainWidget::changeROICoordinate(int dx, int dy)
{
    double ratio = 0.0;
    if (!camera || camera->getZoomRatio(&ratio) != GeneralCamera::Success || ratio <= 0.0)
        return;
    uvcx_roi_control_t maximum, minimum, roi, moved;
    if (!readRoiRange(camera, &maximum, &minimum, &roi))
        return;
    if (ZoomPan::moveRoi(roi, maximum, minimum, dx, dy, &moved))
        camera->setROI(moved);
}
