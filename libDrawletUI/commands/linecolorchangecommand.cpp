#include "linecolorchangecommand.h"

#include <QGraphicsLineItem>
#include <QPen>

namespace drawlet {
namespace ui {

LineColorChangeCommand::LineColorChangeCommand(QGraphicsLineItem *item, const QColor &oldColor,
                                               const QColor &newColor, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldColor(oldColor)
    , m_newColor(newColor)
{
}

void LineColorChangeCommand::undo()
{
    apply(m_oldColor);
}

void LineColorChangeCommand::redo()
{
    apply(m_newColor);
}

void LineColorChangeCommand::apply(const QColor &color)
{
    QPen pen = m_item->pen();
    pen.setColor(color);
    m_item->setPen(pen);
}

} // namespace ui
} // namespace drawlet
