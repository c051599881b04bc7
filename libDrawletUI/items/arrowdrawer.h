#pragma once

#include "drawletui_global.h"

#include <QPainterPath>
#include <QPointF>
#include <QVector2D>

#include <vector>

namespace drawlet {
namespace ui {

// Records the points of a freehand stroke and, once it is finished, appends arrow heads to its
// path.
class DRAWLETUI_EXPORT ArrowDrawer
{
public:
    ArrowDrawer();
    explicit ArrowDrawer(int lineType);

    void setLineType(int lineType);
    int getLineType() const;

    void addPoint(const QPointF &point);
    // Appends the heads of the line type; false when the stroke has fewer than two points.
    bool arrowPath(QPainterPath &path, double width);
    void createArrowPolygon(QPainterPath &path, const QPointF &point, const QVector2D &direction,
                            double width);
    void clearPoints();
    std::vector<QPointF> getPathPoints() const;

private:
    std::vector<QPointF> m_points;
    int m_lineType = 1;
};

DRAWLETUI_EXPORT double calcSquaredDistance(const QPointF &a, const QPointF &b);
DRAWLETUI_EXPORT void negateVector(QVector2D &vector);

} // namespace ui
} // namespace drawlet
