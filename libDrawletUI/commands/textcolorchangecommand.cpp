#include "textcolorchangecommand.h"

#include <QGraphicsTextItem>

namespace drawlet {
namespace ui {

TextColorChangeCommand::TextColorChangeCommand(QGraphicsTextItem *item, const QColor &oldColor,
                                               const QColor &newColor, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldColor(oldColor)
    , m_newColor(newColor)
{
}

void TextColorChangeCommand::undo()
{
    m_item->setDefaultTextColor(m_oldColor);
}

void TextColorChangeCommand::redo()
{
    m_item->setDefaultTextColor(m_newColor);
}

} // namespace ui
} // namespace drawlet
