#pragma once

#include <QList>
#include <QMetaType>

#include <cstdint>

// One capture format of a camera. The empty format (no device) has codec type 9 and nothing else.
struct VideoFormat
{
    // 0 RGB32, 1 RGB888, 2 YUV444, 3 YUV422, 6 MJPEG, 7 H.264 and other compressed video, 9 any other.
    int32_t codecType = 9;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameSize = 0; // width x height x 4
    // The minimum rate of each frame-rate range of the format, truncated, in the device's order.
    QList<unsigned int> frameRates;
    // The device's current rate: 1 / active minimum frame duration, truncated.
    int32_t frameRate = 0;
    // Position among all formats of the device.
    int32_t index = 0;
};

Q_DECLARE_METATYPE(VideoFormat)
