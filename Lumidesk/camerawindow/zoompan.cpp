#include "zoompan.h"

#include <QtGlobal>

#include <algorithm>

namespace {

constexpr float Step = 0.0625f;

struct Pair
{
    int lo;
    int hi;
};

// Moves (lo, hi) by d; the picture follows the hand, so the window into it moves the other way.
Pair ruleA(Pair edge, int d, int rangeLo, int rangeHi)
{
    if (edge.hi - d <= rangeHi) {
        const int n = edge.lo - d;
        if (rangeLo <= n && n < rangeHi)
            return {n, edge.hi - d};
        return {rangeLo, edge.hi};
    }
    return {edge.lo, rangeHi};
}

// The same for a picture turned upside down: the window moves with the hand.
Pair ruleB(Pair edge, int d, int rangeLo, int rangeHi)
{
    if (edge.lo + d < rangeLo)
        return {rangeLo, edge.hi};
    const int n = edge.hi + d;
    if (rangeLo < n && n <= rangeHi)
        return {edge.lo + d, n};
    return {edge.lo, rangeHi};
}

// Moves (lo, hi) by -d inside [rangeLo, rangeHi]; at the far end it stops at the range, and a start
// outside the range begins again at the smallest window's start.
Pair shiftEdges(Pair edge, int d, int rangeLo, int rangeHi, int smallestLo)
{
    if (edge.hi - d > rangeHi)
        return {edge.lo - edge.hi + rangeHi, rangeHi};
    const int lo = edge.lo - d;
    if (lo >= rangeHi || lo < rangeLo)
        return {smallestLo, edge.hi - edge.lo + smallestLo};
    return {lo, edge.hi - d};
}

// Both records bound every edge of one axis: whichever way a camera fills them, no edge leaves them.
struct Bounds
{
    int vertical[2];
    int horizontal[2];
};

Bounds boundsOf(const uvcx_roi_control_t &a, const uvcx_roi_control_t &b)
{
    const std::initializer_list<int> vertical{a.wROI_Top, a.wROI_Bottom, b.wROI_Top, b.wROI_Bottom};
    const std::initializer_list<int> horizontal{a.wROI_Left, a.wROI_Right, b.wROI_Left, b.wROI_Right};
    return {{std::min(vertical), std::max(vertical)}, {std::min(horizontal), std::max(horizontal)}};
}

uvcx_roi_control_t clamped(int top, int left, int bottom, int right, const Bounds &bounds)
{
    uvcx_roi_control_t roi;
    roi.wROI_Top = uint16_t(qBound(bounds.vertical[0], top, bounds.vertical[1]));
    roi.wROI_Bottom = uint16_t(qBound(bounds.vertical[0], bottom, bounds.vertical[1]));
    roi.wROI_Left = uint16_t(qBound(bounds.horizontal[0], left, bounds.horizontal[1]));
    roi.wROI_Right = uint16_t(qBound(bounds.horizontal[0], right, bounds.horizontal[1]));
    return roi;
}

int normalisedAngle(int angle)
{
    if (angle < 0)
        angle += 360;
    return angle % 360;
}

} // namespace

float ZoomPan::cropFraction(int level)
{
    return qMax(Step, 1.0f - float(level - 1) * Step);
}

void ZoomPan::reset()
{
    m_level = 1;
    m_origin = QPointF();
}

void ZoomPan::setLevelOnly(int level)
{
    m_level = qBound(1, level, MaxLevel);
}

bool ZoomPan::zoomIn(const QSize &frame)
{
    if (m_level >= MaxLevel)
        return false;
    const float before = fraction();
    ++m_level;
    keepCentre(before, fraction(), frame);
    return true;
}

bool ZoomPan::zoomOut(const QSize &frame)
{
    if (m_level < 2)
        return false;
    const float before = fraction();
    --m_level;
    keepCentre(before, fraction(), frame);
    return true;
}

void ZoomPan::setSliderValue(int value, const QSize &frame)
{
    const float before = fraction();
    const float after = cropFraction(value + 1);
    m_level = qBound(1, value + 1, MaxLevel);
    keepCentre(before, after, frame);
}

void ZoomPan::keepCentre(float oldFraction, float newFraction, const QSize &frame)
{
    const int width = frame.width();
    const int height = frame.height();
    if (width > 0) {
        const float shrink = float(int(width * oldFraction) - int(width * newFraction)) / float(width);
        m_origin.rx() += shrink * 0.5f;
    }
    if (height > 0) {
        const float shrink = float(int(oldFraction * height) - int(height * newFraction)) / float(height);
        m_origin.ry() += shrink * 0.5f;
    }
    clampOrigin(newFraction);
}

void ZoomPan::clampOrigin(float fraction)
{
    for (qreal *value : {&m_origin.rx(), &m_origin.ry()}) {
        if (*value < 0.0)
            *value = 0.0;
        if (*value + fraction > 1.0)
            *value = 1.0 - fraction;
    }
}

bool ZoomPan::pan(int dx, int dy, int angle)
{
    if (m_level < 2)
        return false;
    const qreal step = 1.0 / (m_level * 20.0);
    qreal &x = m_origin.rx();
    qreal &y = m_origin.ry();
    // Per angle: what a drag to the right, to the left, down and up changes.
    struct Move
    {
        qreal *target;
        qreal sign;
    };
    Move right{}, left{}, down{}, up{};
    switch (angle) {
    case 0:
        right = {&x, -1}, left = {&x, 1}, down = {&y, -1}, up = {&y, 1};
        break;
    case 90:
        right = {&y, 1}, left = {&y, -1}, down = {&x, -1}, up = {&x, 1};
        break;
    case 180:
        right = {&x, 1}, left = {&x, -1}, down = {&y, 1}, up = {&y, -1};
        break;
    case 270:
        right = {&y, -1}, left = {&y, 1}, down = {&x, 1}, up = {&x, -1};
        break;
    default:
        return false;
    }
    bool moved = false;
    auto apply = [&moved, step](const Move &move) {
        *move.target += move.sign * step;
        moved = true;
    };
    if (dx >= PanThreshold)
        apply(right);
    else if (dx <= -PanThreshold)
        apply(left);
    if (dy >= PanThreshold)
        apply(down);
    else if (dy <= -PanThreshold)
        apply(up);
    const qreal limit = 1.0 - fraction();
    x = qBound<qreal>(0.0, x, limit);
    y = qBound<qreal>(0.0, y, limit);
    return moved;
}

QList<int> ZoomPan::visibleEdges(const QSize &frame) const
{
    const float f = fraction();
    const int top = int(frame.height() * m_origin.y());
    const int left = int(frame.width() * m_origin.x());
    return {top, left, int(frame.height() * f + top), int(frame.width() * f + left)};
}

QList<int> ZoomPan::rotateEdges(int p1, int p2, int p3, int p4, int cx, int cy, int angle)
{
    // Quarter turns only: their sine and cosine are whole numbers, so nothing is lost to rounding.
    switch (normalisedAngle(angle)) {
    case 0:
        return {p1, p2, p3, p4};
    case 90:
        return {(p2 - cx) + cy, cx - (p3 - cy), cy + (p4 - cx), cx - (p1 - cy)};
    case 180:
        return {-(p3 - cy) + cy, -(p4 - cx) + cx, cy - (p1 - cy), cx - (p2 - cx)};
    case 270:
        return {-(p4 - cx) + cy, cx + (p1 - cy), cy - (p2 - cx), cx + (p3 - cy)};
    default:
        return {};
    }
}

uvcx_roi_control_t ZoomPan::dragRoi(const uvcx_roi_control_t &roi, const uvcx_roi_control_t &b1,
                                    const uvcx_roi_control_t &b2, int dx, int dy, int angle)
{
    Pair horizontal{roi.wROI_Left, roi.wROI_Right};
    Pair vertical{roi.wROI_Top, roi.wROI_Bottom};
    const int hLo = b1.wROI_Left, hHi = b1.wROI_Right;
    const int vLo = b1.wROI_Top, vHi = b1.wROI_Bottom;
    switch (angle) {
    case 0:
        horizontal = ruleA(horizontal, dx, b2.wROI_Left, hHi);
        vertical = ruleA(vertical, dy, b2.wROI_Top, vHi);
        break;
    case 90:
        horizontal = ruleA(horizontal, dy, b2.wROI_Left, hHi);
        vertical = ruleA(vertical, -dx, b2.wROI_Top, vHi);
        break;
    case 180:
        horizontal = ruleB(horizontal, dx, hLo, b2.wROI_Right);
        vertical = ruleB(vertical, dy, vLo, b2.wROI_Bottom);
        break;
    case 270:
        horizontal = ruleB(horizontal, dy, hLo, b2.wROI_Right);
        vertical = ruleB(vertical, -dx, vLo, b2.wROI_Bottom);
        break;
    default:
        return roi;
    }
    return clamped(vertical.lo, horizontal.lo, vertical.hi, horizontal.hi, boundsOf(b1, b2));
}

bool ZoomPan::moveRoi(const uvcx_roi_control_t &r, const uvcx_roi_control_t &m1, const uvcx_roi_control_t &m2,
                      int dx, int dy, uvcx_roi_control_t *moved)
{
    if ((dx > 0 && r.wROI_Left <= m1.wROI_Left) || (dx < 0 && r.wROI_Right >= m1.wROI_Right)
        || (dy > 0 && r.wROI_Top <= m1.wROI_Top) || (dy < 0 && r.wROI_Bottom >= m1.wROI_Bottom))
        return false;
    const Pair horizontal = shiftEdges({r.wROI_Left, r.wROI_Right}, dx, m1.wROI_Left, m1.wROI_Right, m2.wROI_Left);
    const Pair vertical = shiftEdges({r.wROI_Top, r.wROI_Bottom}, dy, m1.wROI_Top, m1.wROI_Bottom, m2.wROI_Top);
    if (moved)
        *moved = clamped(vertical.lo, horizontal.lo, vertical.hi, horizontal.hi, boundsOf(m1, m2));
    return true;
}
