#include "audio/audiosamplecapture.h"

#include "audio/audioinputs.h"
#include "audio/audioinputstream.h"
#include "media/mediaclock.h"

namespace platform {

AudioSampleCapture::AudioSampleCapture(QObject *parent)
    : QIODevice(parent)
{
}

AudioSampleCapture::~AudioSampleCapture()
{
    stop();
}

bool AudioSampleCapture::start(const QString &uniqueId)
{
    stop();
    AudioInputStream *stream = AudioInputs::instance()->createStream(uniqueId, this);
    if (!stream)
        return false;
    if (stream->format() != AudioInputStream::captureFormat()) {
        // Recording and the live stream take 44.1 kHz mono 16-bit only; converting is not worth it
        // for devices that cannot give it.
        delete stream;
        return false;
    }
    m_stream = stream;
    m_uniqueId = uniqueId;
    open(QIODevice::WriteOnly);
    m_stream->start(this);
    return true;
}

void AudioSampleCapture::stop()
{
    if (!m_stream)
        return;
    m_stream->stop();
    delete m_stream;
    m_stream = nullptr;
    m_oddByte.clear();
    close();
}

qint64 AudioSampleCapture::readData(char *, qint64)
{
    return 0;
}

qint64 AudioSampleCapture::writeData(const char *data, qint64 size)
{
    QByteArray pcm = m_oddByte;
    pcm.append(data, int(size));
    m_oddByte.clear();
    if (pcm.size() % AudioSample::BytesPerFrame) {
        m_oddByte = pcm.right(1);
        pcm.chop(1);
    }
    if (!pcm.isEmpty()) {
        const AudioSample block(pcm, 0);
        // The block ends now: its first sample was captured its duration ago.
        const qint64 startUs = MediaClock::monotonicNowUs() - block.durationUs();
        emit sampleCaptured(block.withPresentationTime(startUs));
    }
    return size;
}

} // namespace platform
