#pragma once

#include "configtype.h"
#include "drawletui_global.h"
#include "linestyle.h"
#include "paintinterface.h"

#include <QColor>
#include <QObject>
#include <QPen>

namespace drawlet {
namespace ui {

class GraphicsArrowLineItem;

// Straight lines and arrows from the press point to the pointer.
class DRAWLETUI_EXPORT LineShapePainter : public QObject, public PaintInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    explicit LineShapePainter(ConfigType type, QObject *parent = nullptr);
    ~LineShapePainter() override;

    QGraphicsItem *init(const QPointF &point) override;
    QGraphicsItem *draw(const QPointF &point) override;
    void release() override;
    bool isDrawing() override;
    QString toString() override;
    void getPaintSetting() override;

    QColor getPenColor() const;
    qreal getPenMiter();
    LineStyle::style_t getLineStyle() const;
    int getWigth() const;
    Qt::PenCapStyle getCapStyle() const;

public slots:
    void setPenColor(const QColor &color);
    void setLineStyle(LineStyle::style_t style);
    void setWigth(int width, ConfigType type);
    void setCapStyle(Qt::PenCapStyle style);

signals:
    void setHelperColor(const QColor &color);
    void setHelperLineStyle(const LineStyle::style_t &style);
    void setHelperLineWidth(ConfigType index, int itemValue);

private:
    GraphicsArrowLineItem *m_item = nullptr;
    QPen m_pen;
    LineStyle::style_t m_lineStyle = LineStyle::SOLIDLINE;
    ConfigType m_configType;
};

} // namespace ui
} // namespace drawlet
