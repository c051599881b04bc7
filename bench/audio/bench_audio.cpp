// Prints what the microphone list costs on a private PulseAudio server (a null source, a null sink):
//  - one QorvAudioSource::getAvailableSources call: median and 99th percentile;
//  - the delay from a source appearing (or going) to the list showing it;
//  - the GUI-thread time spent on the list per second while the toolbar and two camera windows
//    poll it every 1000 ms, as they do.
//
//   bench_audio [seconds]      (default 3: the length of the call and poll measurements)

#include "audio/qorvaudiosource.h"
#include "audio/qorvaudiosourcewatcher.h"
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
    const QList<QString> ids = currentIds(&firstNs);
    std::printf("inputs listed: %s\n", qPrintable(ids.join(QStringLiteral(", "))));
    std::printf("first call (makes the list, connects to the server): %.3f ms\n", firstNs / 1e6);

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

// Milliseconds on `clock` when the list does (or does not) hold `id`; -1 after 10 s.
double waitForList(const QString &id, bool present, const QElapsedTimer &clock)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (currentIds().contains(id) == present)
            return clock.nsecsElapsed() / 1e6;
        QCoreApplication::processEvents();
    }
    return -1.0;
}

// Plugs and unplugs a source with pactl; the clock starts when pactl is started. The list may show
// the source before pactl has returned: the figure after its return is then 0.
void measureAppearance(PulseAudioServer &server)
{
    QorvAudioSourceWatcher watcher;
    QElapsedTimer clock;
    double signalled = -1.0;
    QObject::connect(&watcher, &QorvAudioSourceWatcher::availableSourcesChanged, [&] {
        if (signalled < 0)
            signalled = clock.nsecsElapsed() / 1e6;
    });
    std::vector<double> pactlDone, listed, afterPactl, notified, unlisted;
    for (int round = 0; round < AppearanceRounds; ++round) {
        const QString id = QStringLiteral("bench_source_%1").arg(round);
        signalled = -1.0;
        clock.start();
        const int module = server.addSource(id, QStringLiteral("Bench Source %1").arg(round));
        const double returned = clock.nsecsElapsed() / 1e6;
        if (module < 0) {
            std::printf("pactl load-module failed\n");
            return;
        }
        const double seen = waitForList(id, true, clock);
        while (signalled < 0 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        pactlDone.push_back(returned);
        listed.push_back(seen);
        afterPactl.push_back(std::max(0.0, seen - returned));
        notified.push_back(signalled);

        server.removeSource(module);
        clock.restart();
        unlisted.push_back(waitForList(id, false, clock));
    }
    std::printf("source plugged with pactl (%d rounds, medians, max in brackets; -1 = never):\n", AppearanceRounds);
    std::printf("  pactl returned %.2f ms [%.2f], list shows it %.2f ms [%.2f], watcher signal %.2f ms [%.2f]\n",
                percentile(pactlDone, 50), percentile(pactlDone, 100), percentile(listed, 50),
                percentile(listed, 100), percentile(notified, 50), percentile(notified, 100));
    std::printf("  list shows it after pactl returned: %.2f ms [%.2f]\n", percentile(afterPactl, 50),
                percentile(afterPactl, 100));
    std::printf("source unplugged -> unlisted after pactl returned: %.2f ms [%.2f]\n", percentile(unlisted, 50),
                percentile(unlisted, 100));
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
    measureCalls(seconds);
    measureAppearance(server);
    measurePolling(seconds);
    return 0;
}
