// Prints how long Lumidesk takes from its start to the toolbar on screen, without any network (no
// update server is configured in the build, so no check runs), and how much memory it holds with two
// simulated 1080p camera windows open. Goals: under 500 ms, under 300 MB.
//
// Run it on an X display, e.g. xvfb-run -s "-screen 0 1920x1080x24" build/bin/bench_toolbar

#include "camera/generalcamera.h"
#include "camerawindow/cameramainwidget.h"
#include "camerawindow/resolutionmemory.h"
#include "common/settingspath.h"
#include "core/platformbackend.h"
#include "toolbar/lumidesk.h"
#include "toolbar/lumideskstartup.h"
#include "toolbar/pipwidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QWindow>
#include <QX11Info>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const int Rounds = 5;

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

void freshSettings()
{
    QFile::remove(_GUID_SETTING_INI);
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("Guid/Enabled"), 0);
}

// Whether a mapped top-level window of the process pid carries the title.
bool mapped(qint64 pid, const QByteArray &title)
{
    xcb_connection_t *c = QX11Info::connection();
    auto atom = [c](const char *name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&free)> reply(
                xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(strlen(name)), name), nullptr), &free);
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    };
    auto property = [c](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
                xcb_get_property_reply(c, xcb_get_property(c, 0, window, name, type, 0, 256), nullptr), &free);
        return reply ? QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                                  xcb_get_property_value_length(reply.get()))
                     : QByteArray();
    };
    std::unique_ptr<xcb_query_tree_reply_t, decltype(&free)> tree(
            xcb_query_tree_reply(c, xcb_query_tree(c, QX11Info::appRootWindow()), nullptr), &free);
    if (!tree)
        return false;
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        const QByteArray owner = property(children[i], atom("_NET_WM_PID"), XCB_ATOM_CARDINAL);
        if (owner.size() != 4 || *reinterpret_cast<const quint32 *>(owner.constData()) != quint32(pid))
            continue;
        std::unique_ptr<xcb_get_window_attributes_reply_t, decltype(&free)> attributes(
                xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, children[i]), nullptr), &free);
        if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
            && property(children[i], atom("_NET_WM_NAME"), atom("UTF8_STRING")) == title)
            return true;
    }
    return false;
}

void inProcessStart()
{
    QList<double> later;
    double first = 0;
    for (int round = 0; round < Rounds; ++round) {
        freshSettings();
        QElapsedTimer clock;
        clock.start();
        auto startup = std::make_unique<LumideskStartup>();
        Lumidesk *bar = startup->toolbar();
        waitFor([bar] { return bar->windowHandle() && bar->windowHandle()->isExposed(); }, 5000);
        const double ms = clock.nsecsElapsed() / 1e6;
        if (round == 0)
            first = ms;
        else
            later.append(ms);
    }
    std::printf("in process, start to toolbar shown: first %.0f ms, then median %.0f ms (%d rounds)\n", first,
                median(later), Rounds - 1);
}

void programStart(const QString &home)
{
    if (!QX11Info::isPlatformX11()) {
        std::printf("program start: skipped (needs an X display)\n");
        return;
    }
    // The program in a folder of its own, laid out as installed, without DrawletApp beside it.
    const QString built = QCoreApplication::applicationDirPath();
    const QString folder = home + QStringLiteral("/app");
    QDir().mkpath(folder);
    QFile::copy(built + QStringLiteral("/Lumidesk"), folder + QStringLiteral("/Lumidesk"));
    QFile::link(built + QStringLiteral("/lib"), folder + QStringLiteral("/lib"));
    QFile::link(built + QStringLiteral("/Languages"), folder + QStringLiteral("/Languages"));

    QList<double> times;
    for (int round = 0; round < Rounds; ++round) {
        freshSettings();
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LUMIDESK_SIMULATE"), QStringLiteral("1"));
        program.setProcessEnvironment(environment);
        QElapsedTimer clock;
        clock.start();
        program.start(folder + QStringLiteral("/Lumidesk"), QStringList());
        if (!program.waitForStarted()) {
            std::printf("program start: %s\n", qPrintable(program.errorString()));
            return;
        }
        const qint64 pid = program.processId();
        waitFor([pid] { return mapped(pid, "Tivlo"); }, 10000);
        times.append(clock.nsecsElapsed() / 1e6);
        program.kill();
        program.waitForFinished();
    }
    std::printf("program, start to toolbar mapped: median %.0f ms, best %.0f ms (%d runs)\n", median(times),
                *std::min_element(times.begin(), times.end()), Rounds);
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
    const QString runtime = home.path() + QStringLiteral("/run");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    QDir().mkpath(home.path() + QStringLiteral("/Documents"));

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumidesk"));
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);

    inProcessStart();
    programStart(home.path());
    twoCameraWindows();
    std::printf("goals: start under 500 ms, memory under 300 MB\n");
    return 0;
}
