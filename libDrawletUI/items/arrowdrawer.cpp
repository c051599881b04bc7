#include "arrowdrawer.h"

#include <QDebug>
#include <QPolygonF>

#include <cmath>

namespace drawlet {
namespace ui {

namespace {

// Two recorded points closer than this are one point: a repeated mouse position would give a zero
// direction, and a head pointing nowhere.
const double samePointTolerance = 1e-12;

QVector2D unitVector(const QPointF &from, const QPointF &to)
{
    return QVector2D(to - from).normalized();
}

QPointF offset(const QPointF &point, const QVector2D &delta)
{
    return QPointF(point.x() + double(delta.x()), point.y() + double(delta.y()));
}

} // namespace

double calcSquaredDistance(const QPointF &a, const QPointF &b)
{
    const double dx = a.x() - b.x();
    const double dy = a.y() - b.y();
    return dx * dx + dy * dy;
}

void negateVector(QVector2D &vector)
{
    vector.setX(-vector.x());
    vector.setY(-vector.y());
}

ArrowDrawer::ArrowDrawer() = default;

ArrowDrawer::ArrowDrawer(int lineType)
    : m_lineType(lineType)
{
}

void ArrowDrawer::setLineType(int lineType)
{
    m_lineType = lineType;
}

int ArrowDrawer::getLineType() const
{
    return m_lineType;
}

void ArrowDrawer::addPoint(const QPointF &point)
{
    if (!m_points.empty()) {
        const QPointF &last = m_points.back();
        if (std::abs(point.x() - last.x()) <= samePointTolerance
            && std::abs(point.y() - last.y()) <= samePointTolerance) {
            qDebug() << "previous position : " << last << "  mouse last position : " << point;
            return;
        }
    }
    m_points.push_back(point);
}

bool ArrowDrawer::arrowPath(QPainterPath &path, double width)
{
    if (m_points.size() < 2)
        return false;
    const std::size_t last = m_points.size() - 1;
    if (m_lineType == 4)
        createArrowPolygon(path, m_points.front(), unitVector(m_points[1], m_points[0]), width);
    if (m_lineType == 4 || m_lineType == 2)
        createArrowPolygon(path, m_points[last], unitVector(m_points[last - 1], m_points[last]),
                           width);
    return true;
}

void ArrowDrawer::createArrowPolygon(QPainterPath &path, const QPointF &point,
                                     const QVector2D &direction, double width)
{
    const QVector2D toBase = float(0.7 * width) * direction;
    const QPointF base = offset(point, toBase);
    const QPointF tip = offset(base, 6.4f * direction);
    const QPointF left = offset(base, 4.0f * QVector2D(-direction.y(), direction.x()));
    const QPointF right = offset(base, 4.0f * QVector2D(direction.y(), -direction.x()));
    path.addPolygon(QPolygonF({tip, left, right}));
    path.closeSubpath();
    path.setFillRule(Qt::WindingFill);
}

void ArrowDrawer::clearPoints()
{
    m_points.clear();
}

std::vector<QPointF> ArrowDrawer::getPathPoints() const
{
    return m_points;
}

} // namespace ui
} // namespace drawlet
