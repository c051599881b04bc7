#pragma once

#include "closedshapepainter.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Triangles spanned by the press point and the pointer, outlined or filled. A triangle is kept as
// four points, the last repeating the first.
class DRAWLETUI_EXPORT PolygonShapePainter : public ClosedShapePainter
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit PolygonShapePainter(QObject *parent = nullptr);

    qreal getPenMiter() const;

protected:
    QAbstractGraphicsShapeItem *createItem(bool fill) const override;
    void startShape(QAbstractGraphicsShapeItem *item, const QPointF &point) override;
    void followPointer(QAbstractGraphicsShapeItem *item, const QPointF &point) override;
};

} // namespace ui
} // namespace drawlet
