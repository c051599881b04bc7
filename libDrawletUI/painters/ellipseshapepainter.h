#pragma once

#include "drawletui_global.h"
#include "paintinterface.h"

#include <QBrush>
#include <QColor>
#include <QObject>
#include <QPen>

namespace drawlet {
namespace ui {

class QorvGraphicsEllipseItem;

// Ellipses inscribed in the box spanned by the press point and the pointer, outlined or filled.
class DRAWLETUI_EXPORT EllipseShapePainter : public QObject, public PaintInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit EllipseShapePainter(QObject *parent = nullptr);

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

private:
    QorvGraphicsEllipseItem *m_item = nullptr;
    QPen m_pen;
    QBrush m_brush;
    bool m_fillShape = false;
};

} // namespace ui
} // namespace drawlet
