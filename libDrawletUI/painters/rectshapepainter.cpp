#include "rectshapepainter.h"

#include "qorvgraphicsrectitem.h"
#include "shapepen.h"

#include <QDebug>

namespace drawlet {
namespace ui {

RectShapePainter::RectShapePainter(QObject *parent)
    : QObject(parent)
    , m_pen(defaultShapePen())
    , m_brush(defaultShapeColor(), Qt::SolidPattern)
{
}

QGraphicsItem *RectShapePainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = new QorvGraphicsRectItem(m_fillShape);
    m_item->setPen(m_pen);
    if (m_fillShape)
        m_item->setBrush(m_brush);
    m_item->setRect(point.x(), point.y(), 0, 0);
    return m_item;
}

QGraphicsItem *RectShapePainter::draw(const QPointF &point)
{
    if (!m_item) {
        qDebug() << "Calling sequence exception";
        return nullptr;
    }
    // Not normalised: the press point stays the anchor corner whichever way the pointer goes.
    const QRectF r = m_item->rect();
    m_item->setRect(r.x(), r.y(), point.x() - r.x(), point.y() - r.y());
    return m_item;
}

void RectShapePainter::release()
{
    m_item = nullptr;
}

bool RectShapePainter::isDrawing()
{
    return m_item != nullptr;
}

QString RectShapePainter::toString()
{
    return objectName();
}

void RectShapePainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
}

QColor RectShapePainter::getPenColor() const
{
    return m_pen.color();
}

QColor RectShapePainter::getBrushColor() const
{
    return m_brush.color();
}

bool RectShapePainter::isFillShape()
{
    return m_fillShape;
}

void RectShapePainter::setPenColor(QColor color)
{
    m_pen.setColor(color);
}

void RectShapePainter::setBrushColor(QColor color)
{
    m_brush.setColor(color);
}

void RectShapePainter::setFillShape(bool fill)
{
    m_fillShape = fill;
}

} // namespace ui
} // namespace drawlet
