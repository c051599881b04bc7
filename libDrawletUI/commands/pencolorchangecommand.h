#pragma once

#include "drawletui_global.h"

#include <QColor>
#include <QUndoCommand>

class QAbstractGraphicsShapeItem;

namespace drawlet {
namespace ui {

// Recolours a stroke or shape; its transparency stays as it is.
class DRAWLETUI_EXPORT PenColorChangeCommand : public QUndoCommand
{
public:
    PenColorChangeCommand(QAbstractGraphicsShapeItem *item, const QColor &oldColor,
                          const QColor &newColor, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void apply(const QColor &color);

    QAbstractGraphicsShapeItem *m_item;
    QColor m_oldColor;
    QColor m_newColor;
};

} // namespace ui
} // namespace drawlet
