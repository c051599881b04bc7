#pragma once

#include "uvc/uvcx_roi_control_t.h"

#include <QList>
#include <QPointF>
#include <QRect>
#include <QSize>

// The picture geometry of a camera window, without the window: the digital zoom's crop (level 1 to 16
// and the crop's top-left corner as fractions of the frame), drags turned by the preview's rotation,
// and the moves of a camera's region of interest. Regions are worked out in int and clamped to the
// camera's range, so a drag past an edge never wraps through the 16-bit fields.
class ZoomPan
{
public:
    static constexpr int MaxLevel = 16;
    // A drag counts once it is this far from the press point.
    static constexpr int PanThreshold = 21;

    // The crop's width and height as a fraction of the frame at level L: max(1/16, 1 - (L - 1) / 16).
    static float cropFraction(int level);

    int level() const { return m_level; }
    QPointF origin() const { return m_origin; }
    float fraction() const { return cropFraction(m_level); }
    void reset();
    void setLevelOnly(int level);

    // One step in or out; false at the end of the range (nothing changes then).
    bool zoomIn(const QSize &frame);
    bool zoomOut(const QSize &frame);
    // The zoom slider's value v is the level v + 1.
    void setSliderValue(int value, const QSize &frame);
    // Keeps the centre of the crop where it was when its fraction changes from oldFraction to newFraction.
    void keepCentre(float oldFraction, float newFraction, const QSize &frame);
    // A drag of (dx, dy) from the press point, turned by the preview's angle; false when nothing moved.
    bool pan(int dx, int dy, int angle);
    // The visible window in frame pixels as (top, left, bottom, right).
    QList<int> visibleEdges(const QSize &frame) const;

    // A (top, left, bottom, right) rectangle turned by angle about (cx, cy); empty for angles that are
    // not a multiple of 90.
    static QList<int> rotateEdges(int top, int left, int bottom, int right, int cx, int cy, int angle);

    // The region of interest after a mouse drag of (dx, dy) at the preview's angle, inside the range
    // given by the camera's maximum (b1) and minimum (b2) records.
    static uvcx_roi_control_t dragRoi(const uvcx_roi_control_t &roi, const uvcx_roi_control_t &b1,
                                      const uvcx_roi_control_t &b2, int dx, int dy, int angle);
    // The region of interest moved by (-dx, -dy) by a PTZ button inside the maximum (m1) and minimum
    // (m2) rectangles; false when an edge of the range stops the move.
    static bool moveRoi(const uvcx_roi_control_t &roi, const uvcx_roi_control_t &m1,
                        const uvcx_roi_control_t &m2, int dx, int dy, uvcx_roi_control_t *moved);

private:
    void clampOrigin(float fraction);

    int m_level = 1;
    QPointF m_origin;
};
