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
    // slices of one frame rather than working on several frames at once, nothing is held back for
    // look-ahead, and the rate control plans with the nominal rate (with variable-rate input x264
    // holds each frame until the next one tells how long it lasts). At a recorder's bit rates what
    // that costs in quality is not visible.
    QString x264Params = QStringLiteral("sliced-threads=1:sync-lookahead=0:rc-lookahead=0:mbtree=0:force-cfr=1");
    int nominalFrameRate = 30;        // what the rate control plans for; time stamps decide the rest

    int audioSampleRate = 44100;
    int audioChannels = 1;
    qint64 audioBitRate = 64000;

    // Every picture is written in a fragment of its own once the next one is encoded; a stretch of
    // sound without pictures is written in fragments of at most this long.
    qint64 fragmentDurationUs = 250000;
};

} // namespace platform
