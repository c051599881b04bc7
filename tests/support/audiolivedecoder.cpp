#include "audiolivedecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

struct LiveStreamDecoder::Context {
    AVCodecContext *codec = nullptr;
    AVPacket *packet = nullptr;
    AVFrame *frame = nullptr;

    ~Context()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&codec);
    }
};

LiveStreamDecoder::LiveStreamDecoder()
    : m_ctx(std::make_unique<Context>())
{
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    m_ctx->codec = avcodec_alloc_context3(codec);
    m_ctx->packet = av_packet_alloc();
    m_ctx->frame = av_frame_alloc();
    if (avcodec_open2(m_ctx->codec, codec, nullptr) < 0)
        m_error = "no H.264 decoder";
}

LiveStreamDecoder::~LiveStreamDecoder() = default;

QByteArray LiveStreamDecoder::toAnnexB(const QByteArray &lengthPrefixed)
{
    QByteArray out;
    int pos = 0;
    while (pos + 4 <= lengthPrefixed.size()) {
        const auto *p = reinterpret_cast<const uchar *>(lengthPrefixed.constData() + pos);
        const int size = int((quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | p[3]);
        pos += 4;
        if (size <= 0 || size > lengthPrefixed.size() - pos)
            return QByteArray(); // not length-prefixed
        out.append("\x00\x00\x00\x01", 4).append(lengthPrefixed.mid(pos, size));
        pos += size;
    }
    return pos == lengthPrefixed.size() ? out : QByteArray();
}

bool LiveStreamDecoder::feedHeader(const QByteArray &header)
{
    // A start code with nothing behind it ends the header; libavcodec takes it as a broken unit.
    QByteArray units = header;
    if (units.endsWith(QByteArray("\x00\x00\x01", 3)))
        units.chop(3);
    // Parameter sets alone make no frame, which libavcodec reports as an error: they go in front
    // of the next frame, as a player's demuxer hands them over.
    m_pendingHeader = units;
    return !units.isEmpty();
}

bool LiveStreamDecoder::feedFrame(const QByteArray &lengthPrefixed)
{
    const QByteArray annexB = toAnnexB(lengthPrefixed);
    if (annexB.isEmpty()) {
        m_error = "frame is not length-prefixed";
        return false;
    }
    const QByteArray data = m_pendingHeader + annexB;
    m_pendingHeader.clear();
    return send(data);
}

bool LiveStreamDecoder::send(const QByteArray &annexB)
{
    AVPacket *packet = m_ctx->packet;
    if (av_new_packet(packet, int(annexB.size())) < 0)
        return false;
    memcpy(packet->data, annexB.constData(), size_t(annexB.size()));
    const int error = avcodec_send_packet(m_ctx->codec, packet);
    av_packet_unref(packet);
    if (error < 0) {
        m_error = "decoder refused the data: " + QByteArray::number(error);
        return false;
    }
    while (avcodec_receive_frame(m_ctx->codec, m_ctx->frame) == 0) {
        ++m_decoded;
        av_frame_unref(m_ctx->frame);
    }
    return true;
}

bool LiveStreamDecoder::finish()
{
    avcodec_send_packet(m_ctx->codec, nullptr);
    while (avcodec_receive_frame(m_ctx->codec, m_ctx->frame) == 0) {
        ++m_decoded;
        av_frame_unref(m_ctx->frame);
    }
    return true;
}

int LiveStreamDecoder::width() const { return m_ctx->codec->width; }
int LiveStreamDecoder::height() const { return m_ctx->codec->height; }
int LiveStreamDecoder::profile() const { return m_ctx->codec->profile; }
int LiveStreamDecoder::level() const { return m_ctx->codec->level; }

double LiveStreamDecoder::frameRate() const
{
    const AVRational rate = m_ctx->codec->framerate;
    return rate.num > 0 && rate.den > 0 ? double(rate.num) / rate.den : 0.0;
}
