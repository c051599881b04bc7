#include "continuemovecommand.h"

#include <QGraphicsItem>

namespace drawlet {
namespace ui {

ContinueMoveCommand::ContinueMoveCommand(QGraphicsItem *item, const QPointF &position,
                                         QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_position(position)
{
}

void ContinueMoveCommand::undo()
{
    // A second undo without a redo between them would move the item to the drag's end again.
    if (!m_applied)
        return;
    m_applied = false;
    swapPosition();
}

void ContinueMoveCommand::redo()
{
    swapPosition();
    m_applied = true;
}

void ContinueMoveCommand::swapPosition()
{
    const QPointF current = m_item->pos();
    m_item->setPos(m_position);
    m_position = current;
}

} // namespace ui
} // namespace drawlet
