#include "camera/lcgeneralcameraimpl.h"

#include "capturelog.h"
#include "uvc/uvccameracontrol.h"
#include "video/capturedevice.h"
#include "video/videodevices.h"

#include <cmath>

namespace {

constexpr uint32_t GeneralCameraNotSupported = 0xC0000002;
constexpr uint32_t GeneralCameraOutOfRange = 0xE0000011;
constexpr uint32_t GeneralCameraConfigurationFailed = 0xFFFFFFFF;
constexpr uint8_t PtzSpeed = 3;
// Beyond this many degrees the pan or tilt in arc-seconds leaves the camera's 32-bit field.
constexpr float MaxPanTiltDegrees = 596523.0f;

} // namespace

LCGeneralCameraImpl::LCGeneralCameraImpl(const platform::VideoDeviceInfo &device, QObject *parent)
    : QObject(parent),
      m_device(platform::VideoDevices::instance()->captureDevice(device.uniqueId)),
      m_name(device.name)
{
    const CameraIdentity identity = CameraIdentity::fromUniqueId(device.uniqueId);
    m_productId = identity.productId;
    m_vendorId = identity.vendorId;
    m_locationId = identity.locationId;
    m_uniqueId = identity.uniqueId;
    qCDebug(lcCapture, "pid == %x , vid ==%x", m_productId, m_vendorId);
    qCDebug(lcCapture, "Location Id == %x", m_locationId);
    qCDebug(lcCapture, "uuID == %llx", static_cast<unsigned long long>(m_uniqueId));
    if (m_vendorId == LocationOpenedVendorId && m_productId == LocationOpenedProductId)
        m_control = std::make_unique<UVCCameraControl>(m_locationId);
    else
        m_control = std::make_unique<UVCCameraControl>(m_vendorId, m_productId, m_locationId);
}

LCGeneralCameraImpl::~LCGeneralCameraImpl() = default;

QString LCGeneralCameraImpl::getLocalizedName() { return m_name; }
uint16_t LCGeneralCameraImpl::getProductID() { return m_productId; }
uint16_t LCGeneralCameraImpl::getVendorID() { return m_vendorId; }
uint32_t LCGeneralCameraImpl::getLocationID() { return m_locationId; }

int32_t LCGeneralCameraImpl::convertVideoCodec(const QByteArray &subtype)
{
    static const QList<QPair<QList<QByteArray>, int32_t>> codes{
        {{"32", "BGRA"}, 0},
        {{"24"}, 1},
        {{"ap4h", "v308", "v408"}, 2},
        {{"2vuy", "yuvs", "v210", "v216", "apch", "apcn", "apco", "apcs"}, 3},
        {{"dmb1", "jpeg"}, 6},
        {{"avc1", "mp1v", "mp2v", "mp4v"}, 7},
    };
    for (const auto &code : codes) {
        if (code.first.contains(subtype))
            return code.second;
    }
    return 9;
}

int32_t LCGeneralCameraImpl::currentFrameRate() const
{
    // In whole numbers, so that 1/30 s is 30 frames and not 29.999.
    const platform::FrameDuration duration = m_device->activeMinFrameDuration();
    return duration.isValid() ? int32_t(duration.denominator / duration.numerator) : 0;
}

VideoFormat LCGeneralCameraImpl::videoFormat(const platform::CaptureFormat &format, int index) const
{
    VideoFormat video;
    video.codecType = const_cast<LCGeneralCameraImpl *>(this)->convertVideoCodec(format.subtype);
    video.width = format.width;
    video.height = format.height;
    video.frameSize = format.width * format.height * 4;
    for (const platform::FrameRateRange &range : format.frameRateRanges)
        video.frameRates.append(unsigned(range.minFrameRate));
    video.frameRate = currentFrameRate();
    video.index = index;
    return video;
}

QList<VideoFormat> LCGeneralCameraImpl::getVideFormats()
{
    QList<VideoFormat> list;
    if (!m_device)
        return list;
    const QList<platform::CaptureFormat> formats = m_device->formats();
    for (int i = 0; i < formats.size(); ++i) {
        const VideoFormat format = videoFormat(formats.at(i), i);
        // The 424-pixel-wide YUV format is left out; the others keep the device's index.
        if (format.codecType == 3 && format.width == 424)
            continue;
        list.append(format);
    }
    return list;
}

VideoFormat LCGeneralCameraImpl::getActiveFormat()
{
    if (!m_device)
        return VideoFormat();
    const QList<platform::CaptureFormat> formats = m_device->formats();
    const int active = m_device->activeFormatIndex();
    if (active < 0 || active >= formats.size())
        return VideoFormat();
    return videoFormat(formats.at(active), qMax(0, formats.indexOf(formats.at(active))));
}

int32_t LCGeneralCameraImpl::getCodecType()
{
    return getActiveFormat().codecType;
}

uint32_t LCGeneralCameraImpl::setActiveFormat(int index, int fps)
{
    m_formatIndex = index;
    m_frameRate = fps;
    if (!m_device)
        return 0;
    const QList<platform::CaptureFormat> formats = m_device->formats();
    if (index < 0 || index >= formats.size())
        return 0;

    if (!m_device->lockForConfiguration())
        return GeneralCameraConfigurationFailed;
    const platform::CaptureFormat &format = formats.at(index);
    if (!m_device->setActiveFormat(index)) {
        m_device->unlockForConfiguration();
        return GeneralCameraConfigurationFailed;
    }
    qCDebug(lcCapture, "set activate format index == %d width =%d, height=%d", index, format.width,
            format.height);
    emit srouceChangeResolution(format.width, format.height);

    const platform::FrameRateRange *chosen = nullptr;
    for (const platform::FrameRateRange &range : format.frameRateRanges) {
        if (int(range.minFrameRate) == fps) {
            qCDebug(lcCapture, "set frame rate min =%f, max=%f", range.minFrameRate,
                    range.maxFrameRate);
            chosen = &range;
            break;
        }
    }
    m_device->unlockForConfiguration();

    if (chosen) {
        if (!m_device->lockForConfiguration())
            return GeneralCameraConfigurationFailed;
        const bool set = m_device->setActiveMinFrameDuration(chosen->minFrameDuration);
        m_device->unlockForConfiguration();
        if (!set)
            return GeneralCameraConfigurationFailed;
    }
    for (const platform::FrameRateRange &range : format.frameRateRanges) {
        if (range.minFrameDuration == m_device->activeMinFrameDuration())
            qCDebug(lcCapture, "current frameRate Range = %f", range.maxFrameRate);
    }
    return 0;
}

uint32_t LCGeneralCameraImpl::setSensMode(int mode)
{
    return m_control->setSensorMode(float(mode)) ? 0 : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::getSensMode()
{
    bool ok = false;
    const float mode = m_control->getSensorMode(&ok);
    return ok ? uint32_t(int(mode)) : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::outcome(bool accepted)
{
    return accepted ? 1 : 0;
}

uint32_t LCGeneralCameraImpl::readValue(FloatGetter getter, float *value)
{
    bool ok = false;
    const float read = (m_control.get()->*getter)(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *value = read;
    return 0;
}

uint32_t LCGeneralCameraImpl::readDefault(DefaultGetter getter, float *value)
{
    bool ok = false;
    const int64_t read = (m_control.get()->*getter)(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *value = float(read);
    return 0;
}

uint32_t LCGeneralCameraImpl::readRange(RangeGetter getter, uvc_control_range *range, RangeRule rule)
{
    bool ok = false;
    const uvc_control_range read = (m_control.get()->*getter)(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *range = read;
    // An empty range is how a camera says that it has no such control.
    return rule == RangeChecked && read.min == read.max ? GeneralCameraNotSupported : 0;
}

uint32_t LCGeneralCameraImpl::write(FloatSetter setter, float value)
{
    return outcome((m_control.get()->*setter)(value));
}

uint32_t LCGeneralCameraImpl::getZoomRatioSync(double *ratio)
{
    float zoom = 0;
    const uint32_t result = readValue(&UVCCameraControl::getZoom, &zoom);
    if (result == 0)
        *ratio = zoom;
    return result;
}

uint32_t LCGeneralCameraImpl::setZoomRatioSync(double ratio)
{
    if (!(ratio >= 0))
        return GeneralCameraOutOfRange;
    return outcome(m_control->setZoom(float(ratio)));
}

uint32_t LCGeneralCameraImpl::zoomInSync() { return outcome(m_control->zoomIn()); }
uint32_t LCGeneralCameraImpl::zoomOutSync() { return outcome(m_control->zoomOut()); }
uint32_t LCGeneralCameraImpl::resetZoomSync() { return outcome(m_control->setZoom(0)); }

uint32_t LCGeneralCameraImpl::getDefaultZoomRatioSync(double *ratio)
{
    float zoom = 0;
    const uint32_t result = readDefault(&UVCCameraControl::getZoomDefault, &zoom);
    if (result == 0)
        *ratio = zoom;
    return result;
}

uint32_t LCGeneralCameraImpl::getZoomRatioRangeSync(uvc_control_range *range)
{
    return readRange(&UVCCameraControl::getZoomRange, range, RangeChecked);
}

uint32_t LCGeneralCameraImpl::getRotationDegreeSync(uint32_t *degree)
{
    float roll = 0;
    const uint32_t result = readValue(&UVCCameraControl::getRotate, &roll);
    if (result == 0)
        *degree = uint32_t(int(roll));
    return result;
}

uint32_t LCGeneralCameraImpl::rotateSync(uint32_t degree)
{
    return outcome(m_control->setRotate(float(degree >= 360 ? degree % 360 : degree)));
}

uint32_t LCGeneralCameraImpl::triggerOneAutoFocusSync()
{
    return m_control->setAutoFocus(true) ? 0 : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::isAutoWhiteBalanceSupportedSync(bool *supported)
{
    *supported = m_control->isAutoWhiteBalanceSupported();
    return 0;
}

uint32_t LCGeneralCameraImpl::getDefaultAutoWhiteBalanceStatusSync(bool *on)
{
    bool ok = false;
    const bool value = m_control->getAutoWhiteBalanceDefault(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *on = value;
    return 0;
}

uint32_t LCGeneralCameraImpl::getAutoWhiteBalanceStatusSync(bool *on)
{
    bool ok = false;
    const bool value = m_control->getAutoWhiteBalance(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *on = value;
    return 0;
}

uint32_t LCGeneralCameraImpl::setAutoWhiteBalanceSync(bool on)
{
    return outcome(m_control->setAutoWhiteBalance(on));
}

uint32_t LCGeneralCameraImpl::getWhiteBalanceTemporatureSync(unsigned short *kelvin)
{
    float value = 0;
    const uint32_t result = readValue(&UVCCameraControl::getWhiteBalance, &value);
    if (result == 0)
        *kelvin = static_cast<unsigned short>(value);
    return result;
}

uint32_t LCGeneralCameraImpl::getDefaultWhiteBalanceTemporatureSync(unsigned short *kelvin)
{
    float value = 0;
    const uint32_t result = readDefault(&UVCCameraControl::getWhiteBalanceDefault, &value);
    if (result == 0)
        *kelvin = static_cast<unsigned short>(value);
    return result;
}

uint32_t LCGeneralCameraImpl::getWhiteBalanceTemporatureRangeSync(uvc_control_range *range)
{
    return readRange(&UVCCameraControl::getWhiteBalanceRange, range, RangeChecked);
}

uint32_t LCGeneralCameraImpl::setWhiteBalanceTemporatureSync(unsigned short kelvin)
{
    return outcome(m_control->setWhiteBalance(kelvin));
}

uint32_t LCGeneralCameraImpl::getPanSync(float *degrees)
{
    return readValue(&UVCCameraControl::getPan, degrees);
}
uint32_t LCGeneralCameraImpl::getDefaultPanSync(float *degrees)
{
    return readValue(&UVCCameraControl::getPanDefault, degrees);
}
uint32_t LCGeneralCameraImpl::getPanRangeSync(uvc_control_range *range)
{
    return readRange(&UVCCameraControl::getPanRange, range, Unchecked);
}

uint32_t LCGeneralCameraImpl::setPanSync(float degrees)
{
    if (!std::isfinite(degrees) || std::fabs(degrees) > MaxPanTiltDegrees)
        return GeneralCameraOutOfRange;
    return outcome(m_control->setCameraPan(int(degrees)));
}

uint32_t LCGeneralCameraImpl::getTiltSync(float *degrees)
{
    return readValue(&UVCCameraControl::getTilt, degrees);
}
uint32_t LCGeneralCameraImpl::getDefaultTiltSync(float *degrees)
{
    return readValue(&UVCCameraControl::getTiltDefault, degrees);
}
uint32_t LCGeneralCameraImpl::getTiltRangeSync(uvc_control_range *range)
{
    return readRange(&UVCCameraControl::getTiltRange, range, Unchecked);
}

uint32_t LCGeneralCameraImpl::setTiltSync(float degrees)
{
    if (!std::isfinite(degrees) || std::fabs(degrees) > MaxPanTiltDegrees)
        return GeneralCameraOutOfRange;
    return outcome(m_control->setTilt(int(degrees)));
}

uint32_t LCGeneralCameraImpl::setPtzRightStartSync()
{
    return outcome(m_control->setPan_Start(PtzSpeed, true));
}
uint32_t LCGeneralCameraImpl::setPtzLeftStartSync()
{
    return outcome(m_control->setPan_Start(PtzSpeed, false));
}
uint32_t LCGeneralCameraImpl::setPtzUpStartSync()
{
    return outcome(m_control->setTail_Start(PtzSpeed, true));
}
uint32_t LCGeneralCameraImpl::setPtzDownStartSync()
{
    return outcome(m_control->setTail_Start(PtzSpeed, false));
}
uint32_t LCGeneralCameraImpl::setPtzStopSync() { return outcome(m_control->setPanTial_Stop()); }

uint32_t LCGeneralCameraImpl::getBrightnessSync(float *v)
{
    return readValue(&UVCCameraControl::getBrightness, v);
}
uint32_t LCGeneralCameraImpl::getDefaultBrightnessSync(float *v)
{
    return readDefault(&UVCCameraControl::getBrightnessDefault, v);
}
uint32_t LCGeneralCameraImpl::getBrightnessRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getBrightnessRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setBrightnessSync(float v)
{
    return write(&UVCCameraControl::setBrightness, v);
}

uint32_t LCGeneralCameraImpl::getContrastSync(float *v)
{
    return readValue(&UVCCameraControl::getContrast, v);
}
uint32_t LCGeneralCameraImpl::getDefaultContrastSync(float *v)
{
    return readDefault(&UVCCameraControl::getContrastDefault, v);
}
uint32_t LCGeneralCameraImpl::getContrastRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getContrastRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setContrastSync(float v)
{
    return write(&UVCCameraControl::setContrast, v);
}

uint32_t LCGeneralCameraImpl::getFocusSync(float *v)
{
    return readValue(&UVCCameraControl::getFocus, v);
}
uint32_t LCGeneralCameraImpl::getDefaultFocusSync(float *v)
{
    return readDefault(&UVCCameraControl::getFocusDefault, v);
}
uint32_t LCGeneralCameraImpl::getFocusRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getFocusRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setFocusSync(float v)
{
    return write(&UVCCameraControl::setFocus, v);
}

uint32_t LCGeneralCameraImpl::getExposureSync(float *v)
{
    return readValue(&UVCCameraControl::getExposure, v);
}
uint32_t LCGeneralCameraImpl::getDefaultExposureSync(float *v)
{
    return readDefault(&UVCCameraControl::getExposureDefault, v);
}
uint32_t LCGeneralCameraImpl::getExposureRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getExposureRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setExposureSync(float v)
{
    return write(&UVCCameraControl::setExposure, v);
}

uint32_t LCGeneralCameraImpl::getSaturationSync(float *v)
{
    return readValue(&UVCCameraControl::getSaturation, v);
}
uint32_t LCGeneralCameraImpl::getDefaultSaturationSync(float *v)
{
    return readDefault(&UVCCameraControl::getSaturationDefault, v);
}
uint32_t LCGeneralCameraImpl::getSaturationRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getSaturationRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setSaturationSync(float v)
{
    return write(&UVCCameraControl::setSaturation, v);
}

uint32_t LCGeneralCameraImpl::getSharpnessSync(float *v)
{
    return readValue(&UVCCameraControl::getSharpness, v);
}
uint32_t LCGeneralCameraImpl::getDefaultSharpnessSync(float *v)
{
    return readDefault(&UVCCameraControl::getSharpnessDefault, v);
}
uint32_t LCGeneralCameraImpl::getSharpnessRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getSharpnessRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setSharpnessSync(float v)
{
    return write(&UVCCameraControl::setSharpness, v);
}

uint32_t LCGeneralCameraImpl::getPowerLineFrequencySync(float *v)
{
    return readValue(&UVCCameraControl::getPowerLineFrequency, v);
}
uint32_t LCGeneralCameraImpl::getDefaultPowerLineFrequencySync(float *v)
{
    return readDefault(&UVCCameraControl::getPowerLineFrequencyDefault, v);
}
uint32_t LCGeneralCameraImpl::getPowerLineFrequencyRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getPowerLineFrequencyRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setPowerLineFrequencySync(float v)
{
    return write(&UVCCameraControl::setPowerLineFrequency, v);
}

uint32_t LCGeneralCameraImpl::getSensorModeSync(float *v)
{
    return readValue(&UVCCameraControl::getSensorMode, v);
}
uint32_t LCGeneralCameraImpl::getDefaultSensorModeSync(float *v)
{
    return readDefault(&UVCCameraControl::getSensorModeDefault, v);
}
uint32_t LCGeneralCameraImpl::getSensorModeRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getSensorModeRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setSensorModeSync(float v)
{
    return write(&UVCCameraControl::setSensorMode, v);
}

uint32_t LCGeneralCameraImpl::getImageOrientationSync(float *v)
{
    return readValue(&UVCCameraControl::getImageOrientaion, v);
}
uint32_t LCGeneralCameraImpl::getDefaultImageOrientationSync(float *v)
{
    return readDefault(&UVCCameraControl::getImageOrientaionDefault, v);
}
uint32_t LCGeneralCameraImpl::getImageOrientationRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getImageOrientaionRange, r, Unchecked);
}
uint32_t LCGeneralCameraImpl::setImageOrientationSync(float v)
{
    return write(&UVCCameraControl::setImageOrientaion, v);
}

uint32_t LCGeneralCameraImpl::getMirrorSync(float *v)
{
    return readValue(&UVCCameraControl::getMirror, v);
}
uint32_t LCGeneralCameraImpl::getDefaultMirrorSync(float *v)
{
    return readDefault(&UVCCameraControl::getMirrorDefault, v);
}
uint32_t LCGeneralCameraImpl::getMirrorRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getMirrorRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setMirrorSync(float v)
{
    return write(&UVCCameraControl::setMirror, v);
}

uint32_t LCGeneralCameraImpl::getFlipSync(float *v)
{
    return readValue(&UVCCameraControl::getFlip, v);
}
uint32_t LCGeneralCameraImpl::getDefaultFlipSync(float *v)
{
    return readDefault(&UVCCameraControl::getFlipDefault, v);
}
uint32_t LCGeneralCameraImpl::getFlipRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getFlipRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setFlipSync(float v) { return write(&UVCCameraControl::setFlip, v); }

uint32_t LCGeneralCameraImpl::getCeilingSync(float *v)
{
    return readValue(&UVCCameraControl::getCeiling, v);
}
uint32_t LCGeneralCameraImpl::getDefaultCeilingSync(float *v)
{
    return readDefault(&UVCCameraControl::getCeilingDefault, v);
}
uint32_t LCGeneralCameraImpl::getCeilingRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getCeilingRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setCeilingSync(float v)
{
    return write(&UVCCameraControl::setCeiling, v);
}

uint32_t LCGeneralCameraImpl::getNoiseReductionSync(float *v)
{
    return readValue(&UVCCameraControl::getNoiseReduction, v);
}
uint32_t LCGeneralCameraImpl::getDefaultNoiseReductionSync(float *v)
{
    return readDefault(&UVCCameraControl::getNoiseReductionDefault, v);
}
uint32_t LCGeneralCameraImpl::getNoiseReductionRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getNoiseReductionRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setNoiseReductionSync(float v)
{
    return write(&UVCCameraControl::setNoiseReduction, v);
}

uint32_t LCGeneralCameraImpl::getBacklightSync(float *v)
{
    return readValue(&UVCCameraControl::getBacklight, v);
}
uint32_t LCGeneralCameraImpl::getDefaultBacklightSync(float *v)
{
    return readDefault(&UVCCameraControl::getBacklightDefault, v);
}
uint32_t LCGeneralCameraImpl::getBacklightRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getBacklightRange, r, RangeChecked);
}
uint32_t LCGeneralCameraImpl::setBacklightSync(float v)
{
    return write(&UVCCameraControl::setBacklight, v);
}

uint32_t LCGeneralCameraImpl::getMICSync(float *v)
{
    return readValue(&UVCCameraControl::getMIC, v);
}
uint32_t LCGeneralCameraImpl::getDefaultMICSync(float *v)
{
    return readDefault(&UVCCameraControl::getMICDefault, v);
}
uint32_t LCGeneralCameraImpl::getMICRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getMICRange, r, Unchecked);
}
uint32_t LCGeneralCameraImpl::setMICSync(float v) { return write(&UVCCameraControl::setMIC, v); }

uint32_t LCGeneralCameraImpl::getHdmiAudioSync(float *v)
{
    return readValue(&UVCCameraControl::getHDIMAudioOut, v);
}
uint32_t LCGeneralCameraImpl::getDefaultHdmiAudioSync(float *v)
{
    return readDefault(&UVCCameraControl::getHDIMAudioOutDefault, v);
}
uint32_t LCGeneralCameraImpl::getHdmiAudioRangeSync(uvc_control_range *r)
{
    return readRange(&UVCCameraControl::getHDIMAudioOutRange, r, Unchecked);
}
uint32_t LCGeneralCameraImpl::setHdmiAudioSync(float v)
{
    return write(&UVCCameraControl::setHDIMAudioOut, v);
}

uint32_t LCGeneralCameraImpl::getROISync(uvcx_roi_control_t *roi)
{
    return m_control->getROI(roi) ? 0 : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::getDefaultROISync(uvcx_roi_control_t *roi)
{
    return m_control->getROIDefault(roi) ? 0 : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::getROIRangeSync(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum)
{
    return m_control->getROIRange(maximum, minimum) ? 0 : GeneralCameraNotSupported;
}

uint32_t LCGeneralCameraImpl::setROISync(uvcx_roi_control_t roi)
{
    return outcome(m_control->setROI(roi));
}

uint32_t LCGeneralCameraImpl::resetToDefault()
{
    return 0;
}

uint32_t LCGeneralCameraImpl::getSnapshotSupport(int *supported)
{
    bool ok = false;
    const int value = m_control->getHQSnapshotSupport(&ok);
    if (!ok)
        return GeneralCameraNotSupported;
    *supported = value;
    return 0;
}

QSharedPointer<platform::CaptureDevice> LCGeneralCameraImpl::getAVCaptureDevice()
{
    return m_device;
}
