#pragma once

#include "drawletui_global.h"

#include <QPainterPath>
#include <QUndoCommand>

class QGraphicsPathItem;

namespace drawlet {
namespace ui {

// Re-widths a stroke: the width and the path it gave (arrow heads follow the width) change
// together.
class DRAWLETUI_EXPORT PathItemChangeWidthCommand : public QUndoCommand
{
public:
    struct undo_path_t
    {
        QPainterPath path;
        int width;
    };

    PathItemChangeWidthCommand(QGraphicsPathItem *item, const undo_path_t &oldState,
                               const undo_path_t &newState, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void apply(const undo_path_t &state);

    QGraphicsPathItem *m_item;
    undo_path_t m_oldState;
    undo_path_t m_newState;
};

} // namespace ui
} // namespace drawlet
