#include "lineshapechanestylecommand.h"

#include "graphicsarrowlineitem.h"

#include <QPen>

namespace drawlet {
namespace ui {

LineShapeChaneStyleCommand::LineShapeChaneStyleCommand(GraphicsArrowLineItem *item,
                                                       const LineStyle::style_t &oldStyle,
                                                       const LineStyle::style_t &newStyle,
                                                       QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldStyle(oldStyle)
    , m_newStyle(newStyle)
{
}

void LineShapeChaneStyleCommand::undo()
{
    apply(m_oldStyle);
}

void LineShapeChaneStyleCommand::redo()
{
    apply(m_newStyle);
}

void LineShapeChaneStyleCommand::apply(const LineStyle::style_t &style)
{
    m_item->setLineStyle(style);
    QPen pen = m_item->pen();
    pen.setStyle(Qt::PenStyle(style.penStyle));
    m_item->setPen(pen);
    m_item->update();
}

} // namespace ui
} // namespace drawlet
