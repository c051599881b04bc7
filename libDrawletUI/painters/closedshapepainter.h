#pragma once

#include "drawletui_global.h"
#include "paintinterface.h"

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPen>
#include <QPointF>

class QAbstractGraphicsShapeItem;

namespace drawlet {
namespace ui {

// What rectangles, ellipses and triangles have in common: the shape pen, the optional fill, one
// item per gesture and the same complaints about calls out of order. Subclasses only make the item
// and give it its geometry.
class DRAWLETUI_EXPORT ClosedShapePainter : public QObject, public PaintInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    QGraphicsItem *init(const QPointF &point) override;
    QGraphicsItem *draw(const QPointF &point) override;
    void release() override;
    bool isDrawing() override;
    QString toString() override;
    void getPaintSetting() override;

    QColor getPenColor() const;
    QColor getBrushColor() const;
    bool isFillShape();

public slots:
    void setPenColor(QColor color);
    void setBrushColor(QColor color);
    void setFillShape(bool fill);

signals:
    void setHelperColor(QColor color);

protected:
    ClosedShapePainter(const QPen &pen, QObject *parent);

    const QPen &pen() const;
    // The press point of the shape being drawn.
    QPointF startPoint() const;

    // A new, unstyled item; `fill` is whether it is drawn filled.
    virtual QAbstractGraphicsShapeItem *createItem(bool fill) const = 0;
    // Gives a new item its shape at the press point.
    virtual void startShape(QAbstractGraphicsShapeItem *item, const QPointF &point) = 0;
    // Reshapes the item being drawn so that it reaches the pointer.
    virtual void followPointer(QAbstractGraphicsShapeItem *item, const QPointF &point) = 0;

private:
    QAbstractGraphicsShapeItem *m_item = nullptr;
    QPen m_pen;
    QBrush m_brush;
    bool m_fillShape = false;
    QPointF m_startPoint;
};

} // namespace ui
} // namespace drawlet
