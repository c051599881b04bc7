#include "qorvgraphicspathitem.h"

#include "arrowdrawer.h"

#include "outlinestroke.h"

#include <QPen>

namespace drawlet {
namespace ui {

namespace {
const int highlighterAlpha = 127;
}

QorvGraphicsPathItem::QorvGraphicsPathItem(QGraphicsItem *parent)
    : QorvGraphicsPathItem(QPainterPath(), parent)
{
}

QorvGraphicsPathItem::QorvGraphicsPathItem(const QPainterPath &path, QGraphicsItem *parent)
    : QGraphicsPathItem(path, parent)
    , m_arrowDrawer(std::make_shared<ArrowDrawer>())
{
}

QorvGraphicsPathItem::~QorvGraphicsPathItem() = default;

void QorvGraphicsPathItem::setLineStyle(const LineStyle::style_t &style)
{
    QPen itemPen = pen();
    itemPen.setStyle(Qt::PenStyle(style.penStyle));
    setPen(itemPen);
    line_style = style;
    if (style.lineType != 1)
        m_arrowDrawer->setLineType(style.lineType);
}

LineStyle::style_t QorvGraphicsPathItem::getLineStyle() const
{
    return line_style;
}

void QorvGraphicsPathItem::setPath(const QPointF &point)
{
    setPath(point, path());
}

void QorvGraphicsPathItem::setPath(const QPointF &point, const QPainterPath &path)
{
    m_arrowDrawer->addPoint(point);
    QPainterPath extended(path);
    extended.lineTo(point);
    QGraphicsPathItem::setPath(extended);
}

void QorvGraphicsPathItem::addPoint(const QPointF &point)
{
    m_arrowDrawer->addPoint(point);
}

bool QorvGraphicsPathItem::arrowPath(QPainterPath &path)
{
    // The drawer keeps an earlier arrow kind; the stored style decides whether heads are wanted.
    if (line_style.lineType == 1)
        return false;
    return m_arrowDrawer->arrowPath(path, int(pen().widthF()));
}

std::vector<QPointF> QorvGraphicsPathItem::getPathPoints() const
{
    return m_arrowDrawer ? m_arrowDrawer->getPathPoints() : std::vector<QPointF>();
}

bool QorvGraphicsPathItem::isHighlight()
{
    return pen().color().alpha() == highlighterAlpha;
}

QRectF QorvGraphicsPathItem::boundingRect() const
{
    const qreal w = pen().widthF();
    return path().boundingRect().adjusted(-w, -w, w, w);
}

QPainterPath QorvGraphicsPathItem::shape() const
{
    if (isSelected()) {
        QPainterPath selected;
        selected.addRect(boundingRect());
        return selected;
    }
    return outlineStroke(path(), pen());
}

} // namespace ui
} // namespace drawlet
