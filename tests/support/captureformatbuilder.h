#pragma once

// A capture format as a camera lists it: one subtype and size at a list of fixed frame rates.

#include "video/captureformat.h"

#include <QList>

inline platform::CaptureFormat format(const char *subtype, int width, int height, QList<quint32> rates)
{
    platform::CaptureFormat f;
    f.subtype = subtype;
    f.width = width;
    f.height = height;
    for (quint32 fps : rates) {
        platform::FrameRateRange range;
        range.minFrameRate = range.maxFrameRate = fps;
        range.minFrameDuration = range.maxFrameDuration = platform::FrameDuration{1, fps};
        f.frameRateRanges.append(range);
    }
    return f;
}
