#pragma once

#include <QObject>
#include <QPointF>
#include <QString>

class QGraphicsItem;

namespace drawlet {
namespace ui {

// Turns one press-drag-release gesture into one item. The item made by init() is handed to the
// caller: the painter never deletes it.
class PaintInterface
{
public:
    virtual ~PaintInterface() = default;

    virtual QGraphicsItem *init(const QPointF &point) = 0;
    virtual QGraphicsItem *draw(const QPointF &point) = 0;
    virtual void release() = 0;
    virtual bool isDrawing() = 0;
    virtual QString toString() = 0;
    virtual void getPaintSetting() = 0;
};

} // namespace ui
} // namespace drawlet

#define PaintInterface_iid "drawlet.ui.PaintInterface/1.0"
Q_DECLARE_INTERFACE(drawlet::ui::PaintInterface, PaintInterface_iid)
