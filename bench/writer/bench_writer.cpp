// Prints the recorder's CPU time per frame at 1920x1080, 30 fps (H.264 + AAC into a fragmented movie)
// and that of `ffmpeg -c:v libx264` with the same preset, bit rate and key-frame interval encoding the
// same frames, and their ratio.
//
//   bench_writer [frames]      (default 300, ten seconds of movie)

#include "writer/avfmediaassetwriter.h"

#include "benchdeskframes.h"

#include "media/audiosample.h"
#include "media/mediaclock.h"
#include "media/moviesettings.h"
#include "media/videosample.h"

#include <QDir>
#include <QGuiApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <ctime>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;
const char *const Preset = "veryfast";
constexpr int KeyFrameInterval = 10;

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

qint64 bitRate()
{
    return qint64(double(qint64(Width) * Height * 60) * 0.07);
}

double recorderCpu(const QVector<QImage> &frames, int count, const QString &path)
{
    StepClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    writer.setX264Preset(QString::fromLatin1(Preset));
    writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, Width, Height), 1, QRect(), path, false);
    const int chunk = platform::AudioSample::SampleRate / Rate;
    const QByteArray silence(chunk * platform::AudioSample::BytesPerFrame, '\0');

    const double start = cpuSeconds();
    writer.start();
    for (int i = 0; i < count; ++i) {
        clock.advance(1000000 / Rate);
        writer.writeVideoSampleBuffer(platform::VideoSample(frames.at(i % frames.size()), clock.nowUs()));
        writer.writeAudioSampleBuffer(platform::AudioSample(silence, clock.nowUs()));
    }
    writer.stop();
    writer.waitForFinished();
    return cpuSeconds() - start;
}

// ffmpeg reads the raw frames from a pipe and reports its own CPU time with -benchmark.
double ffmpegCpu(const QVector<QImage> &frames, int count, const QString &path)
{
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::SeparateChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-hide_banner", "-nostats", "-benchmark", "-f", "rawvideo", "-pix_fmt", "bgra", "-s",
                  QStringLiteral("%1x%2").arg(Width).arg(Height), "-r", QString::number(Rate), "-i", "-",
                  "-c:v", "libx264", "-preset", Preset, "-b:v", QString::number(bitRate()), "-g",
                  QString::number(KeyFrameInterval), "-bf", "0", "-x264-params", platform::MovieSettings().x264Params, "-pix_fmt", "yuv420p", "-sws_flags",
                  "fast_bilinear", "-an", "-f", "mov", "-y", path});
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
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("utime=([0-9.]+)s stime=([0-9.]+)s")).match(log);
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

    const double recorder = recorderCpu(frames, count, dir.filePath(QStringLiteral("recorder.mov")));
    const double bare = ffmpegCpu(frames, count, dir.filePath(QStringLiteral("ffmpeg.mov")));
    const double perFrameRecorder = recorder * 1000.0 / count;
    const double perFrameBare = bare * 1000.0 / count;
    std::printf("frames: %d at %dx%d, preset %s, %lld bit/s, key frame every %d\n", count, Width, Height,
                Preset, static_cast<long long>(bitRate()), KeyFrameInterval);
    std::printf("recorder (H.264 + AAC, fragmented movie): %.2f ms CPU per frame (%.2f cores at %d fps)\n",
                perFrameRecorder, perFrameRecorder * Rate / 1000.0, Rate);
    if (bare < 0) {
        std::printf("ffmpeg -c:v libx264: failed\n");
        return 1;
    }
    std::printf("ffmpeg -c:v libx264:                      %.2f ms CPU per frame (%.2f cores at %d fps)\n",
                perFrameBare, perFrameBare * Rate / 1000.0, Rate);
    std::printf("ratio recorder / ffmpeg: %.3f\n", recorder / bare);
    return 0;
}
