#include "encoding/aacliveencoder.h"

#include "media/ffmpeglibrary.h"

#include <cstring>

namespace platform {

struct AacLiveEncoder::Context {
    Context(const FfmpegLibrary::Util &utilFunctions, const FfmpegLibrary::Codec &codecFunctions)
        : avutil(utilFunctions)
        , avcodec(codecFunctions)
    {
    }

    const FfmpegLibrary::Util &avutil;
    const FfmpegLibrary::Codec &avcodec;
    AVCodecContext *codec = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;

    ~Context()
    {
        avcodec.av_packet_free(&packet);
        avutil.av_frame_free(&frame);
        avcodec.avcodec_free_context(&codec);
    }
};

AacLiveEncoder::AacLiveEncoder() = default;

AacLiveEncoder::~AacLiveEncoder() = default;

bool AacLiveEncoder::isOpen() const
{
    return m_ctx != nullptr;
}

void AacLiveEncoder::close()
{
    m_ctx.reset();
    m_pendingTimes.clear();
    m_nextPts = 0;
}

bool AacLiveEncoder::fail(const QString &what, int avError)
{
    m_error = avError ? QStringLiteral("%1: %2").arg(what, FfmpegLibrary::errorText(avError)) : what;
    close();
    return false;
}

bool AacLiveEncoder::open()
{
    close();
    QString loadError;
    const FfmpegLibrary::Codec *functions = FfmpegLibrary::codec(&loadError);
    if (!functions)
        return fail(loadError, 0);
    const FfmpegLibrary::Util &avutil = *FfmpegLibrary::util();
    const AVCodec *codec = functions->avcodec_find_encoder_by_name("aac");
    if (!codec)
        return fail(QStringLiteral("the AAC encoder is missing"), 0);
    auto ctx = std::make_unique<Context>(avutil, *functions);
    ctx->codec = functions->avcodec_alloc_context3(codec);
    ctx->frame = avutil.av_frame_alloc();
    ctx->packet = functions->av_packet_alloc();
    if (!ctx->codec || !ctx->frame || !ctx->packet)
        return fail(QStringLiteral("out of memory"), 0);

    AVCodecContext *c = ctx->codec;
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = SampleRate;
    avutil.av_channel_layout_default(&c->ch_layout, Channels);
    c->bit_rate = BitRate;
    c->time_base = AVRational{1, SampleRate};
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int error = functions->avcodec_open2(c, codec, nullptr);
    if (error < 0)
        return fail(QStringLiteral("the AAC encoder refused the settings"), error);
    if (c->frame_size != FrameSamples)
        return fail(QStringLiteral("unexpected AAC frame size %1").arg(c->frame_size), 0);

    ctx->frame->format = c->sample_fmt;
    ctx->frame->sample_rate = SampleRate;
    ctx->frame->nb_samples = FrameSamples;
    avutil.av_channel_layout_copy(&ctx->frame->ch_layout, &c->ch_layout);
    error = avutil.av_frame_get_buffer(ctx->frame, 0);
    if (error < 0)
        return fail(QStringLiteral("no frame buffer"), error);

    m_ctx = std::move(ctx);
    m_error.clear();
    return true;
}

QByteArray AacLiveEncoder::audioSpecificConfig() const
{
    if (!m_ctx)
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(m_ctx->codec->extradata), m_ctx->codec->extradata_size);
}

bool AacLiveEncoder::encode(const char *pcm, qint64 timeMs, QVector<Packet> *out)
{
    if (!m_ctx || !pcm)
        return false;
    AVFrame *frame = m_ctx->frame;
    int error = m_ctx->avutil.av_frame_make_writable(frame);
    if (error < 0)
        return fail(QStringLiteral("frame buffer busy"), error);
    auto *samples = reinterpret_cast<float *>(frame->data[0]);
    for (int i = 0; i < FrameSamples; ++i) {
        qint16 value;
        std::memcpy(&value, pcm + 2 * i, sizeof(value)); // the blocks are little-endian, as is the host
        samples[i] = float(value) / 32768.0f;
    }
    frame->pts = m_nextPts;
    m_nextPts += FrameSamples;
    m_pendingTimes.enqueue(timeMs);
    error = m_ctx->avcodec.avcodec_send_frame(m_ctx->codec, frame);
    if (error < 0) {
        m_pendingTimes.removeLast();
        m_error = QStringLiteral("encoding failed: %1").arg(FfmpegLibrary::errorText(error));
        return false;
    }
    return drain(out);
}

bool AacLiveEncoder::finish(QVector<Packet> *out)
{
    if (!m_ctx)
        return false;
    const int error = m_ctx->avcodec.avcodec_send_frame(m_ctx->codec, nullptr);
    const bool ok = (error >= 0 || error == AVERROR_EOF) && drain(out);
    close();
    return ok;
}

bool AacLiveEncoder::drain(QVector<Packet> *out)
{
    AVPacket *packet = m_ctx->packet;
    for (;;) {
        const int error = m_ctx->avcodec.avcodec_receive_packet(m_ctx->codec, packet);
        if (error == AVERROR(EAGAIN) || error == AVERROR_EOF)
            return true;
        if (error < 0) {
            m_error = QStringLiteral("encoding failed: %1").arg(FfmpegLibrary::errorText(error));
            return false;
        }
        Packet encoded;
        encoded.data = QByteArray(reinterpret_cast<const char *>(packet->data), packet->size);
        // Packets leave in the order the blocks came in; each takes the oldest block time left.
        encoded.timeMs = m_pendingTimes.isEmpty() ? 0 : m_pendingTimes.dequeue();
        m_ctx->avcodec.av_packet_unref(packet);
        if (out)
            out->append(encoded);
    }
}

} // namespace platform
