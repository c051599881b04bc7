#include "qorvgraphicspolygonitem.h"

#include "outlinestroke.h"

namespace drawlet {
namespace ui {

QorvGraphicsPolygonItem::QorvGraphicsPolygonItem(bool fillShape, QGraphicsItem *parent)
    : QGraphicsPolygonItem(parent)
    , fillShape(fillShape)
{
}

bool QorvGraphicsPolygonItem::isFillShape() const
{
    return fillShape;
}

QRectF QorvGraphicsPolygonItem::boundingRect() const
{
    const qreal m = 3 * pen().miterLimit();
    return QGraphicsPolygonItem::boundingRect().adjusted(-m, -m, m, m);
}

QPainterPath QorvGraphicsPolygonItem::shape() const
{
    QPainterPath geometry;
    if (isSelected()) {
        geometry.addRect(polygon().boundingRect());
        return geometry;
    }
    geometry.addPolygon(polygon());
    geometry.closeSubpath();
    return fillShape ? geometry : outlineStroke(geometry, pen());
}

} // namespace ui
} // namespace drawlet
