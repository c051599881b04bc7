#include "clickablelabel.h"

#include <QMouseEvent>

ClickableLabel::ClickableLabel(QWidget *parent)
    : QLabel(parent)
{
}

void ClickableLabel::mousePressEvent(QMouseEvent *event)
{
    // Taken here, so the parent behind the label does not see the press as well.
    event->accept();
    emit clicked();
}

void ClickableLabel::enterEvent(QEvent *event)
{
    QLabel::enterEvent(event);
    emit mouseEnterWidget();
}

void ClickableLabel::leaveEvent(QEvent *event)
{
    QLabel::leaveEvent(event);
    emit mouseLeaveWidget();
}
