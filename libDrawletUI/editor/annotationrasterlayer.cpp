#include "annotationrasterlayer.h"

#include "graphicsarrowlineitem.h"
#include "qorvgraphicspathitem.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTextDocument>

namespace drawlet {
namespace ui {

namespace {

void paintSettledItem(QPainter &painter, QGraphicsItem *item, const QTransform &viewTransform)
{
    QStyleOptionGraphicsItem option;
    const QRectF bounds = item->boundingRect();
    option.state = item->isEnabled() ? QStyle::State_Enabled : QStyle::State_None;
    option.rect = bounds.toAlignedRect();
    option.exposedRect = bounds;
    if (item->scene())
        option.palette = item->scene()->palette();
    painter.save();
    painter.setTransform(item->sceneTransform() * viewTransform);
    painter.setOpacity(item->effectiveOpacity());
    item->paint(&painter, &option, nullptr);
    painter.restore();
}

} // namespace

AnnotationRasterLayer::AnnotationRasterLayer() = default;

AnnotationRasterLayer::~AnnotationRasterLayer() = default;

bool AnnotationRasterLayer::Fingerprint::operator==(const Fingerprint &other) const
{
    // The path and polygon compare by their shared data first: unchanged geometry costs nothing.
    return transform == other.transform && bounds == other.bounds && z == other.z
            && opacity == other.opacity && enabled == other.enabled && pen == other.pen
            && brush == other.brush && path == other.path && polygon == other.polygon
            && line == other.line && rect == other.rect && startAngle == other.startAngle
            && spanAngle == other.spanAngle && pixmapKey == other.pixmapKey
            && offset == other.offset && pixmapMode == other.pixmapMode
            && document == other.document && revision == other.revision
            && textColor == other.textColor && font == other.font && textWidth == other.textWidth
            && lineStyle == other.lineStyle;
}

AnnotationRasterLayer::Fingerprint AnnotationRasterLayer::fingerprintOf(const QGraphicsItem *item)
{
    Fingerprint print;
    print.transform = item->sceneTransform();
    print.bounds = item->boundingRect();
    print.z = item->zValue();
    print.opacity = item->effectiveOpacity();
    print.enabled = item->isEnabled();
    if (auto *shape = dynamic_cast<const QAbstractGraphicsShapeItem *>(item)) {
        print.pen = shape->pen();
        print.brush = shape->brush();
    }
    switch (item->type()) {
    case QGraphicsPathItem::Type:
        print.path = static_cast<const QGraphicsPathItem *>(item)->path();
        if (auto *stroke = dynamic_cast<const QorvGraphicsPathItem *>(item))
            print.lineStyle = stroke->getLineStyle();
        break;
    case QGraphicsRectItem::Type:
        print.rect = static_cast<const QGraphicsRectItem *>(item)->rect();
        break;
    case QGraphicsEllipseItem::Type: {
        auto *ellipse = static_cast<const QGraphicsEllipseItem *>(item);
        print.rect = ellipse->rect();
        print.startAngle = ellipse->startAngle();
        print.spanAngle = ellipse->spanAngle();
        break;
    }
    case QGraphicsPolygonItem::Type:
        print.polygon = static_cast<const QGraphicsPolygonItem *>(item)->polygon();
        break;
    case QGraphicsLineItem::Type: {
        auto *line = static_cast<const QGraphicsLineItem *>(item);
        print.line = line->line();
        print.pen = line->pen();
        if (auto *arrow = dynamic_cast<const GraphicsArrowLineItem *>(item))
            print.lineStyle = arrow->getLineStyle();
        break;
    }
    case QGraphicsPixmapItem::Type: {
        auto *picture = static_cast<const QGraphicsPixmapItem *>(item);
        print.pixmapKey = picture->pixmap().cacheKey();
        print.offset = picture->offset();
        print.pixmapMode = int(picture->transformationMode());
        break;
    }
    case QGraphicsTextItem::Type: {
        auto *text = static_cast<const QGraphicsTextItem *>(item);
        print.document = text->document();
        print.revision = text->document() ? text->document()->revision() : 0;
        print.textColor = text->defaultTextColor();
        print.font = text->font();
        print.textWidth = text->textWidth();
        break;
    }
    default:
        break;
    }
    return print;
}

bool AnnotationRasterLayer::isPlainKind(const QGraphicsItem *item)
{
    // Kinds whose whole look the fingerprint captures; any other item is always painted live.
    switch (item->type()) {
    case QGraphicsPathItem::Type:
    case QGraphicsRectItem::Type:
    case QGraphicsEllipseItem::Type:
    case QGraphicsPolygonItem::Type:
    case QGraphicsLineItem::Type:
    case QGraphicsPixmapItem::Type:
    case QGraphicsTextItem::Type:
        return true;
    default:
        return false;
    }
}

bool AnnotationRasterLayer::isSettled(const QGraphicsItem *item) const
{
    const QGraphicsItem::GraphicsItemFlags paintFlags = QGraphicsItem::ItemClipsToShape
            | QGraphicsItem::ItemIgnoresTransformations
            | QGraphicsItem::ItemClipsChildrenToShape;
    if (!item->isVisible() || item->isSelected() || item->hasFocus() || item->parentItem()
        || !item->childItems().isEmpty() || item->graphicsEffect() || (item->flags() & paintFlags)
        || !isPlainKind(item))
        return false;
    return !m_gesture || m_gestureItems.contains(const_cast<QGraphicsItem *>(item));
}

void AnnotationRasterLayer::clear()
{
    m_image = QImage();
    m_scene = nullptr;
    m_entries.clear();
    m_held.clear();
}

void AnnotationRasterLayer::reset(const QGraphicsView *view)
{
    const QWidget *viewport = view->viewport();
    const qreal ratio = viewport->devicePixelRatioF();
    const QSize pixels = (QSizeF(viewport->size()) * ratio).toSize();
    if (m_image.size() != pixels || m_image.devicePixelRatio() != ratio) {
        m_image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        m_image.setDevicePixelRatio(ratio);
    }
    m_image.fill(Qt::transparent);
    m_scene = view->scene();
    m_viewTransform = view->viewportTransform();
    m_entries.clear();
    m_held.clear();
}

int AnnotationRasterLayer::matchHeldRun(const QList<QGraphicsItem *> &items) const
{
    std::size_t held = 0;
    int index = 0;
    for (; index < items.size() && held < m_entries.size(); ++index) {
        QGraphicsItem *item = items.at(index);
        const Entry &entry = m_entries[held];
        // Hidden items paint nothing; one that is shown again is no longer skipped.
        if (item != entry.item && !item->isVisible())
            continue;
        if (item != entry.item || !isSettled(item) || fingerprintOf(item) != entry.fingerprint)
            return -1;
        ++held;
    }
    return held == m_entries.size() ? index : -1;
}

void AnnotationRasterLayer::addSettledItems(const QGraphicsView *view,
                                            const QList<QGraphicsItem *> &items, int from)
{
    QPainter painter;
    for (int index = from; index < items.size(); ++index) {
        QGraphicsItem *item = items.at(index);
        if (!item->isVisible())
            continue;
        if (!isSettled(item))
            break;
        if (!painter.isActive()) {
            painter.begin(&m_image);
            painter.setRenderHints(view->renderHints());
            ++m_renderCount;
        }
        paintSettledItem(painter, item, m_viewTransform);
        m_entries.push_back({item, fingerprintOf(item)});
        m_held.insert(item);
    }
}

bool AnnotationRasterLayer::prepare(const QGraphicsView *view)
{
    const QGraphicsScene *scene = view->scene();
    if (!scene || view->viewport()->size().isEmpty()) {
        clear();
        return false;
    }
    const QWidget *viewport = view->viewport();
    const qreal ratio = viewport->devicePixelRatioF();
    const QSize pixels = (QSizeF(viewport->size()) * ratio).toSize();
    if (scene != m_scene || m_image.size() != pixels || m_image.devicePixelRatio() != ratio
        || view->viewportTransform() != m_viewTransform)
        reset(view);
    const QList<QGraphicsItem *> items = scene->items(Qt::AscendingOrder);
    int next = matchHeldRun(items);
    if (next < 0) {
        reset(view);
        next = 0;
    }
    addSettledItems(view, items, next);
    return true;
}

void AnnotationRasterLayer::draw(QPainter *painter, const QRect &area) const
{
    if (m_entries.empty())
        return;
    const qreal ratio = m_image.devicePixelRatio();
    const QRect target = area.intersected(QRect(QPoint(0, 0), m_image.size() / ratio));
    if (target.isEmpty())
        return;
    painter->save();
    painter->resetTransform();
    painter->setOpacity(1.0);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRectF source(QPointF(target.topLeft()) * ratio, QSizeF(target.size()) * ratio);
    painter->drawImage(QRectF(target), m_image, source);
    painter->restore();
}

bool AnnotationRasterLayer::contains(QGraphicsItem *item) const
{
    return m_held.contains(item);
}

void AnnotationRasterLayer::beginGesture()
{
    m_gesture = true;
    m_gestureItems = m_held;
}

void AnnotationRasterLayer::endGesture()
{
    m_gesture = false;
    m_gestureItems.clear();
}

int AnnotationRasterLayer::itemCount() const
{
    return int(m_entries.size());
}

int AnnotationRasterLayer::renderCount() const
{
    return m_renderCount;
}

} // namespace ui
} // namespace drawlet
