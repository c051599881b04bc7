#pragma once

#include "drawletui_global.h"
#include "linestyle.h"

#include <QUndoCommand>

namespace drawlet {
namespace ui {

class GraphicsArrowLineItem;

class DRAWLETUI_EXPORT LineShapeChaneStyleCommand : public QUndoCommand
{
public:
    LineShapeChaneStyleCommand(GraphicsArrowLineItem *item, const LineStyle::style_t &oldStyle,
                               const LineStyle::style_t &newStyle, QUndoCommand *parent = nullptr);

    void undo() override;
    void redo() override;

private:
    void apply(const LineStyle::style_t &style);

    GraphicsArrowLineItem *m_item;
    LineStyle::style_t m_oldStyle;
    LineStyle::style_t m_newStyle;
};

} // namespace ui
} // namespace drawlet
