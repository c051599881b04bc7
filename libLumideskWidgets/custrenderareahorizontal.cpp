#include "custrenderareahorizontal.h"

#include <QPainter>

namespace {
const int Inset = 10;
}

CustRenderAreaHorizontal::CustRenderAreaHorizontal(QWidget *parent)
    : QWidget(parent)
{
}

void CustRenderAreaHorizontal::setSize(int minimumHeight, int minimumWidth)
{
    setMinimumHeight(minimumHeight);
    setMinimumWidth(minimumWidth);
}

void CustRenderAreaHorizontal::setLevel(double level)
{
    m_level = level;
    update();
}

double CustRenderAreaHorizontal::level() const
{
    return m_level;
}

void CustRenderAreaHorizontal::setPaintColor(const QColor &color)
{
    m_color = color;
}

QColor CustRenderAreaHorizontal::paintColor() const
{
    return m_color;
}

void CustRenderAreaHorizontal::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const QRect viewport = painter.viewport();
    const int x0 = viewport.x();
    const int y0 = viewport.y();

    painter.fillRect(QRect(QPoint(x0 + Inset, y0 + 15), QPoint(viewport.right() - Inset, y0 + 15)), m_color);
    if (m_level == 0.0)
        return;

    const int track = qMax(0, viewport.width() - 2 * Inset);
    const int columns = qBound(0, int(track * m_level), track);
    painter.fillRect(QRect(x0 + Inset, y0 + 8, columns, 4), QColor(6, 183, 1, 255));
}
