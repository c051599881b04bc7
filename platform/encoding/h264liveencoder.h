#pragma once

#include "media/videosample.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <memory>

namespace platform {

// The live stream's H.264 encoder: libx264 through libavcodec, Baseline profile with CAVLC, no frame
// reordering and no look-ahead (a frame comes out as soon as it went in), at the level the picture
// size needs. Frames leave as length-prefixed NAL units; the parameter sets are kept apart and
// given as the start-code header the publisher takes before the first key frame.
//
// Not thread-safe: one thread (the frame source's encoder queue) drives it.
class H264LiveEncoder
{
public:
    struct Settings {
        int width = 0;
        int height = 0;
        int frameRate = 0; // 0: no frame rate was asked for, the default rate applies
    };

    struct EncodedFrame {
        QByteArray data; // length-prefixed NAL units, without parameter sets
        bool keyFrame = false;
        qint64 presentationTimeUs = 0;
        qint64 decodeTimeUs = 0;
    };

    // The rate used for a frame rate of 0.
    static constexpr int DefaultFrameRate = 10;
    // A key frame at least this often, whatever the frame rate.
    static constexpr qint64 MaxKeyFrameIntervalUs = 10 * 1000000;

    static int effectiveFrameRate(int frameRate) { return frameRate > 0 ? frameRate : DefaultFrameRate; }
    // At creation: the whole part of (width x height x 96) x 0.07 bit/s.
    static qint64 initialBitRate(int width, int height);
    // After a rate change: rate x 2500000 / 30 bit/s.
    static qint64 bitRateForFrameRate(int frameRate);
    // Ten seconds of frames at the rate; never 0, which libavcodec would take as intra-only.
    static int keyFrameInterval(int frameRate) { return effectiveFrameRate(frameRate) * 10; }

    H264LiveEncoder();
    ~H264LiveEncoder();

    H264LiveEncoder(const H264LiveEncoder &) = delete;
    H264LiveEncoder &operator=(const H264LiveEncoder &) = delete;

    // False (with errorString) for sizes that are not positive and even, or when libx264 refuses.
    bool open(const Settings &settings);
    bool isOpen() const;
    void close();

    Settings settings() const { return m_settings; }
    int level() const { return m_level; }
    qint64 bitRate() const { return m_bitRate; }
    int currentKeyFrameInterval() const { return m_keyFrameInterval; }
    QByteArray sps() const { return m_sps; }
    QByteArray pps() const { return m_pps; }
    // 00 00 01 SPS 00 00 01 PPS 00 00 01 of this encoder's own parameter sets.
    QByteArray parameterSetHeader() const;

    // Scales the frame to the stream size and encodes it; what the encoder gives back is appended.
    bool encode(const VideoSample &sample, QVector<EncodedFrame> *out);
    // Asks for the next frame to be a key frame (a new viewer, a fresh header).
    void requestKeyFrame() { m_keyFrameRequested = true; }
    // Hands out the frames still inside the encoder and closes it.
    bool finish(QVector<EncodedFrame> *out);

    // New rate: bit rate and key-frame interval follow it (0 taken as the default rate).
    void setFrameRate(int frameRate);

    QString errorString() const { return m_error; }

private:
    struct Context;

    bool fail(const QString &what, int avError);
    bool drain(QVector<EncodedFrame> *out);
    bool shouldForceKeyFrame(qint64 ptsUs) const;

    std::unique_ptr<Context> m_ctx;
    Settings m_settings;
    int m_level = 0;
    qint64 m_bitRate = 0;
    int m_keyFrameInterval = 0;
    QByteArray m_sps;
    QByteArray m_pps;
    QString m_error;

    qint64 m_lastPtsUs = -1;
    qint64 m_lastKeyPtsUs = -1;
    int m_framesSinceKey = 0;
    bool m_keyFrameRequested = false;
};

} // namespace platform
