#include "graphicsarrowlineitem.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace drawlet {
namespace ui {

namespace {

// A head of a line from `tip` along `line`: wings of twice the pen width, 30 degrees either side.
QPolygonF headAt(const QLineF &line, int width)
{
    QLineF left(line);
    QLineF right(line);
    left.setAngle(line.angle() + 30);
    right.setAngle(line.angle() - 30);
    left.setLength(2 * width);
    right.setLength(2 * width);
    return QPolygonF({line.p1(), left.p2(), right.p2()});
}

} // namespace

GraphicsArrowLineItem::GraphicsArrowLineItem(LineStyle::style_t style)
    : QGraphicsLineItem(nullptr)
    , m_lineStyle(style)
{
}

LineStyle::style_t GraphicsArrowLineItem::getLineStyle() const
{
    return m_lineStyle;
}

void GraphicsArrowLineItem::setLineStyle(const LineStyle::style_t &style)
{
    prepareGeometryChange();
    m_lineStyle = style;
}

QPolygonF GraphicsArrowLineItem::startHead() const
{
    return m_startHead;
}

QPolygonF GraphicsArrowLineItem::endHead() const
{
    return m_endHead;
}

bool GraphicsArrowLineItem::hasStartHead() const
{
    return m_lineStyle == LineStyle::SOLIDLINE_DOUBLE_ARROW;
}

bool GraphicsArrowLineItem::hasEndHead() const
{
    return m_lineStyle == LineStyle::SOLIDLINE_END_ARROW
        || m_lineStyle == LineStyle::SOLIDLINE_DOUBLE_ARROW;
}

QPolygonF GraphicsArrowLineItem::startHeadPolygon() const
{
    return hasStartHead() ? headAt(line(), int(pen().widthF())) : QPolygonF();
}

QPolygonF GraphicsArrowLineItem::endHeadPolygon() const
{
    return hasEndHead() ? headAt(QLineF(line().p2(), line().p1()), int(pen().widthF()))
                        : QPolygonF();
}

QRectF GraphicsArrowLineItem::boundingRect() const
{
    // The line item's own bounds come from shape(), so they already hold the heads.
    const qreal margin = 3 * pen().miterLimit();
    return QGraphicsLineItem::boundingRect().adjusted(-margin, -margin, margin, margin);
}

QPainterPath GraphicsArrowLineItem::shape() const
{
    QPainterPath path = QGraphicsLineItem::shape();
    const QPen linePen = pen();
    const int k = int(linePen.widthF() / linePen.miterLimit());
    const qreal d = linePen.miterLimit() * k;
    // The heads are taken from the current line, not from the last paint: an item hit-tested before
    // it was first painted would otherwise get a phantom hit area at its origin.
    if (hasStartHead())
        path.addRect(startHeadPolygon().boundingRect().adjusted(-d, -d, d, d));
    if (hasEndHead())
        path.addRect(endHeadPolygon().boundingRect().adjusted(-d, -d, d, d));
    if (isSelected()) {
        QPainterPath selected;
        selected.addRect(path.controlPointRect());
        return selected;
    }
    return path;
}

void GraphicsArrowLineItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                                  QWidget *widget)
{
    QPen headPen = pen();
    painter->setPen(headPen);
    painter->setBrush(QBrush(headPen.color(), Qt::SolidPattern));
    headPen.setJoinStyle(Qt::MiterJoin);
    painter->setPen(headPen);

    m_startHead = startHeadPolygon();
    m_endHead = endHeadPolygon();
    if (hasStartHead())
        painter->drawPolygon(m_startHead, Qt::OddEvenFill);
    if (hasEndHead())
        painter->drawPolygon(m_endHead, Qt::OddEvenFill);

    QGraphicsLineItem::paint(painter, option, widget);
}

} // namespace ui
} // namespace drawlet
