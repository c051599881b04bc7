#include "qorvgraphicsrectitem.h"

#include "outlinestroke.h"

namespace drawlet {
namespace ui {

QorvGraphicsRectItem::QorvGraphicsRectItem(bool fillShape, QGraphicsItem *parent)
    : QGraphicsRectItem(parent)
    , fillShape(fillShape)
{
}

bool QorvGraphicsRectItem::isFillShape() const
{
    return fillShape;
}

QRectF QorvGraphicsRectItem::boundingRect() const
{
    const qreal w = pen().widthF();
    return rect().normalized().adjusted(-w, -w, w, w);
}

QPainterPath QorvGraphicsRectItem::shape() const
{
    if (fillShape || isSelected())
        return QGraphicsRectItem::shape();
    QPainterPath geometry;
    geometry.addRect(rect());
    return outlineStroke(geometry, pen());
}

} // namespace ui
} // namespace drawlet
