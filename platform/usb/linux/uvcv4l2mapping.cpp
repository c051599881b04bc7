#include "usb/linux/uvcv4l2mapping.h"

#include <linux/v4l2-controls.h>

#include <iterator>

namespace platform {

namespace {

using Mapping = UvcV4l2Mapping;
using Field = UvcV4l2Mapping::Field;

constexpr Mapping plain(quint8 selector, quint16 length, quint32 id, bool isSigned = false)
{
    Mapping mapping{};
    mapping.selector = selector;
    mapping.length = length;
    mapping.encoding = Mapping::Plain;
    mapping.fieldCount = 1;
    mapping.fields[0] = Field{id, 0, quint8(length), isSigned, 0};
    return mapping;
}

constexpr Mapping pair(quint8 selector, Mapping::Encoding encoding, quint16 length, Field first, Field second)
{
    Mapping mapping{};
    mapping.selector = selector;
    mapping.length = length;
    mapping.encoding = encoding;
    mapping.fieldCount = 2;
    mapping.fields[0] = first;
    mapping.fields[1] = second;
    return mapping;
}

// The UVC 1.1 lengths; uvcvideo's own mapping tables decide which V4L2 control stands for which.
const Mapping processingUnit[] = {
    plain(0x01, 2, V4L2_CID_BACKLIGHT_COMPENSATION),
    plain(0x02, 2, V4L2_CID_BRIGHTNESS, true),
    plain(0x03, 2, V4L2_CID_CONTRAST),
    plain(0x04, 2, V4L2_CID_GAIN),
    plain(0x05, 1, V4L2_CID_POWER_LINE_FREQUENCY), // the menu values equal UVC's
    plain(0x06, 2, V4L2_CID_HUE, true),
    plain(0x07, 2, V4L2_CID_SATURATION),
    plain(0x08, 2, V4L2_CID_SHARPNESS),
    plain(0x09, 2, V4L2_CID_GAMMA),
    plain(0x0a, 2, V4L2_CID_WHITE_BALANCE_TEMPERATURE),
    plain(0x0b, 1, V4L2_CID_AUTO_WHITE_BALANCE),
    pair(0x0c, Mapping::Plain, 4, Field{V4L2_CID_BLUE_BALANCE, 0, 2, false, 0},
         Field{V4L2_CID_RED_BALANCE, 2, 2, false, 0}),
    plain(0x0d, 1, V4L2_CID_AUTO_WHITE_BALANCE),
    plain(0x10, 1, V4L2_CID_HUE_AUTO),
};

const Mapping cameraTerminal[] = {
    [] {
        Mapping mapping = plain(0x02, 1, V4L2_CID_EXPOSURE_AUTO);
        mapping.encoding = Mapping::ExposureMode;
        return mapping;
    }(),
    plain(0x03, 1, V4L2_CID_EXPOSURE_AUTO_PRIORITY),
    plain(0x04, 4, V4L2_CID_EXPOSURE_ABSOLUTE),
    plain(0x06, 2, V4L2_CID_FOCUS_ABSOLUTE),
    [] {
        // bFocusRelative then bSpeed; uvcvideo exposes the signed direction byte only.
        Mapping mapping = plain(0x07, 2, V4L2_CID_FOCUS_RELATIVE, true);
        mapping.fields[0].size = 1;
        return mapping;
    }(),
    plain(0x08, 1, V4L2_CID_FOCUS_AUTO),
    plain(0x09, 2, V4L2_CID_IRIS_ABSOLUTE),
    plain(0x0a, 1, V4L2_CID_IRIS_RELATIVE, true),
    plain(0x0b, 2, V4L2_CID_ZOOM_ABSOLUTE),
    [] {
        // bZoom, bDigitalZoom, bSpeed
        Mapping mapping = plain(0x0c, 3, V4L2_CID_ZOOM_CONTINUOUS, true);
        mapping.encoding = Mapping::DirectionSpeed;
        mapping.fields[0] = Field{V4L2_CID_ZOOM_CONTINUOUS, 0, 1, true, 2};
        return mapping;
    }(),
    pair(0x0d, Mapping::Plain, 8, Field{V4L2_CID_PAN_ABSOLUTE, 0, 4, true, 0},
         Field{V4L2_CID_TILT_ABSOLUTE, 4, 4, true, 0}),
    pair(0x0e, Mapping::DirectionSpeed, 4, Field{V4L2_CID_PAN_SPEED, 0, 1, true, 1},
         Field{V4L2_CID_TILT_SPEED, 2, 1, true, 3}),
    plain(0x11, 1, V4L2_CID_PRIVACY),
};

template<typename Table>
const Mapping *findIn(const Table &table, quint8 selector)
{
    for (const Mapping &mapping : table) {
        if (mapping.selector == selector)
            return &mapping;
    }
    return nullptr;
}

struct ExposureModePair
{
    quint8 uvc;
    qint32 v4l2;
};

const ExposureModePair exposureModes[] = {
    {0x01, V4L2_EXPOSURE_MANUAL},
    {0x02, V4L2_EXPOSURE_AUTO},
    {0x04, V4L2_EXPOSURE_SHUTTER_PRIORITY},
    {0x08, V4L2_EXPOSURE_APERTURE_PRIORITY},
};

} // namespace

const UvcV4l2Mapping *UvcV4l2Mapping::find(Unit unit, quint8 selector)
{
    return unit == ProcessingUnit ? findIn(processingUnit, selector) : findIn(cameraTerminal, selector);
}

bool UvcV4l2Mapping::exposureModeToV4l2(quint8 uvcMode, qint32 *v4l2Value)
{
    for (const ExposureModePair &mode : exposureModes) {
        if (mode.uvc == uvcMode) {
            *v4l2Value = mode.v4l2;
            return true;
        }
    }
    return false;
}

bool UvcV4l2Mapping::exposureModeFromV4l2(qint32 v4l2Value, quint8 *uvcMode)
{
    for (const ExposureModePair &mode : exposureModes) {
        if (mode.v4l2 == v4l2Value) {
            *uvcMode = mode.uvc;
            return true;
        }
    }
    return false;
}

} // namespace platform
