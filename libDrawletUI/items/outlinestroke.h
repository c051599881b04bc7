#pragma once

#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPen>

namespace drawlet {
namespace ui {

// The area an outline drawn with `pen` covers: what a click must hit on an unfilled shape.
inline QPainterPath outlineStroke(const QPainterPath &geometry, const QPen &pen)
{
    QPainterPathStroker stroker;
    stroker.setCapStyle(pen.capStyle());
    stroker.setWidth(pen.widthF());
    stroker.setJoinStyle(pen.joinStyle());
    stroker.setMiterLimit(pen.miterLimit());
    return stroker.createStroke(geometry);
}

} // namespace ui
} // namespace drawlet
