#include "encoding/h264level.h"

namespace platform {

namespace {

struct LevelLimits {
    int idc;
    qint64 maxMacroblocksPerSecond;
    qint64 maxFrameMacroblocks;
    qint64 maxBitRateKbps; // Baseline, Main and Extended profiles
};

const LevelLimits Levels[] = {
    {13, 11880, 396, 768},       {20, 11880, 396, 2000},        {21, 19800, 792, 4000},
    {22, 20250, 1620, 4000},     {30, 40500, 1620, 10000},      {31, 108000, 3600, 14000},
    {32, 216000, 5120, 20000},   {40, 245760, 8192, 20000},     {41, 245760, 8192, 50000},
    {42, 522240, 8704, 50000},   {50, 589824, 22080, 135000},   {51, 983040, 36864, 240000},
    {52, 2073600, 36864, 240000},
};

// The pacing hands frames at up to this rate whatever the nominal one, so the level must allow it.
constexpr int PacingFrameRate = 30;

} // namespace

int H264Level::forStream(int width, int height, int frameRate, qint64 bitRate)
{
    const qint64 frameMacroblocks = qint64((width + 15) / 16) * ((height + 15) / 16);
    const qint64 rate = qMax(frameRate, PacingFrameRate);
    const qint64 macroblocksPerSecond = frameMacroblocks * rate;
    for (const LevelLimits &level : Levels) {
        if (frameMacroblocks <= level.maxFrameMacroblocks
            && macroblocksPerSecond <= level.maxMacroblocksPerSecond
            && bitRate <= level.maxBitRateKbps * 1000)
            return level.idc;
    }
    return Levels[sizeof(Levels) / sizeof(Levels[0]) - 1].idc;
}

} // namespace platform
