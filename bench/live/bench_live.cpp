// Prints the CPU time per frame of the live H.264 export at 1920x1080, 30 fps (alone, and as the extra
// cost beside a recording of the same frames), that of `ffmpeg -c:v libx264` with the export's own
// settings (Baseline, CAVLC, zero latency, same bit rate, rate buffer and key-frame interval) on the
// same frames,
// and their ratio.
//
//   bench_live [frames]      (default 300, ten seconds)

#include "benchdeskframes.h"
#include "encoding/h264liveencoder.h"
#include "live/qorvliveexport.h"
#include "media/audiosample.h"
#include "media/mediaclock.h"
#include "media/videosample.h"
#include "writer/avfmediaassetwriter.h"

#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <ctime>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;

class StepClock : public platform::MediaClock
{
public:
    qint64 nowUs() const override { return m_now; }
    void advance(qint64 us) { m_now += us; }

private:
    qint64 m_now = 1000000;
};

double cpuSeconds()
{
    return double(std::clock()) / CLOCKS_PER_SEC;
}

// Feeds the export as the frame source does: every frame at once, the encoder queue keeping up or
// frames waiting (never dropped here, so every run encodes the same frames).
void feedExport(QorvLiveExport &live, const QVector<QImage> &frames, int count)
{
    for (int i = 0; i < count; ++i) {
        while (live.framesInEncoder() >= QorvLiveExport::MaxFramesInEncoder)
            QThread::usleep(200);
        live.submitFrame(platform::VideoSample(frames.at(i % frames.size()), 1000000 + qint64(i) * 1000000 / Rate));
    }
    live.waitForEncoder();
}

double liveCpu(const QVector<QImage> &frames, int count, std::atomic<qint64> *bytes)
{
    QorvLiveExport live;
    live.setVideoOutput([bytes](char *, int len, qint64) { *bytes += len; });
    const double start = cpuSeconds();
    live.enable(Width, Height, Rate);
    feedExport(live, frames, count);
    live.disable();
    return cpuSeconds() - start;
}

double recordingCpu(const QVector<QImage> &frames, int count, const QString &path, bool withLive)
{
    StepClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, Width, Height), 1, QRect(), path, false);
    QorvLiveExport live;
    live.setVideoOutput([](char *, int, qint64) {});
    const int chunk = platform::AudioSample::SampleRate / Rate;
    const QByteArray silence(chunk * platform::AudioSample::BytesPerFrame, '\0');

    const double start = cpuSeconds();
    if (withLive)
        live.enable(Width, Height, Rate);
    writer.start();
    for (int i = 0; i < count; ++i) {
        clock.advance(1000000 / Rate);
        const platform::VideoSample frame(frames.at(i % frames.size()), clock.nowUs());
        if (withLive) {
            while (live.framesInEncoder() >= QorvLiveExport::MaxFramesInEncoder)
                QThread::usleep(200);
            live.submitFrame(frame);
        }
        writer.writeVideoSampleBuffer(frame);
        writer.writeAudioSampleBuffer(platform::AudioSample(silence, clock.nowUs()));
    }
    live.waitForEncoder();
    live.disable();
    writer.stop();
    writer.waitForFinished();
    return cpuSeconds() - start;
}

// ffmpeg reads the raw frames from a pipe and reports its own CPU time with -benchmark.
double ffmpegCpu(const QVector<QImage> &frames, int count)
{
    const int interval = platform::H264LiveEncoder::keyFrameInterval(Rate);
    const qint64 bitRate = platform::H264LiveEncoder::initialBitRate(Width, Height);
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::SeparateChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-nostats", "-benchmark", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                  QStringLiteral("%1x%2").arg(Width).arg(Height), "-r", QString::number(Rate), "-i", "-",
                  "-c:v", "libx264", "-preset", "veryfast", "-tune", "zerolatency", "-profile:v", "baseline",
                  "-coder", "cavlc", "-b:v", QString::number(bitRate), "-maxrate", QString::number(bitRate),
                  "-bufsize", QString::number(bitRate),
                  "-g", QString::number(interval), "-bf", "0", "-forced-idr", "1", "-x264-params",
                  "scenecut=0:force-cfr=1", "-pix_fmt", "yuv420p", "-sws_flags", "bilinear", "-an", "-f", "null",
                  "-"});
    if (!ffmpeg.waitForStarted(10000))
        return -1;
    for (int i = 0; i < count; ++i) {
        const QImage &image = frames.at(i % frames.size());
        ffmpeg.write(reinterpret_cast<const char *>(image.constBits()), image.sizeInBytes());
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

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const int count = argc > 1 ? qMax(1, QString::fromLocal8Bit(argv[1]).toInt()) : 300;
    QTemporaryDir dir;
    std::printf("making %d frames of %dx%d...\n", 60, Width, Height);
    const QVector<QImage> frames = benchDeskFrames(QSize(Width, Height), 60);

    std::atomic<qint64> bytes{0};
    const double live = liveCpu(frames, count, &bytes);
    const double recording = recordingCpu(frames, count, dir.filePath(QStringLiteral("alone.mov")), false);
    const double both = recordingCpu(frames, count, dir.filePath(QStringLiteral("both.mov")), true);
    const double ffmpeg = ffmpegCpu(frames, count);
    if (ffmpeg <= 0) {
        std::fprintf(stderr, "ffmpeg did not run\n");
        return 1;
    }
    const double perFrame = 1000.0 / count;
    std::printf("frames: %d at %dx%d, %d fps; live stream %.0f kbit/s\n", count, Width, Height, Rate,
                double(bytes.load()) * 8 / (double(count) / Rate) / 1000);
    std::printf("live export alone:          %.2f ms CPU per frame\n", live * perFrame);
    std::printf("recording alone:            %.2f ms CPU per frame\n", recording * perFrame);
    std::printf("recording + live export:    %.2f ms CPU per frame (live share %.2f ms)\n", both * perFrame,
                (both - recording) * perFrame);
    std::printf("ffmpeg, same settings:      %.2f ms CPU per frame\n", ffmpeg * perFrame);
    std::printf("ratio live export / ffmpeg: %.3f (alone), %.3f (beside recording); goal <= 1.10\n",
                live / ffmpeg, (both - recording) / ffmpeg);
    return 0;
}
