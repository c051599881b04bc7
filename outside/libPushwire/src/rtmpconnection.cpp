#include "rtmpconnection.h"

#include "streamregistry.h"

#include <QUrl>

#include <cstring>

namespace {

bool copyExtradata(const platform::FfmpegLibrary::Util &avutil, AVCodecParameters *par, const QByteArray &config)
{
    par->extradata =
        static_cast<uint8_t *>(avutil.av_mallocz(size_t(config.size()) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (!par->extradata)
        return false;
    std::memcpy(par->extradata, config.constData(), size_t(config.size()));
    par->extradata_size = config.size();
    return true;
}

} // namespace

RtmpConnection::RtmpConnection() = default;

RtmpConnection::~RtmpConnection()
{
    close(false, 0);
}

bool RtmpConnection::isAcceptedUrl(const QString &url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.host().isEmpty())
        return false;
    const QString scheme = parsed.scheme().toLower();
    return scheme == QLatin1String("rtmp") || scheme == QLatin1String("rtmps");
}

RtmpConnection::Result RtmpConnection::open(const QString &url, int timeoutMs)
{
    close(false, 0);
    m_error.clear();
    if (!isAcceptedUrl(url)) {
        m_error = QStringLiteral("not an RTMP address");
        return Failed;
    }
    if (!loadFfmpeg())
        return Failed;
    const QByteArray address = url.toUtf8();
    int err = m_avformat->avformat_alloc_output_context2(&m_context, nullptr, "flv", address.constData());
    if (err < 0 || !m_context) {
        setError("flv muxer", err);
        return Failed;
    }
    m_context->interrupt_callback.callback = &RtmpConnection::interruptCallback;
    m_context->interrupt_callback.opaque = this;
    // Each packet leaves at once: the upload rate is then what the network takes, not the buffer.
    m_context->flush_packets = 1;

    AVDictionary *options = nullptr;
    m_avutil->av_dict_set(&options, "protocol_whitelist", "rtmp,rtmps,tcp,tls", 0);
    setDeadline(timeoutMs);
    err = m_avformat->avio_open2(&m_context->pb, address.constData(), AVIO_FLAG_WRITE,
                                 &m_context->interrupt_callback, &options);
    m_avutil->av_dict_free(&options);
    setDeadline(0);
    if (err < 0) {
        setError("connect", err);
        m_avformat->avformat_free_context(m_context);
        m_context = nullptr;
        return Failed;
    }
    return Ok;
}

RtmpConnection::Result RtmpConnection::writeHeader(const QByteArray &videoConfig, int width, int height,
                                                   const QByteArray &audioConfig, int sampleRate,
                                                   int channels)
{
    if (!m_context || m_headerWritten)
        return Failed;
    m_video = m_avformat->avformat_new_stream(m_context, nullptr);
    if (!m_video)
        return Failed;
    m_video->time_base = AVRational { 1, 1000 };
    AVCodecParameters *video = m_video->codecpar;
    video->codec_type = AVMEDIA_TYPE_VIDEO;
    video->codec_id = AV_CODEC_ID_H264;
    video->width = width;
    video->height = height;
    if (!copyExtradata(*m_avutil, video, videoConfig))
        return Failed;

    if (!audioConfig.isEmpty()) {
        m_audio = m_avformat->avformat_new_stream(m_context, nullptr);
        if (!m_audio)
            return Failed;
        m_audio->time_base = AVRational { 1, 1000 };
        AVCodecParameters *audio = m_audio->codecpar;
        audio->codec_type = AVMEDIA_TYPE_AUDIO;
        audio->codec_id = AV_CODEC_ID_AAC;
        audio->sample_rate = sampleRate;
        m_avutil->av_channel_layout_default(&audio->ch_layout, channels);
        audio->frame_size = 1024;
        if (!copyExtradata(*m_avutil, audio, audioConfig))
            return Failed;
    }

    setDeadline(10000);
    const int err = m_avformat->avformat_write_header(m_context, nullptr);
    setDeadline(0);
    if (err < 0) {
        setError("stream header", err);
        return err == AVERROR(EINVAL) || err == AVERROR_INVALIDDATA ? BadStreamData : Failed;
    }
    m_headerWritten = true;
    return Ok;
}

RtmpConnection::Result RtmpConnection::writeVideo(const QByteArray &data, qint64 timestampMs, bool keyFrame,
                                                  int timeoutMs)
{
    return writePacket(m_video, data, timestampMs, keyFrame, &m_lastVideoMs, timeoutMs);
}

RtmpConnection::Result RtmpConnection::writeAudio(const QByteArray &data, qint64 timestampMs, int timeoutMs)
{
    return writePacket(m_audio, data, timestampMs, true, &m_lastAudioMs, timeoutMs);
}

RtmpConnection::Result RtmpConnection::writePacket(AVStream *stream, const QByteArray &data,
                                                   qint64 timestampMs, bool keyFrame,
                                                   qint64 *lastTimestamp, int timeoutMs)
{
    if (!m_headerWritten || !stream)
        return Failed;
    // The muxer refuses a time stamp running backwards; two sources with their own clocks can
    // produce one, and a repeated time stamp plays fine.
    const qint64 ts = qMax(timestampMs, qMax<qint64>(*lastTimestamp, 0));
    *lastTimestamp = ts;

    AVPacket *packet = m_avcodec->av_packet_alloc();
    if (!packet)
        return Failed;
    Result result = Ok;
    if (m_avcodec->av_new_packet(packet, data.size()) < 0) {
        result = Failed;
    } else {
        std::memcpy(packet->data, data.constData(), size_t(data.size()));
        packet->stream_index = stream->index;
        packet->pts = m_avutil->av_rescale_q(ts, AVRational { 1, 1000 }, stream->time_base);
        packet->dts = packet->pts;
        if (keyFrame)
            packet->flags |= AV_PKT_FLAG_KEY;
        setDeadline(timeoutMs);
        const int err = m_avformat->av_write_frame(m_context, packet);
        setDeadline(0);
        if (err < 0) {
            setError("send", err);
            result = err == AVERROR(EINVAL) || err == AVERROR_INVALIDDATA ? BadStreamData : Failed;
        }
    }
    m_avcodec->av_packet_free(&packet);
    return result;
}

void RtmpConnection::close(bool graceful, int timeoutMs)
{
    if (!m_context)
        return;
    if (graceful && m_headerWritten && !m_aborted) {
        setDeadline(timeoutMs);
        m_avformat->av_write_trailer(m_context);
    }
    // Closing the RTMP layer sends its closing messages; when the peer is gone they must not wait.
    setDeadline(graceful ? timeoutMs : 1);
    m_avformat->avio_closep(&m_context->pb);
    setDeadline(0);
    m_avformat->avformat_free_context(m_context);
    m_context = nullptr;
    m_video = nullptr;
    m_audio = nullptr;
    m_headerWritten = false;
    m_lastVideoMs = -1;
    m_lastAudioMs = -1;
}

bool RtmpConnection::loadFfmpeg()
{
    QString error;
    m_avutil = platform::FfmpegLibrary::util(&error);
    m_avcodec = m_avutil ? platform::FfmpegLibrary::codec(&error) : nullptr;
    m_avformat = m_avcodec ? platform::FfmpegLibrary::format(&error) : nullptr;
    if (!m_avformat)
        m_error = error;
    return m_avformat != nullptr;
}

void RtmpConnection::abort()
{
    m_aborted = true;
}

int RtmpConnection::interruptCallback(void *opaque)
{
    auto *self = static_cast<RtmpConnection *>(opaque);
    if (self->m_aborted)
        return 1;
    const qint64 deadline = self->m_deadlineMs;
    return deadline > 0 && StreamRegistry::nowMs() > deadline ? 1 : 0;
}

void RtmpConnection::setDeadline(int timeoutMs)
{
    m_deadlineMs = timeoutMs > 0 ? StreamRegistry::nowMs() + timeoutMs : 0;
}

void RtmpConnection::setError(const char *what, int err)
{
    m_error = QStringLiteral("%1: %2").arg(QLatin1String(what), platform::FfmpegLibrary::errorText(err));
}
