#pragma once

#include <QtGlobal>

namespace platform {

// How one UVC processing-unit or camera-terminal control appears among uvcvideo's V4L2 controls.
// A control is one or two V4L2 controls, each filling a field of the UVC control's bytes.
struct UvcV4l2Mapping
{
    enum Unit { ProcessingUnit, CameraTerminal };
    enum Encoding {
        Plain,          // the V4L2 value in the field, little endian
        DirectionSpeed, // a signed direction byte at offset and a speed byte at speedOffset; the
                        // V4L2 value is direction x speed
        ExposureMode    // UVC's mode bits 1/2/4/8 against the V4L2 exposure menu
    };

    struct Field
    {
        quint32 controlId = 0;
        quint8 offset = 0;
        quint8 size = 0;
        bool isSigned = false;
        quint8 speedOffset = 0; // DirectionSpeed only
    };

    quint8 selector = 0;
    quint16 length = 0;
    Encoding encoding = Plain;
    int fieldCount = 0;
    Field fields[2];

    // The mapping of a selector, or null when uvcvideo offers it as no V4L2 control.
    static const UvcV4l2Mapping *find(Unit unit, quint8 selector);

    // UVC's auto-exposure mode bits and the V4L2 menu values; false for a value the other side lacks.
    static bool exposureModeToV4l2(quint8 uvcMode, qint32 *v4l2Value);
    static bool exposureModeFromV4l2(qint32 v4l2Value, quint8 *uvcMode);
};

} // namespace platform
