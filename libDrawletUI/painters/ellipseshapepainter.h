#pragma once

#include "boxshapepainter.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Ellipses inscribed in the box spanned by the press point and the pointer, outlined or filled.
class DRAWLETUI_EXPORT EllipseShapePainter : public BoxShapePainter
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit EllipseShapePainter(QObject *parent = nullptr);

protected:
    QAbstractGraphicsShapeItem *createItem(bool fill) const override;
    void setBox(QAbstractGraphicsShapeItem *item, const QRectF &box) const override;
};

} // namespace ui
} // namespace drawlet
