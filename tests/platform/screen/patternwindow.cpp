// Shows a window of a known pattern for the screen shooter's tests, as another program would:
//   tst_screen_patternwindow X Y WIDTH HEIGHT
// Blue, with a yellow square 40 x 40 at (20, 20); prints "ready" once it is on screen.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QRasterWindow>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace {

class PatternWindow : public QRasterWindow
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(QRect(QPoint(0, 0), size()), QColor(20, 60, 200));
        painter.fillRect(QRect(20, 20, 40, 40), QColor(250, 220, 0));
    }
    void exposeEvent(QExposeEvent *event) override
    {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_announced) {
            m_announced = true;
            // Exposed is not yet drawn: announced once the server shows the pixels to anybody who reads.
            QObject::connect(&m_look, &QTimer::timeout, [this] {
                if (!shownOnScreen())
                    return;
                m_look.stop();
                std::printf("ready\n");
                std::fflush(stdout);
            });
            m_look.start(20);
        }
    }

private:
    bool shownOnScreen() const
    {
        const QImage shown = screen()->grabWindow(0, x(), y(), width(), height()).toImage();
        return shown.width() > 30 && shown.height() > 30 && QColor(shown.pixel(5, 5)) == QColor(20, 60, 200)
               && QColor(shown.pixel(30, 30)) == QColor(250, 220, 0);
    }

    bool m_announced = false;
    QTimer m_look;
};

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 5)
        return 2;
    PatternWindow window;
    window.setFlags(Qt::Window | Qt::FramelessWindowHint);
    window.setGeometry(args.at(1).toInt(), args.at(2).toInt(), args.at(3).toInt(), args.at(4).toInt());
    window.show();
    return app.exec();
}
