#include "pictureresizecommand.h"

#include "qorvgraphicspixmapitem.h"

namespace drawlet {
namespace ui {

PictureResizeCommand::PictureResizeCommand(QorvGraphicsPixmapItem *item, const QPointF &oldPosition,
                                           const QRectF &oldRect, const QPointF &newPosition,
                                           const QRectF &newRect, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldPosition(oldPosition)
    , m_oldRect(oldRect)
    , m_newPosition(newPosition)
    , m_newRect(newRect)
{
}

void PictureResizeCommand::undo()
{
    m_item->scalePicture(m_oldRect);
    m_item->setPos(m_oldPosition);
}

void PictureResizeCommand::redo()
{
    m_item->scalePicture(m_newRect);
    m_item->setPos(m_newPosition);
}

} // namespace ui
} // namespace drawlet
