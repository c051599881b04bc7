#pragma once

#include "drawletui_global.h"
#include "linestyle.h"
#include <QPainterPath>
#include <QUndoCommand>

namespace drawlet {
namespace ui {

class QorvGraphicsPathItem;
// Restyles a stroke: the style and the path it gave (with or without arrow heads) change together.
class DRAWLETUI_EXPORT PathItemChangeStyleCommand : public QUndoCommand
{
public:
    struct undo_path_t
    {
        QPainterPath path;
        LineStyle::style_t lineStyle;
    };

    PathItemChangeStyleCommand(QorvGraphicsPathItem *item, const undo_path_t &oldState,
                               const undo_path_t &newState, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void apply(const undo_path_t &state);

    QorvGraphicsPathItem *m_item;
    undo_path_t m_oldState;
    undo_path_t m_newState;
};

} // namespace ui
} // namespace drawlet
