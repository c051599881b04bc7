#include "movecommand.h"

#include <QGraphicsItem>

namespace drawlet {
namespace ui {

MoveCommand::MoveCommand(QGraphicsItem *item, const QPointF &oldPosition,
                         const QPointF &newPosition, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldPosition(oldPosition)
    , m_newPosition(newPosition)
{
}

void MoveCommand::undo()
{
    m_item->setPos(m_oldPosition);
}

void MoveCommand::redo()
{
    m_item->setPos(m_newPosition);
}

} // namespace ui
} // namespace drawlet
