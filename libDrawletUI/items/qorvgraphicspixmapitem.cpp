#include "qorvgraphicspixmapitem.h"

#include <QGraphicsScene>
#include <QGraphicsSceneHoverEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>

namespace drawlet {
namespace ui {

namespace {
const int handleSide = 10;
const int minimumSide = 20;
const int cursorSide = 44;
const QPoint cursorHotSpot(21, 21);
} // namespace

QorvGraphicsPixmapItem::QorvGraphicsPixmapItem(const QPixmap &pixmap, QGraphicsItem *parent)
    : QGraphicsPixmapItem(pixmap, parent)
    , m_loadedPixmap(pixmap)
{
    setAcceptHoverEvents(true);
    const QPixmap cursorImage
        = QPixmap(QStringLiteral(":/icons/icons/cursor/cursor_move.png"))
              .scaled(cursorSide, cursorSide, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    m_moveCursor = std::make_shared<QCursor>(cursorImage, cursorHotSpot.x(), cursorHotSpot.y());
}

QRectF QorvGraphicsPixmapItem::pixmapSceneRect() const
{
    return QRectF(scenePos(), QSizeF(pixmap().size()));
}

QRectF QorvGraphicsPixmapItem::resizeHandle(QPointF point) const
{
    const qreal half = handleSide / 2.0;
    return QRectF(point - QPointF(half, half), point + QPointF(half, half));
}

QRectF QorvGraphicsPixmapItem::topLeftResizeHandle() const
{
    return resizeHandle(pixmapSceneRect().topLeft());
}

QRectF QorvGraphicsPixmapItem::topRightResizeHandle() const
{
    const QRectF r = pixmapSceneRect();
    return resizeHandle(QPointF(r.right(), r.top()));
}

QRectF QorvGraphicsPixmapItem::bottomLeftResizeHandle() const
{
    const QRectF r = pixmapSceneRect();
    return resizeHandle(QPointF(r.left(), r.bottom()));
}

QRectF QorvGraphicsPixmapItem::bottomRightResizeHandle() const
{
    const QRectF r = pixmapSceneRect();
    return resizeHandle(QPointF(r.right(), r.bottom()));
}

int QorvGraphicsPixmapItem::getResizeHandleRange()
{
    return handleSide;
}

CornerPosition QorvGraphicsPixmapItem::findCurrentCorner(const QPointF &scenePoint) const
{
    if (bottomRightResizeHandle().contains(scenePoint))
        return BOTTOM_RIGHT;
    if (topLeftResizeHandle().contains(scenePoint))
        return TOP_LEFT;
    if (bottomLeftResizeHandle().contains(scenePoint))
        return BOTTOM_LEFT;
    if (topRightResizeHandle().contains(scenePoint))
        return TOP_RIGHT;
    return NO_CORNER;
}

CornerPosition QorvGraphicsPixmapItem::currentCorner() const
{
    return m_currentCorner;
}

void QorvGraphicsPixmapItem::resizePicture(const QPointF &p)
{
    const QRectF r = pixmapSceneRect();
    QRectF requested;
    switch (m_currentCorner) {
    case TOP_LEFT:
        requested = QRectF(p, r.bottomRight());
        break;
    case TOP_RIGHT:
        requested = QRectF(QPointF(r.left(), p.y()), QPointF(p.x(), r.bottom()));
        break;
    case BOTTOM_LEFT:
        requested = QRectF(QPointF(p.x(), r.top()), QPointF(r.right(), p.y()));
        break;
    case BOTTOM_RIGHT:
        requested = QRectF(r.topLeft(), p);
        break;
    case NO_CORNER:
        return;
    }
    scalePicture(requested);
    const qreal w = pixmap().width();
    const qreal h = pixmap().height();
    switch (m_currentCorner) {
    case TOP_LEFT:
        setPos(r.right() - w, r.bottom() - h);
        break;
    case TOP_RIGHT:
        setPos(r.left(), r.bottom() - h);
        break;
    case BOTTOM_LEFT:
        setPos(r.right() - w, r.top());
        break;
    default:
        break;
    }
}

void QorvGraphicsPixmapItem::scalePicture(QRectF rect)
{
    const int loadedWidth = m_loadedPixmap.width();
    const int loadedHeight = m_loadedPixmap.height();
    // An empty picture has no proportions to keep.
    if (loadedWidth <= 0 || loadedHeight <= 0)
        return;
    const double factor = std::max(rect.width() / loadedWidth, rect.height() / loadedHeight);
    const int width = int(loadedWidth * factor);
    const int height = int(loadedHeight * factor);
    if (std::min(width, height) < minimumSide)
        return;
    prepareGeometryChange();
    setPixmap(m_loadedPixmap.scaled(width, height, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

bool QorvGraphicsPixmapItem::isOnlySelectedItem() const
{
    return scene() && scene()->selectedItems().size() == 1;
}

void QorvGraphicsPixmapItem::setItemCursor(const CornerPosition &corner)
{
    if (!isOnlySelectedItem() || scene()->views().isEmpty())
        return;
    QGraphicsView *view = scene()->views().first();
    switch (corner) {
    case TOP_RIGHT:
    case BOTTOM_LEFT:
        view->setCursor(Qt::SizeBDiagCursor);
        break;
    case TOP_LEFT:
    case BOTTOM_RIGHT:
        view->setCursor(Qt::SizeFDiagCursor);
        break;
    case NO_CORNER:
        view->setCursor(*m_moveCursor);
        break;
    }
}

QRectF QorvGraphicsPixmapItem::boundingRect() const
{
    const qreal m = handleSide / 2.0;
    return QGraphicsPixmapItem::boundingRect().adjusted(-m, -m, m, m);
}

QPainterPath QorvGraphicsPixmapItem::shape() const
{
    QPainterPath path = QGraphicsPixmapItem::shape();
    path.setFillRule(Qt::WindingFill);
    path.addRect(mapRectFromScene(bottomRightResizeHandle()));
    path.addRect(mapRectFromScene(topLeftResizeHandle()));
    path.addRect(mapRectFromScene(bottomLeftResizeHandle()));
    path.addRect(mapRectFromScene(topRightResizeHandle()));
    if (isSelected()) {
        QPainterPath selected;
        selected.addRect(path.controlPointRect());
        return selected;
    }
    return path;
}

void QorvGraphicsPixmapItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
                                   QWidget *widget)
{
    if (!scene())
        return;
    if (!isSelected()) {
        QGraphicsPixmapItem::paint(painter, option, widget);
        return;
    }
    painter->save();
    QPen framePen = painter->pen();
    painter->drawPixmap(mapRectFromScene(pixmapSceneRect()), pixmap(), QRectF(pixmap().rect()));
    framePen.setStyle(Qt::DashLine);
    painter->setPen(framePen);
    painter->setBrush(Qt::NoBrush);
    painter->drawRect(QGraphicsPixmapItem::boundingRect());
    if (isOnlySelectedItem()) {
        framePen.setStyle(Qt::SolidLine);
        painter->setPen(framePen);
        painter->setBrush(QBrush(Qt::white, Qt::SolidPattern));
        painter->drawRect(mapRectFromScene(bottomRightResizeHandle()));
        painter->drawRect(mapRectFromScene(topLeftResizeHandle()));
        painter->drawRect(mapRectFromScene(bottomLeftResizeHandle()));
        painter->drawRect(mapRectFromScene(topRightResizeHandle()));
    }
    painter->restore();
}

void QorvGraphicsPixmapItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    m_currentCorner = findCurrentCorner(event->scenePos());
    QGraphicsPixmapItem::mousePressEvent(event);
}

void QorvGraphicsPixmapItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!scene()) {
        event->ignore();
        return;
    }
    if (m_currentCorner != NO_CORNER && isOnlySelectedItem()) {
        setItemCursor(m_currentCorner);
        resizePicture(event->scenePos());
        return;
    }
    QGraphicsPixmapItem::mouseMoveEvent(event);
}

void QorvGraphicsPixmapItem::hoverMoveEvent(QGraphicsSceneHoverEvent *event)
{
    if (isSelected())
        setItemCursor(findCurrentCorner(event->scenePos()));
    QGraphicsPixmapItem::hoverMoveEvent(event);
}

} // namespace ui
} // namespace drawlet
