#include "encoding/h264liveencoder.h"

#include "media/ffmpeglibrary.h"

#include "encoding/h264bitstream.h"
#include "encoding/h264level.h"

#include <climits>

namespace platform {

namespace {

constexpr AVRational MicrosecondBase = {1, 1000000};

} // namespace

struct H264LiveEncoder::Context {
    Context(const FfmpegLibrary::Util &utilFunctions, const FfmpegLibrary::Scale &scaleFunctions,
            const FfmpegLibrary::Codec &codecFunctions)
        : avutil(utilFunctions)
        , swscale(scaleFunctions)
        , avcodec(codecFunctions)
    {
    }

    const FfmpegLibrary::Util &avutil;
    const FfmpegLibrary::Scale &swscale;
    const FfmpegLibrary::Codec &avcodec;
    AVCodecContext *codec = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
    SwsContext *scaler = nullptr;

    ~Context()
    {
        swscale.sws_freeContext(scaler);
        avcodec.av_packet_free(&packet);
        avutil.av_frame_free(&frame);
        avcodec.avcodec_free_context(&codec);
    }
};

qint64 H264LiveEncoder::initialBitRate(int width, int height)
{
    return qint64(double(qint64(width) * height * 96) * 0.07);
}

qint64 H264LiveEncoder::bitRateForFrameRate(int frameRate)
{
    return qint64(effectiveFrameRate(frameRate)) * 2500000 / 30;
}

H264LiveEncoder::H264LiveEncoder() = default;

H264LiveEncoder::~H264LiveEncoder() = default;

bool H264LiveEncoder::isOpen() const
{
    return m_ctx != nullptr;
}

void H264LiveEncoder::close()
{
    m_ctx.reset();
    m_sps.clear();
    m_pps.clear();
    m_lastPtsUs = -1;
    m_lastKeyPtsUs = -1;
    m_framesSinceKey = 0;
    m_keyFrameRequested = false;
}

bool H264LiveEncoder::fail(const QString &what, int avError)
{
    m_error = avError ? QStringLiteral("%1: %2").arg(what, FfmpegLibrary::errorText(avError)) : what;
    m_ctx.reset();
    return false;
}

bool H264LiveEncoder::open(const Settings &settings)
{
    close();
    m_settings = settings;
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
        return fail(QStringLiteral("invalid stream size %1 x %2").arg(settings.width).arg(settings.height), 0);

    QString loadError;
    const FfmpegLibrary::Codec *functions = FfmpegLibrary::codec(&loadError);
    const FfmpegLibrary::Scale *scaleFunctions = functions ? FfmpegLibrary::scale(&loadError) : nullptr;
    if (!scaleFunctions)
        return fail(loadError, 0);
    const FfmpegLibrary::Util &avutil = *FfmpegLibrary::util();
    const AVCodec *codec = functions->avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return fail(QStringLiteral("the H.264 encoder libx264 is missing"), 0);

    auto ctx = std::make_unique<Context>(avutil, *scaleFunctions, *functions);
    ctx->codec = functions->avcodec_alloc_context3(codec);
    ctx->frame = avutil.av_frame_alloc();
    ctx->packet = functions->av_packet_alloc();
    if (!ctx->codec || !ctx->frame || !ctx->packet)
        return fail(QStringLiteral("out of memory"), 0);

    const int rate = effectiveFrameRate(settings.frameRate);
    m_bitRate = initialBitRate(settings.width, settings.height);
    m_keyFrameInterval = keyFrameInterval(settings.frameRate);
    m_level = H264Level::forStream(settings.width, settings.height, rate, m_bitRate);

    AVCodecContext *c = ctx->codec;
    c->width = settings.width;
    c->height = settings.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = MicrosecondBase;
    c->framerate = AVRational{rate, 1};
    // A live stream must not burst above its rate, and libx264 takes a new bit rate while encoding
    // only with a rate buffer: one second of it.
    c->bit_rate = m_bitRate;
    c->rc_max_rate = m_bitRate;
    c->rc_buffer_size = int(qMin<qint64>(m_bitRate, INT_MAX));
    c->gop_size = m_keyFrameInterval;
    c->max_b_frames = 0;
    c->level = m_level;
    c->profile = FF_PROFILE_H264_BASELINE;
    // Parameter sets once, in the extradata: the header is built from them.
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    avutil.av_opt_set(c->priv_data, "preset", "veryfast", 0);
    // No look-ahead and no delayed frames: each frame leaves the encoder as it is handed in.
    avutil.av_opt_set(c->priv_data, "tune", "zerolatency", 0);
    avutil.av_opt_set(c->priv_data, "profile", "baseline", 0);
    avutil.av_opt_set(c->priv_data, "coder", "cavlc", 0);
    avutil.av_opt_set_int(c->priv_data, "forced-idr", 1, 0);
    // Key frames come from the interval rules alone; the stream's time info follows the nominal rate
    // (frames arrive paced, their time stamps still travel with them).
    avutil.av_opt_set(c->priv_data, "x264-params", "scenecut=0:force-cfr=1", 0);

    int error = functions->avcodec_open2(c, codec, nullptr);
    if (error < 0)
        return fail(QStringLiteral("libx264 refused the settings"), error);

    const QByteArray extradata(reinterpret_cast<const char *>(c->extradata), c->extradata_size);
    if (!H264Bitstream::findParameterSets(extradata, &m_sps, &m_pps))
        return fail(QStringLiteral("libx264 gave no parameter sets"), 0);

    ctx->frame->format = AV_PIX_FMT_YUV420P;
    ctx->frame->width = settings.width;
    ctx->frame->height = settings.height;
    error = avutil.av_frame_get_buffer(ctx->frame, 0);
    if (error < 0)
        return fail(QStringLiteral("no frame buffer"), error);

    m_ctx = std::move(ctx);
    m_error.clear();
    return true;
}

QByteArray H264LiveEncoder::parameterSetHeader() const
{
    return H264Bitstream::parameterSetHeader(m_sps, m_pps);
}

bool H264LiveEncoder::shouldForceKeyFrame(qint64 ptsUs) const
{
    if (m_keyFrameRequested || m_lastKeyPtsUs < 0)
        return true;
    return m_framesSinceKey >= m_keyFrameInterval || ptsUs - m_lastKeyPtsUs >= MaxKeyFrameIntervalUs;
}

bool H264LiveEncoder::encode(const VideoSample &sample, QVector<EncodedFrame> *out)
{
    if (!m_ctx)
        return false;
    if (!sample.isValid()) {
        m_error = QStringLiteral("empty frame");
        return false;
    }
    AVFrame *frame = m_ctx->frame;
    int error = m_ctx->avutil.av_frame_make_writable(frame);
    if (error < 0)
        return fail(QStringLiteral("frame buffer busy"), error);

    m_ctx->scaler = m_ctx->swscale.sws_getCachedContext(m_ctx->scaler, sample.width(), sample.height(),
                                                        AV_PIX_FMT_BGRA, frame->width, frame->height,
                                                        AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr,
                                                        nullptr);
    if (!m_ctx->scaler)
        return fail(QStringLiteral("no scaler for %1 x %2").arg(sample.width()).arg(sample.height()), 0);
    const uint8_t *planes[1] = {sample.constBits()};
    const int strides[1] = {sample.stride()};
    m_ctx->swscale.sws_scale(m_ctx->scaler, planes, strides, 0, sample.height(), frame->data, frame->linesize);

    // The encoder needs rising time stamps; a capture clock that repeats one is nudged.
    qint64 pts = sample.presentationTimeUs();
    if (pts <= m_lastPtsUs)
        pts = m_lastPtsUs + 1;
    m_lastPtsUs = pts;
    frame->pts = pts;

    if (shouldForceKeyFrame(pts)) {
        frame->pict_type = AV_PICTURE_TYPE_I;
        frame->key_frame = 1;
        m_keyFrameRequested = false;
    } else {
        frame->pict_type = AV_PICTURE_TYPE_NONE;
        frame->key_frame = 0;
    }

    error = m_ctx->avcodec.avcodec_send_frame(m_ctx->codec, frame);
    if (error < 0) {
        m_error = QStringLiteral("encoding failed: %1").arg(FfmpegLibrary::errorText(error));
        return false;
    }
    return drain(out);
}

bool H264LiveEncoder::finish(QVector<EncodedFrame> *out)
{
    if (!m_ctx)
        return false;
    const int error = m_ctx->avcodec.avcodec_send_frame(m_ctx->codec, nullptr);
    const bool ok = (error >= 0 || error == AVERROR_EOF) && drain(out);
    close();
    return ok;
}

bool H264LiveEncoder::drain(QVector<EncodedFrame> *out)
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
        EncodedFrame encoded;
        encoded.data = H264Bitstream::toLengthPrefixed(
            QByteArray::fromRawData(reinterpret_cast<const char *>(packet->data), packet->size));
        encoded.keyFrame = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        encoded.presentationTimeUs = packet->pts;
        encoded.decodeTimeUs = packet->dts == AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (encoded.keyFrame) {
            m_lastKeyPtsUs = encoded.presentationTimeUs;
            m_framesSinceKey = 1;
        } else {
            ++m_framesSinceKey;
        }
        m_ctx->avcodec.av_packet_unref(packet);
        if (out && !encoded.data.isEmpty())
            out->append(encoded);
    }
}

void H264LiveEncoder::setFrameRate(int frameRate)
{
    m_settings.frameRate = frameRate;
    m_bitRate = bitRateForFrameRate(frameRate);
    m_keyFrameInterval = keyFrameInterval(frameRate);
    if (!m_ctx)
        return;
    // libavcodec hands a changed rate on to libx264 with the next frame; the key-frame interval is
    // kept by this class, which forces key frames itself.
    m_ctx->codec->bit_rate = m_bitRate;
    m_ctx->codec->rc_max_rate = m_bitRate;
    m_ctx->codec->rc_buffer_size = int(qMin<qint64>(m_bitRate, INT_MAX));
}

} // namespace platform
