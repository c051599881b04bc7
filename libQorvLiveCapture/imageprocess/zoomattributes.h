#pragma once

#include "qorvlivecaptureglobal.h"

#include <QPointF>

// Digital zoom of a frame: the part of the picture to show, both values relative to the picture's
// size. A ratio of 0.5 at (0.25, 0.25) shows the centre quarter enlarged to the whole frame.
class QORVLIVECAPTURE_EXPORT ZoomAttributes
{
public:
    float getZoomRatio() const;
    void setZoomRatio(float ratio);
    QPointF getStartCoordinate() const;
    void setStartCoordinate(const QPointF &start);

private:
    float m_ratio = 1.0f;
    QPointF m_start;
};
