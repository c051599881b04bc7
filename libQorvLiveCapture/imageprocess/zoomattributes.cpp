#include "imageprocess/zoomattributes.h"

float ZoomAttributes::getZoomRatio() const
{
    return m_ratio;
}

void ZoomAttributes::setZoomRatio(float ratio)
{
    m_ratio = ratio;
}

QPointF ZoomAttributes::getStartCoordinate() const
{
    return m_start;
}

void ZoomAttributes::setStartCoordinate(const QPointF &start)
{
    m_start = start;
}
