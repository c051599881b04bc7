#include "abstractcapturescreenaction.h"

#include "audio/soundplayer.h"
#include "desktop/desktoppaths.h"
#include "desktop/nativewindow.h"
#include "desktop/taskbarentry.h"
#include "screen/shooter/screenshooter.h"

#include <QDebug>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace drawlet {
namespace ui {

const QString AbstractCaptureScreenAction::CAPTURE_SOUND_PATH
    = QStringLiteral(":/resource/sound/capture.wav");

namespace {

std::function<QDateTime()> &clock()
{
    static std::function<QDateTime()> value;
    return value;
}

QDateTime now()
{
    return clock() ? clock()() : QDateTime::currentDateTime();
}

} // namespace

AbstractCaptureScreenAction::AbstractCaptureScreenAction(QObject *parent)
    : QAction(parent)
{
}

AbstractCaptureScreenAction::~AbstractCaptureScreenAction() = default;

QString AbstractCaptureScreenAction::defaultPath()
{
    return platform::DesktopPaths::documentsFolder() + QStringLiteral("/Qorv/Tivlo/Picture");
}

void AbstractCaptureScreenAction::setClock(std::function<QDateTime()> value)
{
    clock() = std::move(value);
}

bool AbstractCaptureScreenAction::generatieFilePath()
{
    const QString folder = defaultPath();
    if (!QDir().mkpath(folder)) {
        qDebug().noquote() << "can't create foloder : " + folder;
        return false;
    }
    // A second capture within the same second gets "-2", "-3", ...: no capture replaces another.
    const QString stem
        = folder + QLatin1Char('/') + now().toString(QStringLiteral("yyyyMMddhhmmss"));
    QString candidate = stem + QStringLiteral(".png");
    for (int number = 2; QFileInfo::exists(candidate); ++number)
        candidate = stem + QStringLiteral("-%1.png").arg(number);
    filePath = candidate;
    return true;
}

int AbstractCaptureScreenAction::captureScreenViaSystemCall(const QString &options,
                                                            const QString &path)
{
    platform::ScreenShooter::Mode mode;
    if (options == QLatin1String("x"))
        mode = platform::ScreenShooter::FullScreen;
    else if (options == QLatin1String("xow"))
        mode = platform::ScreenShooter::Window;
    else if (options == QLatin1String("xi"))
        mode = platform::ScreenShooter::Area;
    else
        return platform::ScreenShooter::Failed;
    return platform::ScreenShooter::create()->shoot(mode, path);
}

void AbstractCaptureScreenAction::captureScreen(const QString &options)
{
    delay(HideDelayMs);
    if (!generatieFilePath()) {
        showWarning();
        return;
    }
    const int status = captureScreenViaSystemCall(options, filePath);
    if (status == platform::ScreenShooter::Succeeded) {
        executeSuccessResponse();
    } else if (status == platform::ScreenShooter::GaveUp) {
        qWarning().noquote() << QStringLiteral("user give up: [ %1: %2 ]\nparamter: [%3 ] ")
                                    .arg(status)
                                    .arg(qt_error_string(status), options);
    } else {
        qWarning().noquote()
            << QStringLiteral(
                   "failed to use screencaptrue : [ %1: %2 ]\nparamter: [%3 ]  File path : [%4]")
                   .arg(status)
                   .arg(qt_error_string(status), options, filePath);
        showWarning();
    }
}

void AbstractCaptureScreenAction::showWarning()
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral(" "), tr("Can't save file."),
                    QMessageBox::Ok);
    // About the annotation toolbar's capture: the annotation window's entry stands for it.
    platform::TaskbarEntry::keepOut(&box);
    box.exec();
    delay(FlashMs);
}

void AbstractCaptureScreenAction::delay(int ms)
{
    // A coarse timer may fire a little early: every wait lasts at least its time.
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void AbstractCaptureScreenAction::executeSuccessResponse()
{
    platform::SoundPlayer::play(CAPTURE_SOUND_PATH);
    QWidget flash;
    // Qt::Window made explicit: a parentless widget only turns into a window when shown.
    flash.setWindowFlags(flash.windowFlags() | Qt::Window | Qt::WindowStaysOnTopHint
                         | Qt::FramelessWindowHint);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        flash.setGeometry(screen->geometry());
    flash.setWindowTitle(tr("DrawletApp - Screen Capture"));
    // A flash of the screen, not a window a taskbar should list for its few milliseconds.
    platform::TaskbarEntry::keepOut(&flash);
    setWidget(&flash);
    // The flash's time counts from when the X server has drawn it: shown and hidden again on the
    // program's own clock, a busy moment could take it away before it ever reached the screen.
    platform::NativeWindow::waitUntilOnScreen(flash.windowHandle());
    delay(FlashMs);
}

void AbstractCaptureScreenAction::setWidget(QWidget *widget)
{
    if (!widget)
        return;
    widget->setStyleSheet(QStringLiteral("background-color: black;color: black;"));
    widget->setWindowOpacity(1.0);
    widget->show();
}

} // namespace ui
} // namespace drawlet
