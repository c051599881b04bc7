#include "renderarea.h"

#include <QPainter>
#include <QtGlobal>

namespace {
// The track and the bar keep this distance from the left and right edges.
const int Inset = 10;
const QColor BarColour(6, 183, 2);
}

RenderArea::RenderArea(QWidget *parent)
    : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(false);
    setMinimumHeight(20);
    setMinimumWidth(105);
}

void RenderArea::setLevel(double level)
{
    // NaN fails both comparisons of qBound and would reach the painter as a width.
    m_level = qIsNaN(level) ? 0.0 : qBound(0.0, level, 1.0);
    update();
}

void RenderArea::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    const int trackWidth = width() - 2 * Inset;
    painter.fillRect(QRect(Inset, 9, trackWidth, 2), Qt::black);
    if (m_level == 0.0)
        return;
    painter.fillRect(QRect(Inset, 8, int(m_level * trackWidth), 4), BarColour);
}
