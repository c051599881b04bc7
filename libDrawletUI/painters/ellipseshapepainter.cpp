#include "ellipseshapepainter.h"

#include "qorvgraphicsellipseitem.h"

namespace drawlet {
namespace ui {

EllipseShapePainter::EllipseShapePainter(QObject *parent)
    : BoxShapePainter(parent)
{
}

QAbstractGraphicsShapeItem *EllipseShapePainter::createItem(bool fill) const
{
    return new QorvGraphicsEllipseItem(fill);
}

void EllipseShapePainter::setBox(QAbstractGraphicsShapeItem *item, const QRectF &box) const
{
    static_cast<QorvGraphicsEllipseItem *>(item)->setRect(box);
}

} // namespace ui
} // namespace drawlet
