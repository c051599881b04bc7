#pragma once

#include "closedshapepainter.h"
#include "drawletui_global.h"

#include <QRectF>

namespace drawlet {
namespace ui {

// Shapes that fill the box spanned by the press point and the pointer. The box is not normalised:
// the press point stays its anchor corner whichever way the pointer goes.
class DRAWLETUI_EXPORT BoxShapePainter : public ClosedShapePainter
{
    Q_OBJECT
protected:
    explicit BoxShapePainter(QObject *parent);

    // Gives `item`, made by createItem(), the box `box`.
    virtual void setBox(QAbstractGraphicsShapeItem *item, const QRectF &box) const = 0;

private:
    void startShape(QAbstractGraphicsShapeItem *item, const QPointF &point) override;
    void followPointer(QAbstractGraphicsShapeItem *item, const QPointF &point) override;
};

} // namespace ui
} // namespace drawlet
