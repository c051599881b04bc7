#include "rectshapepainter.h"

#include "qorvgraphicsrectitem.h"

namespace drawlet {
namespace ui {

RectShapePainter::RectShapePainter(QObject *parent)
    : BoxShapePainter(parent)
{
}

QAbstractGraphicsShapeItem *RectShapePainter::createItem(bool fill) const
{
    return new QorvGraphicsRectItem(fill);
}

void RectShapePainter::setBox(QAbstractGraphicsShapeItem *item, const QRectF &box) const
{
    static_cast<QorvGraphicsRectItem *>(item)->setRect(box);
}

} // namespace ui
} // namespace drawlet
