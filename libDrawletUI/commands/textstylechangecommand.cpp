#include "textstylechangecommand.h"

#include <QGraphicsTextItem>

namespace drawlet {
namespace ui {

TextStyleChangeCommand::TextStyleChangeCommand(QGraphicsTextItem *item, const QFont &oldFont,
                                               const QFont &newFont, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldFont(oldFont)
    , m_newFont(newFont)
{
}

void TextStyleChangeCommand::undo()
{
    m_item->setFont(m_oldFont);
}

void TextStyleChangeCommand::redo()
{
    m_item->setFont(m_newFont);
}

} // namespace ui
} // namespace drawlet
