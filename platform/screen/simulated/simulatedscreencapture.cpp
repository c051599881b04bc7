#include "screen/simulated/simulatedscreencapture.h"

#include <QFont>
#include <QPainter>

#include <cstring>

namespace platform {

SimulatedScreenCapture::SimulatedScreenCapture(QObject *parent) : ScreenCapture(parent) {}

SimulatedScreenCapture::~SimulatedScreenCapture()
{
    stopSampling();
}

QRect SimulatedScreenCapture::primaryScreenGeometry() const
{
    return QRect(0, 0, m_width, m_height);
}

void SimulatedScreenCapture::setGeometry(const QRect &geometry)
{
    m_width = geometry.width();
    m_height = geometry.height();
}

void SimulatedScreenCapture::drawBackground(const QSize &size)
{
    m_background = QImage(size, QImage::Format_RGB32);
    m_background.fill(QColor(40, 44, 52));
    QPainter painter(&m_background);
    const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int barWidth = size.width() / 7;
    for (int bar = 0; bar < 7; ++bar)
        painter.fillRect(QRect(bar * barWidth, 0, barWidth, size.height() / 3), bars[bar]);
    painter.setPen(QColor(90, 96, 110));
    for (int x = 0; x < size.width(); x += 64)
        painter.drawLine(x, size.height() / 3, x, size.height());
    for (int y = size.height() / 3; y < size.height(); y += 64)
        painter.drawLine(0, y, size.width(), y);
}

bool SimulatedScreenCapture::grabInto(QImage &frame)
{
    const QSize size(m_width, m_height);
    if (m_failing || size.isEmpty())
        return false;
    if (m_background.size() != size)
        drawBackground(size);
    if (frame.size() != size || frame.format() != QImage::Format_RGB32 || !frame.isDetached())
        frame = QImage(size, QImage::Format_RGB32);
    std::memcpy(frame.bits(), m_background.constBits(), size_t(m_background.sizeInBytes()));

    const quint64 grab = m_grabs++;
    const int block = qMax(8, size.height() / 12);
    const int travel = qMax(1, size.width() - block);
    const int x = int(grab * 8 % quint64(travel));
    QPainter painter(&frame);
    painter.fillRect(QRect(x, size.height() / 2, block, block), QColor(250, 140, 20));
    QFont font;
    font.setPixelSize(qMax(8, size.height() / 20));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, size.height() - font.pixelSize() * 2, size.width(), font.pixelSize() * 2),
                     Qt::AlignCenter, QStringLiteral("Simulated desktop %1").arg(grab, 6, 10, QLatin1Char('0')));
    return true;
}

} // namespace platform
