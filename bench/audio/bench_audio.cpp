// Prints what the microphone list costs on a private PulseAudio server (a null source, a null sink):
//  - one QorvAudioSource::getAvailableSources call: median and 99th percentile;
//  - the delay from a source appearing (or going) to the list showing it;
//  - the GUI-thread time spent on the list per second while the toolbar and two camera windows
//    poll it every 1000 ms, as they do.
//
//   bench_audio [seconds]      (default 3: the length of the call and poll measurements)

#include "audio/qorvaudiosource.h"
#include "core/platformbackend.h"

#include "audiopulseserver.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int AppearanceRounds = 10;
constexpr int PollIntervalMs = 1000;
constexpr int Pollers = 3; // the toolbar and two camera windows

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t at = std::min(values.size() - 1, size_t(p / 100.0 * double(values.size())));
    return values[at];
}

QList<QString> currentIds(qint64 *nsecs = nullptr)
{
    QList<QString> names;
    QList<QString> ids;
    QElapsedTimer clock;
    clock.start();
    QorvAudioSource::getAvailableSources(&names, &ids);
    if (nsecs)
        *nsecs = clock.nsecsElapsed();
    return ids;
}

// A home and runtime folder of our own, so the server and the list never meet the user's sound server.
bool usePrivateFolders(const QTemporaryDir &root)
{
    const QString home = root.filePath(QStringLiteral("home"));
    const QString runtime = root.filePath(QStringLiteral("run"));
    if (!QDir().mkpath(home + QStringLiteral("/.config")) || !QDir().mkpath(runtime))
        return false;
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("HOME", home.toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/.config")).toLocal8Bit());
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    qunsetenv("PULSE_SERVER");
    return true;
}

void measureCalls(double seconds)
{
    qint64 firstNs = 0;
    currentIds(&firstNs);
    std::printf("first call (includes connecting): %.3f ms\n", firstNs / 1e6);

    std::vector<double> us;
    QElapsedTimer total;
    total.start();
    while ((total.elapsed() < seconds * 1000 && us.size() < 200000) || us.size() < 20) {
        qint64 ns = 0;
        currentIds(&ns);
        us.push_back(ns / 1e3);
    }
    std::printf("getAvailableSources: %zu calls, median %.2f us, p99 %.2f us, max %.2f us\n", us.size(),
                percentile(us, 50), percentile(us, 99), percentile(us, 100));
}

// Milliseconds from `since` until the list does (or does not) hold `id`; -1 after 10 s.
double waitForList(const QString &id, bool present, const QElapsedTimer &since)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (currentIds().contains(id) == present)
            return since.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    return -1.0;
}

void measureAppearance(PulseAudioServer &server)
{
    std::vector<double> added;
    std::vector<double> removed;
    for (int round = 0; round < AppearanceRounds; ++round) {
        const QString id = QStringLiteral("bench_source_%1").arg(round);
        const int module = server.addSource(id, QStringLiteral("Bench Source %1").arg(round));
        QElapsedTimer clock; // from pactl's return: the source exists
        clock.start();
        if (module < 0) {
            std::printf("pactl load-module failed\n");
            return;
        }
        added.push_back(waitForList(id, true, clock));
        server.removeSource(module);
        clock.restart();
        removed.push_back(waitForList(id, false, clock));
    }
    std::printf("source appears -> listed: median %.2f ms, max %.2f ms (%d rounds, -1 = never)\n",
                percentile(added, 50), percentile(added, 100), AppearanceRounds);
    std::printf("source removed -> unlisted: median %.2f ms, max %.2f ms\n", percentile(removed, 50),
                percentile(removed, 100));
}

// Each poller does what the toolbar's and a camera window's syncAudioList do on every tick: read the
// list and compare the ids with the ones it holds.
void measurePolling(double seconds)
{
    qint64 busyNs = 0;
    int ticks = 0;
    std::vector<QTimer *> timers;
    std::vector<QList<QString>> held(Pollers);
    for (int i = 0; i < Pollers; ++i) {
        auto *timer = new QTimer;
        timer->setInterval(PollIntervalMs);
        QObject::connect(timer, &QTimer::timeout, [&busyNs, &ticks, &held, i] {
            QElapsedTimer clock;
            clock.start();
            const QList<QString> ids = currentIds();
            if (ids != held[size_t(i)])
                held[size_t(i)] = ids;
            busyNs += clock.nsecsElapsed();
            ++ticks;
        });
        // The windows are made at different moments: their ticks do not coincide.
        QTimer::singleShot(i * PollIntervalMs / Pollers, timer, [timer] { timer->start(); });
        timers.push_back(timer);
    }
    QElapsedTimer wall;
    wall.start();
    while (wall.elapsed() < seconds * 1000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    for (QTimer *timer : timers)
        delete timer;
    const double wallS = wall.nsecsElapsed() / 1e9;
    std::printf("%d pollers every %d ms for %.1f s: %d ticks, GUI thread busy %.3f ms per second (%.2f %%)\n",
                Pollers, PollIntervalMs, wallS, ticks, busyNs / 1e6 / wallS, busyNs / 1e7 / wallS);
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir root;
    if (!root.isValid() || !usePrivateFolders(root)) {
        std::fprintf(stderr, "cannot make private folders\n");
        return 1;
    }
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? qMax(1.0, QString::fromLocal8Bit(argv[1]).toDouble()) : 3.0;
    platform::PlatformBackend::select(platform::PlatformBackend::Linux);

    PulseAudioServer server;
    if (!server.start()) {
        std::fprintf(stderr, "no PulseAudio server: %s\n", qPrintable(server.lastError()));
        return 1;
    }
    std::printf("inputs listed: %s\n", qPrintable(currentIds().join(QStringLiteral(", "))));
    measureCalls(seconds);
    measureAppearance(server);
    measurePolling(seconds);
    return 0;
}
