#include "qorvgraphicsellipseitem.h"

#include "outlinestroke.h"

namespace drawlet {
namespace ui {

QorvGraphicsEllipseItem::QorvGraphicsEllipseItem(bool fillShape, QGraphicsItem *parent)
    : QGraphicsEllipseItem(parent)
    , fillShape(fillShape)
{
}

bool QorvGraphicsEllipseItem::isFillShape() const
{
    return fillShape;
}

QRectF QorvGraphicsEllipseItem::boundingRect() const
{
    const qreal w = pen().widthF();
    return rect().normalized().adjusted(-w, -w, w, w);
}

QPainterPath QorvGraphicsEllipseItem::shape() const
{
    QPainterPath geometry;
    if (isSelected()) {
        geometry.addRect(rect());
        return geometry;
    }
    geometry.addEllipse(rect());
    return fillShape ? geometry : outlineStroke(geometry, pen());
}

} // namespace ui
} // namespace drawlet
