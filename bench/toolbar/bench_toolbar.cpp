// Prints how long Lumidesk takes from its start to the toolbar on screen, without any network (no
// update server is configured in the build, so no check runs), beside the time a bare Qt program takes
// to show a window of the toolbar's size on the same display in the same run, and how much memory
// Lumidesk holds with two simulated 1080p camera windows open. Goals: at most twice the bare
// program's time, under 300 MB. The program is timed as a user has it: the build installed, with
// DrawletApp beside it, which Lumidesk starts on every start, and the runtime folder in memory.
//
// Run it on an X display, e.g. xvfb-run -s "-screen 0 1920x1080x24" build/bin/bench_toolbar
// [--program-from <build folder> ...] [--runs N] [--program-only]

#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "camerawindow/cameramainwidget.h"
#include "camerawindow/resolutionmemory.h"
#include "common/settingspath.h"
#include "core/platformbackend.h"
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/othersettingdialog.h"
#include "notificationdialog.h"
#include "toolbar/lumidesk.h"
#include "toolbar/lumideskstartup.h"
#include "toolbar/pipwidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QVector>
#include <QWindow>
#include <QX11Info>

#include <csignal>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const int Rounds = 5;
const int ProgramRounds = 25;
const int MapTimeoutMs = 10000;
const int ToolbarWidth = 488;
const int ToolbarHeight = 55;

void waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

// The machine's load as the figures were taken: on a shared machine they mean little without it.
QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    return file.open(QIODevice::ReadOnly) ? file.readAll().split(' ').mid(0, 3).join(' ') : QByteArray("unknown");
}

void freshSettings()
{
    QFile::remove(_GUID_SETTING_INI);
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Guid/Enabled"), 0);
}

// Reports the top-level windows the X server maps, as it maps them: a connection of its own that
// listens for MapNotify on the root (SubstructureNotify), so no time goes into asking for the tree.
class MapWatch
{
public:
    MapWatch()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        m_pidAtom = atom("_NET_WM_PID");
        xcb_flush(m_connection);
    }
    ~MapWatch() { xcb_disconnect(m_connection); }

    bool isValid() const { return m_root != 0; }

    // Drops what earlier runs left queued.
    void drain()
    {
        while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection))
            free(event);
    }

    // Waits until a window of the process pid with the size given is mapped; false when none is
    // mapped within the time.
    bool waitForMap(qint64 pid, int width, int height, int timeoutMs)
    {
        QElapsedTimer clock;
        clock.start();
        pollfd descriptor{xcb_get_file_descriptor(m_connection), POLLIN, 0};
        while (clock.elapsed() < timeoutMs) {
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                const bool found = (event->response_type & 0x7f) == XCB_MAP_NOTIFY
                                   && belongs(reinterpret_cast<xcb_map_notify_event_t *>(event)->window, pid,
                                              width, height);
                free(event);
                if (found)
                    return true;
            }
            if (xcb_connection_has_error(m_connection))
                return false;
            poll(&descriptor, 1, int(qMax<qint64>(1, timeoutMs - clock.elapsed())));
        }
        return false;
    }

private:
    xcb_atom_t atom(const char *name)
    {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
                xcb_intern_atom_reply(m_connection,
                                      xcb_intern_atom(m_connection, 0, uint16_t(strlen(name)), name), nullptr),
                &free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    // Qt sets the process id and the size before it maps a window, so both are there to read now.
    bool belongs(xcb_window_t window, qint64 pid, int width, int height)
    {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> owner(
                xcb_get_property_reply(m_connection,
                                       xcb_get_property(m_connection, 0, window, m_pidAtom, XCB_ATOM_CARDINAL, 0, 1),
                                       nullptr),
                &free);
        if (!owner || xcb_get_property_value_length(owner.get()) != 4
            || *static_cast<const quint32 *>(xcb_get_property_value(owner.get())) != quint32(pid))
            return false;
        std::unique_ptr<xcb_get_geometry_reply_t, decltype(&free)> geometry(
                xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr), &free);
        return geometry && geometry->width == width && geometry->height == height;
    }

    xcb_connection_t *m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_pidAtom = XCB_ATOM_NONE;
};

// The hidden windows' forms that were built by the time the toolbar showed: they wait for their first
// use, so any named here is a start-up step that used one.
QString formsBuiltAtStart(Lumidesk *bar)
{
    QStringList built;
    if (bar->liveSettingDialog() && bar->liveSettingDialog()->hasForm())
        built << QStringLiteral("desktop live settings");
    if (bar->settingDialog() && bar->settingDialog()->hasForm())
        built << QStringLiteral("general settings");
    if (bar->notification() && bar->notification()->hasForm())
        built << QStringLiteral("toolbar notice");
    for (CameraMainWidget *window : {bar->firstCameraWindow(), bar->secondCameraWindow()}) {
        if (window && window->cameraSettingDialog() && window->cameraSettingDialog()->hasForm())
            built << QStringLiteral("camera settings");
        if (window && window->liveStreamSettingDialog() && window->liveStreamSettingDialog()->hasForm())
            built << QStringLiteral("camera live settings");
        if (window && window->notification() && window->notification()->hasForm())
            built << QStringLiteral("camera window notice");
    }
    return built.isEmpty() ? QStringLiteral("none") : built.join(QStringLiteral(", "));
}

void inProcessStart()
{
    QList<double> later;
    double first = 0;
    QString builtForms;
    for (int round = 0; round < Rounds; ++round) {
        freshSettings();
        QElapsedTimer clock;
        clock.start();
        auto startup = std::make_unique<LumideskStartup>();
        Lumidesk *bar = startup->toolbar();
        waitFor([bar] { return bar->windowHandle() && bar->windowHandle()->isExposed(); }, 5000);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (round == 0) {
            first = ms;
            builtForms = formsBuiltAtStart(bar);
        }
        else
            later.append(ms);
    }
    std::printf("in process, start to toolbar shown: first %.0f ms, then median %.0f ms (%d rounds)\n", first,
                median(later), Rounds - 1);
    std::printf("hidden windows' forms built before the toolbar showed: %s\n", qPrintable(builtForms));
}

// The build folder given installed as a user gets it, into a prefix of its own below the private
// home: DrawletApp, our libraries and the catalogues beside the program. An empty result when the
// installation failed. A folder that is an installation prefix already is timed as it is, so that a
// build that is gone can be kept for comparison.
QString installedProgram(const QString &home, const QString &build, int index)
{
    const QString alreadyInstalled = build + QStringLiteral("/lib/lumidesk/Lumidesk");
    if (QFileInfo(alreadyInstalled).isExecutable())
        return alreadyInstalled;
    const QString prefix = home + QStringLiteral("/install%1").arg(index);
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(QStringLiteral(LUMIDESK_CMAKE_COMMAND),
                  {QStringLiteral("--install"), build, QStringLiteral("--prefix"), prefix});
    if (!install.waitForFinished(120000) || install.exitStatus() != QProcess::NormalExit || install.exitCode() != 0) {
        std::printf("installing %s failed:\n%s\n", qPrintable(build), install.readAll().right(2000).constData());
        return QString();
    }
    const QString program = prefix + QStringLiteral("/lib/lumidesk/Lumidesk");
    if (!QFileInfo(prefix + QStringLiteral("/lib/lumidesk/DrawletApp/bin/DrawletApp")).isExecutable())
        std::printf("%s: no DrawletApp installed beside the program\n", qPrintable(build));
    return program;
}

// The processes whose parent is the one given and whose program has the name given.
QList<pid_t> childrenNamed(pid_t parent, const QByteArray &name)
{
    QList<pid_t> found;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        bool number = false;
        const pid_t pid = pid_t(entry.toInt(&number));
        if (!number)
            continue;
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        QByteArray command;
        pid_t parentOf = 0;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("Name:"))
                command = line.mid(5).trimmed();
            else if (line.startsWith("PPid:"))
                parentOf = pid_t(line.mid(5).trimmed().toInt());
        }
        if (parentOf == parent && command == name)
            found.append(pid);
    }
    return found;
}

// The processor time all threads of a process have had so far, in ms: on a loaded machine the wall
// clock also counts the waits for a processor, this does not.
double processorMs(qint64 pid)
{
    double ns = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile schedstat(tasks + QLatin1Char('/') + task + QStringLiteral("/schedstat"));
        if (schedstat.open(QIODevice::ReadOnly))
            ns += schedstat.readAll().split(' ').value(0).toDouble();
    }
    return ns / 1e6;
}

bool isGone(pid_t pid)
{
    // Reaps it once it is ours (a child Lumidesk left behind comes to the benchmark, its subreaper).
    waitpid(pid, nullptr, WNOHANG);
    return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(pid));
}

// Lumidesk switches off Qt's OpenGL integration for X11 (it draws nothing with OpenGL) before its
// first window; the yardstick runs with the same setting, so that the two differ only in what
// Lumidesk does. SessionDefault starts a program in the session's own environment instead.
enum class GlIntegration { Off, SessionDefault };

// One start of a program: the time from exec to the map of its 488x55 window, and whether DrawletApp
// was already running then (it competes with the first frame for the processor).
struct Start {
    double ms = -1;
    double processorMs = 0;
    bool drawletBeforeMap = false;
    bool drawletStarted = false;
};

// Each start gets a runtime folder of its own in memory, as a login gives one: no socket or lock of
// an earlier run is there to be looked at.
QString freshRuntimeFolder(const QString &runtimeRoot)
{
    static int count = 0;
    const QString folder = runtimeRoot + QStringLiteral("/run%1").arg(++count);
    QDir().mkpath(folder);
    QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return folder;
}

// Ends DrawletApp, which Lumidesk starts detached, once it has been seen running (or not within the
// time): the next start begins on a machine with none of the earlier programs left.
bool endDrawlet(qint64 lumidesk, QProcess *process)
{
    QElapsedTimer clock;
    clock.start();
    QList<pid_t> drawlets = childrenNamed(pid_t(lumidesk), "DrawletApp");
    while (drawlets.isEmpty() && clock.elapsed() < MapTimeoutMs) {
        poll(nullptr, 0, 2);
        drawlets = childrenNamed(pid_t(lumidesk), "DrawletApp");
    }
    for (pid_t pid : drawlets)
        kill(pid, SIGKILL);
    process->kill();
    process->waitForFinished();
    for (pid_t pid : drawlets) {
        while (!isGone(pid) && clock.elapsed() < 2 * MapTimeoutMs)
            poll(nullptr, 0, 2);
    }
    return !drawlets.isEmpty();
}

Start timeToMap(MapWatch &watch, const QString &program, const QString &runtimeRoot,
                GlIntegration gl = GlIntegration::Off)
{
    freshSettings();
    watch.drain();
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LUMIDESK_SIMULATE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), freshRuntimeFolder(runtimeRoot));
    if (gl == GlIntegration::Off)
        environment.insert(QStringLiteral("QT_XCB_GL_INTEGRATION"), QStringLiteral("none"));
    else
        environment.remove(QStringLiteral("QT_XCB_GL_INTEGRATION"));
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    Start start;
    QElapsedTimer clock;
    clock.start();
    process.start(program, QStringList());
    if (!process.waitForStarted()) {
        std::printf("%s: %s\n", qPrintable(program), qPrintable(process.errorString()));
        return start;
    }
    const bool mapped = watch.waitForMap(process.processId(), ToolbarWidth, ToolbarHeight, MapTimeoutMs);
    const double ms = clock.nsecsElapsed() / 1e6;
    start.processorMs = processorMs(process.processId());
    const bool lumidesk = QFileInfo(program).fileName() == QLatin1String("Lumidesk");
    if (lumidesk) {
        start.drawletBeforeMap = !childrenNamed(pid_t(process.processId()), "DrawletApp").isEmpty();
        start.drawletStarted = endDrawlet(process.processId(), &process);
    } else {
        process.kill();
        process.waitForFinished();
    }
    start.ms = mapped ? ms : -1;
    return start;
}

QString figures(const QList<double> &times)
{
    return QStringLiteral("median %1 ms, best %2 ms, worst %3 ms")
            .arg(median(times), 0, 'f', 0)
            .arg(*std::min_element(times.begin(), times.end()), 0, 'f', 0)
            .arg(*std::max_element(times.begin(), times.end()), 0, 'f', 0);
}

struct ProgramTimes {
    QString build;
    QString program;
    QList<double> times;
    QList<double> processorTimes;
    int drawletBeforeMap = 0;
    int drawletStarted = 0;
};

// The bare program and Lumidesk (of each build folder given, installed) in turns, so that a change in
// the machine's load reaches them all alike; a first round warms the caches and is not counted.
void programStart(const QString &home, const QString &runtimeRoot, const QStringList &builds, int rounds)
{
    MapWatch watch;
    if (!QX11Info::isPlatformX11() || !watch.isValid()) {
        std::printf("program start: skipped (needs an X display)\n");
        return;
    }
    const QString bare = QCoreApplication::applicationDirPath() + QStringLiteral("/bench_toolbar_bare");
    QVector<ProgramTimes> lumidesk;
    for (int i = 0; i < builds.size(); ++i) {
        const QString program = installedProgram(home, builds.at(i), i);
        if (program.isEmpty())
            return;
        lumidesk.append(ProgramTimes{builds.at(i), program, {}, {}, 0, 0});
    }
    QList<double> bareTimes;
    QList<double> bareProcessorTimes;
    QList<double> bareDefaultTimes;
    for (int round = 0; round <= rounds; ++round) {
        const Start bareStart = timeToMap(watch, bare, runtimeRoot);
        const Start bareDefault = timeToMap(watch, bare, runtimeRoot, GlIntegration::SessionDefault);
        if (bareStart.ms < 0 || bareDefault.ms < 0) {
            std::printf("program start: the bare window was not mapped within %d ms (round %d)\n", MapTimeoutMs,
                        round);
            return;
        }
        if (round > 0) {
            bareTimes.append(bareStart.ms);
            bareProcessorTimes.append(bareStart.processorMs);
            bareDefaultTimes.append(bareDefault.ms);
        }
        for (ProgramTimes &build : lumidesk) {
            const Start start = timeToMap(watch, build.program, runtimeRoot);
            if (start.ms < 0) {
                std::printf("program start: %s was not mapped within %d ms (round %d)\n", qPrintable(build.build),
                            MapTimeoutMs, round);
                return;
            }
            if (round == 0)
                continue;
            build.times.append(start.ms);
            build.processorTimes.append(start.processorMs);
            build.drawletBeforeMap += start.drawletBeforeMap ? 1 : 0;
            build.drawletStarted += start.drawletStarted ? 1 : 0;
        }
    }
    std::printf("program installed with DrawletApp, exec to the 488x55 window mapped (%d runs each, in turns):\n",
                rounds);
    std::printf("  bare Qt window: %s\n", qPrintable(figures(bareTimes)));
    std::printf("    processor time until the map: %s\n", qPrintable(figures(bareProcessorTimes)));
    std::printf("  (the same with Qt's OpenGL integration as the session has it: %s)\n",
                qPrintable(figures(bareDefaultTimes)));
    for (const ProgramTimes &build : lumidesk) {
        const QString name = lumidesk.size() > 1 ? build.build : QStringLiteral("Lumidesk");
        std::printf("  %s: %s\n", qPrintable(name), qPrintable(figures(build.times)));
        std::printf("    processor time until the map: %s\n", qPrintable(figures(build.processorTimes)));
        std::printf("    DrawletApp started in %d of %d runs, already running at the map in %d\n",
                    build.drawletStarted, rounds, build.drawletBeforeMap);
        std::printf("    ratio of the medians: %.2f (goal at most 2.0); of the processor times %.2f\n",
                    median(build.times) / median(bareTimes),
                    median(build.processorTimes) / median(bareProcessorTimes));
    }
}

void twoCameraWindows()
{
    freshSettings();
    const ResolutionMemory::Mode fullHd{1920, 1080, 30, QStringLiteral("MJPG")};
    ResolutionMemory::save(true, 1, fullHd);
    ResolutionMemory::save(true, 2, fullHd);
    LumideskStartup startup;
    Lumidesk *bar = startup.toolbar();
    waitFor([bar] { return bar->windowHandle() && bar->windowHandle()->isExposed(); }, 5000);
    QThread::msleep(500);
    QCoreApplication::processEvents();
    const long toolbarOnly = residentKiB();

    emit bar->layoutChooser()->doShowCameraMode(PipWidget::DualCamera);
    waitFor([bar] { return bar->secondCameraWindow() && bar->secondCameraWindow()->getSourceCamera(); }, 10000);
    // Frames flowing for a while, as a user would have them.
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QStringList formats;
    for (CameraMainWidget *window : {bar->firstCameraWindow(), bar->secondCameraWindow()}) {
        GeneralCamera *camera = window ? window->getSourceCamera() : nullptr;
        const VideoFormat format = camera ? camera->getActiveFormat() : VideoFormat();
        formats.append(QStringLiteral("%1x%2").arg(format.width).arg(format.height));
    }
    std::printf("memory: toolbar alone %ld MB; with two camera windows (%s) %ld MB resident\n", toolbarOnly / 1024,
                qPrintable(formats.join(QStringLiteral(", "))), residentKiB() / 1024);
}

} // namespace

int main(int argc, char *argv[])
{
    // A private home: the benchmark never touches the user's settings, documents or sockets.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    for (const char *folder : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        const QString path = home.path() + QLatin1Char('/') + QLatin1String(folder);
        QDir().mkpath(path);
        qputenv(folder, path.toUtf8());
    }
    // A desktop session's runtime folder is a memory file system (/run/user/<uid>), where the locks taken
    // beside the program's sockets cost no disk writes; so is this one where the machine has one.
    const bool memoryFolders = QFileInfo(QStringLiteral("/dev/shm")).isWritable();
    // Lumidesk's own runs get a fresh one below it each (the runtime root).
    QTemporaryDir runtimeDir(memoryFolders ? QStringLiteral("/dev/shm/bench_toolbar-XXXXXX")
                                           : home.path() + QStringLiteral("/run-XXXXXX"));
    const QString runtime = runtimeDir.path();
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/Documents"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);

    // "--program-from <build folder>", once or more, installs those builds and times their programs in
    // turns against the same bare window, so that builds can be compared on one machine at one load
    // (by default the build this benchmark belongs to; an installation prefix is timed as it is);
    // "--runs N" sets the runs of each, "--program-only" leaves out the start in the process and the
    // memory.
    const QStringList arguments = QCoreApplication::arguments();
    QStringList builds;
    for (int i = 1; i + 1 < arguments.size(); ++i) {
        if (arguments.at(i) == QLatin1String("--program-from"))
            builds.append(arguments.at(i + 1));
    }
    if (builds.isEmpty())
        builds.append(QStringLiteral(LUMIDESK_BINARY_DIR));
    const int runsAt = arguments.indexOf(QStringLiteral("--runs"));
    const int rounds = runsAt > 0 && runsAt + 1 < arguments.size() ? qMax(1, arguments.at(runsAt + 1).toInt())
                                                                   : ProgramRounds;
    const bool programOnly = arguments.contains(QStringLiteral("--program-only"));

    if (!programOnly)
        inProcessStart();
    std::printf("program from %s; load average %s\n", qPrintable(builds.join(QStringLiteral(", "))),
                loadAverage().constData());
    // A DrawletApp whose Lumidesk was killed comes to the benchmark, which ends and collects it.
    prctl(PR_SET_CHILD_SUBREAPER, 1);
    programStart(home.path(), runtime, builds, rounds);
    if (!programOnly)
        twoCameraWindows();
    std::printf("load average at the end %s\n", loadAverage().constData());
    std::printf("goals: start at most twice the bare window's, memory under 300 MB\n");
    return 0;
}
