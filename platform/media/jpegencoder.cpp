#include "media/jpegencoder.h"

#include <QBuffer>
#include <QImageWriter>

#include <cmath>

namespace platform {

bool JpegEncoder::encode(const VideoSample &frame, double quality, QByteArray *out)
{
    return encode(frame.image(), quality, out);
}

bool JpegEncoder::encode(const QImage &image, double quality, QByteArray *out)
{
    if (image.isNull() || !out)
        return false;
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(int(std::lround(qBound(0.0, quality, 1.0) * 100)));
    // JPEG has no alpha: an opaque copy keeps the encoder from guessing what transparency means.
    const QImage opaque = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_RGB32) : image;
    if (!writer.write(opaque))
        return false;
    *out = data;
    return true;
}

} // namespace platform
