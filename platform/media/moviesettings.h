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
    int nominalFrameRate = 30;        // what the rate control plans for; time stamps decide the rest

    int audioSampleRate = 44100;
    int audioChannels = 1;
    qint64 audioBitRate = 64000;

    qint64 fragmentDurationUs = 1000000; // a killed program loses at most about this much
};

} // namespace platform
