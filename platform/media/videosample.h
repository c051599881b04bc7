#pragma once

#include <QImage>
#include <QtGlobal>

namespace platform {

// One video frame as the capture pipeline hands it on: 32-bit BGRA pixels (QImage::Format_ARGB32 on a
// little-endian machine, B G R A in memory) and its presentation time in microseconds of the monotonic
// media clock. Copies share the pixels (QImage's implicit sharing), so passing a sample between queues
// costs no pixel copy.
class VideoSample
{
public:
    VideoSample() = default;
    VideoSample(const QImage &image, qint64 presentationTimeUs);
    // Wraps decoded BGRA pixels without copying them; the sample keeps the buffer alive. An invalid
    // sample when the buffer is shorter than stride x height.
    static VideoSample fromBgra(const QByteArray &pixels, int width, int height, int stride,
                                qint64 presentationTimeUs);

    bool isValid() const { return !m_image.isNull(); }
    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    int stride() const { return int(m_image.bytesPerLine()); }
    const uchar *constBits() const { return m_image.constBits(); }
    const QImage &image() const { return m_image; }

    qint64 presentationTimeUs() const { return m_presentationTimeUs; }
    // A copy carrying another time stamp; the pixels stay shared.
    VideoSample withPresentationTime(qint64 presentationTimeUs) const;

private:
    QImage m_image;
    qint64 m_presentationTimeUs = 0;
};

} // namespace platform
