#pragma once

#include "drawletui_global.h"

#include <QCursor>
#include <QGraphicsPixmapItem>

#include <memory>

namespace drawlet {
namespace ui {

enum CornerPosition {
    NO_CORNER = 0,
    TOP_LEFT = 1,
    TOP_RIGHT = 2,
    BOTTOM_LEFT = 3,
    BOTTOM_RIGHT = 4
};

// An inserted picture with four corner handles: dragging one rescales the picture as loaded,
// keeping its proportions and the opposite corner, so repeated resizing loses no quality.
class DRAWLETUI_EXPORT QorvGraphicsPixmapItem : public QGraphicsPixmapItem
{
public:
    explicit QorvGraphicsPixmapItem(const QPixmap &pixmap, QGraphicsItem *parent = nullptr);

    QRectF pixmapSceneRect() const;
    QRectF resizeHandle(QPointF point) const;
    QRectF topLeftResizeHandle() const;
    QRectF topRightResizeHandle() const;
    QRectF bottomLeftResizeHandle() const;
    QRectF bottomRightResizeHandle() const;
    static int getResizeHandleRange();

    CornerPosition findCurrentCorner(const QPointF &scenePoint) const;
    CornerPosition currentCorner() const;
    void resizePicture(const QPointF &scenePoint);
    void scalePicture(QRectF rect);
    void setItemCursor(const CornerPosition &corner);

    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget) override;

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void hoverMoveEvent(QGraphicsSceneHoverEvent *event) override;

private:
    bool isOnlySelectedItem() const;

    const QPixmap m_loadedPixmap;
    CornerPosition m_currentCorner = NO_CORNER;
    std::shared_ptr<QCursor> m_moveCursor;
};

} // namespace ui
} // namespace drawlet
