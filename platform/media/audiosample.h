#pragma once

#include <QByteArray>
#include <QtGlobal>

namespace platform {

// A block of captured sound: signed 16-bit little-endian PCM at 44.1 kHz, one channel, and the
// presentation time of its first sample in microseconds of the monotonic media clock. Copies share the
// data (QByteArray's implicit sharing).
class AudioSample
{
public:
    static constexpr int SampleRate = 44100;
    static constexpr int ChannelCount = 1;
    static constexpr int BytesPerFrame = 2 * ChannelCount;

    AudioSample() = default;
    AudioSample(const QByteArray &pcm, qint64 presentationTimeUs);

    bool isValid() const { return frameCount() > 0; }
    const QByteArray &pcm() const { return m_pcm; }
    int frameCount() const { return int(m_pcm.size() / BytesPerFrame); }
    qint64 durationUs() const { return qint64(frameCount()) * 1000000 / SampleRate; }

    qint64 presentationTimeUs() const { return m_presentationTimeUs; }
    AudioSample withPresentationTime(qint64 presentationTimeUs) const;

private:
    QByteArray m_pcm;
    qint64 m_presentationTimeUs = 0;
};

} // namespace platform
