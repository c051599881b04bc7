#pragma once

#include "drawletui_global.h"

#include <QPointF>
#include <QRectF>
#include <QUndoCommand>

namespace drawlet {
namespace ui {

class QorvGraphicsPixmapItem;

class DRAWLETUI_EXPORT PictureResizeCommand : public QUndoCommand
{
public:
    PictureResizeCommand(QorvGraphicsPixmapItem *item, const QPointF &oldPosition,
                         const QRectF &oldRect, const QPointF &newPosition, const QRectF &newRect,
                         QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    QorvGraphicsPixmapItem *m_item;
    QPointF m_oldPosition;
    QRectF m_oldRect;
    QPointF m_newPosition;
    QRectF m_newRect;
};

} // namespace ui
} // namespace drawlet
