// How much of a recording a SIGKILL costs. A child process records 1920x1080 at 30 fps in real time
// (a page with a hand-like shape moving over it, and sound) through the movie writer; it is killed at
// a random moment between 0.5 s and 6 s, ten times. For each kill this prints the seconds fed, the
// seconds the file holds, the seconds lost and whether the file plays (ffprobe reads it without an
// error and ffmpeg decodes every packet without one); then the median and the worst loss.
//
//   bench_writer_kill [kills] [seed]       (default 10 kills, seed from the clock)
//   bench_writer_kill --record MOVIE       (the child: records until it is killed)

#include "writer/avfmediaassetwriter.h"

#include "benchdeskframes.h"

#include "media/audiosample.h"
#include "media/mediaclock.h"
#include "media/videosample.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;

platform::AudioSample tone(int frames, qint64 first, qint64 timeUs)
{
    QByteArray pcm(frames * platform::AudioSample::BytesPerFrame, Qt::Uninitialized);
    auto *out = reinterpret_cast<qint16 *>(pcm.data());
    for (int i = 0; i < frames; ++i)
        out[i] = qint16(std::lround(6000.0 * std::sin(2 * M_PI * 440.0 * double(first + i) / platform::AudioSample::SampleRate)));
    return platform::AudioSample(pcm, timeUs);
}

// The child: records as the frame source feeds the writer, printing "frames N" after every frame.
int record(const QString &path)
{
    const QVector<QImage> frames = benchDeskFrames(QSize(Width, Height), 60);
    AVFMediaAssetWriter writer;
    if (!writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, Width, Height), 1, QRect(), path, false)
        || !writer.start()) {
        std::fprintf(stderr, "cannot record %s\n", qPrintable(path));
        return 1;
    }
    const qint64 frameUs = 1000000 / Rate;
    const int chunk = platform::AudioSample::SampleRate / Rate;
    const qint64 startUs = platform::MediaClock::monotonicNowUs();
    for (int i = 0;; ++i) {
        const qint64 dueUs = startUs + i * frameUs;
        const qint64 waitUs = dueUs - platform::MediaClock::monotonicNowUs();
        if (waitUs > 0)
            QThread::usleep(quint64(waitUs));
        writer.writeVideoSampleBuffer(platform::VideoSample(frames.at(i % frames.size()), dueUs));
        writer.writeAudioSampleBuffer(tone(chunk, qint64(i) * chunk, dueUs));
        std::printf("frames %d\n", i + 1);
        std::fflush(stdout);
    }
}

struct Probed
{
    bool plays = false;
    double seconds = 0;
    QString error;
};

QString run(const QString &program, const QStringList &arguments, QByteArray *out)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return program + QStringLiteral(" did not finish");
    }
    if (out)
        *out = process.readAllStandardOutput();
    const QString errors = QString::fromUtf8(process.readAllStandardError()).trimmed();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 || !errors.isEmpty())
        return program + QStringLiteral(": ") + (errors.isEmpty() ? QStringLiteral("failed") : errors);
    return QString();
}

// What a player gets from the file: the picture's length, and whether everything in it decodes.
Probed probe(const QString &path)
{
    Probed result;
    QByteArray json;
    result.error = run(QStringLiteral("ffprobe"),
                       {"-v", "error", "-select_streams", "v", "-show_entries", "packet=pts_time,duration_time",
                        "-of", "json", path},
                       &json);
    if (!result.error.isEmpty())
        return result;
    double first = 0;
    double end = 0;
    const QJsonArray packets = QJsonDocument::fromJson(json).object().value(QStringLiteral("packets")).toArray();
    for (int i = 0; i < packets.size(); ++i) {
        const QJsonObject p = packets.at(i).toObject();
        const double time = p.value(QStringLiteral("pts_time")).toString().toDouble();
        const double packetEnd = time + p.value(QStringLiteral("duration_time")).toString().toDouble();
        first = i == 0 ? time : std::min(first, time);
        end = i == 0 ? packetEnd : std::max(end, packetEnd);
    }
    if (packets.isEmpty()) {
        result.error = QStringLiteral("no frame in the file");
        return result;
    }
    result.seconds = end - first;
    // The file's own frame times, so that a variable frame rate is no error (see the test probe).
    result.error = run(QStringLiteral("ffmpeg"),
                       {"-nostdin", "-v", "error", "-i", path, "-map", "0", "-enc_time_base", "-1", "-f", "null", "-"},
                       nullptr);
    result.plays = result.error.isEmpty();
    return result;
}

// Starts the child, kills it after `killAfterMs`, returns the seconds it fed.
double recordAndKill(const QString &path, int killAfterMs)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record"), path});
    if (!child.waitForStarted(10000))
        return -1;
    int fed = 0;
    QElapsedTimer timer;
    bool started = false;
    for (;;) {
        const qint64 left = started ? killAfterMs - timer.elapsed() : 10000;
        if (started && left <= 0)
            break;
        child.waitForReadyRead(int(std::max<qint64>(1, std::min<qint64>(left, 10))));
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("frames ")) {
                fed = line.mid(7).toInt();
                if (!started) {
                    // The recording's clock starts with its first frame.
                    started = true;
                    timer.start();
                }
            }
        }
        if (child.state() != QProcess::Running)
            return -1;
    }
    child.kill();
    child.waitForFinished(10000);
    while (child.canReadLine()) {
        const QByteArray line = child.readLine().trimmed();
        if (line.startsWith("frames "))
            fed = line.mid(7).toInt();
    }
    return double(fed) / Rate;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--record"))
        return record(args.value(2));

    const int kills = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 10;
    const quint32 seed = args.size() > 2 ? args.at(2).toUInt() : quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    std::printf("%d kills of a %dx%d recording at %d fps at random moments from 0.5 s to 6 s (seed %u), %d cores\n",
                kills, Width, Height, Rate, seed, QThread::idealThreadCount());

    QVector<double> losses;
    int playing = 0;
    for (int i = 0; i < kills; ++i) {
        const int killAfterMs = 500 + int(random.bounded(5501));
        const QString path = dir.filePath(QStringLiteral("killed-%1.mov").arg(i + 1));
        const double fed = recordAndKill(path, killAfterMs);
        if (fed < 0) {
            std::printf("kill %2d: the recorder did not run\n", i + 1);
            return 1;
        }
        const Probed file = probe(path);
        const double lost = fed - file.seconds;
        losses.append(lost);
        playing += file.plays ? 1 : 0;
        std::printf("kill %2d at %.2f s: fed %.2f s, file holds %.2f s, lost %.2f s, %s\n", i + 1,
                    killAfterMs / 1000.0, fed, file.seconds, lost,
                    file.plays ? "plays" : qPrintable(QStringLiteral("does NOT play: ") + file.error));
        std::fflush(stdout);
    }
    std::sort(losses.begin(), losses.end());
    const int n = losses.size();
    const double median = n % 2 ? losses.at(n / 2) : (losses.at(n / 2 - 1) + losses.at(n / 2)) / 2;
    std::printf("seconds lost per kill: median %.2f, worst %.2f\n", median, losses.last());
    std::printf("files that play: %d of %d\n", playing, kills);
    return playing == kills ? 0 : 1;
}
