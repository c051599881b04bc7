#include "capturewindowscreenwidget.h"

#include "framewidget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace drawlet {
namespace ui {

CaptureWindowScreenWidget::CaptureWindowScreenWidget(QWidget *parent)
    : AbstractCaptureWidget(parent)
{
    coverPrimaryScreen();
    setMouseTracking(true);
}

void CaptureWindowScreenWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        m_frame.reset();
        emit captureCanceled();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_frame) {
        m_frame->hide();
        emit screenCaptured(QGuiApplication::primaryScreen(), m_frame->geometry());
    } else {
        emit captureCanceled();
    }
}

void CaptureWindowScreenWidget::mouseMoveEvent(QMouseEvent *) { }

} // namespace ui
} // namespace drawlet
