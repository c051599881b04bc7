#include "custdetectionframe.h"

#include <QPainter>
#include <QPixmap>

CustDetectionFrame::CustDetectionFrame(QFrame *parent)
    : QFrame(parent)
{
}

void CustDetectionFrame::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.drawPixmap(rect(), QPixmap(QStringLiteral(":/pip/resources/pip/bg_p_menu46.png")));
}

void CustDetectionFrame::enterEvent(QEvent *event)
{
    QFrame::enterEvent(event);
    emit mouseEnterWidget();
}

void CustDetectionFrame::leaveEvent(QEvent *event)
{
    QFrame::leaveEvent(event);
    emit mouseLeaveWidget();
}
