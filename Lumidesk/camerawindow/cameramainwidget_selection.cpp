#include "cameramainwidget.h"

#include "cameramainwidget_p.h"
#include "keystonewidget.h"

#include "analytics/bigdata.h"
#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "common/camerafirmwareversion.h"
#include "capture/previewlayer.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "common/supportedcamera.h"
#include "progressdialog.h"
#include "dialogs/livestreamsettingdialog.h"
#include "manager/doccammanager.h"
#include "vantohqcapture.h"
#include "vantoupdater.h"
#include "common/remotepayload.h"
#include "uvc/uvc_control_range.h"

using namespace CameraWindowText;
using CameraWindowStyle::ZoomLockWidth;

// ---- camera list ----

QString CameraMainWidget::mapDoccamName(GeneralCamera *camera)
{
    if (!camera)
        return QString();
    switch (camera->getPID()) {
    case 0x0701:
        return QStringLiteral("ZQ40");
    case 0x0810:
        return QStringLiteral("ZR90");
    default:
        return camera->getName();
    }
}

void CameraMainWidget::changeSameName()
{
    QStringList seen;
    for (int i = 1; i < comboBoxSource->count(); ++i) {
        const QString text = comboBoxSource->itemText(i);
        if (seen.contains(text))
            continue;
        seen.append(text);
        int counter = 1;
        for (int j = i + 1; j < comboBoxSource->count(); ++j) {
            if (comboBoxSource->itemText(j) == text) {
                ++counter;
                comboBoxSource->setItemText(j, QStringLiteral("%1 (%2)").arg(text).arg(counter));
            }
        }
    }
}

void CameraMainWidget::setCameraOrder(int order)
{
    cameraOrder = order;
    settingDialog->setCameraOrder(order);
    applyWindowTitles();
}

void CameraMainWidget::setWidgetCamera(GeneralCamera *wanted)
{
    if (!wanted)
        return;
    const int index = comboBoxSource->findData(int(wanted->getLocationID()), Qt::UserRole, Qt::MatchExactly);
    if (index < 0)
        return;
    autoSelecting = true;
    comboBoxSource->setCurrentIndex(index);
}

// ---- selection ----

QString CameraMainWidget::cameraName() const
{
    return camera ? camera->getName() : QString();
}

void CameraMainWidget::sendAnalytics(int command, QVariant data1, QVariant data2, QVariant data3,
                                     QVariant data4, QVariant data5, QVariant data6)
{
    connect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
    emit sendCommand(command, data1, data2, data3, data4, data5, data6);
    disconnect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
}

bool CameraMainWidget::isMakerCamera() const
{
    return camera && IsSupportVPID(camera->getVID(), camera->getPID());
}

float CameraMainWidget::sensorMode() const
{
    float mode = 0.0f;
    if (!camera || camera->getSensorMode(&mode) != GeneralCamera::Success)
        return 0.0f;
    return mode;
}

void CameraMainWidget::checkSelect(int index)
{
    if (retranslating || !isVisible() || closing)
        return;
    if (isMinimized())
        showNormal();
    if (comboBoxSource->count() == 0)
        return;
    disconnect(zoomSlider, &QSlider::valueChanged, this, &CameraMainWidget::setZoomRatio);
    lastErrorCode = 0;
    emit SendToClient(CameraStateChangedId, QByteArray());

    if (comboBoxSource->currentIndex() == 0) {
        if (camera)
            sendAnalytics(CameraClosedEvent, cameraOrder, cameraName());
        setToCameraSource();
        emit cameraSelected(nullptr);
        selectTail();
        return;
    }

    releaseOldCamera();
    camera = findSelectedCamera();
    switchCaptureMode(0);
    if (!camera)
        return;
    if (startSelectedCamera(index))
        selectTail();
}

void CameraMainWidget::releaseOldCamera()
{
    session->stopRunning();
    if (!videoSource)
        return;
    sendAnalytics(CameraClosedEvent, cameraOrder, cameraName());
    session->removeSource(videoSource);
    delete videoSource;
    videoSource = nullptr;
}

GeneralCamera *CameraMainWidget::findSelectedCamera() const
{
    const int location = comboBoxSource->currentData(Qt::UserRole).toInt();
    GeneralCamera *candidate = nullptr;
    for (GeneralCamera *each : cameraManager->queryCameras(false)) {
        if (!IsSupportVPID(each->getVID(), each->getPID()))
            continue;
        if (int(each->getLocationID()) == location)
            candidate = each;
    }
    return candidate;
}

bool CameraMainWidget::startSelectedCamera(int index)
{
    hqCapture->setControlCamera(nullptr);
    switchCaptureBtnStyle(true);
    hqAvailable = false;

    zoom.reset();
    session->setDigitalPTZ(QPointF(0, 0), 1.0f, false);
    loadLastResolution();
    btnCameraSettting->setEnabled(true);

    videoSource = new QorvFrameSource(camera, QorvCaptureSource::Camera);
    const int added = session->addSource(videoSource);
    session->setPreviewWidget(visionWidget);
    if (added >= 0)
        checkResolution();
    settingDialog->setCamera(camera);
    setUpZoomRange();

    VantoUpdater updater;
    const QString firmwareVersion = cameraFirmwareVersion(updater, camera);

    if (index != 0) {
        if (usesCameraZoom()) {
            uvcx_roi_control_t roi;
            if (camera->getROI(&roi) == GeneralCamera::Success) {
                lastPanPosition[0] = roi.wROI_Bottom;
                lastPanPosition[1] = roi.wROI_Right;
            }
        } else {
            const VideoFormat active = camera->getActiveFormat();
            const float fraction = zoom.fraction();
            lastPanPosition[0] = uint16_t(active.height * fraction + int(active.height * zoom.origin().y()));
            lastPanPosition[1] = uint16_t(active.width * fraction + int(active.width * zoom.origin().x()));
        }
    }

    lbTip->hide();
    visionWidget->show();
    keyStoneWidget->show();
    moveCompanions();

    const qint32 result = session->startRunning();
    if (result < 0)
        startCameraErrorHandle(result);
    else
        emit cameraSelected(camera);
    autoSelecting = false;

    if (!camera || closing) {
        // Released meanwhile: by the failed start, by the main window (the other window took the
        // camera) or by a close from one of the signals above.
        if (!closing && comboBoxSource->currentIndex() != 0)
            comboBoxSource->setCurrentIndex(0);
        if (result >= 0 && !restartSelecting && !closing)
            showNotificationDialog(tr(NoticeTitle), tr(InUseMessage), 0);
        restartSelecting = false;
        return false;
    }

    checkResolution();
    settingDialog->setCamera(camera);
    // High-quality pictures come from the camera when it takes them, else from its latest frame.
    hqCapture->setControlCamera(camera);
    reportCameraOpened(firmwareVersion, updater.getCurrentSWVersion());

    if (!IsSupportVID(camera->getVID())) {
        btnCameraSettting->setEnabled(false);
        setZoomDisable(true);
    } else {
        btnCameraSettting->setEnabled(true);
        setZoomDisable(false);
        if (IsSupportPID(camera->getPID()) && zoomLocked)
            setZoomDisable(true);
    }
    // The capture modes this camera and its format offer, and the snapshot button's look with them.
    updateHQAvailable();
    raise();
    return true;
}

void CameraMainWidget::setUpZoomRange()
{
    // The maker's cameras zoom themselves where they have a zoom; any other camera, and one of theirs
    // without a zoom of its own, is zoomed by cropping its frames (a slider over a zoom the camera does
    // not have would move nothing).
    uvc_control_range range;
    ownZoom = isMakerCamera() && camera->getZoomRatioRange(&range) == GeneralCamera::Success
              && range.max > range.min;
    zoomMax = ownZoom ? int(range.max) : ZoomPan::MaxLevel - 1;
    zoomMin = ownZoom ? int(range.min) : 0;
    if (!isMakerCamera()) {
        zoomLocked = false;
        zoomSlider->setRange(zoomMin, zoomMax);
        zoomSlider->setValue(0);
        return;
    }
    if (camera->getActiveFormat().width >= ZoomLockWidth) {
        switchCaptureBtnStyle(true);
        setZoomDisable(true);
        zoomLocked = true;
        if (ownZoom)
            camera->setZoomRatio(0.0);
    } else {
        setZoomDisable(false);
        zoomLocked = false;
    }
    zoomSlider->setRange(zoomMin, zoomMax);
    zoomSlider->setValue(cameraZoomValue());
}

int CameraMainWidget::cameraZoomValue() const
{
    double ratio = 0.0;
    if (!ownZoom || camera->getZoomRatio(&ratio) != GeneralCamera::Success)
        return 0;
    return int(ratio);
}

void CameraMainWidget::reportCameraOpened(const QString &firmwareVersion, const QString &softwareVersion)
{
    const VideoFormat active = camera->getActiveFormat();
    const QString formatSize = QStringLiteral("%1X%2").arg(active.width).arg(active.height);
    connect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
    emit sendCommand(CameraOpenedEvent, cameraOrder, cameraName(), formatSize,
                     QStringLiteral("%1X%2").arg(width()).arg(height()), firmwareVersion, softwareVersion);
    if (settingDialog->getIsSensorModeReboot()) {
        QString text = settingDialog->getSensorModeValue() + QStringLiteral("&Resolution=") + formatSize;
        if (text.contains(QLatin1String("H264Output=Off")))
            text.replace(QLatin1String("H264Output=Off"), QLatin1String("H264Output=MAC"));
        else if (text.contains(QLatin1String("H264Output=On")))
            text.replace(QLatin1String("H264Output=On"), QLatin1String("H264Output=MAC"));
        emit sendCommand(SensorModeEvent, cameraOrder, cameraName(), text, -1, -1, -1);
        settingDialog->setIsSensorModeReboot(false);
    }
    disconnect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
}

void CameraMainWidget::selectTail()
{
    updateStreamFrameSize();
    settingDialog->setDefaultCurrentAngle();
    session->setFlip(0, false, false);
    connect(zoomSlider, &QSlider::valueChanged, this, &CameraMainWidget::setZoomRatio, Qt::UniqueConnection);
}

void CameraMainWidget::setToCameraSource()
{
    if (session)
        session->stopRunning();
    autoSelecting = false;
    if (videoSource) {
        session->removeSource(videoSource);
        delete videoSource;
        videoSource = nullptr;
    }
    camera = nullptr;
    hqCapture->setControlCamera(nullptr);
    hqCapture->stopCapture();
    // A capture cut short reports nothing: the window is no longer waiting for one.
    hqBusy = false;
    progressDialog->hide();
    visionWidget->hide();
    keyStoneWidget->hide();
    bottomBar->hide();
    lbTip->show();
    btnWarring->hide();
    btnCameraSettting->setEnabled(false);
}

void CameraMainWidget::startCameraErrorHandle(qint32 startResult)
{
    if (autoSelecting) {
        autoSelecting = false;
        comboBoxSource->setCurrentIndex(0);
        return;
    }
    // The session reports a busy camera only by the start result, a missing input and short bandwidth
    // also through receiveError: whichever came, the user learns why the camera did not open.
    const qint32 code = lastErrorCode != 0 ? lastErrorCode : startResult;
    if (code == InputNotCreated || code == CameraInUse) {
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(InUseMessage), 0);
        restartSelecting = false;
    } else if (code == NoBandwidth) {
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(BandwidthMessage), 0);
    }
}

void CameraMainWidget::handleRestartCamera(GeneralCamera *restarting)
{
    comboBoxSource->setCurrentIndex(0);
    restartCamera = restarting;
}

void CameraMainWidget::handleRestartFinished()
{
    if (comboBoxSource->currentIndex() != 0)
        return;
    restartSelecting = true;
    comboBoxSource->setCurrentIndex(comboBoxSource->count() - 1);
    autoSelecting = false;
    restartSelecting = false;
}

void CameraMainWidget::handlesetActiveFormatError()
{
}

void CameraMainWidget::handlesetFpsZeroError()
{
}

// ---- resolution memory ----

ResolutionMemory::Mode CameraMainWidget::lastMode() const
{
    ResolutionMemory::Mode mode;
    mode.width = lastWidth;
    mode.height = lastHeight;
    mode.fps = lastFps;
    mode.format = lastFormat;
    return mode;
}

void CameraMainWidget::loadLastResolution()
{
    const ResolutionMemory::Mode mode = ResolutionMemory::load(isMakerCamera(), cameraOrder, sensorMode());
    lastWidth = mode.width;
    lastHeight = mode.height;
    lastFps = mode.fps;
    lastFormat = mode.format;
}

void CameraMainWidget::checkResolution()
{
    if (!camera)
        return;
    const ResolutionMemory::Choice choice =
        ResolutionMemory::choose(camera->getVideFormats(), lastMode(), isMakerCamera(), sensorMode());
    if (!choice.isValid())
        return;
    if (qint32(camera->setActiveFormat(choice.formatIndex, choice.fps)) >= 0)
        updateStreamFrameSize();
}

void CameraMainWidget::saveLastSetting(int width, int height, QString format, int fps)
{
    ResolutionMemory::Mode mode;
    mode.width = width;
    mode.height = height;
    mode.format = format;
    mode.fps = fps;
    ResolutionMemory::save(true, cameraOrder, mode);
}

void CameraMainWidget::saveLastSettingQorvCam(int width, int height, QString format, int)
{
    ResolutionMemory::Mode mode;
    mode.width = width;
    mode.height = height;
    mode.format = format;
    ResolutionMemory::save(false, cameraOrder, mode);
}

void CameraMainWidget::updateStreamFrameSize()
{
    if (!camera)
        return;
    const VideoFormat active = camera->getActiveFormat();
    liveSettingDialog->setFrameSize(active.width, active.height);
    if (isMakerCamera()) {
        if (active.width >= ZoomLockWidth) {
            setZoomDisable(true);
            switchCaptureMode(0);
            zoomLocked = true;
            // The zoom goes back to the whole picture, the camera's own or the crop.
            if (usesCameraZoom()) {
                camera->setZoomRatio(0.0);
            } else {
                zoom.reset();
                setDigitalCrop();
                zoomSlider->setValue(0);
            }
        } else {
            setZoomDisable(false);
            zoomLocked = false;
        }
    }
    // A crop is a fraction of any format and stays; only a camera's own zoom is read back.
    if (usesCameraZoom())
        zoomSlider->setValue(cameraZoomValue());
    emit SendToClient(ZoomAvailableId, RemotePayload::int32s({zoomLocked ? 0 : 1}));
}

void CameraMainWidget::updatePreferFormat()
{
    if (!camera)
        return;
    const VideoFormat active = camera->getActiveFormat();
    const QString name = ResolutionMemory::videoFormateToString(active.codecType);
    if (isMakerCamera()) {
        switchCaptureBtnStyle(active.width > 3000);
        saveLastSetting(active.width, active.height, name, active.frameRate);
    } else {
        saveLastSettingQorvCam(active.width, active.height, name, active.frameRate);
    }
}

void CameraMainWidget::updateSaveValue(QString format, QString fps, QString resolution)
{
    if (!camera)
        return;
    const ResolutionMemory::Mode mode = ResolutionMemory::parseShownValues(format, fps, resolution);
    if (isMakerCamera())
        saveLastSetting(mode.width, mode.height, mode.format, mode.fps);
    else
        saveLastSettingQorvCam(mode.width, mode.height, mode.format, mode.fps);
}



QImage CameraMainWidget::latestFrame() const
{
    QorvFrameSourceImpl *impl = videoSource ? videoSource->getSourceImpl() : nullptr;
    PreviewLayer *layer = impl ? impl->previewLayer() : nullptr;
    return layer ? layer->feed()->currentFrame() : QImage();
}
