#pragma once

#include <QByteArray>
#include <QtGlobal>

// One item on its way from the caller's thread to the network thread.
struct MediaPacket
{
    enum Kind {
        None,
        VideoConfig, // AVCDecoderConfigurationRecord; `extra` holds SPS and PPS length-prefixed
        AudioConfig, // AudioSpecificConfig; `code` the sample rate, `extra` empty
        Video,       // length-prefixed NAL units
        Audio,       // one raw AAC packet
        Fault        // the caller handed bad data: end the stream with `code`
    };

    Kind kind = None;
    QByteArray data;
    QByteArray extra;
    qint64 timestampMs = 0;
    bool keyFrame = false;
    int code = 0;
    int channels = 0;
};
