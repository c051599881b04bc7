// Cost per frame of the capture paths at 1920 x 1080: decoding a camera's MJPEG and YUYV buffers to
// BGRA, drawing a simulated camera frame, and grabbing the screen (shared memory, plain GetImage and
// Qt's own grab). Run it under X (or xvfb-run) for the screen figures.

#include "screen/x11/x11screencapture.h"
#include "video/linux/v4l2framedecoder.h"
#include "simulated/simulatedframegenerator.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <linux/videodev2.h>

#include <cstdio>
#include <ctime>
#include <functional>

namespace {

double cpuMs()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1000.0 + now.tv_nsec / 1e6;
}

void measure(const char *name, int rounds, const std::function<bool()> &step)
{
    step(); // warm up: first-use allocations and tables
    QElapsedTimer wall;
    wall.start();
    const double cpuStart = cpuMs();
    int failures = 0;
    for (int round = 0; round < rounds; ++round)
        failures += step() ? 0 : 1;
    const double cpu = (cpuMs() - cpuStart) / rounds;
    const double elapsed = double(wall.nsecsElapsed()) / 1e6 / rounds;
    std::printf("%-34s %7.2f ms wall %7.2f ms cpu per frame (%.0f fps possible)%s\n", name, elapsed, cpu,
                1000.0 / elapsed, failures ? "  FAILED" : "");
}

QImage cameraPicture(const QSize &size)
{
    platform::SimulatedFrameGenerator generator;
    QImage frame;
    generator.render(frame, size, 42);
    return frame;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication application(argc, argv);
    const QSize size(1920, 1080);
    const QImage picture = cameraPicture(size);

    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 85);
    std::printf("MJPEG frame: %d bytes\n", int(jpeg.size()));

    platform::V4l2FrameDecoder jpegDecoder;
    jpegDecoder.configure(V4L2_PIX_FMT_MJPEG, size.width(), size.height(), 0);
    QImage held;
    measure("MJPEG 1080p -> BGRA", 100, [&] {
        held = jpegDecoder.decode(reinterpret_cast<const uchar *>(jpeg.constData()), jpeg.size(), QSize());
        return !held.isNull();
    });
    measure("MJPEG 1080p -> BGRA 1280x720", 100, [&] {
        held = jpegDecoder.decode(reinterpret_cast<const uchar *>(jpeg.constData()), jpeg.size(), QSize(1280, 720));
        return !held.isNull();
    });

    QByteArray yuyv(size.width() * size.height() * 2, '\x80');
    platform::V4l2FrameDecoder yuyvDecoder;
    yuyvDecoder.configure(V4L2_PIX_FMT_YUYV, size.width(), size.height(), size.width() * 2);
    measure("YUYV 1080p -> BGRA", 100, [&] {
        held = yuyvDecoder.decode(reinterpret_cast<const uchar *>(yuyv.constData()), yuyv.size(), QSize());
        return !held.isNull();
    });

    platform::SimulatedFrameGenerator generator;
    QImage frame;
    quint64 number = 0;
    measure("simulated camera frame 1080p", 100, [&] {
        generator.render(frame, size, number++);
        return !frame.isNull();
    });

    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::printf("screen: not on X11 (%s), skipped\n", qPrintable(QGuiApplication::platformName()));
        return 0;
    }
    platform::X11ScreenCapture screen;
    const QRect geometry = screen.primaryScreenGeometry();
    std::printf("screen: %dx%d\n", geometry.width(), geometry.height());
    QImage grabbed;
    measure("screen grab, shared memory", 60, [&] {
        grabbed = screen.grabImage();
        return screen.grabMethod() == "xshm" && !grabbed.isNull();
    });
    screen.setSharedMemoryAllowed(false);
    measure("screen grab, plain GetImage", 60, [&] {
        grabbed = screen.grabImage();
        return !grabbed.isNull();
    });
    QScreen *primary = QGuiApplication::primaryScreen();
    measure("screen grab, QScreen::grabWindow", 60, [&] {
        grabbed = primary->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        return !grabbed.isNull();
    });
    return 0;
}
