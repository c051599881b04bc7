#include "screen/shooter/simulated/simulatedscreenshooter.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include <atomic>

namespace platform {

namespace {

std::atomic<bool> failing{false};

QPoint screenOrigin()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().topLeft() * screen->devicePixelRatio() : QPoint();
}

} // namespace

SimulatedScreenShooter::SimulatedScreenShooter() = default;

SimulatedScreenShooter::~SimulatedScreenShooter() = default;

void SimulatedScreenShooter::setFailing(bool on)
{
    failing = on;
}

QVector<QRect> SimulatedScreenShooter::simulatedWindows()
{
    return {QRect(80, 60, 640, 400), QRect(400, 300, 480, 320)};
}

QImage SimulatedScreenShooter::grabArea(const QRect &area)
{
    if (failing || area.isEmpty())
        return QImage();
    QImage image(area.size(), QImage::Format_RGB32);
    image.fill(QColor(36, 40, 48));
    QPainter painter(&image);
    const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int barWidth = std::max(1, area.width() / 7);
    for (int bar = 0; bar < 7; ++bar)
        painter.fillRect(QRect(bar * barWidth, 0, barWidth, area.height() / 4), bars[bar]);
    const QColor windowColours[] = {QColor(70, 110, 170), QColor(170, 120, 60)};
    const QVector<QRect> windows = simulatedWindows();
    for (int i = 0; i < windows.size(); ++i) {
        painter.fillRect(windows.at(i), windowColours[i % 2]);
        painter.fillRect(QRect(windows.at(i).topLeft(), QSize(windows.at(i).width(), 24)), QColor(30, 30, 30));
    }
    return image;
}

QVector<QRect> SimulatedScreenShooter::windowFrames()
{
    QVector<QRect> frames;
    for (const QRect &window : simulatedWindows())
        frames.append(window.translated(screenOrigin()));
    return frames;
}

} // namespace platform
