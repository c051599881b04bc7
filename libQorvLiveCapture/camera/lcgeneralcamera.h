#pragma once

#include "camera/generalcamera.h"

#include <QMutex>
#include <QSharedPointer>

#include <memory>

namespace platform {
class CaptureDevice;
}

class LCGeneralCameraImpl;

// The camera object of the library: keeps the device's identity, counts its references and forwards
// every control to its LCGeneralCameraImpl. Without one (no device behind the camera) every control
// answers 0xE0000000, the format and sensor-mode operations 0xC0000002.
class QORVLIVECAPTURE_EXPORT LCGeneralCamera : public GeneralCamera
{
    Q_OBJECT

public:
    // Takes ownership of the control object, which may be null.
    explicit LCGeneralCamera(LCGeneralCameraImpl *impl, QObject *parent = nullptr);
    ~LCGeneralCamera() override;

    uint64_t getUniqueID() const { return m_uniqueId; }
    int64_t referenceCount() const;
    LCGeneralCameraImpl *impl() const { return m_impl.get(); }
    virtual QSharedPointer<platform::CaptureDevice> getAVCaptureDevice();

    void incRef() override;
    void decRef() override;
    QString getName() override;
    uint16_t getVID() override;
    QString getVendorName() override;
    uint16_t getPID() override;
    uint32_t getLocationID() override;
    QList<VideoFormat> getVideFormats() override;
    VideoFormat getActiveFormat() override;
    uint32_t setActiveFormat(int index, int fps) override;
    uint32_t setSensMode(int mode) override;
    uint32_t getSensMode() override;
    bool isHQCaptureSupported() override;
    bool isHdmiSupported() override;
    uint32_t performHQCapture() override;
    uint32_t getZoomRatio(double *ratio) override;
    uint32_t setZoomRatio(double ratio) override;
    uint32_t zoomIn() override;
    uint32_t zoomOut() override;
    uint32_t resetZoom() override;
    uint32_t getRotationDegree(uint32_t *degree) override;
    uint32_t rotate(uint32_t degree) override;
    uint32_t isAutoFocusTriggerSupported(bool *supported) override;
    uint32_t triggerOneAutoFocus() override;
    uint32_t isManualFocusSupported(bool *supported) override;
    uint32_t getMirrorStatus(bool *mirrored) override;
    uint32_t mirror(bool on) override;
    uint32_t initiateAutoContrastProc() override;
    uint32_t isAutoWhiteBalanceSupported(bool *supported) override;
    uint32_t getDefaultAutoWhiteBalanceStatus(bool *on) override;
    uint32_t getAutoWhiteBalanceStatus(bool *on) override;
    uint32_t setAutoWhiteBalance(bool on) override;
    uint32_t getWhiteBalanceRedBlue(float *red, float *blue) override;
    uint32_t setWhiteBalanceRedBlue(float red, float blue) override;
    uint32_t getWhiteBalanceTemporature(unsigned short *kelvin) override;
    uint32_t setWhiteBalanceTemporature(unsigned short kelvin) override;
    uint32_t incFocus() override;
    uint32_t decFocus() override;
    uint32_t getDefaultZoomRatio(double *ratio) override;
    uint32_t getZoomRatioRange(uvc_control_range *range) override;
    uint32_t getDefaultWhiteBalanceTemporature(unsigned short *kelvin) override;
    uint32_t getWhiteBalanceTemporatureRange(uvc_control_range *range) override;
    uint32_t getDefaultWhiteBalanceRedBlue(float *red, float *blue) override;
    uint32_t getWhiteBalanceRedBlueRange(uvc_control_range *red, uvc_control_range *blue) override;
    uint32_t setPtzRightStart() override;
    uint32_t setPtzLeftStart() override;
    uint32_t setPtzUpStart() override;
    uint32_t setPtzDownStart() override;
    uint32_t setPtzStop() override;
    uint32_t resetToDefault() override;
    uint32_t getROI(uvcx_roi_control_t *roi) override;
    uint32_t getDefaultROI(uvcx_roi_control_t *roi) override;
    uint32_t getROIRange(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum) override;
    uint32_t setROI(uvcx_roi_control_t roi) override;
    uint32_t getDisableH264(bool *disabled) override;
    uint32_t getDefaultDisableH264(bool *disabled) override;
    uint32_t getDisableH264Range(uvc_control_range *range) override;
    uint32_t setDisableH264(bool disabled) override;
    uint32_t setReboot() override;
    uint32_t getSnapshotSupport(int *supported) override;
    uint32_t getBrightness(float *value) override;
    uint32_t getDefaultBrightness(float *value) override;
    uint32_t getBrightnessRange(uvc_control_range *range) override;
    uint32_t setBrightness(float value) override;
    uint32_t getContrast(float *value) override;
    uint32_t getDefaultContrast(float *value) override;
    uint32_t getContrastRange(uvc_control_range *range) override;
    uint32_t setContrast(float value) override;
    uint32_t getFocus(float *value) override;
    uint32_t getDefaultFocus(float *value) override;
    uint32_t getFocusRange(uvc_control_range *range) override;
    uint32_t setFocus(float value) override;
    uint32_t getExposure(float *value) override;
    uint32_t getDefaultExposure(float *value) override;
    uint32_t getExposureRange(uvc_control_range *range) override;
    uint32_t setExposure(float value) override;
    uint32_t getSaturation(float *value) override;
    uint32_t getDefaultSaturation(float *value) override;
    uint32_t getSaturationRange(uvc_control_range *range) override;
    uint32_t setSaturation(float value) override;
    uint32_t getSharpness(float *value) override;
    uint32_t getDefaultSharpness(float *value) override;
    uint32_t getSharpnessRange(uvc_control_range *range) override;
    uint32_t setSharpness(float value) override;
    uint32_t getPowerLineFrequency(float *value) override;
    uint32_t getDefaultPowerLineFrequency(float *value) override;
    uint32_t getPowerLineFrequencyRange(uvc_control_range *range) override;
    uint32_t setPowerLineFrequency(float value) override;
    uint32_t getPan(float *value) override;
    uint32_t getDefaultPan(float *value) override;
    uint32_t getPanRange(uvc_control_range *range) override;
    uint32_t setPan(float value) override;
    uint32_t getTilt(float *value) override;
    uint32_t getDefaultTilt(float *value) override;
    uint32_t getTiltRange(uvc_control_range *range) override;
    uint32_t setTilt(float value) override;
    uint32_t getSensorMode(float *value) override;
    uint32_t getDefaultSensorMode(float *value) override;
    uint32_t getSensorModeRange(uvc_control_range *range) override;
    uint32_t setSensorMode(float value) override;
    uint32_t getImageOrientation(float *value) override;
    uint32_t getDefaultImageOrientation(float *value) override;
    uint32_t getImageOrientationRange(uvc_control_range *range) override;
    uint32_t setImageOrientation(float value) override;
    uint32_t getMirror(float *value) override;
    uint32_t getDefaultMirror(float *value) override;
    uint32_t getMirrorRange(uvc_control_range *range) override;
    uint32_t setMirror(float value) override;
    uint32_t getFlip(float *value) override;
    uint32_t getDefaultFlip(float *value) override;
    uint32_t getFlipRange(uvc_control_range *range) override;
    uint32_t setFlip(float value) override;
    uint32_t getCeiling(float *value) override;
    uint32_t getDefaultCeiling(float *value) override;
    uint32_t getCeilingRange(uvc_control_range *range) override;
    uint32_t setCeiling(float value) override;
    uint32_t getNoiseReduction(float *value) override;
    uint32_t getDefaultNoiseReduction(float *value) override;
    uint32_t getNoiseReductionRange(uvc_control_range *range) override;
    uint32_t setNoiseReduction(float value) override;
    uint32_t getBacklight(float *value) override;
    uint32_t getDefaultBacklight(float *value) override;
    uint32_t getBacklightRange(uvc_control_range *range) override;
    uint32_t setBacklight(float value) override;
    uint32_t getMIC(float *value) override;
    uint32_t getDefaultMIC(float *value) override;
    uint32_t getMICRange(uvc_control_range *range) override;
    uint32_t setMIC(float value) override;
    uint32_t getHdmiAudio(float *value) override;
    uint32_t getDefaultHdmiAudio(float *value) override;
    uint32_t getHdmiAudioRange(uvc_control_range *range) override;
    uint32_t setHdmiAudio(float value) override;

public slots:
    void zoomRatioUpdated(double ratio) override;
    void rotateDegreeUpdated(unsigned degree) override;
    void mirrorStatusUpdated(bool mirrored) override;
    void brightnessUpdated(float value) override;
    void contrastUpdated(float value) override;
    void focusUpdated(float value) override;
    void whiteBalanceUpdated(float red, float blue) override;
    void exposureUpdated(float value) override;
    void freezeStatusUpdated(bool frozen) override;
    void saturationUpdated(double value) override;
    void sharpnessUpdated(double value) override;
    void powerLineFrequencyUpdated(double value) override;
    void panUpdated(double value) override;
    void tiltUpdated(double value) override;
    void sensorModeUpdated(double value) override;
    void imageOrientationUpdated(double value) override;
    void noiseReductionUpdated(double value) override;
    void srouceChangeResolution(int32_t width, int32_t height) override;

private:
    std::unique_ptr<LCGeneralCameraImpl> m_impl;
    mutable QMutex m_mutex;
    int64_t m_refCount = 1;
    QString m_name;
    uint16_t m_vendorId = 0;
    uint16_t m_productId = 0;
    uint32_t m_locationId = 0;
    uint64_t m_uniqueId = 0;

    // The last values the change slots saw.
    double m_zoomRatio = -1.0;
    uint32_t m_rotationDegree = 0;
    bool m_mirrorStatus = false;
    float m_brightness = -1.0f;
    float m_contrast = -1.0f;
    float m_focus = -1.0f;
    float m_exposure = -1.0f;
    bool m_autoWhiteBalanceStatus = true;
    bool m_autoExposureStatus = true;
    float m_whiteBalanceRed = -1.0f;
    float m_whiteBalanceBlue = -1.0f;
    float m_saturation = 0;
    float m_sharpness = 0;
    float m_powerLineFrequency = 0;
    float m_pan = 0;
    float m_tilt = 0;
    float m_sensorMode = 0;
    float m_imageOrientation = 0;
    float m_noiseReduction = 0;
};
