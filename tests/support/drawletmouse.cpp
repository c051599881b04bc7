#include "drawletmouse.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace DrawletMouse {

namespace {
void send(QWidget *viewport, QEvent::Type type, const QPoint &pos, Qt::MouseButton button,
          Qt::MouseButtons buttons)
{
    QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
}
} // namespace

void press(QWidget *viewport, const QPoint &pos, Qt::MouseButton button)
{
    send(viewport, QEvent::MouseButtonPress, pos, button, button);
}

void move(QWidget *viewport, const QPoint &pos, Qt::MouseButtons buttons)
{
    send(viewport, QEvent::MouseMove, pos, Qt::NoButton, buttons);
}

void release(QWidget *viewport, const QPoint &pos, Qt::MouseButton button)
{
    send(viewport, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

void doubleClick(QWidget *viewport, const QPoint &pos, Qt::MouseButton button)
{
    send(viewport, QEvent::MouseButtonDblClick, pos, button, button);
}

void stroke(QWidget *viewport, const QVector<QPoint> &points, Qt::MouseButton button)
{
    if (points.isEmpty())
        return;
    press(viewport, points.first(), button);
    for (int i = 1; i < points.size(); ++i)
        move(viewport, points.at(i), button);
    release(viewport, points.last(), button);
}

} // namespace DrawletMouse
