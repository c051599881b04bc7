#include "screen/shooter/screenshooter.h"

#include "screen/screenbackend.h"
#include "screen/shooter/screenpickerwindow.h"
#include "screen/shooter/simulated/simulatedscreenshooter.h"
#include "screen/shooter/x11/x11screenshooter.h"

#include <QCursor>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPointer>
#include <QScreen>

#include <optional>

namespace platform {

const char ScreenShooter::PickerName[] = "screenPicker";

namespace {

QScreen *screenUnderPointer()
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return nullptr;
    if (QScreen *screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

// Shows the still on the screen and waits for the user's choice (device pixels of the still); no
// value when the user gave up.
std::optional<QRect> letUserChoose(QScreen *screen, const QImage &still, ScreenPickerWindow::Kind kind,
                                   const QVector<QRect> &frames)
{
    ScreenPickerWindow picker(screen, still, kind, frames);
    picker.setObjectName(QLatin1String(ScreenShooter::PickerName));
    std::optional<QRect> choice;
    QEventLoop loop;
    QObject::connect(&picker, &ScreenPickerWindow::chosen, &loop, [&](const QRect &area) {
        choice = area;
        loop.quit();
    });
    QObject::connect(&picker, &ScreenPickerWindow::cancelled, &loop, &QEventLoop::quit);
    // A screen unplugged under the overlay ends the choice as given up.
    QObject::connect(screen, &QObject::destroyed, &loop, &QEventLoop::quit);
    picker.showFullScreenStill();
    loop.exec();
    return choice;
}

} // namespace

std::unique_ptr<ScreenShooter> ScreenShooter::create()
{
    if (ScreenBackend::isSimulated())
        return std::make_unique<SimulatedScreenShooter>();
    return std::make_unique<X11ScreenShooter>();
}

ScreenShooter::~ScreenShooter() = default;

QRect ScreenShooter::deviceArea(const QScreen *screen)
{
    const qreal ratio = screen->devicePixelRatio();
    const QRect logical = screen->geometry();
    return QRect((QPointF(logical.topLeft()) * ratio).toPoint(), (QSizeF(logical.size()) * ratio).toSize());
}

int ScreenShooter::shoot(Mode mode, const QString &path)
{
    if (path.isEmpty() || QFile::exists(path))
        return Failed;
    QPointer<QScreen> screen = screenUnderPointer();
    if (!screen)
        return Failed;
    const QRect area = deviceArea(screen);
    const QImage still = grabArea(area);
    if (still.isNull())
        return Failed;

    QImage picture = still;
    if (mode != FullScreen) {
        QVector<QRect> frames;
        if (mode == Window) {
            for (const QRect &frame : windowFrames()) {
                const QRect onScreen = frame.intersected(area).translated(-area.topLeft());
                if (!onScreen.isEmpty())
                    frames.append(onScreen);
            }
        }
        const auto kind = mode == Window ? ScreenPickerWindow::PickWindow : ScreenPickerWindow::DrawArea;
        const std::optional<QRect> choice = letUserChoose(screen, still, kind, frames);
        if (!choice)
            return GaveUp;
        picture = still.copy(choice->intersected(still.rect()));
    }
    return writePng(picture, path) ? Succeeded : Failed;
}

bool ScreenShooter::writePng(const QImage &image, const QString &path)
{
    if (image.isNull())
        return false;
    QFile file(path);
    // NewOnly: a file that appeared since the name was chosen is left alone.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return false;
    QImageWriter writer(&file, "png");
    const bool written = writer.write(image) && file.flush();
    file.close();
    if (!written || file.error() != QFileDevice::NoError) {
        file.remove();
        return false;
    }
    return true;
}

} // namespace platform
