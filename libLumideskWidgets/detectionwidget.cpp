#include "detectionwidget.h"

#include <QMouseEvent>
#include <QPainter>

DetectionWidget::DetectionWidget(QWidget *parent)
    : QWidget(parent)
{
}

void DetectionWidget::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // Painted fully transparent: the handle must be hit-testable yet never seen.
    QPainter painter(this);
    painter.setOpacity(0.0);
    painter.fillRect(rect(), Qt::red);
}

void DetectionWidget::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    emit mouseEnterWidget();
}

void DetectionWidget::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    emit mouseLeaveWidget();
}

void DetectionWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_pressPosition = event->screenPos().toPoint();
    emit mouseLeftClicked();
}

void DetectionWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    emit mouseLeftRelease();
}

void DetectionWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    emit mouseDragWidget(event->screenPos().toPoint() - m_pressPosition);
}
