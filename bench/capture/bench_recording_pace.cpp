// Prints, for the simulated camera at 1920x1080 and 30 fps:
//  - the recorded frames per second of a movie recorded 3 s, paused 2 s and recorded 12 s more: each
//    second before the pause and each of the 12 s after the resume (read back with ffprobe);
//  - how long a start right after finishRecording is refused: the recording is finished and started
//    again at once, five times; each time the start is retried every 5 ms until it records.
//
//   bench_recording_pace

#include "benchcamera.h"

#include "camera/generalcamera.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Presentation times of the movie's video packets, in seconds.
QVector<double> videoTimes(const QString &path)
{
    QProcess ffprobe;
    ffprobe.start(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v", "-show_entries",
                                              "packet=pts_time", "-of", "json", path});
    ffprobe.waitForFinished(120000);
    QVector<double> times;
    const QJsonArray packets =
        QJsonDocument::fromJson(ffprobe.readAllStandardOutput()).object().value(QStringLiteral("packets")).toArray();
    for (const QJsonValue &packet : packets)
        times.append(packet.toObject().value(QStringLiteral("pts_time")).toString().toDouble());
    return times;
}

bool waitFor(const int &count, int wanted, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (count < wanted && timer.elapsed() < ms)
        runFor(20);
    return count >= wanted;
}

QString perSecond(const QVector<double> &times, double from, int seconds)
{
    QStringList counts;
    for (int s = 0; s < seconds; ++s) {
        const double begin = from + s;
        counts.append(QString::number(std::count_if(times.begin(), times.end(),
                                                    [begin](double t) { return t >= begin && t < begin + 1; })));
    }
    return counts.join(QLatin1Char(' '));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qorv.*.debug=false\nqorv.*.info=false"));
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    GeneralCamera *camera = benchSimulatedCamera(QSize(Width, Height), Rate);
    if (!camera) {
        std::printf("no simulated camera with %dx%d\n", Width, Height);
        return 1;
    }
    QTemporaryDir dir;
    QorvFrameSource source(camera, QorvCaptureSource::Camera);
    QorvCaptureSession session;
    session.addSource(&source);
    int ended = 0;
    QObject::connect(&session, &QorvCaptureSession::recordingDidEnd, &session, [&ended] { ++ended; });
    QStringList cameraRates; // what the camera delivers, measured over every 60 frames
    QObject::connect(&session, &QorvCaptureSession::displayedFPSReceived, &session,
                     [&cameraRates](qint32 fps) { cameraRates.append(QString::number(fps)); }, Qt::QueuedConnection);
    if (session.startRunning() != 0) {
        std::printf("the simulated camera does not start\n");
        return 1;
    }
    runFor(1000);

    const QRect rect(0, 0, Width, Height);
    const QString paused = dir.filePath(QStringLiteral("paused.mov"));
    session.startRecording(paused, rect, QorvCaptureSession::PlainRecording, QRect());
    runFor(3000);
    session.pauseRecording(true);
    runFor(2000);
    session.pauseRecording(false);
    runFor(12500); // twelve whole seconds of movie after the resume
    session.finishRecording();
    if (!waitFor(ended, 1, 60000)) {
        std::printf("the paused recording did not end\n");
        return 1;
    }
    const QVector<double> times = videoTimes(paused);
    if (times.isEmpty()) {
        std::printf("no frame in the paused recording\n");
        return 1;
    }
    const double start = times.first();
    std::printf("simulated camera %dx%d at %d fps\n", Width, Height, Rate);
    std::printf("recorded frames per second, 3 s before the pause:  %s\n", qPrintable(perSecond(times, start, 3)));
    std::printf("recorded frames per second, 12 s after the resume: %s\n",
                qPrintable(perSecond(times, start + 3.0, 12)));
    std::printf("camera's measured rate meanwhile: %s\n", qPrintable(cameraRates.join(QLatin1Char(' '))));

    std::printf("start right after finishRecording, refused (ms until the start that records, refusals):");
    int recorded = 1;
    double worst = 0;
    for (int round = 0; round < 5; ++round) {
        const QString first = dir.filePath(QStringLiteral("first-%1.mov").arg(round));
        const QString second = dir.filePath(QStringLiteral("second-%1.mov").arg(round));
        session.startRecording(first, rect, QorvCaptureSession::PlainRecording, QRect());
        runFor(2000);
        session.finishRecording();
        QElapsedTimer refused;
        refused.start();
        double ms = 0;
        int refusals = 0;
        for (;;) {
            // The time to the call that records, not the call itself (it opens the encoder).
            ms = double(refused.nsecsElapsed()) / 1e6;
            if (session.startRecording(second, rect, QorvCaptureSession::PlainRecording, QRect()) == 0
                || refused.elapsed() > 10000)
                break;
            ++refusals;
            runFor(5);
        }
        worst = std::max(worst, ms);
        std::printf(" %.0f (%d)", ms, refusals);
        std::fflush(stdout);
        runFor(1000);
        session.finishRecording();
        recorded += 2;
        waitFor(ended, recorded, 60000);
    }
    std::printf("; worst %.0f ms\n", worst);
    session.stopRunning();
    return 0;
}
