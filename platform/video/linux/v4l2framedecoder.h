#pragma once

#include "media/ffmpeglibrary.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace platform {

// Turns the payload of one V4L2 buffer into BGRA pixels of a chosen size: MJPEG through libavcodec,
// the raw YUV layouts and BGRA through libswscale, which also scales. Its contexts and output images
// are kept from frame to frame, so that a steady stream allocates nothing.
class V4l2FrameDecoder
{
public:
    V4l2FrameDecoder();
    ~V4l2FrameDecoder();
    V4l2FrameDecoder(const V4l2FrameDecoder &) = delete;
    V4l2FrameDecoder &operator=(const V4l2FrameDecoder &) = delete;

    static bool supports(quint32 pixelFormat);

    // The layout of the buffers to come; false for a pixel format it cannot decode, or when the
    // libraries that decode it cannot be loaded (errorString() then gives the loader's message).
    bool configure(quint32 pixelFormat, int width, int height, int bytesPerLine);
    QString errorString() const { return m_error; }

    // One buffer's payload as a BGRA image of `outputSize` (the buffer's own size when empty). The
    // image is null when the payload is damaged or short; the stream goes on with the next one.
    // The returned image's pixels stay untouched by later calls while a copy of it lives.
    QImage decode(const uchar *data, int length, const QSize &outputSize);

private:
    bool loadFfmpeg(bool jpeg);
    bool openJpegDecoder();
    bool decodeJpeg(const uchar *data, int length);
    QImage convert(const uchar *const planes[4], const int strides[4], int sourceFormat, const QSize &size);
    QImage &freeOutput(const QSize &size);
    void releaseCodec();

    quint32 m_pixelFormat = 0;
    int m_width = 0;
    int m_height = 0;
    int m_bytesPerLine = 0;

    // libavutil and libswscale, loaded for the first stream, and libavcodec for the first of MJPEG.
    const FfmpegLibrary::Util *m_avutil = nullptr;
    const FfmpegLibrary::Scale *m_swscale = nullptr;
    const FfmpegLibrary::Codec *m_avcodec = nullptr;
    QString m_error;
    AVCodecContext *m_codec = nullptr;
    AVFrame *m_frame = nullptr;
    AVPacket *m_packet = nullptr;
    SwsContext *m_scaler = nullptr;
    QImage m_outputs[3];
    QImage m_spare;
};

} // namespace platform
