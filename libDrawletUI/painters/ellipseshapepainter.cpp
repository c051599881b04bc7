#include "ellipseshapepainter.h"

#include "qorvgraphicsellipseitem.h"
#include "shapepen.h"

#include <QDebug>

namespace drawlet {
namespace ui {

EllipseShapePainter::EllipseShapePainter(QObject *parent)
    : QObject(parent)
    , m_pen(defaultShapePen())
    , m_brush(defaultShapeColor(), Qt::SolidPattern)
{
}

QGraphicsItem *EllipseShapePainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = new QorvGraphicsEllipseItem(m_fillShape);
    m_item->setPen(m_pen);
    if (m_fillShape)
        m_item->setBrush(m_brush);
    m_item->setRect(point.x(), point.y(), 0, 0);
    return m_item;
}

QGraphicsItem *EllipseShapePainter::draw(const QPointF &point)
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

void EllipseShapePainter::release()
{
    m_item = nullptr;
}

bool EllipseShapePainter::isDrawing()
{
    return m_item != nullptr;
}

QString EllipseShapePainter::toString()
{
    return objectName();
}

void EllipseShapePainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
}

QColor EllipseShapePainter::getPenColor() const
{
    return m_pen.color();
}

QColor EllipseShapePainter::getBrushColor() const
{
    return m_brush.color();
}

bool EllipseShapePainter::isFillShape()
{
    return m_fillShape;
}

void EllipseShapePainter::setPenColor(QColor color)
{
    m_pen.setColor(color);
}

void EllipseShapePainter::setBrushColor(QColor color)
{
    m_brush.setColor(color);
}

void EllipseShapePainter::setFillShape(bool fill)
{
    m_fillShape = fill;
}

} // namespace ui
} // namespace drawlet
