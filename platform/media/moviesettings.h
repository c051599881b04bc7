#pragma once

#include <QRect>
#include <QString>

namespace platform {

// How a movie file is encoded. Sizes are the encoded picture; frames of another size are scaled to it.
struct MovieSettings
{
    int width = 0;
    int height = 0;
    // Part of each frame that is kept (the clean aperture); a null rect keeps the whole frame.
    QRect sourceCrop;
    qint64 videoBitRate = 0;          // bits per second
    int maxKeyFrameInterval = 10;     // frames
    QString x264Preset = QStringLiteral("veryfast");
    // Every frame held inside the encoder is a frame a crash or a kill loses: the threads share the
    // slices of one frame rather than working on several frames at once, and nothing is held back for
    // look-ahead. At a recorder's bit rates what that costs in quality is not visible.
    QString x264Params = QStringLiteral("sliced-threads=1:sync-lookahead=0:rc-lookahead=0:mbtree=0");
    int nominalFrameRate = 30;        // what the rate control plans for; time stamps decide the rest

    int audioSampleRate = 44100;
    int audioChannels = 1;
    qint64 audioBitRate = 64000;

    // A fragment is written at every key frame and at the latest after this long, and the first one
    // as soon as the first frame is encoded: a killed program loses at most about this much.
    qint64 fragmentDurationUs = 250000;
};

} // namespace platform
