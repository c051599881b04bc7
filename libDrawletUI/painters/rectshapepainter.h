#pragma once

#include "boxshapepainter.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Rectangles spanned by the press point and the pointer, outlined or filled.
class DRAWLETUI_EXPORT RectShapePainter : public BoxShapePainter
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit RectShapePainter(QObject *parent = nullptr);

protected:
    QAbstractGraphicsShapeItem *createItem(bool fill) const override;
    void setBox(QAbstractGraphicsShapeItem *item, const QRectF &box) const override;
};

} // namespace ui
} // namespace drawlet
