#pragma once

#include "drawletui_global.h"
#include "paintinterface.h"

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPen>
#include <QPointF>

namespace drawlet {
namespace ui {

class QorvGraphicsPolygonItem;

// Triangles spanned by the press point and the pointer, outlined or filled. A triangle is kept as
// four points, the last repeating the first.
class DRAWLETUI_EXPORT PolygonShapePainter : public QObject, public PaintInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit PolygonShapePainter(QObject *parent = nullptr);

    QGraphicsItem *init(const QPointF &point) override;
    QGraphicsItem *draw(const QPointF &point) override;
    void release() override;
    bool isDrawing() override;
    QString toString() override;
    void getPaintSetting() override;

    QColor getPenColor() const;
    QColor getBrushColor() const;
    bool isFillShape();
    qreal getPenMiter() const;

public slots:
    void setPenColor(QColor color);
    void setBrushColor(QColor color);
    void setFillShape(bool fill);

signals:
    void setHelperColor(QColor color);

private:
    QorvGraphicsPolygonItem *m_item = nullptr;
    QPen m_pen;
    QBrush m_brush;
    bool m_fillShape = false;
    QPointF m_startPoint;
};

} // namespace ui
} // namespace drawlet
