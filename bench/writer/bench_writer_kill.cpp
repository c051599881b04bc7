// How much of a recording a SIGKILL costs, by the wall clock. A child process records as the program
// does: a capture session with the desktop source or a simulated 1920x1080 camera at 30 fps, and the
// sound of a simulated input, running for a second before the recording is asked for, as the
// program's sessions run long before the user records. The child is killed at a random moment from
// 0.5 s to 6 s after it asked for the recording. What the kill cost is the time from the ask to the
// kill less the picture the file holds: the frames the recorder never took at the start count as
// much as those it held at the end.
//
// Four series of kills: desktop and camera, each on an otherwise idle machine and beside 8 busy loops
// this program runs itself. For each kill it prints the moment, the seconds the file holds, the
// seconds lost and whether the file plays (ffprobe reads it without an error and ffmpeg decodes every
// packet without one); then, per series, the median and the worst loss and how many files play.
//
//   bench_writer_kill [kills] [seed]              (default 10 kills a series, seed from the clock)
//   bench_writer_kill --record desktop|camera MOVIE  (the child: records until it is killed)

#include "benchcamera.h"

#include "audio/audioinputs.h"
#include "audio/qorvaudiosource.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "core/platformbackend.h"
#include "media/mediaclock.h"
#include "screen/screencapture.h"

#include <QApplication>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

namespace {

constexpr int Width = 1920;
constexpr int Height = 1080;
constexpr int Rate = 30;
constexpr int BusyLoopCount = 8;
// The program runs its session before anyone records.
constexpr int RunningBeforeAskMs = 1000;
// A child whose parent is gone ends by itself.
constexpr int ChildLifetimeMs = 60000;

// The child: the session of the desktop or of a camera, with sound; prints "asked T" (T on the
// monotonic clock, in microseconds) just before it asks for the recording.
int record(const QString &sourceName, const QString &path)
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    const bool desktop = sourceName == QLatin1String("desktop");
    GeneralCamera *camera = desktop ? nullptr : benchSimulatedCamera(QSize(Width, Height), Rate);
    if (!desktop && !camera) {
        std::fprintf(stderr, "no simulated camera with %dx%d\n", Width, Height);
        return 1;
    }
    QorvFrameSource source(camera, desktop ? QorvCaptureSource::Screen : QorvCaptureSource::Camera);
    const QRect rect = desktop ? source.getSourceImpl()->screenCapture()->primaryScreenGeometry()
                               : QRect(0, 0, Width, Height);
    QorvCaptureSession session;
    session.addSource(&source);
    const QList<platform::AudioInputInfo> inputs = platform::AudioInputs::instance()->inputs();
    std::unique_ptr<QorvAudioSource> microphone;
    if (!inputs.isEmpty()) {
        microphone = std::make_unique<QorvAudioSource>(inputs.first().name, inputs.first().uniqueId, 0);
        session.addSource(microphone.get());
    }
    if (session.startRunning() != 0) {
        std::fprintf(stderr, "the %s source does not start\n", qPrintable(sourceName));
        return 1;
    }
    QTimer::singleShot(RunningBeforeAskMs, &session, [&session, path, rect] {
        std::printf("asked %lld\n", static_cast<long long>(platform::MediaClock::monotonicNowUs()));
        std::fflush(stdout);
        const qint32 result = session.startRecording(path, rect, QorvCaptureSession::PlainRecording, rect);
        std::printf("started %d\n", int(result));
        std::fflush(stdout);
    });
    QTimer::singleShot(ChildLifetimeMs, qApp, &QCoreApplication::quit);
    return qApp->exec();
}

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

struct Probed
{
    bool plays = false;
    double seconds = 0;
    QString error;
};

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
        result.error = QStringLiteral("no picture in the file");
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

// Starts the child, kills it `killAfterMs` after it asked for the recording; returns the seconds
// from the ask to the kill, or a negative value when the child did not get that far.
double recordAndKill(const QString &sourceName, const QString &path, int killAfterMs)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record"), sourceName, path});
    if (!child.waitForStarted(10000))
        return -1;
    const qint64 startedUs = platform::MediaClock::monotonicNowUs();
    qint64 askedUs = -1;
    for (;;) {
        const qint64 nowUs = platform::MediaClock::monotonicNowUs();
        if (askedUs < 0 && nowUs - startedUs > 30000000)
            return -1;
        const qint64 leftUs = askedUs < 0 ? 10000 : askedUs + qint64(killAfterMs) * 1000 - nowUs;
        if (leftUs <= 0)
            break;
        if (child.state() != QProcess::Running)
            return -1;
        child.waitForReadyRead(int(std::clamp<qint64>(leftUs / 1000, 1, 10)));
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line.startsWith("asked "))
                askedUs = line.mid(6).toLongLong();
            else if (line.startsWith("started ") && line != "started 0")
                return -1;
        }
    }
    child.kill();
    const qint64 killedUs = platform::MediaClock::monotonicNowUs();
    child.waitForFinished(10000);
    return double(killedUs - askedUs) / 1e6;
}

// Busy loops on every core the bench is asked for, until destroyed.
class BusyLoops
{
public:
    explicit BusyLoops(int count)
    {
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back([this] {
                volatile quint64 spins = 0;
                while (!m_stop.load(std::memory_order_relaxed))
                    spins = spins + 1;
            });
        }
    }
    ~BusyLoops()
    {
        m_stop = true;
        for (std::thread &thread : m_threads)
            thread.join();
    }

private:
    std::atomic<bool> m_stop{false};
    std::vector<std::thread> m_threads;
};

struct Series
{
    QString source;
    bool loaded = false;
    QVector<double> losses;
    int playing = 0;
};

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

QString seriesName(const Series &series)
{
    return series.source + (series.loaded ? QStringLiteral(", beside %1 busy loops").arg(BusyLoopCount)
                                          : QStringLiteral(", unloaded"));
}

bool runSeries(Series &series, int kills, QRandomGenerator &random, const QTemporaryDir &dir)
{
    std::unique_ptr<BusyLoops> busy;
    if (series.loaded)
        busy = std::make_unique<BusyLoops>(BusyLoopCount);
    for (int i = 0; i < kills; ++i) {
        const int killAfterMs = 500 + int(random.bounded(5501));
        const QString path = dir.filePath(QStringLiteral("%1-%2-%3.mov")
                                              .arg(series.source, series.loaded ? "loaded" : "idle")
                                              .arg(i + 1));
        const double elapsed = recordAndKill(series.source, path, killAfterMs);
        if (elapsed < 0) {
            std::printf("%s: kill %d: the recorder did not run\n", qPrintable(seriesName(series)), i + 1);
            return false;
        }
        const Probed file = probe(path);
        const double lost = elapsed - file.seconds;
        series.losses.append(lost);
        series.playing += file.plays ? 1 : 0;
        std::printf("%s: kill %2d at %.2f s after the ask: file holds %.2f s, lost %.2f s, %s\n",
                    qPrintable(seriesName(series)), i + 1, elapsed, file.seconds, lost,
                    file.plays ? "plays" : qPrintable(QStringLiteral("does NOT play: ") + file.error));
        std::fflush(stdout);
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("qorv.*.debug=false\nqorv.*.info=false"));
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--record"))
        return record(args.value(2), args.value(3));

    const int kills = args.size() > 1 ? std::max(1, args.at(1).toInt()) : 10;
    const quint32 seed = args.size() > 2 ? args.at(2).toUInt() : quint32(QDateTime::currentMSecsSinceEpoch());
    QRandomGenerator random(seed);
    QTemporaryDir dir;
    std::printf("%d kills per series of a %dx%d recording with sound at random moments from 0.5 s to 6 s after "
                "it was asked for (seed %u), %d cores\n",
                kills, Width, Height, seed, QThread::idealThreadCount());

    QVector<Series> series;
    for (const bool loaded : {false, true}) {
        for (const char *source : {"desktop", "camera"})
            series.append(Series{QString::fromLatin1(source), loaded, {}, 0});
    }
    for (Series &s : series) {
        if (!runSeries(s, kills, random, dir))
            return 1;
    }

    bool allPlay = true;
    std::printf("\nseconds lost per kill by the clock, from the ask to the kill:\n");
    for (const Series &s : series) {
        std::printf("  %-32s median %.2f, worst %.2f; files that play: %d of %d\n", qPrintable(seriesName(s)),
                    median(s.losses), *std::max_element(s.losses.begin(), s.losses.end()), s.playing, kills);
        allPlay = allPlay && s.playing == kills;
    }
    return allPlay ? 0 : 1;
}
