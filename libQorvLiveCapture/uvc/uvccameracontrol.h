#pragma once

#include "qorvlivecaptureglobal.h"
#include "uvc/uvc_control_range.h"
#include "uvc/uvccameraconfigurationdescriptor.h"
#include "uvc/uvccontroltable.h"
#include "uvc/uvcx_roi_control_t.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

namespace platform {
class HidChannel;
class UsbControlChannel;
struct UsbControlRequest;
} // namespace platform

// The USB control side of one camera: UVC class requests to its processing unit, camera terminal and
// the maker's two extension units. Values cross as floats, multi-field controls as raw structures.
// Every request is synchronous. Getters that take an `ok` pointer set it to false when the camera did
// not answer; their value is then 0 and must not be used.
class QORVLIVECAPTURE_EXPORT UVCCameraControl
{
public:
    enum RequestCode : uint8_t {
        UVC_SET_CUR = 0x01,
        UVC_GET_CUR = 0x81,
        UVC_GET_MIN = 0x82,
        UVC_GET_MAX = 0x83,
        UVC_GET_DEF = 0x87,
    };

    // The maker's cameras that carry the HID channel are opened by location alone; their unit ids are
    // those of the control table, as the descriptor is not read.
    explicit UVCCameraControl(uint32_t locationId);
    // Any other camera: by its ids and location; the descriptor gives the unit ids.
    UVCCameraControl(uint16_t vendorId, uint16_t productId, uint32_t locationId);
    ~UVCCameraControl();
    UVCCameraControl(const UVCCameraControl &) = delete;
    UVCCameraControl &operator=(const UVCCameraControl &) = delete;

    bool hasInterface() const;
    const UVCCameraConfigurationDescriptor *configurationDescriptor() const
    {
        return m_configurationDescriptor.get();
    }
    uint32_t deviceLocationID() const { return m_deviceLocationID; }
    uint16_t vendorID() const { return m_vendorID; }
    uint16_t productID() const { return m_productID; }
    uint8_t interfaceNumber() const { return m_intfNumber; }

    // Request layer.
    bool sendControlRequest(platform::UsbControlRequest &request);
    bool setData(int64_t value, uint16_t length, uint8_t selector, uint8_t unit);
    // The raw little-endian value (at most 8 bytes), zero-extended.
    uint64_t getDataFor(uint8_t request, uint16_t length, uint8_t selector, uint8_t unit,
                        bool *ok = nullptr);
    bool setDataStructure(const void *data, uint16_t length, uint8_t selector, uint8_t unit);
    // Writes data only when the camera answered in full.
    bool getDataStructureFor(uint8_t request, void *data, uint16_t length, uint8_t selector,
                             uint8_t unit);

    // Control layer.
    float getValueForControl(const uvc_control_info_t &control, bool *ok = nullptr);
    bool setValueForControl(float value, const uvc_control_info_t &control);
    int64_t getDefaultForControl(const uvc_control_info_t &control, bool *ok = nullptr);
    uvc_control_range getRangeForControl(const uvc_control_info_t &control, bool *ok = nullptr);
    bool setStructureForControl(const void *data, const uvc_control_info_t &control);
    bool getStructureForControl(void *data, const uvc_control_info_t &control);
    bool getDefaultStructureForControl(void *data, const uvc_control_info_t &control);
    // GET_MAX into maximum, GET_MIN into minimum.
    bool getRangeStructureForControl(void *maximum, void *minimum, const uvc_control_info_t &control);
    static float mapValue(float value, float fromMin, float fromMax, float toMin, float toMax);
    // The table row of a processing-unit (1-18) or camera-terminal (1-17) selector, with the unit id
    // the descriptor gave; false when the descriptor was not read.
    bool fetchProcessUnit(uint8_t selector, uvc_control_info_t *control) const;
    bool fetchTerminalUnit(uint8_t selector, uvc_control_info_t *control) const;

    // Sign extension of a value read from a control of that length.
    static int64_t signExtendValue(uint64_t raw, uint16_t length);
    static int64_t signExtendLimit(uint64_t raw, uint16_t length);

    // Named controls.
    bool setBrightness(float value);
    float getBrightness(bool *ok = nullptr);
    int64_t getBrightnessDefault(bool *ok = nullptr);
    uvc_control_range getBrightnessRange(bool *ok = nullptr);
    bool setContrast(float value);
    float getContrast(bool *ok = nullptr);
    int64_t getContrastDefault(bool *ok = nullptr);
    uvc_control_range getContrastRange(bool *ok = nullptr);
    bool setHUE(float value);
    float getHUE(bool *ok = nullptr);
    int64_t getHUEDefault(bool *ok = nullptr);
    uvc_control_range getHUERange(bool *ok = nullptr);
    bool setSaturation(float value);
    float getSaturation(bool *ok = nullptr);
    int64_t getSaturationDefault(bool *ok = nullptr);
    uvc_control_range getSaturationRange(bool *ok = nullptr);
    bool setSharpness(float value);
    float getSharpness(bool *ok = nullptr);
    int64_t getSharpnessDefault(bool *ok = nullptr);
    uvc_control_range getSharpnessRange(bool *ok = nullptr);
    bool setGamma(float value);
    float getGamma(bool *ok = nullptr);
    int64_t getGammaDefault(bool *ok = nullptr);
    uvc_control_range getGammaRange(bool *ok = nullptr);
    bool setBacklight(float value);
    float getBacklight(bool *ok = nullptr);
    int64_t getBacklightDefault(bool *ok = nullptr);
    uvc_control_range getBacklightRange(bool *ok = nullptr);
    bool setPowerLineFrequency(float value);
    float getPowerLineFrequency(bool *ok = nullptr);
    int64_t getPowerLineFrequencyDefault(bool *ok = nullptr);
    uvc_control_range getPowerLineFrequencyRange(bool *ok = nullptr);
    bool setGain(float value);
    float getGain(bool *ok = nullptr);

    bool setAutoWhiteBalance(bool on);
    bool getAutoWhiteBalance(bool *ok = nullptr);
    bool getAutoWhiteBalanceDefault(bool *ok = nullptr);
    bool isAutoWhiteBalanceSupported();
    bool setWhiteBalance(float value);
    float getWhiteBalance(bool *ok = nullptr);
    int64_t getWhiteBalanceDefault(bool *ok = nullptr);
    uvc_control_range getWhiteBalanceRange(bool *ok = nullptr);

    bool setAutoExposure(bool on);
    bool getAutoExposure(bool *ok = nullptr);
    bool setExposure(float value);
    float getExposure(bool *ok = nullptr);
    int64_t getExposureDefault(bool *ok = nullptr);
    uvc_control_range getExposureRange(bool *ok = nullptr);

    bool setZoom(float value);
    float getZoom(bool *ok = nullptr);
    int64_t getZoomDefault(bool *ok = nullptr);
    uvc_control_range getZoomRange(bool *ok = nullptr);
    bool zoomIn();
    bool zoomOut();

    bool setAutoFocus(bool on);
    bool setFocus(float value);
    float getFocus(bool *ok = nullptr);
    int64_t getFocusDefault(bool *ok = nullptr);
    uvc_control_range getFocusRange(bool *ok = nullptr);
    bool incFoucs();
    bool decFoucs();

    bool setRotate(float value);
    float getRotate(bool *ok = nullptr);

    // Pan and tilt in arc-seconds, panTilt[0] pan and panTilt[1] tilt.
    bool getPanTil(int32_t panTilt[2]);
    bool getPanTilDefault(int32_t panTilt[2]);
    bool getPanTilRange(int32_t maximum[2], int32_t minimum[2]);
    // Degrees; the other axis keeps its current value.
    bool setCameraPan(int degrees);
    bool setTilt(int degrees);
    bool setPanTilt(int panDegrees, int tiltDegrees);
    float getPan(bool *ok = nullptr);
    float getPanDefault(bool *ok = nullptr);
    uvc_control_range getPanRange(bool *ok = nullptr);
    float getTilt(bool *ok = nullptr);
    float getTiltDefault(bool *ok = nullptr);
    uvc_control_range getTiltRange(bool *ok = nullptr);
    bool setPan_Start(uint8_t speed, bool right);
    bool setTail_Start(uint8_t speed, bool up);
    bool setPanTial_Stop();

    bool setSensorMode(float value);
    float getSensorMode(bool *ok = nullptr);
    int64_t getSensorModeDefault(bool *ok = nullptr);
    uvc_control_range getSensorModeRange(bool *ok = nullptr);
    bool setImageOrientaion(float value);
    float getImageOrientaion(bool *ok = nullptr);
    int64_t getImageOrientaionDefault(bool *ok = nullptr);
    uvc_control_range getImageOrientaionRange(bool *ok = nullptr);
    bool setMirror(float value);
    float getMirror(bool *ok = nullptr);
    int64_t getMirrorDefault(bool *ok = nullptr);
    uvc_control_range getMirrorRange(bool *ok = nullptr);
    bool setFlip(float value);
    float getFlip(bool *ok = nullptr);
    int64_t getFlipDefault(bool *ok = nullptr);
    uvc_control_range getFlipRange(bool *ok = nullptr);
    bool setCeiling(float value);
    float getCeiling(bool *ok = nullptr);
    int64_t getCeilingDefault(bool *ok = nullptr);
    uvc_control_range getCeilingRange(bool *ok = nullptr);
    bool setNoiseReduction(float value);
    float getNoiseReduction(bool *ok = nullptr);
    int64_t getNoiseReductionDefault(bool *ok = nullptr);
    uvc_control_range getNoiseReductionRange(bool *ok = nullptr);
    bool setMIC(float value);
    float getMIC(bool *ok = nullptr);
    int64_t getMICDefault(bool *ok = nullptr);
    uvc_control_range getMICRange(bool *ok = nullptr);
    bool setHDIMAudioOut(float value);
    float getHDIMAudioOut(bool *ok = nullptr);
    int64_t getHDIMAudioOutDefault(bool *ok = nullptr);
    uvc_control_range getHDIMAudioOutRange(bool *ok = nullptr);

    bool setROI(const uvcx_roi_control_t &roi);
    bool getROI(uvcx_roi_control_t *roi);
    bool getROIDefault(uvcx_roi_control_t *roi);
    bool getROIRange(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum);

    int getHQSnapshotSupport(bool *ok = nullptr);
    // 32 and 12 bytes into the caller's buffer.
    bool getFWVersion(char *buffer);
    bool getPeripheralVersion(char *buffer);
    bool resetToDefault();

    // The maker's HID command channel. Property commands (the firmware handshake) need the camera's
    // location and so reach only the camera opened by location; data commands (high-quality capture)
    // reach any camera of the maker. Both channels open on first use. A get reads the answer to the
    // preceding set of the same command and waits for it at most hidTimeout() ms.
    enum HidCommand : uint8_t {
        HID_ISP_Status = 1,
        HID_ISP_File_Start = 2,
        HID_ISP_File_Download = 3,
        HID_ISP_File_End = 4,
        HID_ISP_Start = 5,
        HID_ISP_Stop = 6,
        HID_HQ_Capture = 0x91,
        HID_HQ_Captured_Data = 0x92,
    };
    static constexpr int HidReportSize = 512;
    static constexpr int HidHeaderSize = 3;
    static constexpr int HidMaxPayload = HidReportSize - HidHeaderSize;
    static constexpr int IspPayloadSize = 60;
    static constexpr int HidIspBlockSize = 508;
    static constexpr int HqPayloadSize = 4;
    static constexpr int DefaultHidTimeout = 5000;

    // Report id 8, then 16 for a command below 7 and 15 for the others, the command, the payload
    // (at most HidMaxPayload bytes of it), zeros to 512 bytes.
    static QByteArray buildHidReport(uint8_t command, const void *payload, int size);

    // Whether the report was sent.
    bool setHidProperty(uint8_t command, const void *buffer, int size);
    // Whether an answer came in time; its payload (size bytes from byte 3) is then in buffer, which is
    // untouched otherwise.
    bool getHidProperty(uint8_t command, void *buffer, int size);
    // Bytes written, or -1.
    int setHidData(uint8_t command, const void *buffer, int size);
    // Bytes of the answer report (from its report id on) copied into buffer, at most size; -1 when no
    // answer came in time.
    int getHidData(uint8_t command, void *buffer, int size);

    bool setISPStatus(const char *buffer);
    bool getISPStatus(char *buffer);
    bool setISP_File_Start(const char *buffer);
    bool getISP_File_Start(char *buffer);
    bool setISP_File_Download(const char *buffer);
    bool getISP_File_Download(char *buffer);
    bool setISP_File_Endt(const char *buffer);
    bool getISP_File_Endt(char *buffer);
    // Opens the property channel first.
    bool setISP_Start(const char *buffer);
    bool getISP_Start(char *buffer);
    // Closes the property channel first; the command opens it anew.
    bool setISP_Stop(const char *buffer);
    bool getISP_Stop(char *buffer);
    bool setHIDISP_File_Download(const char *buffer);
    bool getHIDISP_File_Download(char *buffer);
    int setHQCapture(const char *buffer);
    int getHQCapture(char *buffer, int size);
    int setHQCapturedData(const char *buffer);
    int getHQCapturedData(char *buffer, int size);

    void setHidTimeout(int milliseconds) { m_hidTimeout = milliseconds; }
    int hidTimeout() const { return m_hidTimeout; }
    bool isHidPropertyOpen() const { return m_hidProperty != nullptr; }
    void closeHidProperty();

private:
    void readDescriptor();
    // The processing-unit control of a table row: its selector at the descriptor's unit when read.
    uvc_control_info_t processControl(int row) const;
    uvc_control_info_t terminalControl(int row) const;
    // Whether the descriptor was read and lacks bit n of the processing-unit mask.
    bool descriptorLacks(int bit) const;
    bool descriptorHas(int bit) const;
    uvc_control_range processRange(int row, int bit, bool *ok);
    int64_t processDefault(int row, bool *ok);
    bool writePanTilt(const int32_t *pan, const int32_t *tilt);
    bool readPanTilt(uint8_t request, int32_t panTilt[2]);
    uint16_t indexFor(uint8_t unit) const;
    bool openHidProperty();
    bool openHidData();
    void discardPendingAnswers(platform::HidChannel *channel);
    int readAnswer(std::unique_ptr<platform::HidChannel> &channel, QByteArray *report);

    std::unique_ptr<platform::UsbControlChannel> m_interface;
    std::unique_ptr<UVCCameraConfigurationDescriptor> m_configurationDescriptor;
    uint32_t m_deviceLocationID = 0;
    // Where the camera sits, whichever way it was opened: the HID interface is looked for there.
    uint32_t m_usbLocationID = 0;
    std::unique_ptr<platform::HidChannel> m_hidProperty;
    std::unique_ptr<platform::HidChannel> m_hidData;
    int m_hidTimeout = DefaultHidTimeout;
    uint8_t m_intfNumber = 0;
    uint16_t m_vendorID = 0;
    uint16_t m_productID = 0;
};
