#include "custrenderarea.h"

#include <QPainter>

CustRenderArea::CustRenderArea(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(19, 75);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(false);
}

void CustRenderArea::setLevel(double level)
{
    m_level = level;
    update();
}

double CustRenderArea::level() const
{
    return m_level;
}

void CustRenderArea::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const QRect viewport = painter.viewport();
    const int x0 = viewport.x();
    const int y0 = viewport.y();
    const int bottomEdge = viewport.y() + viewport.height();

    painter.fillRect(QRect(QPoint(x0 + 7, y0), QPoint(x0 + 8, y0 + 110)), Qt::black);
    if (m_level == 0.0)
        return;

    // A level above full scale (or a negative one) must not paint outside the meter.
    const int rows = qBound(0, int(viewport.height() * m_level), viewport.height());
    painter.fillRect(QRect(x0 + 6, bottomEdge - rows, 4, rows), QColor(6, 183, 2, 255));
}
