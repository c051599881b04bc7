#include "polygonshapepainter.h"

#include "qorvgraphicspolygonitem.h"
#include "shapepen.h"

#include <QDebug>
#include <QPolygonF>

namespace drawlet {
namespace ui {

namespace {
const qreal penMiterLimit = 2.0;
} // namespace

PolygonShapePainter::PolygonShapePainter(QObject *parent)
    : QObject(parent)
    , m_pen(defaultShapePen())
    , m_brush(defaultShapeColor(), Qt::SolidPattern)
{
    m_pen.setMiterLimit(penMiterLimit);
}

QGraphicsItem *PolygonShapePainter::init(const QPointF &point)
{
    if (m_item)
        qDebug() << "graphicsItem isn't release";
    m_item = new QorvGraphicsPolygonItem(m_fillShape);
    m_item->setPen(m_pen);
    if (m_fillShape)
        m_item->setBrush(m_brush);
    m_startPoint = point;
    m_item->setPolygon(QPolygonF({point, point, point}));
    return m_item;
}

QGraphicsItem *PolygonShapePainter::draw(const QPointF &point)
{
    if (!m_item) {
        qDebug() << "Calling sequence exception";
        return nullptr;
    }
    const QPointF &s = m_startPoint;
    const qreal middle = s.x() + (point.x() - s.x()) * 0.5;
    QPolygonF triangle;
    if (point.y() <= s.y()) {
        // Upward: the base lies on the start's row, the apex on the pointer's.
        triangle << QPointF(middle, point.y()) << s << QPointF(point.x(), s.y())
                 << QPointF(middle, point.y());
    } else {
        // Downward: the apex keeps the row of the previous apex and the base is mirrored about the
        // previous apex's x. Drawings made with this rule keep their shape, so it stays as it is.
        const QPoint f = m_item->polygon().value(0, s).toPoint();
        const qreal fx = f.x();
        const qreal fy = f.y();
        triangle << QPointF(middle, fy) << point << QPointF(2 * fx - point.x(), point.y())
                 << QPointF(middle, fy);
    }
    m_item->setPolygon(triangle);
    return m_item;
}

void PolygonShapePainter::release()
{
    m_item = nullptr;
}

bool PolygonShapePainter::isDrawing()
{
    return m_item != nullptr;
}

QString PolygonShapePainter::toString()
{
    return objectName();
}

void PolygonShapePainter::getPaintSetting()
{
    emit setHelperColor(m_pen.color());
}

QColor PolygonShapePainter::getPenColor() const
{
    return m_pen.color();
}

QColor PolygonShapePainter::getBrushColor() const
{
    return m_brush.color();
}

bool PolygonShapePainter::isFillShape()
{
    return m_fillShape;
}

qreal PolygonShapePainter::getPenMiter() const
{
    return m_pen.miterLimit();
}

void PolygonShapePainter::setPenColor(QColor color)
{
    m_pen.setColor(color);
}

void PolygonShapePainter::setBrushColor(QColor color)
{
    m_brush.setColor(color);
}

void PolygonShapePainter::setFillShape(bool fill)
{
    m_fillShape = fill;
}

} // namespace ui
} // namespace drawlet
