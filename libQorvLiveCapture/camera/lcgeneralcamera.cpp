#include "camera/lcgeneralcamera.h"

#include "camera/lcgeneralcameraimpl.h"
#include "capturelog.h"
#include "video/capturedevice.h"

#include <QMutexLocker>

namespace {

constexpr uint16_t MakerVendorId = 0x2574;

} // namespace

LCGeneralCamera::LCGeneralCamera(LCGeneralCameraImpl *impl, QObject *parent)
    : GeneralCamera(parent), m_impl(impl)
{
    // Receivers queue the camera pointer across threads and test spies record it.
    qRegisterMetaType<GeneralCamera *>();
    if (!m_impl)
        return;
    connect(m_impl.get(), &LCGeneralCameraImpl::srouceChangeResolution, this,
            &LCGeneralCamera::srouceChangeResolution);
    m_name = m_impl->getLocalizedName();
    qCDebug(lcCapture, "LCGeneralCameraImpl::getLocalizedName name %s", qUtf8Printable(m_name));
    m_vendorId = m_impl->getVendorID();
    m_productId = m_impl->getProductID();
    m_locationId = m_impl->getLocationID();
    qCDebug(lcCapture, "LCGeneralCamera:: Location id == %d", int(m_locationId));
    m_uniqueId = m_impl->getUniqueID();
}

LCGeneralCamera::~LCGeneralCamera()
{
    disconnect();
}

int64_t LCGeneralCamera::referenceCount() const
{
    QMutexLocker lock(&m_mutex);
    return m_refCount;
}

void LCGeneralCamera::incRef()
{
    QMutexLocker lock(&m_mutex);
    ++m_refCount;
}

void LCGeneralCamera::decRef()
{
    {
        QMutexLocker lock(&m_mutex);
        // A release too many must not wrap the count or delete twice.
        if (m_refCount <= 0) {
            qCWarning(lcCapture, "LCGeneralCamera::decRef on a camera without references");
            return;
        }
        if (--m_refCount > 0)
            return;
    }
    delete this;
}

QSharedPointer<platform::CaptureDevice> LCGeneralCamera::getAVCaptureDevice()
{
    return m_impl ? m_impl->getAVCaptureDevice() : QSharedPointer<platform::CaptureDevice>();
}

QString LCGeneralCamera::getName() { return m_name; }
uint16_t LCGeneralCamera::getVID() { return m_vendorId; }
uint16_t LCGeneralCamera::getPID() { return m_productId; }

QString LCGeneralCamera::getVendorName()
{
    return m_vendorId == MakerVendorId ? QStringLiteral("Qorv Information Inc.") : QString();
}

uint32_t LCGeneralCamera::getLocationID()
{
    return m_impl ? m_impl->getLocationID() : m_locationId;
}

QList<VideoFormat> LCGeneralCamera::getVideFormats()
{
    return m_impl ? m_impl->getVideFormats() : QList<VideoFormat>();
}

VideoFormat LCGeneralCamera::getActiveFormat()
{
    return m_impl ? m_impl->getActiveFormat() : VideoFormat();
}

uint32_t LCGeneralCamera::setActiveFormat(int index, int fps)
{
    return m_impl ? m_impl->setActiveFormat(index, fps) : NotSupported;
}
uint32_t LCGeneralCamera::setSensMode(int mode)
{
    return m_impl ? m_impl->setSensMode(mode) : NotSupported;
}
uint32_t LCGeneralCamera::getSensMode() { return m_impl ? m_impl->getSensMode() : NotSupported; }
bool LCGeneralCamera::isHQCaptureSupported() { return false; }
bool LCGeneralCamera::isHdmiSupported() { return false; }
uint32_t LCGeneralCamera::performHQCapture() { return 0; }

uint32_t LCGeneralCamera::getZoomRatio(double *r)
{
    return m_impl ? m_impl->getZoomRatioSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setZoomRatio(double r)
{
    return m_impl ? m_impl->setZoomRatioSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::zoomIn() { return m_impl ? m_impl->zoomInSync() : NoControlObject; }
uint32_t LCGeneralCamera::zoomOut() { return m_impl ? m_impl->zoomOutSync() : NoControlObject; }
uint32_t LCGeneralCamera::resetZoom() { return m_impl ? m_impl->resetZoomSync() : NoControlObject; }
uint32_t LCGeneralCamera::getDefaultZoomRatio(double *r)
{
    return m_impl ? m_impl->getDefaultZoomRatioSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::getZoomRatioRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getZoomRatioRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::getRotationDegree(uint32_t *d)
{
    return m_impl ? m_impl->getRotationDegreeSync(d) : NoControlObject;
}
uint32_t LCGeneralCamera::rotate(uint32_t d)
{
    return m_impl ? m_impl->rotateSync(d) : NoControlObject;
}

uint32_t LCGeneralCamera::isAutoFocusTriggerSupported(bool *supported)
{
    if (!m_impl)
        return NoControlObject;
    *supported = false;
    return Success;
}

uint32_t LCGeneralCamera::triggerOneAutoFocus()
{
    return m_impl ? m_impl->triggerOneAutoFocusSync() : NoControlObject;
}

uint32_t LCGeneralCamera::isManualFocusSupported(bool *supported)
{
    if (!m_impl)
        return NoControlObject;
    *supported = false;
    return Success;
}

uint32_t LCGeneralCamera::getMirrorStatus(bool *)
{
    return m_impl ? NotSupported : NoControlObject;
}
uint32_t LCGeneralCamera::mirror(bool) { return m_impl ? NotSupported : NoControlObject; }
uint32_t LCGeneralCamera::initiateAutoContrastProc()
{
    return m_impl ? NotSupported : NoControlObject;
}

uint32_t LCGeneralCamera::isAutoWhiteBalanceSupported(bool *s)
{
    return m_impl ? m_impl->isAutoWhiteBalanceSupportedSync(s) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultAutoWhiteBalanceStatus(bool *on)
{
    return m_impl ? m_impl->getDefaultAutoWhiteBalanceStatusSync(on) : NoControlObject;
}
uint32_t LCGeneralCamera::getAutoWhiteBalanceStatus(bool *on)
{
    return m_impl ? m_impl->getAutoWhiteBalanceStatusSync(on) : NoControlObject;
}
uint32_t LCGeneralCamera::setAutoWhiteBalance(bool on)
{
    return m_impl ? m_impl->setAutoWhiteBalanceSync(on) : NoControlObject;
}

uint32_t LCGeneralCamera::getWhiteBalanceRedBlue(float *, float *)
{
    // The camera has no red and blue components; reported like its siblings.
    return m_impl ? NotSupported : NoControlObject;
}

uint32_t LCGeneralCamera::setWhiteBalanceRedBlue(float red, float blue)
{
    if (!m_impl)
        return NoControlObject;
    return red < 0 || blue < 0 ? OutOfRange : NotSupported;
}

uint32_t LCGeneralCamera::getDefaultWhiteBalanceRedBlue(float *, float *)
{
    return m_impl ? NotSupported : NoControlObject;
}
uint32_t LCGeneralCamera::getWhiteBalanceRedBlueRange(uvc_control_range *, uvc_control_range *)
{
    return m_impl ? NotSupported : NoControlObject;
}

uint32_t LCGeneralCamera::getWhiteBalanceTemporature(unsigned short *k)
{
    return m_impl ? m_impl->getWhiteBalanceTemporatureSync(k) : NoControlObject;
}
uint32_t LCGeneralCamera::setWhiteBalanceTemporature(unsigned short k)
{
    return m_impl ? m_impl->setWhiteBalanceTemporatureSync(k) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultWhiteBalanceTemporature(unsigned short *k)
{
    return m_impl ? m_impl->getDefaultWhiteBalanceTemporatureSync(k) : NoControlObject;
}
uint32_t LCGeneralCamera::getWhiteBalanceTemporatureRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getWhiteBalanceTemporatureRangeSync(r) : NoControlObject;
}

uint32_t LCGeneralCamera::incFocus() { return m_impl ? NotSupported : NoControlObject; }
uint32_t LCGeneralCamera::decFocus() { return m_impl ? NotSupported : NoControlObject; }

uint32_t LCGeneralCamera::setPtzRightStart()
{
    return m_impl ? m_impl->setPtzRightStartSync() : NoControlObject;
}
uint32_t LCGeneralCamera::setPtzLeftStart()
{
    return m_impl ? m_impl->setPtzLeftStartSync() : NoControlObject;
}
uint32_t LCGeneralCamera::setPtzUpStart()
{
    return m_impl ? m_impl->setPtzUpStartSync() : NoControlObject;
}
uint32_t LCGeneralCamera::setPtzDownStart()
{
    return m_impl ? m_impl->setPtzDownStartSync() : NoControlObject;
}
uint32_t LCGeneralCamera::setPtzStop()
{
    return m_impl ? m_impl->setPtzStopSync() : NoControlObject;
}

uint32_t LCGeneralCamera::resetToDefault()
{
    return m_impl ? m_impl->resetToDefault() : NoControlObject;
}

uint32_t LCGeneralCamera::getROI(uvcx_roi_control_t *roi)
{
    return m_impl ? m_impl->getROISync(roi) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultROI(uvcx_roi_control_t *roi)
{
    return m_impl ? m_impl->getDefaultROISync(roi) : NoControlObject;
}
uint32_t LCGeneralCamera::getROIRange(uvcx_roi_control_t *max, uvcx_roi_control_t *min)
{
    return m_impl ? m_impl->getROIRangeSync(max, min) : NoControlObject;
}
uint32_t LCGeneralCamera::setROI(uvcx_roi_control_t roi)
{
    return m_impl ? m_impl->setROISync(roi) : NoControlObject;
}

uint32_t LCGeneralCamera::getDisableH264(bool *) { return m_impl ? NotSupported : NoControlObject; }
uint32_t LCGeneralCamera::getDefaultDisableH264(bool *)
{
    return m_impl ? NotSupported : NoControlObject;
}
uint32_t LCGeneralCamera::getDisableH264Range(uvc_control_range *)
{
    return m_impl ? NotSupported : NoControlObject;
}
uint32_t LCGeneralCamera::setDisableH264(bool) { return m_impl ? NotSupported : NoControlObject; }
uint32_t LCGeneralCamera::setReboot() { return m_impl ? NotSupported : NoControlObject; }
uint32_t LCGeneralCamera::getSnapshotSupport(int *s)
{
    return m_impl ? m_impl->getSnapshotSupport(s) : NoControlObject;
}

uint32_t LCGeneralCamera::getBrightness(float *v)
{
    return m_impl ? m_impl->getBrightnessSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultBrightness(float *v)
{
    return m_impl ? m_impl->getDefaultBrightnessSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getBrightnessRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getBrightnessRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setBrightness(float v)
{
    return m_impl ? m_impl->setBrightnessSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getContrast(float *v)
{
    return m_impl ? m_impl->getContrastSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultContrast(float *v)
{
    return m_impl ? m_impl->getDefaultContrastSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getContrastRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getContrastRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setContrast(float v)
{
    return m_impl ? m_impl->setContrastSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getFocus(float *v)
{
    return m_impl ? m_impl->getFocusSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultFocus(float *v)
{
    return m_impl ? m_impl->getDefaultFocusSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getFocusRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getFocusRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setFocus(float v)
{
    return m_impl ? m_impl->setFocusSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getExposure(float *v)
{
    return m_impl ? m_impl->getExposureSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultExposure(float *v)
{
    return m_impl ? m_impl->getDefaultExposureSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getExposureRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getExposureRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setExposure(float v)
{
    return m_impl ? m_impl->setExposureSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getSaturation(float *v)
{
    return m_impl ? m_impl->getSaturationSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultSaturation(float *v)
{
    return m_impl ? m_impl->getDefaultSaturationSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getSaturationRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getSaturationRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setSaturation(float v)
{
    return m_impl ? m_impl->setSaturationSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getSharpness(float *v)
{
    return m_impl ? m_impl->getSharpnessSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultSharpness(float *v)
{
    return m_impl ? m_impl->getDefaultSharpnessSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getSharpnessRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getSharpnessRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setSharpness(float v)
{
    return m_impl ? m_impl->setSharpnessSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getPowerLineFrequency(float *v)
{
    return m_impl ? m_impl->getPowerLineFrequencySync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultPowerLineFrequency(float *v)
{
    return m_impl ? m_impl->getDefaultPowerLineFrequencySync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getPowerLineFrequencyRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getPowerLineFrequencyRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setPowerLineFrequency(float v)
{
    return m_impl ? m_impl->setPowerLineFrequencySync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getPan(float *v)
{
    return m_impl ? m_impl->getPanSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultPan(float *v)
{
    return m_impl ? m_impl->getDefaultPanSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getPanRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getPanRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setPan(float v)
{
    return m_impl ? m_impl->setPanSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getTilt(float *v)
{
    return m_impl ? m_impl->getTiltSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultTilt(float *v)
{
    return m_impl ? m_impl->getDefaultTiltSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getTiltRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getTiltRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setTilt(float v)
{
    return m_impl ? m_impl->setTiltSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getSensorMode(float *v)
{
    return m_impl ? m_impl->getSensorModeSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultSensorMode(float *v)
{
    return m_impl ? m_impl->getDefaultSensorModeSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getSensorModeRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getSensorModeRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setSensorMode(float v)
{
    return m_impl ? m_impl->setSensorModeSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getImageOrientation(float *v)
{
    return m_impl ? m_impl->getImageOrientationSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultImageOrientation(float *v)
{
    return m_impl ? m_impl->getDefaultImageOrientationSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getImageOrientationRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getImageOrientationRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setImageOrientation(float v)
{
    return m_impl ? m_impl->setImageOrientationSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getMirror(float *v)
{
    return m_impl ? m_impl->getMirrorSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultMirror(float *v)
{
    return m_impl ? m_impl->getDefaultMirrorSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getMirrorRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getMirrorRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setMirror(float v)
{
    return m_impl ? m_impl->setMirrorSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getFlip(float *v)
{
    return m_impl ? m_impl->getFlipSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultFlip(float *v)
{
    return m_impl ? m_impl->getDefaultFlipSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getFlipRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getFlipRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setFlip(float v)
{
    return m_impl ? m_impl->setFlipSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getCeiling(float *v)
{
    return m_impl ? m_impl->getCeilingSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultCeiling(float *v)
{
    return m_impl ? m_impl->getDefaultCeilingSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getCeilingRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getCeilingRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setCeiling(float v)
{
    return m_impl ? m_impl->setCeilingSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getNoiseReduction(float *v)
{
    return m_impl ? m_impl->getNoiseReductionSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultNoiseReduction(float *v)
{
    return m_impl ? m_impl->getDefaultNoiseReductionSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getNoiseReductionRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getNoiseReductionRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setNoiseReduction(float v)
{
    return m_impl ? m_impl->setNoiseReductionSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getBacklight(float *v)
{
    return m_impl ? m_impl->getBacklightSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultBacklight(float *v)
{
    return m_impl ? m_impl->getDefaultBacklightSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getBacklightRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getBacklightRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setBacklight(float v)
{
    return m_impl ? m_impl->setBacklightSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getMIC(float *v)
{
    return m_impl ? m_impl->getMICSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultMIC(float *v)
{
    return m_impl ? m_impl->getDefaultMICSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getMICRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getMICRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setMIC(float v)
{
    return m_impl ? m_impl->setMICSync(v) : NoControlObject;
}

uint32_t LCGeneralCamera::getHdmiAudio(float *v)
{
    return m_impl ? m_impl->getHdmiAudioSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getDefaultHdmiAudio(float *v)
{
    return m_impl ? m_impl->getDefaultHdmiAudioSync(v) : NoControlObject;
}
uint32_t LCGeneralCamera::getHdmiAudioRange(uvc_control_range *r)
{
    return m_impl ? m_impl->getHdmiAudioRangeSync(r) : NoControlObject;
}
uint32_t LCGeneralCamera::setHdmiAudio(float v)
{
    return m_impl ? m_impl->setHdmiAudioSync(v) : NoControlObject;
}

// Change slots: the first group reports only real changes, the second every value.

void LCGeneralCamera::zoomRatioUpdated(double ratio)
{
    if (ratio == m_zoomRatio)
        return;
    m_zoomRatio = ratio;
    emit zoomRatioChanged(this, ratio);
}

void LCGeneralCamera::rotateDegreeUpdated(unsigned degree)
{
    degree %= 360;
    if (degree == m_rotationDegree)
        return;
    m_rotationDegree = degree;
    emit rotationChanged(this, degree);
}

void LCGeneralCamera::mirrorStatusUpdated(bool mirrored)
{
    if (mirrored == m_mirrorStatus)
        return;
    m_mirrorStatus = mirrored;
    emit mirrorStatusChanged(this, mirrored);
}

void LCGeneralCamera::brightnessUpdated(float value)
{
    if (value == m_brightness)
        return;
    m_brightness = value;
    emit brightnessChanged(this, value);
}

void LCGeneralCamera::contrastUpdated(float value)
{
    if (value == m_contrast)
        return;
    m_contrast = value;
    emit contrastChanged(this, value);
}

void LCGeneralCamera::focusUpdated(float value)
{
    m_focus = value;
}

void LCGeneralCamera::whiteBalanceUpdated(float red, float blue)
{
    if (red != m_whiteBalanceRed) {
        m_whiteBalanceRed = red;
        emit whiteBalanceRedChanged(this, red);
    }
    if (blue != m_whiteBalanceBlue) {
        m_whiteBalanceBlue = blue;
        emit whiteBalanceBlueChanged(this, blue);
    }
}

void LCGeneralCamera::exposureUpdated(float value)
{
    if (value == m_exposure)
        return;
    m_exposure = value;
    emit exposureChanged(this, value);
}

void LCGeneralCamera::freezeStatusUpdated(bool) {}

void LCGeneralCamera::saturationUpdated(double value)
{
    m_saturation = float(value);
    emit saturationChanged(this, value);
}

void LCGeneralCamera::sharpnessUpdated(double value)
{
    m_sharpness = float(value);
    emit sharpnessChanged(this, value);
}

void LCGeneralCamera::powerLineFrequencyUpdated(double value)
{
    m_powerLineFrequency = float(value);
    emit powerLineFrequencyChanged(this, value);
}

void LCGeneralCamera::panUpdated(double value)
{
    m_pan = float(value);
    emit panChanged(this, value);
}

void LCGeneralCamera::tiltUpdated(double value)
{
    m_tilt = float(value);
    emit tiltChanged(this, value);
}

void LCGeneralCamera::sensorModeUpdated(double value)
{
    m_sensorMode = float(value);
    emit sensorModeChanged(this, value);
}

void LCGeneralCamera::imageOrientationUpdated(double value)
{
    m_imageOrientation = float(value);
    emit imageOrientationChanged(this, value);
}

void LCGeneralCamera::noiseReductionUpdated(double value)
{
    m_noiseReduction = float(value);
    emit noiseReductionChanged(this, value);
}

void LCGeneralCamera::srouceChangeResolution(int32_t width, int32_t height)
{
    emit srouceResolutionChanged(this, width, height);
}
