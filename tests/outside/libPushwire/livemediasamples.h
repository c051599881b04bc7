#pragma once

#include <QByteArray>
#include <QVector>

// Real H.264 and AAC made with libavcodec, in the form the capture pipeline hands to the publisher:
// a parameter-set header "00 00 01 SPS 00 00 01 PPS 00 00 01" before the first key frame, then frames
// of length-prefixed NAL units; audio as raw AAC packets of 1024 samples (44100 Hz mono).
class LiveMediaSamples
{
public:
    struct Sample {
        QByteArray data;
        qint64 timestampMs = 0;
        bool keyFrame = false;
        bool header = false;
    };

    // `frames` frames at 30 fps with a key frame every 30; time stamps start at baseMs.
    static QVector<Sample> video(int width, int height, int frames, qint64 baseMs);
    static QVector<Sample> audio(int packets, qint64 baseMs);
};
