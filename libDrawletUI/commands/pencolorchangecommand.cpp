#include "pencolorchangecommand.h"

#include <QAbstractGraphicsShapeItem>
#include <QBrush>
#include <QPen>

namespace drawlet {
namespace ui {

PenColorChangeCommand::PenColorChangeCommand(QAbstractGraphicsShapeItem *item,
                                             const QColor &oldColor, const QColor &newColor,
                                             QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldColor(oldColor)
    , m_newColor(newColor)
{
    // A recolour never changes transparency: a highlighter stroke stays a highlighter stroke.
    const int alpha = m_item->pen().color().alpha();
    m_oldColor.setAlpha(alpha);
    m_newColor.setAlpha(alpha);
}

void PenColorChangeCommand::undo()
{
    apply(m_oldColor);
}

void PenColorChangeCommand::redo()
{
    apply(m_newColor);
}

void PenColorChangeCommand::apply(const QColor &color)
{
    QPen pen = m_item->pen();
    pen.setColor(color);
    m_item->setPen(pen);
    // Outline shapes have no brush and keep none.
    if (m_item->brush().style() != Qt::NoBrush)
        m_item->setBrush(QBrush(color, Qt::SolidPattern));
}

} // namespace ui
} // namespace drawlet
