#include "video/linux/v4l2framedecoder.h"

#include <linux/videodev2.h>

#include <cstring>

namespace platform {

namespace {

AVPixelFormat rawFormatFor(quint32 pixelFormat)
{
    switch (pixelFormat) {
    case V4L2_PIX_FMT_YUYV:
        return AV_PIX_FMT_YUYV422;
    case V4L2_PIX_FMT_UYVY:
        return AV_PIX_FMT_UYVY422;
    case V4L2_PIX_FMT_NV12:
        return AV_PIX_FMT_NV12;
    case V4L2_PIX_FMT_ABGR32:
        return AV_PIX_FMT_BGRA;
    case V4L2_PIX_FMT_XBGR32:
    case V4L2_PIX_FMT_BGR32:
        return AV_PIX_FMT_BGR0;
    default:
        return AV_PIX_FMT_NONE;
    }
}

bool isJpeg(quint32 pixelFormat)
{
    return pixelFormat == V4L2_PIX_FMT_MJPEG || pixelFormat == V4L2_PIX_FMT_JPEG;
}

// The JPEG decoder reports full-range YUV under formats of their own, which the scaler only takes as
// the plain formats with the range set apart.
AVPixelFormat withoutFullRange(int format, bool *fullRange)
{
    *fullRange = true;
    switch (format) {
    case AV_PIX_FMT_YUVJ420P:
        return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
        return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
        return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
        return AV_PIX_FMT_YUV440P;
    default:
        *fullRange = false;
        return AVPixelFormat(format);
    }
}

} // namespace

V4l2FrameDecoder::V4l2FrameDecoder() = default;

V4l2FrameDecoder::~V4l2FrameDecoder()
{
    releaseCodec();
    if (m_swscale)
        m_swscale->sws_freeContext(m_scaler);
}

bool V4l2FrameDecoder::supports(quint32 pixelFormat)
{
    return isJpeg(pixelFormat) || rawFormatFor(pixelFormat) != AV_PIX_FMT_NONE;
}

bool V4l2FrameDecoder::configure(quint32 pixelFormat, int width, int height, int bytesPerLine)
{
    m_error.clear();
    if (!supports(pixelFormat) || width <= 0 || height <= 0) {
        m_error = QStringLiteral("cannot decode this format or size");
        return false;
    }
    releaseCodec();
    // Until a configuration succeeds, nothing is decoded.
    m_width = 0;
    // The stream is refused as for a decoder that cannot open.
    if (!loadFfmpeg(isJpeg(pixelFormat)) || (isJpeg(pixelFormat) && !openJpegDecoder()))
        return false;
    m_pixelFormat = pixelFormat;
    m_width = width;
    m_height = height;
    m_bytesPerLine = bytesPerLine;
    return true;
}

bool V4l2FrameDecoder::loadFfmpeg(bool jpeg)
{
    m_avutil = FfmpegLibrary::util(&m_error);
    m_swscale = m_avutil ? FfmpegLibrary::scale(&m_error) : nullptr;
    if (m_swscale && jpeg)
        m_avcodec = FfmpegLibrary::codec(&m_error);
    return m_swscale && (!jpeg || m_avcodec);
}

bool V4l2FrameDecoder::openJpegDecoder()
{
    const AVCodec *codec = m_avcodec->avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (!codec) {
        m_error = QStringLiteral("libavcodec has no MJPEG decoder");
        return false;
    }
    m_codec = m_avcodec->avcodec_alloc_context3(codec);
    m_frame = m_avutil->av_frame_alloc();
    m_packet = m_avcodec->av_packet_alloc();
    if (!m_codec || !m_frame || !m_packet || m_avcodec->avcodec_open2(m_codec, codec, nullptr) < 0) {
        m_error = QStringLiteral("the MJPEG decoder does not open");
        releaseCodec();
        return false;
    }
    return true;
}

void V4l2FrameDecoder::releaseCodec()
{
    if (!m_avcodec)
        return;
    m_avcodec->avcodec_free_context(&m_codec);
    m_avutil->av_frame_free(&m_frame);
    m_avcodec->av_packet_free(&m_packet);
}

QImage V4l2FrameDecoder::decode(const uchar *data, int length, const QSize &outputSize)
{
    const QSize size = outputSize.isEmpty() ? QSize(m_width, m_height) : outputSize;
    if (!data || length <= 0 || m_width <= 0)
        return QImage();
    if (isJpeg(m_pixelFormat)) {
        if (!decodeJpeg(data, length))
            return QImage();
        const uchar *planes[4] = {m_frame->data[0], m_frame->data[1], m_frame->data[2], m_frame->data[3]};
        return convert(planes, m_frame->linesize, m_frame->format, size);
    }

    const AVPixelFormat format = rawFormatFor(m_pixelFormat);
    const int lumaBytes = m_bytesPerLine * m_height;
    // A short buffer (a frame the driver cut off) would make the scaler read past its end.
    const int needed = format == AV_PIX_FMT_NV12 ? lumaBytes + lumaBytes / 2 : lumaBytes;
    if (m_bytesPerLine <= 0 || length < needed)
        return QImage();
    const uchar *planes[4] = {data, format == AV_PIX_FMT_NV12 ? data + lumaBytes : nullptr, nullptr, nullptr};
    const int strides[4] = {m_bytesPerLine, format == AV_PIX_FMT_NV12 ? m_bytesPerLine : 0, 0, 0};
    return convert(planes, strides, format, size);
}

bool V4l2FrameDecoder::decodeJpeg(const uchar *data, int length)
{
    if (!m_codec)
        return false;
    // The decoder reads a little past the end of its input; a driver buffer may end right there.
    if (m_avcodec->av_new_packet(m_packet, length) < 0)
        return false;
    std::memcpy(m_packet->data, data, size_t(length));
    const bool sent = m_avcodec->avcodec_send_packet(m_codec, m_packet) >= 0;
    m_avcodec->av_packet_unref(m_packet);
    if (!sent)
        return false;
    if (m_avcodec->avcodec_receive_frame(m_codec, m_frame) < 0)
        return false;
    // A damaged frame can decode to another size than the stream's; it is dropped rather than scaled.
    return m_frame->width == m_width && m_frame->height == m_height;
}

QImage V4l2FrameDecoder::convert(const uchar *const planes[4], const int strides[4], int sourceFormat,
                                 const QSize &size)
{
    bool fullRange = false;
    const AVPixelFormat format = withoutFullRange(sourceFormat, &fullRange);
    m_scaler = m_swscale->sws_getCachedContext(m_scaler, m_width, m_height, format, size.width(), size.height(),
                                               AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!m_scaler)
        return QImage();
    const int *table = m_swscale->sws_getCoefficients(SWS_CS_DEFAULT);
    m_swscale->sws_setColorspaceDetails(m_scaler, table, fullRange ? 1 : 0, table, 1, 0, 1 << 16, 1 << 16);

    QImage &output = freeOutput(size);
    if (output.isNull())
        return QImage();
    uchar *target[4] = {output.bits(), nullptr, nullptr, nullptr};
    const int targetStrides[4] = {int(output.bytesPerLine()), 0, 0, 0};
    if (m_swscale->sws_scale(m_scaler, planes, strides, 0, m_height, target, targetStrides) <= 0)
        return QImage();
    return output;
}

QImage &V4l2FrameDecoder::freeOutput(const QSize &size)
{
    // An image is free again once every sample made from it is gone; reusing it spares the
    // allocation and the page faults of a fresh 8 MB buffer at every frame.
    for (QImage &image : m_outputs) {
        if (image.size() == size && image.isDetached())
            return image;
    }
    for (QImage &image : m_outputs) {
        if (image.isNull() || image.isDetached()) {
            image = QImage(size, QImage::Format_RGB32);
            return image;
        }
    }
    m_spare = QImage(size, QImage::Format_RGB32);
    return m_spare;
}

} // namespace platform
