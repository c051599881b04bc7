#pragma once

#include "media/videosample.h"

#include <QByteArray>

namespace platform {

// JPEG encoding of a BGRA frame, for snapshots and for JPEG frames handed to callers.
class JpegEncoder
{
public:
    // quality runs from 0.0 (smallest) to 1.0 (best), as the callers' compression quality does.
    // False (and out untouched) when the frame is empty or the encoder failed.
    static bool encode(const VideoSample &frame, double quality, QByteArray *out);
    static bool encode(const QImage &image, double quality, QByteArray *out);

private:
    JpegEncoder() = delete;
};

} // namespace platform
