// Prints, for the simulated camera at 1920x1080 and 30 fps:
//  - the frame routine's CPU time per frame without encoders (image processor, preview into a widget,
//    BGR export), over what the camera itself costs;
//  - the recorder's total CPU time per recorded frame (frame routine, writer, H.264 into a fragmented
//    movie) and that of `ffmpeg -c:v libx264` with the same preset, bit rate and key-frame interval
//    encoding the same frames, and their ratio.
//
//   bench_capture [seconds per phase]      (default 10)

#include "benchcamera.h"

#include "camera/generalcamera.h"
#include "camera/lcgeneralcamera.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "imageprocess/imageprocessor.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"
#include "video/capturedevice.h"
#include "simulated/simulatedframegenerator.h"
#include "media/moviesettings.h"
#include "writer/avfmediaassetwriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;
const char *const Preset = "veryfast";
constexpr int KeyFrameInterval = 10;

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

qint64 bitRate()
{
    return qint64(double(qint64(Width) * Height * 60) * 0.07);
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Phase
{
    double cpu = 0;
    quint64 frames = 0;
    double perFrameMs() const { return frames ? cpu * 1000.0 / double(frames) : 0; }
};

// What the camera costs by itself: frames drawn and delivered, nobody using them.
Phase cameraAlone(GeneralCamera *camera, int ms)
{
    QSharedPointer<platform::CaptureDevice> device = static_cast<LCGeneralCamera *>(camera)->getAVCaptureDevice();
    std::atomic<quint64> frames{0};
    QObject::connect(device.data(), &platform::CaptureDevice::frameCaptured, device.data(),
                     [&frames](const platform::VideoSample &) { ++frames; }, Qt::DirectConnection);
    const double start = cpuSeconds();
    device->startStreaming();
    runFor(ms);
    device->stopStreaming();
    Phase phase{cpuSeconds() - start, frames.load()};
    device->disconnect(device.data());
    return phase;
}

// The session with a preview widget and BGR export on (every paced frame), optionally recording.
Phase session(GeneralCamera *camera, int ms, const QString &moviePath, quint64 *recorded)
{
    QWidget window;
    window.resize(960, 540);
    window.show();
    QorvFrameSource source(camera, QorvCaptureSource::Camera);
    QorvCaptureSession session;
    session.addSource(&source);
    session.setPreviewWidget(&window);
    std::atomic<quint64> frames{0};
    QObject::connect(&session, &QorvCaptureSession::BGRFrameReceived, &session,
                     [&frames](void *, uint32_t, uint16_t, uint16_t) { ++frames; }, Qt::DirectConnection);
    bool ended = false;
    QObject::connect(&session, &QorvCaptureSession::recordingDidEnd, &session, [&ended] { ended = true; });

    const double start = cpuSeconds();
    session.startRunning();
    session.enableBGRFrameExport(true, 2);
    if (!moviePath.isEmpty())
        session.startRecording(moviePath, QRect(0, 0, Width, Height), QorvCaptureSession::PlainRecording, QRect());
    runFor(ms);
    if (!moviePath.isEmpty()) {
        *recorded = session.writer() ? quint64(session.writer()->videoSampleCount()) : 0;
        session.finishRecording();
        QElapsedTimer waited;
        waited.start();
        while (!ended && waited.elapsed() < 60000)
            runFor(20);
    }
    session.stopRunning();
    return Phase{cpuSeconds() - start, frames.load()};
}

// ffmpeg reads the same camera pictures as raw frames from a pipe and reports its own CPU time. The
// colour conversion is the writer's (fast bilinear), so that only the encoding is compared.
double ffmpegCpu(quint64 count, const QString &path)
{
    platform::SimulatedFrameGenerator generator;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-nostats", "-benchmark", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                  QStringLiteral("%1x%2").arg(Width).arg(Height), "-r", QString::number(Rate), "-i", "-",
                  "-c:v", "libx264", "-preset", Preset, "-b:v", QString::number(bitRate()), "-g",
                  QString::number(KeyFrameInterval), "-bf", "0", "-x264-params", platform::MovieSettings().x264Params, "-pix_fmt", "yuv420p", "-sws_flags", "fast_bilinear", "-an", "-f", "mov",
                  "-y", path});
    if (!ffmpeg.waitForStarted(10000))
        return -1;
    QImage frame;
    for (quint64 i = 0; i < count; ++i) {
        generator.render(frame, QSize(Width, Height), i);
        ffmpeg.write(reinterpret_cast<const char *>(frame.constBits()), frame.sizeInBytes());
        while (ffmpeg.bytesToWrite() > 64 * 1024 * 1024)
            ffmpeg.waitForBytesWritten(1000);
    }
    ffmpeg.closeWriteChannel();
    ffmpeg.waitForFinished(-1);
    const QString log = QString::fromUtf8(ffmpeg.readAllStandardError());
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("utime=([0-9.]+)s stime=([0-9.]+)s")).match(log);
    if (!m.hasMatch()) {
        std::fprintf(stderr, "%s\n", qPrintable(log));
        return -1;
    }
    return m.captured(1).toDouble() + m.captured(2).toDouble();
}

// The image processor's steps on one 1080p camera picture, per frame.
double processorMs(float ratio, bool mirror, unsigned short degree)
{
    platform::SimulatedFrameGenerator generator;
    QImage frame;
    generator.render(frame, QSize(Width, Height), 1);
    ImageProcessor processor;
    processor.setZoomAttributes(ratio, QPointF(0.25, 0.25));
    processor.setRotationAttributes(mirror, false, degree);
    constexpr int Rounds = 60;
    const double start = cpuSeconds();
    for (int i = 0; i < Rounds; ++i)
        processor.process(frame);
    return (cpuSeconds() - start) * 1000.0 / Rounds;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    const int seconds = argc > 1 ? qMax(2, QString::fromLocal8Bit(argv[1]).toInt()) : 10;
    const int ms = seconds * 1000;

    GeneralCamera *camera = benchSimulatedCamera(QSize(Width, Height), Rate);
    if (!camera) {
        std::printf("no simulated camera with %dx%d\n", Width, Height);
        return 1;
    }
    QTemporaryDir dir;

    const Phase alone = cameraAlone(camera, ms);
    const double cameraPerFrame = alone.perFrameMs();
    const Phase routine = session(camera, ms, QString(), nullptr);
    quint64 recorded = 0;
    const Phase recording = session(camera, ms, dir.filePath(QStringLiteral("recorder.mov")), &recorded);
    const double bare = ffmpegCpu(recorded, dir.filePath(QStringLiteral("ffmpeg.mov")));

    const double routinePerFrame = routine.perFrameMs() - cameraPerFrame;
    // Everything a recorded frame costs beyond the camera itself: frame routine, preview, writer.
    const double recorderPerFrame = recorded ? (recording.cpu * 1000.0 - cameraPerFrame * double(recording.frames)) / double(recorded) : 0;

    std::printf("simulated camera %dx%d at %d fps, %d s per phase\n", Width, Height, Rate, seconds);
    std::printf("camera alone:                     %.2f ms CPU per frame (%llu frames)\n", cameraPerFrame,
                static_cast<unsigned long long>(alone.frames));
    std::printf("frame routine without encoders:   %.2f ms CPU per frame (%llu frames, preview + BGR export)\n",
                routinePerFrame, static_cast<unsigned long long>(routine.frames));
    std::printf("image processor: zoom 0.5 %.2f ms, mirror %.2f ms, rotation 90 %.2f ms per frame\n",
                processorMs(0.5f, false, 0), processorMs(1.0f, true, 0), processorMs(1.0f, false, 90));
    std::printf("recorder, total:                  %.2f ms CPU per recorded frame (%llu frames, %.2f cores at %d fps)\n",
                recorderPerFrame, static_cast<unsigned long long>(recorded), recorderPerFrame * Rate / 1000.0, Rate);
    if (bare < 0 || recorded == 0) {
        std::printf("ffmpeg -c:v libx264: failed\n");
        return 1;
    }
    const double barePerFrame = bare * 1000.0 / double(recorded);
    std::printf("ffmpeg -c:v libx264 -preset %s -b:v %lld -g %d: %.2f ms CPU per frame\n", Preset,
                static_cast<long long>(bitRate()), KeyFrameInterval, barePerFrame);
    std::printf("ratio recorder / ffmpeg: %.3f\n", recorderPerFrame / barePerFrame);
    std::printf("ratio recorder without frame routine / ffmpeg: %.3f\n",
                (recorderPerFrame - routinePerFrame) / barePerFrame);
    return 0;
}
