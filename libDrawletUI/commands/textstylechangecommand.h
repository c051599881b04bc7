#pragma once

#include "drawletui_global.h"

#include <QFont>
#include <QUndoCommand>

class QGraphicsTextItem;

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT TextStyleChangeCommand : public QUndoCommand
{
public:
    TextStyleChangeCommand(QGraphicsTextItem *item, const QFont &oldFont, const QFont &newFont,
                           QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    QGraphicsTextItem *m_item;
    QFont m_oldFont;
    QFont m_newFont;
};

} // namespace ui
} // namespace drawlet
