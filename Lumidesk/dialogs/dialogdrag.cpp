#include "dialogs/dialogdrag.h"

#include <QMouseEvent>
#include <QWidget>

void DialogDrag::press(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_pressPosition = event->localPos().toPoint();
}

void DialogDrag::move(QWidget *dialog, QMouseEvent *event)
{
    if (m_dragging)
        dialog->move(dialog->mapToParent(event->localPos().toPoint() - m_pressPosition));
}

void DialogDrag::release(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_pressPosition = QPoint();
}
