#include "dialogs/dialogdrag.h"

#include <QMouseEvent>
#include <QWidget>

DialogDrag::DialogDrag(QWidget *dialog)
    : QObject(dialog)
    , m_dialog(dialog)
{
    dialog->installEventFilter(this);
}

bool DialogDrag::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_dialog)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            m_dragging = true;
            m_pressPosition = mouse->localPos().toPoint();
        }
        break;
    }
    case QEvent::MouseMove:
        if (m_dragging)
            m_dialog->move(m_dialog->mapToParent(static_cast<QMouseEvent *>(event)->localPos().toPoint() - m_pressPosition));
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            m_dragging = false;
            m_pressPosition = QPoint();
        }
        break;
    default:
        break;
    }
    return false;
}
