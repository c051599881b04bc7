#include "capturescreenwidget.h"

#include <QGuiApplication>
#include <QScreen>

namespace drawlet {
namespace ui {

CaptureScreenWidget::CaptureScreenWidget(QWidget *parent)
    : AbstractCaptureWidget(parent)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setFixedSize(screen->size());
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowOpacity(0.01);
    setCursor(Qt::CrossCursor);
}

} // namespace ui
} // namespace drawlet
