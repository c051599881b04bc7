#include "livemediasamples.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include <cmath>

namespace {

QVector<QByteArray> splitStartCodes(const uint8_t *data, int size)
{
    QVector<QByteArray> units;
    int pos = 0;
    int start = -1;
    while (pos + 3 <= size) {
        if (data[pos] == 0 && data[pos + 1] == 0 && data[pos + 2] == 1) {
            if (start >= 0) {
                int end = pos;
                while (end > start && data[end - 1] == 0)
                    --end;
                units.append(QByteArray(reinterpret_cast<const char *>(data + start), end - start));
            }
            pos += 3;
            start = pos;
        } else {
            ++pos;
        }
    }
    if (start >= 0 && start < size)
        units.append(QByteArray(reinterpret_cast<const char *>(data + start), size - start));
    return units;
}

QByteArray lengthPrefixed(const QVector<QByteArray> &units)
{
    QByteArray out;
    for (const QByteArray &unit : units) {
        const quint32 n = quint32(unit.size());
        out.append(char(n >> 24)).append(char(n >> 16)).append(char(n >> 8)).append(char(n));
        out.append(unit);
    }
    return out;
}

void drainVideo(AVCodecContext *codec, AVPacket *packet, qint64 baseMs, QVector<LiveMediaSamples::Sample> *out)
{
    while (avcodec_receive_packet(codec, packet) == 0) {
        const QVector<QByteArray> units = splitStartCodes(packet->data, packet->size);
        LiveMediaSamples::Sample frame;
        frame.keyFrame = packet->flags & AV_PKT_FLAG_KEY;
        frame.timestampMs = baseMs + packet->dts * 1000 / 30;
        QVector<QByteArray> slices;
        for (const QByteArray &unit : units) {
            const int type = unit.at(0) & 0x1f;
            if (type != 7 && type != 8 && type != 9)
                slices.append(unit);
        }
        frame.data = lengthPrefixed(slices);
        out->append(frame);
        av_packet_unref(packet);
    }
}

} // namespace

QVector<LiveMediaSamples::Sample> LiveMediaSamples::video(int width, int height, int frames, qint64 baseMs)
{
    QVector<Sample> out;
    const AVCodec *encoder = avcodec_find_encoder_by_name("libx264");
    AVCodecContext *codec = encoder ? avcodec_alloc_context3(encoder) : nullptr;
    if (!codec)
        return out;
    codec->width = width;
    codec->height = height;
    codec->pix_fmt = AV_PIX_FMT_YUV420P;
    codec->time_base = AVRational { 1, 30 };
    codec->framerate = AVRational { 30, 1 };
    codec->gop_size = 30;
    codec->max_b_frames = 0;
    codec->bit_rate = 500000;
    codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER; // SPS and PPS apart, as the platform encoder gives them
    av_opt_set(codec->priv_data, "preset", "ultrafast", 0);
    av_opt_set(codec->priv_data, "tune", "zerolatency", 0);
    av_opt_set(codec->priv_data, "profile", "baseline", 0);
    if (avcodec_open2(codec, encoder, nullptr) < 0) {
        avcodec_free_context(&codec);
        return out;
    }
    QByteArray header;
    for (const QByteArray &unit : splitStartCodes(codec->extradata, codec->extradata_size)) {
        const int type = unit.at(0) & 0x1f;
        if (type == 7 || type == 8)
            header += QByteArray::fromHex("000001") + unit;
    }
    header += QByteArray::fromHex("000001");
    out.append(Sample { header, baseMs, false, true });

    AVFrame *picture = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    picture->format = AV_PIX_FMT_YUV420P;
    picture->width = width;
    picture->height = height;
    av_frame_get_buffer(picture, 0);
    for (int i = 0; i < frames; ++i) {
        av_frame_make_writable(picture);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                picture->data[0][y * picture->linesize[0] + x] = uint8_t(x + y + i * 4);
        }
        for (int y = 0; y < height / 2; ++y) {
            for (int x = 0; x < width / 2; ++x) {
                picture->data[1][y * picture->linesize[1] + x] = uint8_t(128 + i);
                picture->data[2][y * picture->linesize[2] + x] = uint8_t(64 + y);
            }
        }
        picture->pts = i;
        avcodec_send_frame(codec, picture);
        drainVideo(codec, packet, baseMs, &out);
    }
    avcodec_send_frame(codec, nullptr);
    drainVideo(codec, packet, baseMs, &out);
    av_packet_free(&packet);
    av_frame_free(&picture);
    avcodec_free_context(&codec);
    return out;
}

QVector<LiveMediaSamples::Sample> LiveMediaSamples::audio(int packets, qint64 baseMs)
{
    QVector<Sample> out;
    const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    AVCodecContext *codec = encoder ? avcodec_alloc_context3(encoder) : nullptr;
    if (!codec)
        return out;
    codec->sample_rate = 44100;
    codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    codec->bit_rate = 64000;
    av_channel_layout_default(&codec->ch_layout, 1);
    codec->time_base = AVRational { 1, 44100 };
    if (avcodec_open2(codec, encoder, nullptr) < 0) {
        avcodec_free_context(&codec);
        return out;
    }
    AVFrame *frame = av_frame_alloc();
    AVPacket *packet = av_packet_alloc();
    frame->format = AV_SAMPLE_FMT_FLTP;
    frame->nb_samples = codec->frame_size;
    frame->sample_rate = 44100;
    av_channel_layout_default(&frame->ch_layout, 1);
    av_frame_get_buffer(frame, 0);
    auto drain = [&]() {
        while (avcodec_receive_packet(codec, packet) == 0) {
            Sample sample;
            sample.data = QByteArray(reinterpret_cast<const char *>(packet->data), packet->size);
            sample.timestampMs = baseMs + qMax<int64_t>(0, packet->pts) * 1000 / 44100;
            sample.keyFrame = true;
            out.append(sample);
            av_packet_unref(packet);
        }
    };
    // The encoder's priming delay holds back a packet or two: feed until the count is reached.
    for (int i = 0; out.size() < packets && i < packets + 8; ++i) {
        av_frame_make_writable(frame);
        auto *samples = reinterpret_cast<float *>(frame->data[0]);
        for (int s = 0; s < frame->nb_samples; ++s)
            samples[s] = 0.3f * float(std::sin(2.0 * M_PI * 440.0 * (i * frame->nb_samples + s) / 44100.0));
        frame->pts = qint64(i) * frame->nb_samples;
        avcodec_send_frame(codec, frame);
        drain();
    }
    out.resize(qMin(out.size(), packets));
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    return out;
}
