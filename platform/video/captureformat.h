#pragma once

#include <QByteArray>
#include <QList>

namespace platform {

// A frame duration as a fraction of a second (numerator / denominator), as the devices report it,
// so that equal durations compare equal.
struct FrameDuration
{
    quint32 numerator = 0;
    quint32 denominator = 0;

    bool isValid() const { return numerator != 0 && denominator != 0; }
    double seconds() const { return isValid() ? double(numerator) / denominator : 0.0; }
    bool operator==(const FrameDuration &other) const
    {
        return quint64(numerator) * other.denominator == quint64(other.numerator) * denominator;
    }
    bool operator!=(const FrameDuration &other) const { return !(*this == other); }
};

// One supported frame-rate range of a format. A discrete rate has minFrameRate == maxFrameRate.
struct FrameRateRange
{
    double minFrameRate = 0;
    double maxFrameRate = 0;
    FrameDuration minFrameDuration; // the shortest frame duration, 1 / maxFrameRate
    FrameDuration maxFrameDuration; // the longest frame duration, 1 / minFrameRate
};

// One capture format of a device.
struct CaptureFormat
{
    // Media subtype as a four-character code: "jpeg" or "dmb1" (MJPEG), "yuvs" (YUYV 4:2:2), "2vuy"
    // (UYVY), "420v" (NV12), "avc1" (H.264), "BGRA"; anything else is passed as the device names it.
    QByteArray subtype;
    int width = 0;
    int height = 0;
    QList<FrameRateRange> frameRateRanges; // in the device's order

    bool operator==(const CaptureFormat &other) const
    {
        return subtype == other.subtype && width == other.width && height == other.height;
    }
};

} // namespace platform
