#include "closedshapepainter.h"

#include "shapepen.h"

#include <QAbstractGraphicsShapeItem>
#include <QDebug>

namespace drawlet {
namespace ui {

ClosedShapePainter::ClosedShapePainter(const QPen &pen, QObject *parent)
    : QObject(parent)
    , m_pen(pen)
    , m_brush(defaultShapeColor(), Qt::SolidPattern)
{
}

QGraphicsItem *ClosedShapePainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = createItem(m_fillShape);
    m_item->setPen(m_pen);
    if (m_fillShape)
        m_item->setBrush(m_brush);
    m_startPoint = point;
    startShape(m_item, point);
    return m_item;
}

QGraphicsItem *ClosedShapePainter::draw(const QPointF &point)
{
    if (!m_item) {
        qDebug() << "Calling sequence exception";
        return nullptr;
    }
    followPointer(m_item, point);
    return m_item;
}

void ClosedShapePainter::release()
{
    m_item = nullptr;
}

bool ClosedShapePainter::isDrawing()
{
    return m_item != nullptr;
}

QString ClosedShapePainter::toString()
{
    return objectName();
}

void ClosedShapePainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
}

QColor ClosedShapePainter::getPenColor() const
{
    return m_pen.color();
}

QColor ClosedShapePainter::getBrushColor() const
{
    return m_brush.color();
}

bool ClosedShapePainter::isFillShape()
{
    return m_fillShape;
}

void ClosedShapePainter::setPenColor(QColor color)
{
    m_pen.setColor(color);
}

void ClosedShapePainter::setBrushColor(QColor color)
{
    m_brush.setColor(color);
}

void ClosedShapePainter::setFillShape(bool fill)
{
    m_fillShape = fill;
}

const QPen &ClosedShapePainter::pen() const
{
    return m_pen;
}

QPointF ClosedShapePainter::startPoint() const
{
    return m_startPoint;
}

} // namespace ui
} // namespace drawlet
