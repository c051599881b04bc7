#include "writersamples.h"

#include <QPainter>
#include <QRandomGenerator>

#include <cmath>

namespace WriterSamples {

QImage frameImage(int width, int height, int index)
{
    QImage image(width, height, QImage::Format_ARGB32);
    QRandomGenerator noise(quint32(index) + 1);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const quint32 n = noise.generate() & 0x3f;
            line[x] = 0xff000000u | (((x + index * 4) & 0xff) << 16) | (((y + n) & 0xff) << 8) | (n << 1);
        }
    }
    QPainter painter(&image);
    painter.fillRect((index * 8) % qMax(1, width), height / 3, qMax(2, width / 8), qMax(2, height / 3), Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, width, height / 4), Qt::AlignCenter, QString::number(index));
    return image;
}

platform::VideoSample frame(int width, int height, int index, qint64 timeUs)
{
    return platform::VideoSample(frameImage(width, height, index), timeUs);
}

platform::AudioSample tone(int frames, qint64 firstFrame, qint64 timeUs)
{
    QByteArray pcm(frames * platform::AudioSample::BytesPerFrame, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(pcm.data());
    for (int i = 0; i < frames; ++i) {
        const double t = double(firstFrame + i) / platform::AudioSample::SampleRate;
        out[i] = qint16(std::lround(8000.0 * std::sin(2 * M_PI * 440.0 * t)));
    }
    return platform::AudioSample(pcm, timeUs);
}

} // namespace WriterSamples
