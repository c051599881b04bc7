#pragma once

#include "drawletui_global.h"
#include "linestyle.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QLineF>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QRectF>
#include <QSet>
#include <QTransform>

#include <vector>

class QGraphicsItem;
class QGraphicsScene;
class QGraphicsView;
class QPainter;
class QTextDocument;

namespace drawlet {
namespace ui {

// The settled annotations of a view, rendered once into one viewport-sized image and blitted on
// every repaint: antialiased wide strokes cost far too much to redraw a thousand of them per frame.
//
// The layer holds the longest run of items, from the bottom of the stacking order up, that are
// settled: visible, unselected, without focus, childless top-level items of the plain kinds. Whatever
// lies above that run (a stroke being drawn, selected items, text being edited) is painted live on
// top, so the stacking order stays exact. Before each use the run is checked against the scene: an
// item removed, hidden, moved, restyled, selected or stacked differently breaks it and the image is
// rendered again; settled items newly on top are only added to it.
class DRAWLETUI_EXPORT AnnotationRasterLayer
{
public:
    AnnotationRasterLayer();
    ~AnnotationRasterLayer();

    // Brings the layer up to date with the view's scene; false when it cannot serve this paint.
    bool prepare(const QGraphicsView *view);
    // Blits the layer over `area` (viewport coordinates); the painter may carry any world transform.
    void draw(QPainter *painter, const QRect &area) const;
    bool contains(QGraphicsItem *item) const;

    // While a mouse button is held, items that were not held at the press are being made or
    // dragged: they stay live until the release.
    void beginGesture();
    void endGesture();

    void clear();
    int itemCount() const;
    int renderCount() const;

private:
    // What a settled item's painting depends on; any difference means the image shows it wrongly.
    struct Fingerprint
    {
        QTransform transform;
        QRectF bounds;
        qreal z = 0;
        qreal opacity = 1;
        bool enabled = true;
        QPen pen;
        QBrush brush;
        QPainterPath path;
        QPolygonF polygon;
        QLineF line;
        QRectF rect;
        int startAngle = 0;
        int spanAngle = 0;
        qint64 pixmapKey = 0;
        QPointF offset;
        int pixmapMode = 0;
        const QTextDocument *document = nullptr;
        int revision = 0;
        QColor textColor;
        QFont font;
        qreal textWidth = 0;
        LineStyle::style_t lineStyle = LineStyle::SOLIDLINE;

        bool operator==(const Fingerprint &other) const;
        bool operator!=(const Fingerprint &other) const { return !(*this == other); }
    };
    struct Entry
    {
        QGraphicsItem *item;
        Fingerprint fingerprint;
    };

    static Fingerprint fingerprintOf(const QGraphicsItem *item);
    static bool isPlainKind(const QGraphicsItem *item);
    bool isSettled(const QGraphicsItem *item) const;
    void reset(const QGraphicsView *view);
    // The position in `items` after the held run, or -1 when the run no longer matches the scene.
    int matchHeldRun(const QList<QGraphicsItem *> &items) const;
    void addSettledItems(const QGraphicsView *view, const QList<QGraphicsItem *> &items, int from);

    QImage m_image;
    const QGraphicsScene *m_scene = nullptr;
    QTransform m_viewTransform;
    std::vector<Entry> m_entries;
    QSet<QGraphicsItem *> m_held;
    // The items held when the gesture began. Only compared by address: the fingerprints decide
    // whether the image is right, this only keeps items that change on every move out of it.
    QSet<QGraphicsItem *> m_gestureItems;
    bool m_gesture = false;
    int m_renderCount = 0;
};

} // namespace ui
} // namespace drawlet
