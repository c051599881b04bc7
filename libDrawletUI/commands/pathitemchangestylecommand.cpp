#include "pathitemchangestylecommand.h"

#include "qorvgraphicspathitem.h"

namespace drawlet {
namespace ui {

PathItemChangeStyleCommand::PathItemChangeStyleCommand(QorvGraphicsPathItem *item,
                                                       const undo_path_t &oldState,
                                                       const undo_path_t &newState,
                                                       QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldState(oldState)
    , m_newState(newState)
{
}

void PathItemChangeStyleCommand::undo()
{
    apply(m_oldState);
}

void PathItemChangeStyleCommand::redo()
{
    apply(m_newState);
}

void PathItemChangeStyleCommand::apply(const undo_path_t &state)
{
    m_item->setLineStyle(state.lineStyle);
    m_item->setPath(state.path);
}

} // namespace ui
} // namespace drawlet
