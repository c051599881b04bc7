#pragma once

#include "drawletui_global.h"
#include "linestyle.h"

#include <QGraphicsPathItem>

#include <memory>
#include <vector>

namespace drawlet {
namespace ui {

class ArrowDrawer;

// A freehand or highlighter stroke: the path drawn so far, the points it was drawn through and its
// line style.
class DRAWLETUI_EXPORT QorvGraphicsPathItem : public QGraphicsPathItem
{
public:
    explicit QorvGraphicsPathItem(QGraphicsItem *parent = nullptr);
    explicit QorvGraphicsPathItem(const QPainterPath &path, QGraphicsItem *parent = nullptr);
    ~QorvGraphicsPathItem() override;

    void setLineStyle(const LineStyle::style_t &style);
    LineStyle::style_t getLineStyle() const;

    using QGraphicsPathItem::setPath;
    // Records the point and extends the item's own path with a line to it.
    void setPath(const QPointF &point);
    // Records the point and shows `path` extended with a line to it.
    void setPath(const QPointF &point, const QPainterPath &path);
    void addPoint(const QPointF &point);
    // Appends the arrow heads of the style to `path`; false when there are none to add.
    bool arrowPath(QPainterPath &path);
    std::vector<QPointF> getPathPoints() const;
    // The highlighter gives its pen exactly this alpha.
    bool isHighlight();

    QRectF boundingRect() const override;
    QPainterPath shape() const override;

private:
    std::shared_ptr<ArrowDrawer> m_arrowDrawer;
    LineStyle::style_t line_style = LineStyle::SOLIDLINE;
};

} // namespace ui
} // namespace drawlet
