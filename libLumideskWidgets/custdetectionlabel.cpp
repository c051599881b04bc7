#include "custdetectionlabel.h"

CustDetectionLabel::CustDetectionLabel(QFrame *parent)
    : QLabel(parent)
{
}

void CustDetectionLabel::enterEvent(QEvent *event)
{
    QLabel::enterEvent(event);
    emit mouseEnterWidget();
}

void CustDetectionLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit mouseLeaveWidget();
}
