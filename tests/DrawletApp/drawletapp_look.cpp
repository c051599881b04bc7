// Shows the overlay with its toolbar over a stand-in desktop window, to look at (not a test):
//
//   drawletapp_look [whiteboard|mouse] [bottom|left|right]
//
// The panel is the tests' stand-in plug-in; a few annotations are drawn on the desktop scene.
#include "drawletapp.h"
#include "fakepanel.h"

#include "annotationscene.h"
#include "plugmux.h"

#include <QApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPen>
#include <QScreen>
#include <QTimer>
#include <QToolButton>

namespace {

// Something to annotate: a window with a gradient and a block of colour where the desktop would be.
class DesktopStandIn : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient gradient(0, 0, 0, height());
        gradient.setColorAt(0, QColor("#3a6ea5"));
        gradient.setColorAt(1, QColor("#a5d0e0"));
        painter.fillRect(rect(), gradient);
        painter.fillRect(QRect(300, 300, 400, 300), QColor("#d04040"));
        painter.setPen(Qt::white);
        painter.setFont(QFont(QStringLiteral("Liberation Sans"), 28));
        painter.drawText(QRect(300, 620, 800, 60), QStringLiteral("A document on the desktop"));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    DesktopStandIn desktop;
    desktop.setWindowFlags(Qt::FramelessWindowHint);
    desktop.setGeometry(screen);
    desktop.show();

    FakePanel panel(drawlet::ui::Plugmux::defaultPluginPath());
    if (!panel.isLoaded())
        return 2;
    panel.setServerAlive(true);
    drawlet::application::DrawletApp window;
    window.setGeometry(0, 0, 1024, 768);
    auto *scene = window.desktopScene();
    scene->addEllipse(320, 320, 360, 260, QPen(QColor("#ffe000"), 8));
    scene->addLine(760, 450, 1100, 450, QPen(Qt::green, 6));

    QPoint handOver(screen.width() / 2 - 388, 0);
    if (args.contains(QLatin1String("bottom")))
        handOver = QPoint(screen.width() / 2 - 388, screen.height() - 60);
    else if (args.contains(QLatin1String("left")))
        handOver = QPoint(10, 200);
    else if (args.contains(QLatin1String("right")))
        handOver = QPoint(screen.width() - 60, 200);
    QTimer::singleShot(500, [&] {
        panel.emitLumideskHided(handOver.x(), handOver.y());
        QTimer::singleShot(800, [&] {
            if (args.contains(QLatin1String("whiteboard")))
                window.findChild<QToolButton *>(QStringLiteral("whiteboardButton"))->click();
            else if (args.contains(QLatin1String("mouse")))
                window.findChild<QToolButton *>(QStringLiteral("mouseModeButton"))->click();
        });
    });
    return app.exec();
}
