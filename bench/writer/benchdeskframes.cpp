#include "benchdeskframes.h"

#include <QPainter>

#include <cmath>

QVector<QImage> benchDeskFrames(const QSize &size, int count)
{
    // Drawn for 1920x1080 and scaled to the size asked for.
    const qreal scale = qreal(size.width()) / 1920;
    QVector<QImage> frames;
    for (int i = 0; i < count; ++i) {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(QColor(120, 90, 60));
        QPainter p(&image);
        p.scale(scale, scale);
        p.setRenderHint(QPainter::Antialiasing);
        p.fillRect(QRect(360, 60, 1200, 960), QColor(245, 245, 240));
        p.setPen(QColor(40, 40, 40));
        QFont font = p.font();
        font.setPixelSize(28);
        p.setFont(font);
        for (int line = 0; line < 24; ++line)
            p.drawText(420, 120 + line * 38,
                       QStringLiteral("Line %1 of the page, frame %2 - lorem ipsum dolor sit amet").arg(line).arg(i));
        p.setBrush(QColor(220, 170, 140));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(600 + 600 * std::sin(i / 20.0), 540 + 300 * std::cos(i / 25.0)), 160, 110);
        frames.append(image);
    }
    return frames;
}
