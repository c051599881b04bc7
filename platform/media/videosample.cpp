#include "media/videosample.h"

namespace platform {

static QImage toBgra(const QImage &image)
{
    // RGB32 has the same memory layout with an opaque alpha byte; anything else is converted once here
    // so that every consumer can read the pixels as BGRA.
    switch (image.format()) {
    case QImage::Format_ARGB32:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32_Premultiplied:
        return image;
    default:
        return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
    }
}

VideoSample::VideoSample(const QImage &image, qint64 presentationTimeUs)
    : m_image(toBgra(image))
    , m_presentationTimeUs(presentationTimeUs)
{
}

VideoSample VideoSample::fromBgra(const QByteArray &pixels, int width, int height, int stride,
                                  qint64 presentationTimeUs)
{
    if (width <= 0 || height <= 0 || stride < width * 4 || pixels.size() < qint64(stride) * height)
        return VideoSample();
    auto *kept = new QByteArray(pixels);
    const QImage image(reinterpret_cast<const uchar *>(kept->constData()), width, height, stride,
                       QImage::Format_ARGB32, [](void *buffer) { delete static_cast<QByteArray *>(buffer); },
                       kept);
    return VideoSample(image, presentationTimeUs);
}

VideoSample VideoSample::withPresentationTime(qint64 presentationTimeUs) const
{
    VideoSample copy(*this);
    copy.m_presentationTimeUs = presentationTimeUs;
    return copy;
}

} // namespace platform
