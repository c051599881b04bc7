#include "video/simulated/simulatedframegenerator.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include <cmath>
#include <cstring>

namespace platform {

namespace {

constexpr double PageTiltDegrees = 4.0;
const QColor DeskColour(164, 112, 62);
const QColor GrainColour(128, 82, 42);
const QColor BorderColour(30, 30, 30);
const QColor InkColour(60, 60, 70);

} // namespace

QPolygonF SimulatedFrameGenerator::pageCorners(const QSize &size)
{
    // A portrait page filling most of the height below the pattern band.
    const double band = patternBandHeight(size);
    const double pageHeight = (size.height() - band) * 0.78;
    const double pageWidth = std::min(pageHeight / std::sqrt(2.0), size.width() * 0.8);
    const QPointF centre(size.width() / 2.0, band + (size.height() - band) / 2.0);
    const QRectF page(-pageWidth / 2, -pageHeight / 2, pageWidth, pageHeight);
    QTransform transform;
    transform.translate(centre.x(), centre.y());
    transform.rotate(PageTiltDegrees);
    return transform.map(QPolygonF({page.topLeft(), page.topRight(), page.bottomRight(), page.bottomLeft()}));
}

int SimulatedFrameGenerator::patternOffset(const QSize &size, quint64 frameNumber)
{
    const int block = patternBandHeight(size);
    const int travel = qMax(1, size.width() - block);
    // Four pixels a frame at 1080p, back and forth, so that motion is plain at any rate.
    const quint64 step = quint64(qMax(1, size.width() / 480));
    const quint64 position = (frameNumber * step) % quint64(2 * travel);
    return int(position < quint64(travel) ? position : quint64(2 * travel) - position);
}

void SimulatedFrameGenerator::drawScene(const QSize &size)
{
    m_scene = QImage(size, QImage::Format_RGB32);
    m_scene.fill(DeskColour);
    QPainter painter(&m_scene);
    painter.setRenderHint(QPainter::Antialiasing);

    // Wood grain: long, gently waving darker lines.
    painter.setPen(QPen(GrainColour, qMax(1.0, size.height() / 360.0)));
    for (int line = 0; line < 24; ++line) {
        const double y = size.height() * (line + 0.5) / 24.0;
        QPainterPath grain(QPointF(0, y));
        for (int x = 0; x <= size.width(); x += qMax(4, size.width() / 64))
            grain.lineTo(x, y + std::sin(x / 97.0 + line) * size.height() / 200.0);
        painter.drawPath(grain);
    }

    const QPolygonF corners = pageCorners(size);
    const double border = qMax(2.0, size.height() / 180.0);
    painter.setPen(QPen(BorderColour, border, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::white);
    painter.drawPolygon(corners);

    // Lines of "text" in the page's own frame, so that they tilt with it.
    const QLineF top(corners.at(0), corners.at(1));
    const QLineF side(corners.at(0), corners.at(3));
    painter.save();
    painter.translate(corners.at(0));
    painter.rotate(PageTiltDegrees);
    const double width = top.length();
    const double height = side.length();
    const double margin = width * 0.1;
    const double lineGap = height / 28.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(InkColour);
    painter.drawRect(QRectF(margin, margin, width * 0.5, lineGap * 0.9)); // the heading
    for (int line = 0; line < 20; ++line) {
        const double y = margin + lineGap * (line + 2.5);
        const double length = (width - 2 * margin) * (line % 5 == 4 ? 0.55 : 0.92 - (line * 7 % 10) / 100.0);
        painter.drawRect(QRectF(margin, y, length, lineGap * 0.45));
    }
    painter.restore();
}

void SimulatedFrameGenerator::render(QImage &frame, const QSize &size, quint64 frameNumber)
{
    if (size.isEmpty()) {
        frame = QImage();
        return;
    }
    if (m_scene.size() != size)
        drawScene(size);
    if (frame.size() != size || frame.format() != QImage::Format_RGB32 || !frame.isDetached())
        frame = QImage(size, QImage::Format_RGB32);
    std::memcpy(frame.bits(), m_scene.constBits(), size_t(m_scene.sizeInBytes()));

    QPainter painter(&frame);
    const int band = patternBandHeight(size);
    const int offset = patternOffset(size, frameNumber);
    // A hue that turns with the frame number next to a fixed-colour block that moves.
    painter.fillRect(QRect(0, 0, size.width(), band), QColor::fromHsv(int(frameNumber * 3 % 360), 90, 200));
    painter.fillRect(QRect(offset, 0, band, band), QColor(20, 40, 220));

    QFont font;
    font.setPixelSize(qMax(8, size.height() / 24));
    font.setBold(true);
    painter.setFont(font);
    const QString counter = QStringLiteral("%1").arg(frameNumber, 6, 10, QLatin1Char('0'));
    const QRect box(size.width() / 80, size.height() - font.pixelSize() * 2, font.pixelSize() * 5, font.pixelSize() * 3 / 2);
    painter.fillRect(box, Qt::black);
    painter.setPen(Qt::white);
    painter.drawText(box, Qt::AlignCenter, counter);
}

} // namespace platform
