#include "common/abstractcapturescreenaction.h"

#include "audio/soundplayer.h"
#include "desktop/nativewindow.h"
#include "desktop/taskbarentry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

const QString AbstractCaptureScreenAction::CAPTURE_SOUND_PATH =
        QStringLiteral(":/sound/resources/sound/capture.wav");

const float AbstractCaptureScreenAction::XRatio = 2.0f;
const float AbstractCaptureScreenAction::YRatio = 2.0f;
const float AbstractCaptureScreenAction::TopBottmLeftRatio = 0.2f;
const float AbstractCaptureScreenAction::TopBottmRightRatio = 0.8f;
int AbstractCaptureScreenAction::TopBottmLeftBoundary = 0;
int AbstractCaptureScreenAction::TopBottmRightBoundary = 0;
int AbstractCaptureScreenAction::TopBottmBoundary = 0;
int AbstractCaptureScreenAction::LeftRightBoundary = 0;
int AbstractCaptureScreenAction::toolBarLoaction = 0;

AbstractCaptureScreenAction::AbstractCaptureScreenAction(QWidget *parent)
    : QWidget(nullptr)
{
    Q_UNUSED(parent)
    const QScreen *screen = QGuiApplication::primaryScreen();
    computeBoundaries(screen ? screen->geometry().size() : QSize());
}

AbstractCaptureScreenAction::~AbstractCaptureScreenAction() = default;

void AbstractCaptureScreenAction::computeBoundaries(const QSize &screenSize)
{
    const float width = float(screenSize.width());
    const float height = float(screenSize.height());
    TopBottmLeftBoundary = int(width * TopBottmLeftRatio);
    TopBottmRightBoundary = int(width * TopBottmRightRatio);
    TopBottmBoundary = int(height / XRatio);
    LeftRightBoundary = int(width / YRatio);
}

int AbstractCaptureScreenAction::checkDockWidgetPosition(QPoint p)
{
    const bool middle = p.x() >= TopBottmLeftBoundary && p.x() <= TopBottmRightBoundary;
    if (p.y() <= TopBottmBoundary && middle)
        toolBarLoaction = Top;
    else if (p.y() >= TopBottmBoundary && middle)
        toolBarLoaction = Bottom;
    else if (p.x() <= LeftRightBoundary && p.x() <= TopBottmLeftBoundary)
        toolBarLoaction = Left;
    else if (p.x() >= LeftRightBoundary && p.x() >= TopBottmRightBoundary)
        toolBarLoaction = Right;
    return toolBarLoaction;
}

void AbstractCaptureScreenAction::executeSuccessResponse(QRect rect)
{
    Q_UNUSED(rect)
    platform::SoundPlayer::play(CAPTURE_SOUND_PATH);

    QWidget flash;
    // Qt::Window made explicit: a parentless widget only turns into a window when shown, and then
    // with a title bar unless it already is one.
    flash.setWindowFlags(flash.windowFlags() | Qt::Window | Qt::FramelessWindowHint
                         | Qt::WindowStaysOnTopHint);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        flash.setGeometry(screen->geometry());
    flash.setWindowTitle(QCoreApplication::translate("AbstractCaptureScreenAction", "Lumidesk - Snapshot"));
    // A flash of the screen, not a window a taskbar should list for its few milliseconds.
    platform::TaskbarEntry::keepOut(&flash);
    setWidget(&flash);
    // The flash's time counts from when the X server has drawn it: shown and hidden again on the
    // program's own clock, a busy moment could take it away before it ever reached the screen.
    platform::NativeWindow::waitUntilOnScreen(flash.windowHandle());

    // A coarse timer may fire a little early; the flash lasts at least its time.
    QEventLoop wait;
    QTimer::singleShot(FlashMs, Qt::PreciseTimer, &wait, &QEventLoop::quit);
    wait.exec();
}

void AbstractCaptureScreenAction::setWidget(QWidget *w)
{
    if (!w)
        return;
    w->setStyleSheet(QStringLiteral("background-color: black;color: black;"));
    w->setWindowOpacity(1.0);
    w->show();
}
