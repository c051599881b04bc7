#pragma once

#include "drawletui_global.h"

#include <QPointF>
#include <QUndoCommand>

class QGraphicsItem;

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT MoveCommand : public QUndoCommand
{
public:
    MoveCommand(QGraphicsItem *item, const QPointF &oldPosition, const QPointF &newPosition,
                QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    QGraphicsItem *m_item;
    QPointF m_oldPosition;
    QPointF m_newPosition;
};

} // namespace ui
} // namespace drawlet
