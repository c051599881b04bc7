#include "custommoveframe.h"

#include <QMouseEvent>

CustomMoveFrame::CustomMoveFrame(QWidget *parent)
    : QFrame(parent)
{
}

void CustomMoveFrame::mousePressEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::LeftButton)
        emit framePress(event);
}

void CustomMoveFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit frameRelease(event);
}

void CustomMoveFrame::mouseMoveEvent(QMouseEvent *event)
{
    // Every move is forwarded: the window itself knows whether a drag is running.
    emit frameMove(event);
}
