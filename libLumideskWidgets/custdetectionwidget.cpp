#include "custdetectionwidget.h"

CustDetectionWidget::CustDetectionWidget(QWidget *parent)
    : QWidget(parent)
{
}

void CustDetectionWidget::paintEvent(QPaintEvent *event)
{
    // Deliberately nothing, not even a style sheet background: what lies below stays visible.
    Q_UNUSED(event)
}

void CustDetectionWidget::enterEvent(QEvent *event)
{
    QWidget::enterEvent(event);
    emit mouseEnterWidget();
}

void CustDetectionWidget::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    emit mouseLeaveWidget();
}
