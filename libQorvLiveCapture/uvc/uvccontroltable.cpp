#include "uvc/uvccontroltable.h"

const uvc_control_info_t uvc_controls[UvcControlCount] = {
    {2, 0x02, 2, 0x7f},   // brightness
    {2, 0x03, 2, 0x7f},   // contrast
    {2, 0x06, 2, 0xff},   // hue
    {2, 0x07, 2, 0x7f},   // saturation
    {2, 0x08, 2, 0x7f},   // sharpness
    {2, 0x09, 2, 0x7f},   // gamma
    {2, 0x0a, 2, 0xff},   // white-balance temperature
    {2, 0x0b, 1, 0xff},   // white-balance temperature auto
    {2, 0x0c, 4, 0xff},   // white-balance component
    {2, 0x01, 2, 0x7f},   // backlight compensation
    {2, 0x04, 2, 0x7f},   // gain
    {2, 0x05, 1, 0x63},   // power-line frequency
    {2, 0x10, 1, 0x63},   // hue auto
    {2, 0x0d, 1, 0x63},   // white-balance component auto
    {2, 0x0e, 2, 0x7f},   // digital multiplier
    {2, 0x0f, 2, 0x7f},   // digital multiplier limit
    {2, 0x11, 1, 0x02},   // analog video standard
    {2, 0x12, 1, 0x02},   // analog lock status
    {1, 0x01, 1, 0x43},   // scanning mode
    {1, 0x02, 1, 0x73},   // auto-exposure mode
    {1, 0x03, 1, 0x43},   // auto-exposure priority
    {1, 0x04, 4, 0x7f},   // exposure time absolute
    {1, 0x05, 1, 0x41},   // exposure time relative
    {1, 0x06, 2, 0xff},   // focus absolute
    {1, 0x07, 2, 0xbd},   // focus relative
    {1, 0x09, 2, 0xff},   // iris absolute
    {1, 0x0a, 1, 0x81},   // iris relative
    {1, 0x0b, 2, 0xff},   // zoom absolute
    {1, 0x0c, 3, 0xbd},   // zoom relative
    {1, 0x0d, 8, 0xff},   // pan-tilt absolute
    {1, 0x0e, 4, 0xbf},   // pan-tilt relative
    {1, 0x0f, 2, 0xff},   // roll absolute (rotation)
    {1, 0x10, 2, 0xbd},   // roll relative
    {1, 0x08, 1, 0x63},   // focus auto
    {1, 0x11, 1, 0xc3},   // privacy
    {6, 0x0e, 1, 0xbd},   // sensor mode
    {5, 0x10, 1, 0x63},   // image orientation
    {5, 0x10, 1, 0x63},   // mirror: the same control as image orientation
    {5, 0x0f, 1, 0x63},   // flip
    {5, 0x0e, 1, 0xc3},   // noise reduction
    {6, 0x0f, 8, 0xc3},   // region of interest
    {6, 0x10, 1, 0xc3},   // ceiling
    {6, 0x11, 1, 0xc3},   // microphone
    {6, 0x12, 1, 0xc3},
    {6, 0x13, 1, 0xc3},   // HDMI audio out
    {5, 0x14, 32, 0xc3},  // firmware version
    {5, 0x01, 60, 0xc3},  // in-system programming records
    {5, 0x02, 60, 0xc3},
    {5, 0x03, 60, 0xc3},
    {5, 0x04, 60, 0xc3},
    {5, 0x05, 60, 0xc3},
    {5, 0x06, 60, 0xc3},
    {5, 0x07, 32, 0xc3},
    {5, 0x0d, 12, 0xc3},  // peripheral (speaker) version
    {5, 0x91, 4, 0xc3},   // high-quality capture command
    {5, 0x92, 508, 0xc3}, // high-quality captured data
    {6, 0x15, 1, 0xc3},   // high-quality snapshot support
};
