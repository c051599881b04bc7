#include "pathitemchangewidthcommand.h"

#include <QGraphicsPathItem>
#include <QPen>

namespace drawlet {
namespace ui {

PathItemChangeWidthCommand::PathItemChangeWidthCommand(QGraphicsPathItem *item,
                                                       const undo_path_t &oldState,
                                                       const undo_path_t &newState,
                                                       QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldState(oldState)
    , m_newState(newState)
{
}

void PathItemChangeWidthCommand::undo()
{
    apply(m_oldState);
}

void PathItemChangeWidthCommand::redo()
{
    apply(m_newState);
}

void PathItemChangeWidthCommand::apply(const undo_path_t &state)
{
    QPen pen = m_item->pen();
    pen.setWidth(state.width);
    m_item->setPen(pen);
    m_item->setPath(state.path);
}

} // namespace ui
} // namespace drawlet
