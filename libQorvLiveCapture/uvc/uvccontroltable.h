#pragma once

#include "qorvlivecaptureglobal.h"

#include <cstdint>

// One UVC control: the unit that owns it, its selector and its length in bytes. The flags are carried
// from the maker's table for reference; no request depends on them.
struct uvc_control_info_t
{
    uint8_t unit;
    uint8_t selector;
    uint16_t size;
    uint32_t flags;
};

// Rows of uvc_controls by the control they describe.
enum UvcControlRow {
    UvcBrightness = 0,
    UvcContrast = 1,
    UvcHue = 2,
    UvcSaturation = 3,
    UvcSharpness = 4,
    UvcGamma = 5,
    UvcWhiteBalanceTemperature = 6,
    UvcWhiteBalanceTemperatureAuto = 7,
    UvcWhiteBalanceComponent = 8,
    UvcBacklightCompensation = 9,
    UvcGain = 10,
    UvcPowerLineFrequency = 11,
    UvcHueAuto = 12,
    UvcWhiteBalanceComponentAuto = 13,
    UvcDigitalMultiplier = 14,
    UvcDigitalMultiplierLimit = 15,
    UvcAnalogVideoStandard = 16,
    UvcAnalogLockStatus = 17,
    UvcScanningMode = 18,
    UvcAutoExposureMode = 19,
    UvcAutoExposurePriority = 20,
    UvcExposureTimeAbsolute = 21,
    UvcExposureTimeRelative = 22,
    UvcFocusAbsolute = 23,
    UvcFocusRelative = 24,
    UvcIrisAbsolute = 25,
    UvcIrisRelative = 26,
    UvcZoomAbsolute = 27,
    UvcZoomRelative = 28,
    UvcPanTiltAbsolute = 29,
    UvcPanTiltRelative = 30,
    UvcRollAbsolute = 31,
    UvcRollRelative = 32,
    UvcFocusAuto = 33,
    UvcPrivacy = 34,
    UvcSensorMode = 35,
    UvcImageOrientation = 36,
    UvcMirror = 37,
    UvcFlip = 38,
    UvcNoiseReduction = 39,
    UvcRegionOfInterest = 40,
    UvcCeiling = 41,
    UvcMicrophone = 42,
    UvcHdmiAudioOut = 44,
    UvcFirmwareVersion = 45,
    UvcPeripheralVersion = 53,
    UvcHQSnapshotSupport = 56,
    UvcControlCount = 57
};

// The processing unit (2), the camera terminal (1) and the maker's two extension units (5 and 6).
QORVLIVECAPTURE_EXPORT extern const uvc_control_info_t uvc_controls[UvcControlCount];
