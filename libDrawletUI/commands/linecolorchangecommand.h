#pragma once

#include "drawletui_global.h"

#include <QColor>
#include <QUndoCommand>

class QGraphicsLineItem;

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT LineColorChangeCommand : public QUndoCommand
{
public:
    LineColorChangeCommand(QGraphicsLineItem *item, const QColor &oldColor, const QColor &newColor,
                           QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void apply(const QColor &color);

    QGraphicsLineItem *m_item;
    QColor m_oldColor;
    QColor m_newColor;
};

} // namespace ui
} // namespace drawlet
