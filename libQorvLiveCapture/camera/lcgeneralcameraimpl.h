#pragma once

#include "camera/cameraidentity.h"
#include "camera/videoformat.h"
#include "qorvlivecaptureglobal.h"
#include "uvc/uvc_control_range.h"
#include "uvc/uvcx_roi_control_t.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QObject>
#include <QSharedPointer>

#include <cstdint>
#include <memory>

namespace platform {
class CaptureDevice;
struct CaptureFormat;
} // namespace platform

class UVCCameraControl;

// The device behind one camera object: its capture device (formats and frame rates) and its USB
// control object. Every operation is synchronous. Results as GeneralCamera gives them; a read the
// camera did not answer is 0xC0000002 with nothing written.
class QORVLIVECAPTURE_EXPORT LCGeneralCameraImpl : public QObject
{
    Q_OBJECT

public:
    // The maker's camera that is opened by USB location alone (and has the HID channel).
    static constexpr uint16_t LocationOpenedVendorId = 0x2574;
    static constexpr uint16_t LocationOpenedProductId = 0x0701;

    explicit LCGeneralCameraImpl(const platform::VideoDeviceInfo &device, QObject *parent = nullptr);
    ~LCGeneralCameraImpl() override;

    uint64_t getUniqueID() const { return m_uniqueId; }
    UVCCameraControl *uvcControl() const { return m_control.get(); }

    virtual QString getLocalizedName();
    virtual uint16_t getProductID();
    virtual uint16_t getVendorID();
    virtual uint32_t getLocationID();
    virtual QList<VideoFormat> getVideFormats();
    virtual VideoFormat getActiveFormat();
    virtual uint32_t setActiveFormat(int index, int fps);
    virtual uint32_t setSensMode(int mode);
    virtual uint32_t getSensMode();

    virtual uint32_t getZoomRatioSync(double *ratio);
    virtual uint32_t setZoomRatioSync(double ratio);
    virtual uint32_t zoomInSync();
    virtual uint32_t zoomOutSync();
    virtual uint32_t resetZoomSync();
    virtual uint32_t getDefaultZoomRatioSync(double *ratio);
    virtual uint32_t getZoomRatioRangeSync(uvc_control_range *range);
    virtual uint32_t getRotationDegreeSync(uint32_t *degree);
    virtual uint32_t rotateSync(uint32_t degree);
    virtual uint32_t triggerOneAutoFocusSync();
    virtual uint32_t isAutoWhiteBalanceSupportedSync(bool *supported);
    virtual uint32_t getDefaultAutoWhiteBalanceStatusSync(bool *on);
    virtual uint32_t getAutoWhiteBalanceStatusSync(bool *on);
    virtual uint32_t setAutoWhiteBalanceSync(bool on);
    virtual uint32_t getWhiteBalanceTemporatureSync(unsigned short *kelvin);
    virtual uint32_t getDefaultWhiteBalanceTemporatureSync(unsigned short *kelvin);
    virtual uint32_t getWhiteBalanceTemporatureRangeSync(uvc_control_range *range);
    virtual uint32_t setWhiteBalanceTemporatureSync(unsigned short kelvin);
    virtual uint32_t getPanSync(float *degrees);
    virtual uint32_t getDefaultPanSync(float *degrees);
    virtual uint32_t getPanRangeSync(uvc_control_range *range);
    virtual uint32_t setPanSync(float degrees);
    virtual uint32_t getTiltSync(float *degrees);
    virtual uint32_t getDefaultTiltSync(float *degrees);
    virtual uint32_t getTiltRangeSync(uvc_control_range *range);
    virtual uint32_t setTiltSync(float degrees);
    virtual uint32_t setPtzRightStartSync();
    virtual uint32_t setPtzLeftStartSync();
    virtual uint32_t setPtzUpStartSync();
    virtual uint32_t setPtzDownStartSync();
    virtual uint32_t setPtzStopSync();
    virtual uint32_t getBrightnessSync(float *value);
    virtual uint32_t getDefaultBrightnessSync(float *value);
    virtual uint32_t getBrightnessRangeSync(uvc_control_range *range);
    virtual uint32_t setBrightnessSync(float value);
    virtual uint32_t getContrastSync(float *value);
    virtual uint32_t getDefaultContrastSync(float *value);
    virtual uint32_t getContrastRangeSync(uvc_control_range *range);
    virtual uint32_t setContrastSync(float value);
    virtual uint32_t getFocusSync(float *value);
    virtual uint32_t getDefaultFocusSync(float *value);
    virtual uint32_t getFocusRangeSync(uvc_control_range *range);
    virtual uint32_t setFocusSync(float value);
    virtual uint32_t getExposureSync(float *value);
    virtual uint32_t getDefaultExposureSync(float *value);
    virtual uint32_t getExposureRangeSync(uvc_control_range *range);
    virtual uint32_t setExposureSync(float value);
    virtual uint32_t getSaturationSync(float *value);
    virtual uint32_t getDefaultSaturationSync(float *value);
    virtual uint32_t getSaturationRangeSync(uvc_control_range *range);
    virtual uint32_t setSaturationSync(float value);
    virtual uint32_t getSharpnessSync(float *value);
    virtual uint32_t getDefaultSharpnessSync(float *value);
    virtual uint32_t getSharpnessRangeSync(uvc_control_range *range);
    virtual uint32_t setSharpnessSync(float value);
    virtual uint32_t getPowerLineFrequencySync(float *value);
    virtual uint32_t getDefaultPowerLineFrequencySync(float *value);
    virtual uint32_t getPowerLineFrequencyRangeSync(uvc_control_range *range);
    virtual uint32_t setPowerLineFrequencySync(float value);
    virtual uint32_t getSensorModeSync(float *value);
    virtual uint32_t getDefaultSensorModeSync(float *value);
    virtual uint32_t getSensorModeRangeSync(uvc_control_range *range);
    virtual uint32_t setSensorModeSync(float value);
    virtual uint32_t getImageOrientationSync(float *value);
    virtual uint32_t getDefaultImageOrientationSync(float *value);
    virtual uint32_t getImageOrientationRangeSync(uvc_control_range *range);
    virtual uint32_t setImageOrientationSync(float value);
    virtual uint32_t getMirrorSync(float *value);
    virtual uint32_t getDefaultMirrorSync(float *value);
    virtual uint32_t getMirrorRangeSync(uvc_control_range *range);
    virtual uint32_t setMirrorSync(float value);
    virtual uint32_t getFlipSync(float *value);
    virtual uint32_t getDefaultFlipSync(float *value);
    virtual uint32_t getFlipRangeSync(uvc_control_range *range);
    virtual uint32_t setFlipSync(float value);
    virtual uint32_t getCeilingSync(float *value);
    virtual uint32_t getDefaultCeilingSync(float *value);
    virtual uint32_t getCeilingRangeSync(uvc_control_range *range);
    virtual uint32_t setCeilingSync(float value);
    virtual uint32_t getNoiseReductionSync(float *value);
    virtual uint32_t getDefaultNoiseReductionSync(float *value);
    virtual uint32_t getNoiseReductionRangeSync(uvc_control_range *range);
    virtual uint32_t setNoiseReductionSync(float value);
    virtual uint32_t getBacklightSync(float *value);
    virtual uint32_t getDefaultBacklightSync(float *value);
    virtual uint32_t getBacklightRangeSync(uvc_control_range *range);
    virtual uint32_t setBacklightSync(float value);
    virtual uint32_t getMICSync(float *value);
    virtual uint32_t getDefaultMICSync(float *value);
    virtual uint32_t getMICRangeSync(uvc_control_range *range);
    virtual uint32_t setMICSync(float value);
    virtual uint32_t getHdmiAudioSync(float *value);
    virtual uint32_t getDefaultHdmiAudioSync(float *value);
    virtual uint32_t getHdmiAudioRangeSync(uvc_control_range *range);
    virtual uint32_t setHdmiAudioSync(float value);
    virtual uint32_t getROISync(uvcx_roi_control_t *roi);
    virtual uint32_t getDefaultROISync(uvcx_roi_control_t *roi);
    virtual uint32_t getROIRangeSync(uvcx_roi_control_t *maximum, uvcx_roi_control_t *minimum);
    virtual uint32_t setROISync(uvcx_roi_control_t roi);
    virtual uint32_t resetToDefault();
    // The codec type code of a media subtype (four-character code).
    virtual int32_t convertVideoCodec(const QByteArray &subtype);
    // The codec type of the active format.
    virtual int32_t getCodecType();
    virtual uint32_t getSnapshotSupport(int *supported);
    virtual QSharedPointer<platform::CaptureDevice> getAVCaptureDevice();

signals:
    void srouceChangeResolution(int32_t width, int32_t height);

private:
    enum RangeRule { Unchecked, RangeChecked };
    using FloatGetter = float (UVCCameraControl::*)(bool *);
    using DefaultGetter = int64_t (UVCCameraControl::*)(bool *);
    using RangeGetter = uvc_control_range (UVCCameraControl::*)(bool *);
    using FloatSetter = bool (UVCCameraControl::*)(float);

    uint32_t readValue(FloatGetter getter, float *value);
    uint32_t readDefault(DefaultGetter getter, float *value);
    uint32_t readRange(RangeGetter getter, uvc_control_range *range, RangeRule rule);
    uint32_t write(FloatSetter setter, float value);
    static uint32_t outcome(bool accepted);
    VideoFormat videoFormat(const platform::CaptureFormat &format, int index) const;
    int32_t currentFrameRate() const;

    QSharedPointer<platform::CaptureDevice> m_device;
    std::unique_ptr<UVCCameraControl> m_control;
    QString m_name;
    uint16_t m_productId = 0;
    uint16_t m_vendorId = 0;
    uint32_t m_locationId = 0;
    uint64_t m_uniqueId = 0;
    int m_formatIndex = -1;
    int m_frameRate = 0;
};
