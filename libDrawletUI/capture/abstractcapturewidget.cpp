#include "abstractcapturewidget.h"

#include <QGuiApplication>
#include <QScreen>

namespace drawlet {
namespace ui {

AbstractCaptureWidget::AbstractCaptureWidget(QWidget *parent)
    : QWidget(parent)
{
    // Receivers in other threads and signal spies need the screen's type by name.
    qRegisterMetaType<QScreen *>();
}

AbstractCaptureWidget::~AbstractCaptureWidget() = default;

void AbstractCaptureWidget::coverPrimaryScreen()
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setFixedSize(screen->size());
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowOpacity(0.01);
    setCursor(Qt::CrossCursor);
}

} // namespace ui
} // namespace drawlet
