#include "custommovebutton.h"

#include <QMouseEvent>

CustomMoveButton::CustomMoveButton(QWidget *parent)
    : QToolButton(parent)
{
}

void CustomMoveButton::mousePressEvent(QMouseEvent *event)
{
    // A chord (left plus another button) is not the start of a drag.
    if (event->buttons() == Qt::LeftButton)
        emit buttonPress(event);
}

void CustomMoveButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit buttonRelease(event);
}

void CustomMoveButton::enterEvent(QEvent *event)
{
    QToolButton::enterEvent(event);
    emit buttonEnter(event);
}

void CustomMoveButton::leaveEvent(QEvent *event)
{
    QToolButton::leaveEvent(event);
    emit buttonLeave(event);
}
