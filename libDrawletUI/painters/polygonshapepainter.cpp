#include "polygonshapepainter.h"

#include "qorvgraphicspolygonitem.h"
#include "shapepen.h"

#include <QPolygonF>

namespace drawlet {
namespace ui {

namespace {
const qreal penMiterLimit = 2.0;

QPen trianglePen()
{
    QPen pen = defaultShapePen();
    pen.setMiterLimit(penMiterLimit);
    return pen;
}
} // namespace

PolygonShapePainter::PolygonShapePainter(QObject *parent)
    : ClosedShapePainter(trianglePen(), parent)
{
}

qreal PolygonShapePainter::getPenMiter() const
{
    return pen().miterLimit();
}

QAbstractGraphicsShapeItem *PolygonShapePainter::createItem(bool fill) const
{
    return new QorvGraphicsPolygonItem(fill);
}

void PolygonShapePainter::startShape(QAbstractGraphicsShapeItem *item, const QPointF &point)
{
    static_cast<QorvGraphicsPolygonItem *>(item)->setPolygon(QPolygonF({point, point, point}));
}

void PolygonShapePainter::followPointer(QAbstractGraphicsShapeItem *item, const QPointF &point)
{
    auto *polygon = static_cast<QorvGraphicsPolygonItem *>(item);
    const QPointF s = startPoint();
    const qreal middle = s.x() + (point.x() - s.x()) * 0.5;
    QPolygonF triangle;
    if (point.y() <= s.y()) {
        // Upward: the base lies on the start's row, the apex on the pointer's.
        triangle << QPointF(middle, point.y()) << s << QPointF(point.x(), s.y())
                 << QPointF(middle, point.y());
    } else {
        // Downward: the apex keeps the row of the previous apex and the base is mirrored about the
        // previous apex's x. Drawings made with this rule keep their shape, so it stays as it is.
        const QPoint f = polygon->polygon().value(0, s).toPoint();
        const qreal fx = f.x();
        const qreal fy = f.y();
        triangle << QPointF(middle, fy) << point << QPointF(2 * fx - point.x(), point.y())
                 << QPointF(middle, fy);
    }
    polygon->setPolygon(triangle);
}

} // namespace ui
} // namespace drawlet
