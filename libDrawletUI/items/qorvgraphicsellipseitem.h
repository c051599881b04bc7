#pragma once

#include "drawletui_global.h"

#include <QGraphicsEllipseItem>

namespace drawlet {
namespace ui {

// An outline shape is hit only on its drawn line, a filled one on its area, a selected one on its
// whole extent, so a selected item is easy to grab.
class DRAWLETUI_EXPORT QorvGraphicsEllipseItem : public QGraphicsEllipseItem
{
public:
    explicit QorvGraphicsEllipseItem(bool fillShape, QGraphicsItem *parent = nullptr);

    bool isFillShape() const;

    QRectF boundingRect() const override;
    QPainterPath shape() const override;

private:
    const bool fillShape;
};

} // namespace ui
} // namespace drawlet
