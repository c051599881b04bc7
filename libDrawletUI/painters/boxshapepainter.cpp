#include "boxshapepainter.h"

#include "shapepen.h"

namespace drawlet {
namespace ui {

BoxShapePainter::BoxShapePainter(QObject *parent)
    : ClosedShapePainter(defaultShapePen(), parent)
{
}

void BoxShapePainter::startShape(QAbstractGraphicsShapeItem *item, const QPointF &point)
{
    setBox(item, QRectF(point.x(), point.y(), 0, 0));
}

void BoxShapePainter::followPointer(QAbstractGraphicsShapeItem *item, const QPointF &point)
{
    const QPointF anchor = startPoint();
    setBox(item, QRectF(anchor.x(), anchor.y(), point.x() - anchor.x(), point.y() - anchor.y()));
}

} // namespace ui
} // namespace drawlet
