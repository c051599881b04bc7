#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moves a frameless dialog by a left-button drag anywhere on its body (outside the controls that take
// the press): the pressed point stays under the pointer.
class DialogDrag
{
public:
    void press(QMouseEvent *event);
    void move(QWidget *dialog, QMouseEvent *event);
    void release(QMouseEvent *event);

    bool isDragging() const { return m_dragging; }
    QPoint pressPosition() const { return m_pressPosition; }

private:
    bool m_dragging = false;
    QPoint m_pressPosition;
};
