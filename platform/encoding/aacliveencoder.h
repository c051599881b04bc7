#pragma once

#include <QByteArray>
#include <QQueue>
#include <QString>
#include <QVector>

#include <memory>

namespace platform {

// The live stream's sound encoder: FFmpeg's own AAC-LC encoder at 44.1 kHz mono, taking blocks of
// exactly one AAC frame (1024 samples of signed 16-bit PCM) and giving raw AAC packets (no ADTS
// header), each carrying the time of the block it came from. Driven from one thread.
class AacLiveEncoder
{
public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 1;
    static constexpr int FrameSamples = 1024;
    static constexpr int FrameBytes = FrameSamples * 2 * Channels;
    static constexpr qint64 BitRate = 64000;

    struct Packet {
        QByteArray data;
        qint64 timeMs = 0;
    };

    AacLiveEncoder();
    ~AacLiveEncoder();

    AacLiveEncoder(const AacLiveEncoder &) = delete;
    AacLiveEncoder &operator=(const AacLiveEncoder &) = delete;

    bool open();
    bool isOpen() const;
    void close();

    // The AudioSpecificConfig of the stream.
    QByteArray audioSpecificConfig() const;

    // `pcm` holds FrameBytes bytes. The encoder holds back a frame or two at the start, so the
    // packets appended lag the blocks handed in.
    bool encode(const char *pcm, qint64 timeMs, QVector<Packet> *out);
    // Hands out what is still inside and closes the encoder.
    bool finish(QVector<Packet> *out);

    QString errorString() const { return m_error; }

private:
    struct Context;

    bool fail(const QString &what, int avError);
    bool drain(QVector<Packet> *out);

    std::unique_ptr<Context> m_ctx;
    QQueue<qint64> m_pendingTimes;
    qint64 m_nextPts = 0;
    QString m_error;
};

} // namespace platform
