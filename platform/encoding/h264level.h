#pragma once

#include <QtGlobal>

namespace platform {

// The lowest H.264 level (as level_idc: 13 for 1.3, 40 for 4.0...) whose limits on frame size,
// macroblock rate and bit rate hold a stream, so that a decoder honouring the level accepts every
// resolution the live stream offers. Never below 1.3, the level small live streams always used.
class H264Level
{
public:
    static constexpr int Minimum = 13;

    // `frameRate` is the most frames per second the stream may carry; 0 when unknown.
    static int forStream(int width, int height, int frameRate, qint64 bitRate);
};

} // namespace platform
