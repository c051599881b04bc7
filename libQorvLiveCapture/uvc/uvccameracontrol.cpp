#include "uvc/uvccameracontrol.h"

#include "capturelog.h"
#include "hid/hidchannel.h"
#include "hid/hidreport.h"
#include "usb/usbcontrolchannel.h"

#include <QtEndian>

#include <cmath>
#include <cstring>

namespace {

constexpr uint8_t SetRequestType = 0x21;
constexpr uint8_t GetRequestType = 0xA1;
constexpr uint8_t ProcessingUnit = 2;
constexpr uint8_t CameraTerminal = 1;
constexpr uint8_t AutoExposureSelector = 0x02;
constexpr uint8_t AutoExposureOn = 8;  // aperture priority: exposure time chosen by the camera
constexpr uint8_t AutoExposureOff = 1; // manual
constexpr int32_t ArcSecondsPerDegree = 3600;
// What a pan-tilt read buffer holds before the camera answers.
constexpr int32_t UnreadPanTilt = 65535;

// Processing-unit mask bits of the controls whose range depends on it.
enum ProcessingBit {
    BrightnessBit = 0,
    ContrastBit = 1,
    HueBit = 2,
    SaturationBit = 3,
    SharpnessBit = 4,
    GammaBit = 5,
    WhiteBalanceTemperatureBit = 6,
    WhiteBalanceComponentBit = 7,
    BacklightBit = 8,
    PowerLineFrequencyBit = 10,
    WhiteBalanceTemperatureAutoBit = 12,
};

void setOk(bool *ok, bool value)
{
    if (ok)
        *ok = value;
}

bool fetchRow(uint8_t tableUnit, uint8_t selector, uint8_t unitId, uvc_control_info_t *control)
{
    for (const uvc_control_info_t &row : uvc_controls) {
        if (row.unit == tableUnit && row.selector == selector) {
            *control = row;
            control->unit = unitId;
            return true;
        }
    }
    return false;
}

} // namespace

UVCCameraControl::UVCCameraControl(uint32_t locationId)
    : m_interface(platform::UsbControlChannel::openByLocation(locationId)),
      m_deviceLocationID(locationId),
      m_usbLocationID(locationId)
{
    if (m_interface && m_interface->hasInterface()) {
        m_intfNumber = m_interface->interfaceNumber();
        m_vendorID = m_interface->vendorId();
        m_productID = m_interface->productId();
    }
}

UVCCameraControl::UVCCameraControl(uint16_t vendorId, uint16_t productId, uint32_t locationId)
    : m_interface(platform::UsbControlChannel::open(vendorId, productId, locationId)),
      m_usbLocationID(locationId),
      m_vendorID(vendorId),
      m_productID(productId)
{
    if (m_interface && m_interface->hasInterface()) {
        readDescriptor();
        m_intfNumber = m_interface->interfaceNumber();
    }
}

UVCCameraControl::~UVCCameraControl() = default;

void UVCCameraControl::readDescriptor()
{
    m_configurationDescriptor =
        UVCCameraConfigurationDescriptor::initWithData(m_interface->configurationDescriptor());
}

bool UVCCameraControl::hasInterface() const
{
    return m_interface && m_interface->hasInterface();
}

uint16_t UVCCameraControl::indexFor(uint8_t unit) const
{
    return uint16_t(unit << 8 | m_intfNumber);
}

bool UVCCameraControl::sendControlRequest(platform::UsbControlRequest &request)
{
    if (!hasInterface()) {
        qCWarning(lcCapture, "CameraControl Error: No interface to send request");
        return false;
    }
    if (!m_interface->sendControlRequest(request)) {
        qCWarning(lcCapture, "CameraControl Error: Control request failed: %02x %04x %04x",
                  request.bRequest, request.wValue, request.wIndex);
        return false;
    }
    return true;
}

bool UVCCameraControl::setData(int64_t value, uint16_t length, uint8_t selector, uint8_t unit)
{
    if (!hasInterface() || length > 8)
        return false;
    uint8_t buffer[8] = {};
    qToLittleEndian<quint64>(quint64(value), buffer);
    return setDataStructure(buffer, length, selector, unit);
}

uint64_t UVCCameraControl::getDataFor(uint8_t request, uint16_t length, uint8_t selector,
                                      uint8_t unit, bool *ok)
{
    uint8_t buffer[8] = {};
    const bool read = length <= 8 && getDataStructureFor(request, buffer, length, selector, unit);
    setOk(ok, read);
    return read ? qFromLittleEndian<quint64>(buffer) : 0;
}

bool UVCCameraControl::setDataStructure(const void *data, uint16_t length, uint8_t selector,
                                        uint8_t unit)
{
    platform::UsbControlRequest request;
    request.bmRequestType = SetRequestType;
    request.bRequest = UVC_SET_CUR;
    request.wValue = uint16_t(selector << 8);
    request.wIndex = indexFor(unit);
    request.wLength = length;
    request.data = QByteArray(static_cast<const char *>(data), length);
    return sendControlRequest(request);
}

bool UVCCameraControl::getDataStructureFor(uint8_t requestCode, void *data, uint16_t length,
                                           uint8_t selector, uint8_t unit)
{
    platform::UsbControlRequest request;
    request.bmRequestType = GetRequestType;
    request.bRequest = requestCode;
    request.wValue = uint16_t(selector << 8);
    request.wIndex = indexFor(unit);
    request.wLength = length;
    // A short answer is as good as none: the caller's buffer is only written with a full one.
    if (!sendControlRequest(request) || request.data.size() != length)
        return false;
    std::memcpy(data, request.data.constData(), length);
    return true;
}

int64_t UVCCameraControl::signExtendValue(uint64_t raw, uint16_t length)
{
    switch (length) {
    case 1: return int8_t(raw);
    case 2: return int16_t(raw);
    case 4:
    case 8: return int32_t(raw);
    default: return int64_t(raw);
    }
}

int64_t UVCCameraControl::signExtendLimit(uint64_t raw, uint16_t length)
{
    switch (length) {
    case 1: return int8_t(raw);
    case 2: return int16_t(raw);
    case 4: return int32_t(raw);
    default: return int64_t(raw);
    }
}

float UVCCameraControl::getValueForControl(const uvc_control_info_t &control, bool *ok)
{
    const uint64_t raw = getDataFor(UVC_GET_CUR, control.size, control.selector, control.unit, ok);
    return float(signExtendValue(raw, control.size));
}

bool UVCCameraControl::setValueForControl(float value, const uvc_control_info_t &control)
{
    // Beyond these the truncation would be undefined; no control of the table holds such values.
    if (!std::isfinite(value) || std::fabs(value) >= 9.2e18f)
        return false;
    return setData(int64_t(value), control.size, control.selector, control.unit);
}

int64_t UVCCameraControl::getDefaultForControl(const uvc_control_info_t &control, bool *ok)
{
    const uint64_t raw = getDataFor(UVC_GET_DEF, control.size, control.selector, control.unit, ok);
    return signExtendLimit(raw, control.size);
}

uvc_control_range UVCCameraControl::getRangeForControl(const uvc_control_info_t &control, bool *ok)
{
    bool minOk = false;
    bool maxOk = false;
    uvc_control_range range;
    range.min = signExtendLimit(
        getDataFor(UVC_GET_MIN, control.size, control.selector, control.unit, &minOk), control.size);
    if (minOk) {
        range.max = signExtendLimit(
            getDataFor(UVC_GET_MAX, control.size, control.selector, control.unit, &maxOk),
            control.size);
    }
    setOk(ok, minOk && maxOk);
    return minOk && maxOk ? range : uvc_control_range();
}

bool UVCCameraControl::setStructureForControl(const void *data, const uvc_control_info_t &control)
{
    return setDataStructure(data, control.size, control.selector, control.unit);
}

bool UVCCameraControl::getStructureForControl(void *data, const uvc_control_info_t &control)
{
    return getDataStructureFor(UVC_GET_CUR, data, control.size, control.selector, control.unit);
}

bool UVCCameraControl::getDefaultStructureForControl(void *data, const uvc_control_info_t &control)
{
    return getDataStructureFor(UVC_GET_DEF, data, control.size, control.selector, control.unit);
}

bool UVCCameraControl::getRangeStructureForControl(void *maximum, void *minimum,
                                                   const uvc_control_info_t &control)
{
    // Read both before writing either, so that a failure leaves both untouched.
    QByteArray max(control.size, '\0');
    QByteArray min(control.size, '\0');
    if (!getDataStructureFor(UVC_GET_MIN, min.data(), control.size, control.selector, control.unit)
        || !getDataStructureFor(UVC_GET_MAX, max.data(), control.size, control.selector,
                                control.unit))
        return false;
    std::memcpy(maximum, max.constData(), control.size);
    std::memcpy(minimum, min.constData(), control.size);
    return true;
}

float UVCCameraControl::mapValue(float value, float fromMin, float fromMax, float toMin, float toMax)
{
    return (value - fromMin) / (fromMax - fromMin) * (toMax - toMin) + toMin;
}

bool UVCCameraControl::fetchProcessUnit(uint8_t selector, uvc_control_info_t *control) const
{
    // A descriptor without a processing unit (id 0 is reserved) leaves the table's unit in place.
    if (!m_configurationDescriptor || m_configurationDescriptor->processUnitId() == 0
        || selector < 1 || selector > 18)
        return false;
    return fetchRow(ProcessingUnit, selector, m_configurationDescriptor->processUnitId(), control);
}

bool UVCCameraControl::fetchTerminalUnit(uint8_t selector, uvc_control_info_t *control) const
{
    if (!m_configurationDescriptor || m_configurationDescriptor->terminalUnitId() == 0
        || selector < 1 || selector > 17)
        return false;
    return fetchRow(CameraTerminal, selector, m_configurationDescriptor->terminalUnitId(), control);
}

uvc_control_info_t UVCCameraControl::processControl(int row) const
{
    uvc_control_info_t control = uvc_controls[row];
    fetchProcessUnit(control.selector, &control);
    return control;
}

uvc_control_info_t UVCCameraControl::terminalControl(int row) const
{
    uvc_control_info_t control = uvc_controls[row];
    fetchTerminalUnit(control.selector, &control);
    return control;
}

bool UVCCameraControl::descriptorLacks(int bit) const
{
    return m_configurationDescriptor && !m_configurationDescriptor->isSupportProcessingUnitItem(bit);
}

bool UVCCameraControl::descriptorHas(int bit) const
{
    return m_configurationDescriptor && m_configurationDescriptor->isSupportProcessingUnitItem(bit);
}

uvc_control_range UVCCameraControl::processRange(int row, int bit, bool *ok)
{
    // A control the descriptor does not declare has the empty range; the camera is not asked.
    if (descriptorLacks(bit)) {
        setOk(ok, true);
        return uvc_control_range();
    }
    return getRangeForControl(processControl(row), ok);
}

int64_t UVCCameraControl::processDefault(int row, bool *ok)
{
    return getDefaultForControl(processControl(row), ok);
}

// Processing-unit controls.

bool UVCCameraControl::setBrightness(float v)
{
    return setValueForControl(v, processControl(UvcBrightness));
}
float UVCCameraControl::getBrightness(bool *ok)
{
    return getValueForControl(processControl(UvcBrightness), ok);
}
int64_t UVCCameraControl::getBrightnessDefault(bool *ok)
{
    return processDefault(UvcBrightness, ok);
}
uvc_control_range UVCCameraControl::getBrightnessRange(bool *ok)
{
    return processRange(UvcBrightness, BrightnessBit, ok);
}

bool UVCCameraControl::setContrast(float v)
{
    return setValueForControl(v, processControl(UvcContrast));
}
float UVCCameraControl::getContrast(bool *ok)
{
    return getValueForControl(processControl(UvcContrast), ok);
}
int64_t UVCCameraControl::getContrastDefault(bool *ok) { return processDefault(UvcContrast, ok); }
uvc_control_range UVCCameraControl::getContrastRange(bool *ok)
{
    return processRange(UvcContrast, ContrastBit, ok);
}

bool UVCCameraControl::setHUE(float v) { return setValueForControl(v, processControl(UvcHue)); }
float UVCCameraControl::getHUE(bool *ok) { return getValueForControl(processControl(UvcHue), ok); }
int64_t UVCCameraControl::getHUEDefault(bool *ok) { return processDefault(UvcHue, ok); }
uvc_control_range UVCCameraControl::getHUERange(bool *ok)
{
    return processRange(UvcHue, HueBit, ok);
}

bool UVCCameraControl::setSaturation(float v)
{
    return setValueForControl(v, processControl(UvcSaturation));
}
float UVCCameraControl::getSaturation(bool *ok)
{
    return getValueForControl(processControl(UvcSaturation), ok);
}
int64_t UVCCameraControl::getSaturationDefault(bool *ok)
{
    return processDefault(UvcSaturation, ok);
}
uvc_control_range UVCCameraControl::getSaturationRange(bool *ok)
{
    return processRange(UvcSaturation, SaturationBit, ok);
}

bool UVCCameraControl::setSharpness(float v)
{
    return setValueForControl(v, processControl(UvcSharpness));
}
float UVCCameraControl::getSharpness(bool *ok)
{
    return getValueForControl(processControl(UvcSharpness), ok);
}
int64_t UVCCameraControl::getSharpnessDefault(bool *ok) { return processDefault(UvcSharpness, ok); }
uvc_control_range UVCCameraControl::getSharpnessRange(bool *ok)
{
    return processRange(UvcSharpness, SharpnessBit, ok);
}

bool UVCCameraControl::setGamma(float v) { return setValueForControl(v, processControl(UvcGamma)); }
float UVCCameraControl::getGamma(bool *ok)
{
    return getValueForControl(processControl(UvcGamma), ok);
}
int64_t UVCCameraControl::getGammaDefault(bool *ok) { return processDefault(UvcGamma, ok); }
uvc_control_range UVCCameraControl::getGammaRange(bool *ok)
{
    return processRange(UvcGamma, GammaBit, ok);
}

bool UVCCameraControl::setBacklight(float v)
{
    return setValueForControl(v, processControl(UvcBacklightCompensation));
}
float UVCCameraControl::getBacklight(bool *ok)
{
    return getValueForControl(processControl(UvcBacklightCompensation), ok);
}
int64_t UVCCameraControl::getBacklightDefault(bool *ok)
{
    return processDefault(UvcBacklightCompensation, ok);
}
uvc_control_range UVCCameraControl::getBacklightRange(bool *ok)
{
    return processRange(UvcBacklightCompensation, BacklightBit, ok);
}

bool UVCCameraControl::setPowerLineFrequency(float v)
{
    return setValueForControl(v, processControl(UvcPowerLineFrequency));
}
float UVCCameraControl::getPowerLineFrequency(bool *ok)
{
    return getValueForControl(processControl(UvcPowerLineFrequency), ok);
}
int64_t UVCCameraControl::getPowerLineFrequencyDefault(bool *ok)
{
    return processDefault(UvcPowerLineFrequency, ok);
}
uvc_control_range UVCCameraControl::getPowerLineFrequencyRange(bool *ok)
{
    return processRange(UvcPowerLineFrequency, PowerLineFrequencyBit, ok);
}

bool UVCCameraControl::setGain(float v) { return setValueForControl(v, uvc_controls[UvcGain]); }
float UVCCameraControl::getGain(bool *ok) { return getValueForControl(uvc_controls[UvcGain], ok); }

// White balance.

bool UVCCameraControl::setAutoWhiteBalance(bool on)
{
    return setValueForControl(on ? 1 : 0, processControl(UvcWhiteBalanceTemperatureAuto));
}

bool UVCCameraControl::getAutoWhiteBalance(bool *ok)
{
    return getValueForControl(processControl(UvcWhiteBalanceTemperatureAuto), ok) != 0;
}

bool UVCCameraControl::getAutoWhiteBalanceDefault(bool *ok)
{
    return processDefault(UvcWhiteBalanceTemperatureAuto, ok) != 0;
}

bool UVCCameraControl::isAutoWhiteBalanceSupported()
{
    if (!descriptorHas(WhiteBalanceTemperatureAutoBit))
        return false;
    // Some cameras declare the control but refuse it: only a write that is accepted counts.
    bool ok = false;
    const bool current = getAutoWhiteBalance(&ok);
    if (!ok)
        return false;
    const bool writable = setAutoWhiteBalance(current);
    setAutoWhiteBalance(current);
    return writable;
}

bool UVCCameraControl::setWhiteBalance(float v)
{
    setAutoWhiteBalance(false);
    return setValueForControl(v, processControl(UvcWhiteBalanceTemperature));
}

float UVCCameraControl::getWhiteBalance(bool *ok)
{
    return getValueForControl(processControl(UvcWhiteBalanceTemperature), ok);
}
int64_t UVCCameraControl::getWhiteBalanceDefault(bool *ok)
{
    return processDefault(UvcWhiteBalanceTemperature, ok);
}

uvc_control_range UVCCameraControl::getWhiteBalanceRange(bool *ok)
{
    if (!descriptorHas(WhiteBalanceTemperatureBit) && !descriptorHas(WhiteBalanceComponentBit)) {
        setOk(ok, true);
        return uvc_control_range();
    }
    return getRangeForControl(processControl(UvcWhiteBalanceTemperature), ok);
}

// Camera-terminal controls.

bool UVCCameraControl::setAutoExposure(bool on)
{
    return setData(on ? AutoExposureOn : AutoExposureOff, 1, AutoExposureSelector, CameraTerminal);
}

bool UVCCameraControl::getAutoExposure(bool *ok)
{
    return getDataFor(UVC_GET_CUR, 1, AutoExposureSelector, CameraTerminal, ok) == AutoExposureOn;
}

bool UVCCameraControl::setExposure(float v)
{
    return setValueForControl(v, uvc_controls[UvcExposureTimeAbsolute]);
}
float UVCCameraControl::getExposure(bool *ok)
{
    return getValueForControl(uvc_controls[UvcExposureTimeAbsolute], ok);
}
int64_t UVCCameraControl::getExposureDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcExposureTimeAbsolute], ok);
}
uvc_control_range UVCCameraControl::getExposureRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcExposureTimeAbsolute], ok);
}

bool UVCCameraControl::setZoom(float v)
{
    return setValueForControl(v, uvc_controls[UvcZoomAbsolute]);
}
float UVCCameraControl::getZoom(bool *ok)
{
    return getValueForControl(uvc_controls[UvcZoomAbsolute], ok);
}
int64_t UVCCameraControl::getZoomDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcZoomAbsolute], ok);
}
uvc_control_range UVCCameraControl::getZoomRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcZoomAbsolute], ok);
}

bool UVCCameraControl::zoomIn()
{
    const uint8_t zoom[3] = {1, 0, 0};
    return setStructureForControl(zoom, uvc_controls[UvcZoomRelative]);
}

bool UVCCameraControl::zoomOut()
{
    const uint8_t zoom[3] = {0xff, 0, 0};
    return setStructureForControl(zoom, terminalControl(UvcZoomRelative));
}

bool UVCCameraControl::setAutoFocus(bool on)
{
    return setValueForControl(on ? 1 : 0, terminalControl(UvcFocusAuto));
}

bool UVCCameraControl::setFocus(float v)
{
    setAutoFocus(false);
    return setValueForControl(v, uvc_controls[UvcFocusAbsolute]);
}

float UVCCameraControl::getFocus(bool *ok)
{
    return getValueForControl(uvc_controls[UvcFocusAbsolute], ok);
}
int64_t UVCCameraControl::getFocusDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcFocusAbsolute], ok);
}
uvc_control_range UVCCameraControl::getFocusRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcFocusAbsolute], ok);
}

bool UVCCameraControl::incFoucs()
{
    const uint8_t focus[2] = {0xff, 0};
    return setStructureForControl(focus, uvc_controls[UvcFocusRelative]);
}

bool UVCCameraControl::decFoucs()
{
    const uint8_t focus[2] = {1, 0};
    return setStructureForControl(focus, uvc_controls[UvcFocusRelative]);
}

bool UVCCameraControl::setRotate(float v)
{
    return setValueForControl(v, uvc_controls[UvcRollAbsolute]);
}
float UVCCameraControl::getRotate(bool *ok)
{
    return getValueForControl(uvc_controls[UvcRollAbsolute], ok);
}

// Pan and tilt: one 8-byte control, pan then tilt, signed arc-seconds.

bool UVCCameraControl::readPanTilt(uint8_t request, int32_t panTilt[2])
{
    uint8_t buffer[8];
    qToLittleEndian<qint32>(UnreadPanTilt, buffer);
    qToLittleEndian<qint32>(UnreadPanTilt, buffer + 4);
    const uvc_control_info_t &control = uvc_controls[UvcPanTiltAbsolute];
    if (!getDataStructureFor(request, buffer, control.size, control.selector, control.unit))
        return false;
    panTilt[0] = qFromLittleEndian<qint32>(buffer);
    panTilt[1] = qFromLittleEndian<qint32>(buffer + 4);
    return true;
}

bool UVCCameraControl::getPanTil(int32_t panTilt[2]) { return readPanTilt(UVC_GET_CUR, panTilt); }
bool UVCCameraControl::getPanTilDefault(int32_t panTilt[2])
{
    return readPanTilt(UVC_GET_DEF, panTilt);
}

bool UVCCameraControl::getPanTilRange(int32_t maximum[2], int32_t minimum[2])
{
    int32_t max[2];
    int32_t min[2];
    if (!readPanTilt(UVC_GET_MIN, min) || !readPanTilt(UVC_GET_MAX, max))
        return false;
    std::copy(max, max + 2, maximum);
    std::copy(min, min + 2, minimum);
    return true;
}

bool UVCCameraControl::writePanTilt(const int32_t *panDegrees, const int32_t *tiltDegrees)
{
    // Without the current position the other axis would be sent as the unread filler; send nothing.
    int32_t panTilt[2];
    if (!getPanTil(panTilt))
        return false;
    if (panDegrees)
        panTilt[0] = *panDegrees * ArcSecondsPerDegree;
    if (tiltDegrees)
        panTilt[1] = *tiltDegrees * ArcSecondsPerDegree;
    uint8_t buffer[8];
    qToLittleEndian<qint32>(panTilt[0], buffer);
    qToLittleEndian<qint32>(panTilt[1], buffer + 4);
    return setStructureForControl(buffer, uvc_controls[UvcPanTiltAbsolute]);
}

bool UVCCameraControl::setCameraPan(int degrees)
{
    const int32_t pan = degrees;
    return writePanTilt(&pan, nullptr);
}

bool UVCCameraControl::setTilt(int degrees)
{
    const int32_t tilt = degrees;
    return writePanTilt(nullptr, &tilt);
}

bool UVCCameraControl::setPanTilt(int panDegrees, int tiltDegrees)
{
    const int32_t pan = panDegrees;
    const int32_t tilt = tiltDegrees;
    return writePanTilt(&pan, &tilt);
}

float UVCCameraControl::getPan(bool *ok)
{
    int32_t panTilt[2] = {};
    setOk(ok, getPanTil(panTilt));
    return float(panTilt[0] / ArcSecondsPerDegree);
}

float UVCCameraControl::getPanDefault(bool *ok)
{
    int32_t panTilt[2] = {};
    setOk(ok, getPanTilDefault(panTilt));
    return float(panTilt[0] / ArcSecondsPerDegree);
}

uvc_control_range UVCCameraControl::getPanRange(bool *ok)
{
    int32_t max[2] = {};
    int32_t min[2] = {};
    setOk(ok, getPanTilRange(max, min));
    return uvc_control_range{min[0] / ArcSecondsPerDegree, max[0] / ArcSecondsPerDegree};
}

float UVCCameraControl::getTilt(bool *ok)
{
    int32_t panTilt[2] = {};
    setOk(ok, getPanTil(panTilt));
    return float(panTilt[1] / ArcSecondsPerDegree);
}

float UVCCameraControl::getTiltDefault(bool *ok)
{
    int32_t panTilt[2] = {};
    setOk(ok, getPanTilDefault(panTilt));
    return float(panTilt[1] / ArcSecondsPerDegree);
}

uvc_control_range UVCCameraControl::getTiltRange(bool *ok)
{
    int32_t max[2] = {};
    int32_t min[2] = {};
    setOk(ok, getPanTilRange(max, min));
    return uvc_control_range{min[1] / ArcSecondsPerDegree, max[1] / ArcSecondsPerDegree};
}

bool UVCCameraControl::setPan_Start(uint8_t speed, bool right)
{
    const uint8_t move[4] = {uint8_t(right ? 1 : 0xff), speed, 0, 0};
    return setStructureForControl(move, uvc_controls[UvcPanTiltRelative]);
}

bool UVCCameraControl::setTail_Start(uint8_t speed, bool up)
{
    const uint8_t move[4] = {0, 0, uint8_t(up ? 1 : 0xff), speed};
    return setStructureForControl(move, uvc_controls[UvcPanTiltRelative]);
}

bool UVCCameraControl::setPanTial_Stop()
{
    const uint8_t stop[4] = {0, 0, 0, 0};
    return setStructureForControl(stop, uvc_controls[UvcPanTiltRelative]);
}

// The maker's extension units.

bool UVCCameraControl::setSensorMode(float v)
{
    return setValueForControl(v, uvc_controls[UvcSensorMode]);
}
float UVCCameraControl::getSensorMode(bool *ok)
{
    return getValueForControl(uvc_controls[UvcSensorMode], ok);
}
int64_t UVCCameraControl::getSensorModeDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcSensorMode], ok);
}
uvc_control_range UVCCameraControl::getSensorModeRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcSensorMode], ok);
}

bool UVCCameraControl::setImageOrientaion(float v)
{
    return setValueForControl(v, uvc_controls[UvcImageOrientation]);
}
float UVCCameraControl::getImageOrientaion(bool *ok)
{
    return getValueForControl(uvc_controls[UvcImageOrientation], ok);
}
int64_t UVCCameraControl::getImageOrientaionDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcImageOrientation], ok);
}
uvc_control_range UVCCameraControl::getImageOrientaionRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcImageOrientation], ok);
}

bool UVCCameraControl::setMirror(float v) { return setValueForControl(v, uvc_controls[UvcMirror]); }
float UVCCameraControl::getMirror(bool *ok)
{
    return getValueForControl(uvc_controls[UvcMirror], ok);
}
int64_t UVCCameraControl::getMirrorDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcMirror], ok);
}
uvc_control_range UVCCameraControl::getMirrorRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcMirror], ok);
}

bool UVCCameraControl::setFlip(float v) { return setValueForControl(v, uvc_controls[UvcFlip]); }
float UVCCameraControl::getFlip(bool *ok) { return getValueForControl(uvc_controls[UvcFlip], ok); }
int64_t UVCCameraControl::getFlipDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcFlip], ok);
}
uvc_control_range UVCCameraControl::getFlipRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcFlip], ok);
}

bool UVCCameraControl::setCeiling(float v)
{
    return setValueForControl(v, uvc_controls[UvcCeiling]);
}
float UVCCameraControl::getCeiling(bool *ok)
{
    return getValueForControl(uvc_controls[UvcCeiling], ok);
}
int64_t UVCCameraControl::getCeilingDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcCeiling], ok);
}
uvc_control_range UVCCameraControl::getCeilingRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcCeiling], ok);
}

bool UVCCameraControl::setNoiseReduction(float v)
{
    return setValueForControl(v, uvc_controls[UvcNoiseReduction]);
}
float UVCCameraControl::getNoiseReduction(bool *ok)
{
    return getValueForControl(uvc_controls[UvcNoiseReduction], ok);
}
int64_t UVCCameraControl::getNoiseReductionDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcNoiseReduction], ok);
}
uvc_control_range UVCCameraControl::getNoiseReductionRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcNoiseReduction], ok);
}

bool UVCCameraControl::setMIC(float v)
{
    return setValueForControl(v, uvc_controls[UvcMicrophone]);
}
float UVCCameraControl::getMIC(bool *ok)
{
    return getValueForControl(uvc_controls[UvcMicrophone], ok);
}
int64_t UVCCameraControl::getMICDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcMicrophone], ok);
}
uvc_control_range UVCCameraControl::getMICRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcMicrophone], ok);
}

bool UVCCameraControl::setHDIMAudioOut(float v)
{
    return setValueForControl(v, uvc_controls[UvcHdmiAudioOut]);
}
float UVCCameraControl::getHDIMAudioOut(bool *ok)
{
    return getValueForControl(uvc_controls[UvcHdmiAudioOut], ok);
}
int64_t UVCCameraControl::getHDIMAudioOutDefault(bool *ok)
{
    return getDefaultForControl(uvc_controls[UvcHdmiAudioOut], ok);
}
uvc_control_range UVCCameraControl::getHDIMAudioOutRange(bool *ok)
{
    return getRangeForControl(uvc_controls[UvcHdmiAudioOut], ok);
}

bool UVCCameraControl::setROI(const uvcx_roi_control_t &roi)
{
    uint8_t buffer[8];
    qToLittleEndian<quint16>(roi.wROI_Top, buffer);
    qToLittleEndian<quint16>(roi.wROI_Left, buffer + 2);
    qToLittleEndian<quint16>(roi.wROI_Bottom, buffer + 4);
    qToLittleEndian<quint16>(roi.wROI_Right, buffer + 6);
    return setStructureForControl(buffer, uvc_controls[UvcRegionOfInterest]);
}

namespace {

uvcx_roi_control_t roiFrom(const uint8_t *buffer)
{
    uvcx_roi_control_t roi;
    roi.wROI_Top = qFromLittleEndian<quint16>(buffer);
    roi.wROI_Left = qFromLittleEndian<quint16>(buffer + 2);
    roi.wROI_Bottom = qFromLittleEndian<quint16>(buffer + 4);
    roi.wROI_Right = qFromLittleEndian<quint16>(buffer + 6);
    return roi;
}

} // namespace

bool UVCCameraControl::getROI(uvcx_roi_control_t *roi)
{
    uint8_t buffer[8];
    if (!getStructureForControl(buffer, uvc_controls[UvcRegionOfInterest]))
        return false;
    *roi = roiFrom(buffer);
    return true;
}

bool UVCCameraControl::getROIDefault(uvcx_roi_control_t *roi)
{
    uint8_t buffer[8];
    if (!getDefaultStructureForControl(buffer, uvc_controls[UvcRegionOfInterest]))
        return false;
    *roi = roiFrom(buffer);
    return true;
}

bool UVCCameraControl::getROIRange(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum)
{
    uint8_t max[8];
    uint8_t min[8];
    if (!getRangeStructureForControl(max, min, uvc_controls[UvcRegionOfInterest]))
        return false;
    *maximum = roiFrom(max);
    *minimum = roiFrom(min);
    return true;
}

int UVCCameraControl::getHQSnapshotSupport(bool *ok)
{
    return int(getValueForControl(uvc_controls[UvcHQSnapshotSupport], ok));
}

bool UVCCameraControl::getFWVersion(char *buffer)
{
    return getStructureForControl(buffer, uvc_controls[UvcFirmwareVersion]);
}

bool UVCCameraControl::getPeripheralVersion(char *buffer)
{
    return getStructureForControl(buffer, uvc_controls[UvcPeripheralVersion]);
}

bool UVCCameraControl::resetToDefault()
{
    return false;
}

// HID command channel.

namespace {

// Answers that were left unread (their get timed out, or nobody asked) must not be taken for the
// answer to the next command; a few reports at most can be waiting.
constexpr int MaxStaleAnswers = 16;

} // namespace

QByteArray UVCCameraControl::buildHidReport(uint8_t command, const void *payload, int size)
{
    return HidReport::build(command, payload, size);
}

bool UVCCameraControl::openHidProperty()
{
    if (m_hidProperty)
        return true;
    // Only the camera opened by location has a location for the property channel.
    if (m_deviceLocationID == 0)
        return false;
    m_hidProperty = platform::HidChannel::openByLocation(m_deviceLocationID);
    if (!m_hidProperty)
        qCWarning(lcCapture, "HID: no interface at location 0x%08x", m_deviceLocationID);
    return m_hidProperty != nullptr;
}

bool UVCCameraControl::openHidData()
{
    if (!m_hidData && m_usbLocationID != 0)
        m_hidData = platform::HidChannel::openByLocation(m_usbLocationID, m_vendorID, m_productID);
    return m_hidData != nullptr;
}

void UVCCameraControl::closeHidProperty()
{
    m_hidProperty.reset();
}

void UVCCameraControl::discardPendingAnswers(platform::HidChannel *channel)
{
    uint8_t report[HidReportSize];
    for (int i = 0; i < MaxStaleAnswers && channel->read(report, HidReportSize, 0) > 0; ++i) {
    }
}

int UVCCameraControl::readAnswer(std::unique_ptr<platform::HidChannel> &channel, QByteArray *report)
{
    report->fill('\0', HidReportSize);
    const int read = channel->read(reinterpret_cast<uint8_t *>(report->data()), HidReportSize,
                                   m_hidTimeout);
    if (read < 0) {
        // The device is gone: the next command looks for it again.
        qCWarning(lcCapture, "HID: read failed, channel closed");
        channel.reset();
    } else if (read == 0) {
        qCWarning(lcCapture, "HID: no answer within %d ms", m_hidTimeout);
    }
    return read;
}

bool UVCCameraControl::setHidProperty(uint8_t command, const void *buffer, int size)
{
    if (!buffer || size < 0 || size > HidMaxPayload || !openHidProperty())
        return false;
    discardPendingAnswers(m_hidProperty.get());
    const QByteArray report = buildHidReport(command, buffer, size);
    const int written = m_hidProperty->write(reinterpret_cast<const uint8_t *>(report.constData()),
                                             report.size());
    if (written != report.size()) {
        qCWarning(lcCapture, "HID: command %d not sent", command);
        m_hidProperty.reset();
        return false;
    }
    return true;
}

bool UVCCameraControl::getHidProperty(uint8_t command, void *buffer, int size)
{
    if (!buffer || size < 0 || size > HidMaxPayload || !openHidProperty())
        return false;
    QByteArray report;
    const int read = readAnswer(m_hidProperty, &report);
    if (read <= 0)
        return false;
    const uint8_t *bytes = reinterpret_cast<const uint8_t *>(report.constData());
    qCDebug(lcCapture, "getHidProperty:%d, 0:%d 1:%d 2:%d 3:%d", HidReportSize, bytes[0], bytes[1],
            bytes[2], bytes[3]);
    if (bytes[0] == 0 || read < HidHeaderSize + size) {
        qCWarning(lcCapture, "HID: unusable answer to command %d (%d bytes)", command, read);
        return false;
    }
    std::memcpy(buffer, bytes + HidHeaderSize, size_t(size));
    return true;
}

int UVCCameraControl::setHidData(uint8_t command, const void *buffer, int size)
{
    if (!buffer || size < 0 || size > HidMaxPayload || !openHidData())
        return -1;
    discardPendingAnswers(m_hidData.get());
    const QByteArray report = buildHidReport(command, buffer, size);
    const int written =
        m_hidData->write(reinterpret_cast<const uint8_t *>(report.constData()), report.size());
    if (written < 0)
        m_hidData.reset();
    return written;
}

int UVCCameraControl::getHidData(uint8_t command, void *buffer, int size)
{
    if (!buffer || size <= 0 || !openHidData())
        return -1;
    QByteArray report;
    const int read = readAnswer(m_hidData, &report);
    if (read <= 0)
        return -1;
    const int copied = qMin(read, size);
    std::memcpy(buffer, report.constData(), size_t(copied));
    Q_UNUSED(command)
    return copied;
}

bool UVCCameraControl::setISPStatus(const char *buffer)
{
    return setHidProperty(HID_ISP_Status, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISPStatus(char *buffer)
{
    return getHidProperty(HID_ISP_Status, buffer, IspPayloadSize);
}

bool UVCCameraControl::setISP_File_Start(const char *buffer)
{
    return setHidProperty(HID_ISP_File_Start, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISP_File_Start(char *buffer)
{
    return getHidProperty(HID_ISP_File_Start, buffer, IspPayloadSize);
}

bool UVCCameraControl::setISP_File_Download(const char *buffer)
{
    return setHidProperty(HID_ISP_File_Download, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISP_File_Download(char *buffer)
{
    return getHidProperty(HID_ISP_File_Download, buffer, IspPayloadSize);
}

bool UVCCameraControl::setISP_File_Endt(const char *buffer)
{
    return setHidProperty(HID_ISP_File_End, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISP_File_Endt(char *buffer)
{
    return getHidProperty(HID_ISP_File_End, buffer, IspPayloadSize);
}

bool UVCCameraControl::setISP_Start(const char *buffer)
{
    return openHidProperty() && setHidProperty(HID_ISP_Start, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISP_Start(char *buffer)
{
    return getHidProperty(HID_ISP_Start, buffer, IspPayloadSize);
}

bool UVCCameraControl::setISP_Stop(const char *buffer)
{
    // A fresh channel: whatever the camera left queued from the broken-off handshake is dropped.
    closeHidProperty();
    return setHidProperty(HID_ISP_Stop, buffer, IspPayloadSize);
}

bool UVCCameraControl::getISP_Stop(char *buffer)
{
    return getHidProperty(HID_ISP_Stop, buffer, IspPayloadSize);
}

bool UVCCameraControl::setHIDISP_File_Download(const char *buffer)
{
    return setHidProperty(HID_ISP_File_Download, buffer, HidIspBlockSize);
}

bool UVCCameraControl::getHIDISP_File_Download(char *buffer)
{
    return getHidProperty(HID_ISP_File_Download, buffer, HidIspBlockSize);
}

int UVCCameraControl::setHQCapture(const char *buffer)
{
    return setHidData(HID_HQ_Capture, buffer, HqPayloadSize);
}

int UVCCameraControl::getHQCapture(char *buffer, int size)
{
    return getHidData(HID_HQ_Capture, buffer, size);
}

int UVCCameraControl::setHQCapturedData(const char *buffer)
{
    return setHidData(HID_HQ_Captured_Data, buffer, HqPayloadSize);
}

int UVCCameraControl::getHQCapturedData(char *buffer, int size)
{
    return getHidData(HID_HQ_Captured_Data, buffer, size);
}
