#pragma once

#include "drawletui_global.h"
#include "linestyle.h"

#include <QGraphicsLineItem>
#include <QPolygonF>

namespace drawlet {
namespace ui {

// A straight line that paints its own arrow heads from its line style.
class DRAWLETUI_EXPORT GraphicsArrowLineItem : public QGraphicsLineItem
{
public:
    explicit GraphicsArrowLineItem(LineStyle::style_t style);

    LineStyle::style_t getLineStyle() const;
    // Restyling a drawn line is an undoable edit; the command sets the style through here.
    void setLineStyle(const LineStyle::style_t &style);

    // The heads as last painted.
    QPolygonF startHead() const;
    QPolygonF endHead() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

private:
    bool hasStartHead() const;
    bool hasEndHead() const;
    QPolygonF startHeadPolygon() const;
    QPolygonF endHeadPolygon() const;

    LineStyle::style_t m_lineStyle;
    QPolygonF m_startHead;
    QPolygonF m_endHead;
};

} // namespace ui
} // namespace drawlet
