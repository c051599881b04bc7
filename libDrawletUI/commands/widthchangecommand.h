#pragma once

#include <QPen>
#include <QUndoCommand>

namespace drawlet {
namespace ui {

// Changes only the pen width of an item that has pen() and setPen(); style and colour stay.
template<typename Item> class WidthChangeCommand : public QUndoCommand
{
public:
    WidthChangeCommand(Item *item, int oldWidth, int newWidth)
        : m_item(item)
        , m_oldWidth(oldWidth)
        , m_newWidth(newWidth)
    {
    }

    void undo() override { apply(m_oldWidth); }
    void redo() override { apply(m_newWidth); }

private:
    void apply(int width)
    {
        QPen pen = m_item->pen();
        pen.setWidth(width);
        m_item->setPen(pen);
    }

    Item *m_item;
    int m_oldWidth;
    int m_newWidth;
};

} // namespace ui
} // namespace drawlet
