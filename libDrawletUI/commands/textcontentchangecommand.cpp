#include "textcontentchangecommand.h"

#include <QGraphicsTextItem>

namespace drawlet {
namespace ui {

TextContentChangeCommand::TextContentChangeCommand(QGraphicsTextItem *item, const QString &oldText,
                                                   const QString &newText, QUndoCommand *parent)
    : QUndoCommand(parent)
    , m_item(item)
    , m_oldText(oldText)
    , m_newText(newText)
{
}

void TextContentChangeCommand::undo()
{
    m_item->setPlainText(m_oldText);
}

void TextContentChangeCommand::redo()
{
    m_item->setPlainText(m_newText);
}

} // namespace ui
} // namespace drawlet
