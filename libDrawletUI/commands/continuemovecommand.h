#pragma once

#include "drawletui_global.h"

#include <QPointF>
#include <QUndoCommand>

class QGraphicsItem;

namespace drawlet {
namespace ui {

// Pushed when a drag starts, before its end is known: each undo or redo swaps the item's position
// with the one held, so the first redo changes nothing and later ones move between the drag's two
// ends.
class DRAWLETUI_EXPORT ContinueMoveCommand : public QUndoCommand
{
public:
    ContinueMoveCommand(QGraphicsItem *item, const QPointF &position,
                        QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void swapPosition();

    QGraphicsItem *m_item;
    QPointF m_position;
    bool m_applied = false;
};

} // namespace ui
} // namespace drawlet
