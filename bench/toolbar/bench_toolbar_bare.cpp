// The yardstick of the start-up benchmark: the least a Qt program does to put a toolbar-sized window
// on screen. One frameless, stay-on-top 488x55 widget, nothing else.

#include <QApplication>
#include <QWidget>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget bar(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    bar.setFixedSize(488, 55);
    bar.show();
    return app.exec();
}
