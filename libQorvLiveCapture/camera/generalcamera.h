#pragma once

#include "camera/videoformat.h"
#include "qorvlivecaptureglobal.h"
#include "uvc/uvc_control_range.h"
#include "uvc/uvcx_roi_control_t.h"

#include <QList>
#include <QObject>
#include <QString>

#include <cstdint>

// The abstract camera object, the only camera type the programs see. Reference counted: the count
// starts at 1 and the object deletes itself when decRef brings it to 0.
//
// Results are 32-bit codes: 0 success, 0xC0000002 not supported (or the camera did not answer a read:
// nothing is written then), 0xE0000000 no device behind the camera, 0xE0000011 argument out of range.
// Setters that reach a USB request return 1 when the camera accepted it and 0 when it failed.
class QORVLIVECAPTURE_EXPORT GeneralCamera : public QObject
{
    Q_OBJECT

public:
    static constexpr uint32_t Success = 0;
    static constexpr uint32_t RequestFailed = 0;
    static constexpr uint32_t RequestAccepted = 1;
    static constexpr uint32_t NotSupported = 0xC0000002;
    static constexpr uint32_t NoControlObject = 0xE0000000;
    static constexpr uint32_t OutOfRange = 0xE0000011;
    static constexpr uint32_t ConfigurationFailed = 0xFFFFFFFF;

    using QObject::QObject;
    ~GeneralCamera() override;

    virtual void incRef() = 0;
    virtual void decRef() = 0;
    virtual QString getName() = 0;
    virtual uint16_t getVID() = 0;
    virtual QString getVendorName() = 0;
    virtual uint16_t getPID() = 0;
    virtual uint32_t getLocationID() = 0;
    virtual QList<VideoFormat> getVideFormats() = 0;
    virtual VideoFormat getActiveFormat() = 0;
    virtual uint32_t setActiveFormat(int index, int fps) = 0;
    virtual uint32_t setSensMode(int mode) = 0;
    virtual uint32_t getSensMode() = 0;
    virtual bool isHQCaptureSupported() = 0;
    virtual bool isHdmiSupported() = 0;
    virtual uint32_t performHQCapture() = 0;
    virtual uint32_t getZoomRatio(double *ratio) = 0;
    virtual uint32_t setZoomRatio(double ratio) = 0;
    virtual uint32_t zoomIn() = 0;
    virtual uint32_t zoomOut() = 0;
    virtual uint32_t resetZoom() = 0;
    virtual uint32_t getRotationDegree(uint32_t *degree) = 0;
    virtual uint32_t rotate(uint32_t degree) = 0;
    virtual uint32_t isAutoFocusTriggerSupported(bool *supported) = 0;
    virtual uint32_t triggerOneAutoFocus() = 0;
    virtual uint32_t isManualFocusSupported(bool *supported) = 0;
    virtual uint32_t getMirrorStatus(bool *mirrored) = 0;
    virtual uint32_t mirror(bool on) = 0;
    virtual uint32_t getBrightness(float *value) = 0;
    virtual uint32_t setBrightness(float value) = 0;
    virtual uint32_t getContrast(float *value) = 0;
    virtual uint32_t setContrast(float value) = 0;
    virtual uint32_t initiateAutoContrastProc() = 0;
    virtual uint32_t isAutoWhiteBalanceSupported(bool *supported) = 0;
    virtual uint32_t getDefaultAutoWhiteBalanceStatus(bool *on) = 0;
    virtual uint32_t getAutoWhiteBalanceStatus(bool *on) = 0;
    virtual uint32_t setAutoWhiteBalance(bool on) = 0;
    virtual uint32_t getWhiteBalanceRedBlue(float *red, float *blue) = 0;
    virtual uint32_t setWhiteBalanceRedBlue(float red, float blue) = 0;
    virtual uint32_t getWhiteBalanceTemporature(unsigned short *kelvin) = 0;
    virtual uint32_t setWhiteBalanceTemporature(unsigned short kelvin) = 0;
    virtual uint32_t getFocus(float *value) = 0;
    virtual uint32_t setFocus(float value) = 0;
    virtual uint32_t incFocus() = 0;
    virtual uint32_t decFocus() = 0;
    virtual uint32_t getExposure(float *value) = 0;
    virtual uint32_t setExposure(float value) = 0;

    virtual uint32_t getDefaultZoomRatio(double *ratio) = 0;
    virtual uint32_t getZoomRatioRange(uvc_control_range *range) = 0;
    virtual uint32_t getDefaultBrightness(float *value) = 0;
    virtual uint32_t getBrightnessRange(uvc_control_range *range) = 0;
    virtual uint32_t getDefaultContrast(float *value) = 0;
    virtual uint32_t getContrastRange(uvc_control_range *range) = 0;
    virtual uint32_t getDefaultFocus(float *value) = 0;
    virtual uint32_t getFocusRange(uvc_control_range *range) = 0;
    virtual uint32_t getDefaultWhiteBalanceTemporature(unsigned short *kelvin) = 0;
    virtual uint32_t getWhiteBalanceTemporatureRange(uvc_control_range *range) = 0;
    virtual uint32_t getDefaultWhiteBalanceRedBlue(float *red, float *blue) = 0;
    virtual uint32_t getWhiteBalanceRedBlueRange(uvc_control_range *red, uvc_control_range *blue) = 0;
    virtual uint32_t getDefaultExposure(float *value) = 0;
    virtual uint32_t getExposureRange(uvc_control_range *range) = 0;

    virtual uint32_t getSaturation(float *value) = 0;
    virtual uint32_t getDefaultSaturation(float *value) = 0;
    virtual uint32_t getSaturationRange(uvc_control_range *range) = 0;
    virtual uint32_t setSaturation(float value) = 0;
    virtual uint32_t getSharpness(float *value) = 0;
    virtual uint32_t getDefaultSharpness(float *value) = 0;
    virtual uint32_t getSharpnessRange(uvc_control_range *range) = 0;
    virtual uint32_t setSharpness(float value) = 0;
    virtual uint32_t getPowerLineFrequency(float *value) = 0;
    virtual uint32_t getDefaultPowerLineFrequency(float *value) = 0;
    virtual uint32_t getPowerLineFrequencyRange(uvc_control_range *range) = 0;
    virtual uint32_t setPowerLineFrequency(float value) = 0;
    virtual uint32_t getPan(float *degrees) = 0;
    virtual uint32_t getDefaultPan(float *degrees) = 0;
    virtual uint32_t getPanRange(uvc_control_range *range) = 0;
    virtual uint32_t setPan(float degrees) = 0;
    virtual uint32_t getTilt(float *degrees) = 0;
    virtual uint32_t getDefaultTilt(float *degrees) = 0;
    virtual uint32_t getTiltRange(uvc_control_range *range) = 0;
    virtual uint32_t setTilt(float degrees) = 0;
    virtual uint32_t setPtzRightStart() = 0;
    virtual uint32_t setPtzLeftStart() = 0;
    virtual uint32_t setPtzUpStart() = 0;
    virtual uint32_t setPtzDownStart() = 0;
    virtual uint32_t setPtzStop() = 0;
    virtual uint32_t getSensorMode(float *value) = 0;
    virtual uint32_t getDefaultSensorMode(float *value) = 0;
    virtual uint32_t getSensorModeRange(uvc_control_range *range) = 0;
    virtual uint32_t setSensorMode(float value) = 0;
    virtual uint32_t getImageOrientation(float *value) = 0;
    virtual uint32_t getDefaultImageOrientation(float *value) = 0;
    virtual uint32_t getImageOrientationRange(uvc_control_range *range) = 0;
    virtual uint32_t setImageOrientation(float value) = 0;
    virtual uint32_t getMirror(float *value) = 0;
    virtual uint32_t getDefaultMirror(float *value) = 0;
    virtual uint32_t getMirrorRange(uvc_control_range *range) = 0;
    virtual uint32_t setMirror(float value) = 0;
    virtual uint32_t getFlip(float *value) = 0;
    virtual uint32_t getDefaultFlip(float *value) = 0;
    virtual uint32_t getFlipRange(uvc_control_range *range) = 0;
    virtual uint32_t setFlip(float value) = 0;
    virtual uint32_t getCeiling(float *value) = 0;
    virtual uint32_t getDefaultCeiling(float *value) = 0;
    virtual uint32_t getCeilingRange(uvc_control_range *range) = 0;
    virtual uint32_t setCeiling(float value) = 0;
    virtual uint32_t getNoiseReduction(float *value) = 0;
    virtual uint32_t getDefaultNoiseReduction(float *value) = 0;
    virtual uint32_t getNoiseReductionRange(uvc_control_range *range) = 0;
    virtual uint32_t setNoiseReduction(float value) = 0;
    virtual uint32_t getBacklight(float *value) = 0;
    virtual uint32_t getDefaultBacklight(float *value) = 0;
    virtual uint32_t getBacklightRange(uvc_control_range *range) = 0;
    virtual uint32_t setBacklight(float value) = 0;
    virtual uint32_t resetToDefault() = 0;
    virtual uint32_t getROI(uvcx_roi_control_t *roi) = 0;
    virtual uint32_t getDefaultROI(uvcx_roi_control_t *roi) = 0;
    // The maximum (the sensor's extent) into the first argument, the minimum into the second.
    virtual uint32_t getROIRange(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum) = 0;
    virtual uint32_t setROI(uvcx_roi_control_t roi) = 0;
    virtual uint32_t getMIC(float *value) = 0;
    virtual uint32_t getDefaultMIC(float *value) = 0;
    virtual uint32_t getMICRange(uvc_control_range *range) = 0;
    virtual uint32_t setMIC(float value) = 0;
    virtual uint32_t getHdmiAudio(float *value) = 0;
    virtual uint32_t getDefaultHdmiAudio(float *value) = 0;
    virtual uint32_t getHdmiAudioRange(uvc_control_range *range) = 0;
    virtual uint32_t setHdmiAudio(float value) = 0;
    virtual uint32_t getDisableH264(bool *disabled) = 0;
    virtual uint32_t getDefaultDisableH264(bool *disabled) = 0;
    virtual uint32_t getDisableH264Range(uvc_control_range *range) = 0;
    virtual uint32_t setDisableH264(bool disabled) = 0;
    virtual uint32_t setReboot() = 0;
    virtual uint32_t getSnapshotSupport(int *supported) = 0;

public slots:
    virtual void zoomRatioUpdated(double ratio) = 0;
    virtual void rotateDegreeUpdated(unsigned degree) = 0;
    virtual void mirrorStatusUpdated(bool mirrored) = 0;
    virtual void brightnessUpdated(float value) = 0;
    virtual void contrastUpdated(float value) = 0;
    virtual void focusUpdated(float value) = 0;
    virtual void whiteBalanceUpdated(float red, float blue) = 0;
    virtual void exposureUpdated(float value) = 0;
    virtual void freezeStatusUpdated(bool frozen) = 0;
    virtual void saturationUpdated(double value) = 0;
    virtual void sharpnessUpdated(double value) = 0;
    virtual void powerLineFrequencyUpdated(double value) = 0;
    virtual void panUpdated(double value) = 0;
    virtual void tiltUpdated(double value) = 0;
    virtual void sensorModeUpdated(double value) = 0;
    virtual void imageOrientationUpdated(double value) = 0;
    virtual void noiseReductionUpdated(double value) = 0;
    virtual void srouceChangeResolution(int32_t width, int32_t height) = 0;

signals:
    void brightnessChanged(GeneralCamera *camera, float value);
    void contrastChanged(GeneralCamera *camera, float value);
    void zoomRatioChanged(GeneralCamera *camera, double ratio);
    void rotationChanged(GeneralCamera *camera, unsigned degree);
    void mirrorStatusChanged(GeneralCamera *camera, bool mirrored);
    void autoWhiteBalanceStatusChanged(GeneralCamera *camera, bool on);
    void whiteBalanceRedChanged(GeneralCamera *camera, float red);
    void whiteBalanceBlueChanged(GeneralCamera *camera, float blue);
    void autoExposureStatusChanged(GeneralCamera *camera, bool on);
    void exposureChanged(GeneralCamera *camera, float value);
    void resolutionChanged(GeneralCamera *camera, int width, int height);
    void nameChanged(GeneralCamera *camera, QString name);
    void saturationChanged(GeneralCamera *camera, double value);
    void sharpnessChanged(GeneralCamera *camera, double value);
    void powerLineFrequencyChanged(GeneralCamera *camera, double value);
    void panChanged(GeneralCamera *camera, double value);
    void tiltChanged(GeneralCamera *camera, double value);
    void sensorModeChanged(GeneralCamera *camera, double value);
    void imageOrientationChanged(GeneralCamera *camera, double value);
    void noiseReductionChanged(GeneralCamera *camera, double value);
    void srouceResolutionChanged(void *camera, int width, int height);
    void flickerChanged(GeneralCamera *camera, unsigned value);
};
