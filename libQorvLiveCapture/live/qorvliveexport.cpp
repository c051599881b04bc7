#include "live/qorvliveexport.h"

#include "capture/qorvcapturesession.h"
#include "capture/qorvframesourceimpl.h"
#include "capturelog.h"
#include "encoding/aacliveencoder.h"
#include "encoding/h264liveencoder.h"

#include <QMutexLocker>

QorvLiveExport::QorvLiveExport(QorvFrameSourceImpl *source)
{
    // One thread: frames are encoded in the order they were captured.
    m_encoderQueue.setMaxThreadCount(1);
    m_encoderQueue.setExpiryTimeout(-1);
    if (source)
        attach(source);
}

QorvLiveExport::~QorvLiveExport()
{
    if (m_source)
        m_source->setLiveExport(nullptr);
    disable();
}

void QorvLiveExport::attach(QorvFrameSourceImpl *source)
{
    if (m_source && m_source != source)
        m_source->setLiveExport(nullptr);
    m_source = source;
    if (!source)
        return;
    source->setLiveExport(this);
    auto sessionOf = [source]() { return source->ownerSession(); };
    setVideoOutput([sessionOf](char *data, int len, qint64 timeMs) {
        if (QorvCaptureSession *session = sessionOf())
            session->onReceiveEncodedExportVideoFrame(data, len, timeMs);
    });
    setAudioOutput([sessionOf](char *data, int len, qint64 timeMs) {
        if (QorvCaptureSession *session = sessionOf())
            session->onReceiveEncodedExportAudioFrame(data, len, timeMs);
    });
}

void QorvLiveExport::setVideoOutput(Output output)
{
    QMutexLocker locker(&m_outputMutex);
    m_videoOutput = std::move(output);
}

void QorvLiveExport::setAudioOutput(Output output)
{
    QMutexLocker locker(&m_outputMutex);
    m_audioOutput = std::move(output);
}

bool QorvLiveExport::enable(int width, int height, int fps)
{
    if (m_on)
        disable();
    {
        QMutexLocker locker(&m_audioMutex);
        m_chunker.reset();
    }
    m_framesInEncoder = 0;
    m_pendingRate = -1;
    auto encoder = std::make_unique<platform::H264LiveEncoder>();
    if (!encoder->open({width, height, fps})) {
        qCWarning(lcCapture, " compression create fail: %s", qUtf8Printable(encoder->errorString()));
        return false;
    }
    qCInfo(lcCapture, "live H.264 %d x %d, level %d, %lld bit/s, key frame every %d frames", width, height,
           encoder->level(), encoder->bitRate(), encoder->currentKeyFrameInterval());
    m_encoderQueue.waitForDone();
    m_encoder = std::move(encoder);
    m_headerPending = true;
    m_on = true;
    return true;
}

void QorvLiveExport::disable()
{
    m_headerPending = false;
    const bool wasOn = m_on.exchange(false);
    // Frames already queued still go through the encoder and out, then the encoder is released.
    m_encoderQueue.waitForDone();
    if (m_encoder) {
        QVector<platform::H264LiveEncoder::EncodedFrame> rest;
        m_encoder->finish(&rest);
        m_encoder.reset();
        qCInfo(lcCapture, "release H264 codec finish!!!!!!!!!!!!!!!!!!!!!!!");
        qCInfo(lcCapture, "set H264 codec compressSession NULL!!!!!!!!!!!!!!!!!!!!!!!");
    }
    m_framesInEncoder = 0;
    if (wasOn) {
        QMutexLocker locker(&m_audioMutex);
        m_chunker.reset();
    }
}

void QorvLiveExport::setFrameRate(int fps)
{
    // Applied on the encoder queue before the next frame: the encoder belongs to that thread.
    m_pendingRate = fps;
}

void QorvLiveExport::submitFrame(const platform::VideoSample &sample)
{
    if (!m_on || !sample.isValid() || m_framesInEncoder >= MaxFramesInEncoder)
        return;
    ++m_framesInEncoder;
    m_encoderQueue.start([this, sample] {
        encodeFrame(sample);
        --m_framesInEncoder;
    });
}

void QorvLiveExport::waitForEncoder()
{
    m_encoderQueue.waitForDone();
}

int QorvLiveExport::encoderLevel() const
{
    return m_encoder ? m_encoder->level() : 0;
}

void QorvLiveExport::encodeFrame(const platform::VideoSample &sample)
{
    if (!m_on || !m_encoder)
        return;
    const int rate = m_pendingRate.exchange(-1);
    if (rate >= 0)
        m_encoder->setFrameRate(rate);
    QVector<platform::H264LiveEncoder::EncodedFrame> frames;
    if (!m_encoder->encode(sample, &frames))
        qCWarning(lcCapture, "statud =%s", qUtf8Printable(m_encoder->errorString()));
    for (const platform::H264LiveEncoder::EncodedFrame &frame : qAsConst(frames)) {
        const qint64 timeMs = frame.decodeTimeUs / 1000;
        if (frame.keyFrame && m_headerPending.exchange(false)) {
            const QByteArray header = m_encoder->parameterSetHeader();
            qCInfo(lcCapture, "Send SPS PPS header success len =%d", int(header.size()));
            sendVideo(header, timeMs);
        }
        if (frame.keyFrame)
            qCDebug(lcCapture, "Send Key Frame success data len =%d", int(frame.data.size()));
        sendVideo(frame.data, timeMs);
    }
}

void QorvLiveExport::sendVideo(const QByteArray &data, qint64 timeMs)
{
    Output output;
    {
        QMutexLocker locker(&m_outputMutex);
        output = m_videoOutput;
    }
    if (output)
        output(const_cast<char *>(data.constData()), int(data.size()), timeMs);
}

void QorvLiveExport::sendAudio(const QByteArray &data, qint64 timeMs)
{
    Output output;
    {
        QMutexLocker locker(&m_outputMutex);
        output = m_audioOutput;
    }
    if (output)
        output(const_cast<char *>(data.constData()), int(data.size()), timeMs);
}

int QorvLiveExport::audioCarryOverBytes() const
{
    QMutexLocker locker(&m_audioMutex);
    return m_chunker.carryOverBytes();
}

void QorvLiveExport::appendAudioSample(const platform::AudioSample &sample)
{
    if (!m_on || !sample.isValid())
        return;
    QVector<platform::AacLiveEncoder::Packet> packets;
    {
        QMutexLocker locker(&m_audioMutex);
        if (!m_aac) {
            // Made with the first sound of the export and kept: its priming is paid once.
            auto aac = std::make_unique<platform::AacLiveEncoder>();
            if (!aac->open()) {
                qCWarning(lcCapture, "AudioConverterNewSpecific failed: %s", qUtf8Printable(aac->errorString()));
                return;
            }
            m_aac = std::move(aac);
        }
        const QVector<AacChunker::Chunk> chunks =
            m_chunker.append(sample.pcm(), sample.presentationTimeUs() / 1000);
        for (const AacChunker::Chunk &chunk : chunks) {
            if (!m_aac->encode(chunk.pcm.constData(), chunk.timeMs, &packets))
                qCWarning(lcCapture, " audio convert error %s", qUtf8Printable(m_aac->errorString()));
        }
    }
    for (const platform::AacLiveEncoder::Packet &packet : qAsConst(packets))
        sendAudio(packet.data, packet.timeMs);
}
