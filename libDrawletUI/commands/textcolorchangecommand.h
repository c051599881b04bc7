#pragma once

#include "drawletui_global.h"

#include <QColor>
#include <QUndoCommand>

class QGraphicsTextItem;

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT TextColorChangeCommand : public QUndoCommand
{
public:
    TextColorChangeCommand(QGraphicsTextItem *item, const QColor &oldColor, const QColor &newColor,
                           QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    QGraphicsTextItem *m_item;
    QColor m_oldColor;
    QColor m_newColor;
};

} // namespace ui
} // namespace drawlet
