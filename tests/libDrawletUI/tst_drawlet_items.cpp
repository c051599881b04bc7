#include "arrowdrawer.h"
#include "drawletmouse.h"
#include "graphicsarrowlineitem.h"
#include "linestyle.h"
#include "qorvgraphicsellipseitem.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "qorvgraphicspolygonitem.h"
#include "qorvgraphicsrectitem.h"
#include "qorvgraphicstextitem.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStyleOptionGraphicsItem>
#include <QtTest>

#include <cmath>

using namespace drawlet::ui;

namespace {

bool fuzzyPoint(const QPointF &a, const QPointF &b, double tolerance = 1e-4)
{
    return std::abs(a.x() - b.x()) < tolerance && std::abs(a.y() - b.y()) < tolerance;
}

// Paints the item once, as a view would, so that its paint-time state (the arrow heads) is set.
void paintOnce(QGraphicsItem *item)
{
    QImage image(400, 400, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionGraphicsItem option;
    item->paint(&painter, &option, nullptr);
}

QPixmap testPicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 13) % 256, ((x + y) * 3) % 256));
    return QPixmap::fromImage(image);
}

} // namespace

class TestDrawletItems : public QObject
{
    Q_OBJECT
private slots:
    void lineStyleNames_data();
    void lineStyleNames();
    void lineStyleParsing_data();
    void lineStyleParsing();

    void arrowDrawerSkipsRepeatedPoint();
    void arrowDrawerHeads_data();
    void arrowDrawerHeads();
    void arrowHeadGeometry();

    void arrowLineHeads_data();
    void arrowLineHeads();
    void arrowLineBounds_data();
    void arrowLineBounds();
    void zeroLengthLineHasNoHeadExtent();

    void pathItemBoundsAndHighlight_data();
    void pathItemBoundsAndHighlight();
    void pathItemArrowFollowsStoredStyle();
    void shapeHitTests_data();
    void shapeHitTests();
    void shapeBounds();

    void pictureResizeByHandle_data();
    void pictureResizeByHandle();
    void pictureHandleHits_data();
    void pictureHandleHits();
    void pictureWithOthersSelectedMovesInsteadOfResizing();
    void pictureRescalesFromLoadedPicture();
    void emptyPictureNeverScales();

    void textItemKeepsControlShortcuts();
};

void TestDrawletItems::lineStyleNames_data()
{
    QTest::addColumn<LineStyle::style_t>("style");
    QTest::addColumn<QString>("name");
    QTest::newRow("solid") << LineStyle::SOLIDLINE << "SOLIDLINE";
    QTest::newRow("dot") << LineStyle::DOTLINE << "DOTLINE";
    QTest::newRow("end arrow") << LineStyle::SOLIDLINE_END_ARROW << "SOLIDLINE_END_ARROW";
    QTest::newRow("double arrow") << LineStyle::SOLIDLINE_DOUBLE_ARROW << "SOLIDLINE_DOUBLE_ARROW";
    QTest::newRow("dotted end arrow is no style") << LineStyle::style_t {3, 2} << "SOLIDLINE";
}

void TestDrawletItems::lineStyleNames()
{
    QFETCH(LineStyle::style_t, style);
    QFETCH(QString, name);
    QCOMPARE(LineStyle::toQString(style), name);
}

void TestDrawletItems::lineStyleParsing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<LineStyle::style_t>("style");
    QTest::newRow("dot") << "DOTLINE" << LineStyle::DOTLINE;
    QTest::newRow("end arrow") << "SOLIDLINE_END_ARROW" << LineStyle::SOLIDLINE_END_ARROW;
    QTest::newRow("double arrow") << "SOLIDLINE_DOUBLE_ARROW" << LineStyle::SOLIDLINE_DOUBLE_ARROW;
    QTest::newRow("lower case") << "dotline" << LineStyle::SOLIDLINE;
    QTest::newRow("empty") << "" << LineStyle::SOLIDLINE;
}

void TestDrawletItems::lineStyleParsing()
{
    QFETCH(QString, name);
    QFETCH(LineStyle::style_t, style);
    QVERIFY(LineStyle::toObject(name.toStdString()) == style);
}

void TestDrawletItems::arrowDrawerSkipsRepeatedPoint()
{
    ArrowDrawer drawer;
    drawer.addPoint(QPointF(1, 1));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("previous position"));
    drawer.addPoint(QPointF(1, 1));
    drawer.addPoint(QPointF(2, 1));
    QCOMPARE(drawer.getPathPoints().size(), std::size_t(2));
    drawer.clearPoints();
    QVERIFY(drawer.getPathPoints().empty());
}

void TestDrawletItems::arrowDrawerHeads_data()
{
    QTest::addColumn<int>("lineType");
    QTest::addColumn<int>("points");
    QTest::addColumn<bool>("result");
    QTest::addColumn<int>("heads");
    QTest::newRow("one point, end arrow") << 2 << 1 << false << 0;
    QTest::newRow("no arrow") << 1 << 2 << true << 0;
    QTest::newRow("end arrow") << 2 << 3 << true << 1;
    QTest::newRow("both ends, two points") << 4 << 2 << true << 2;
}

void TestDrawletItems::arrowDrawerHeads()
{
    QFETCH(int, lineType);
    QFETCH(int, points);
    QFETCH(bool, result);
    QFETCH(int, heads);
    ArrowDrawer drawer(lineType);
    for (int i = 0; i < points; ++i)
        drawer.addPoint(QPointF(10 * i, 0));
    QPainterPath path;
    QCOMPARE(drawer.arrowPath(path, 4), result);
    QCOMPARE(path.toSubpathPolygons().size(), heads);
}

void TestDrawletItems::arrowHeadGeometry()
{
    // A head is 6.4 long and 8 wide, 0.7 x width beyond the end point, pointing away from the
    // stroke.
    ArrowDrawer drawer(4);
    drawer.addPoint(QPointF(0, 0));
    drawer.addPoint(QPointF(10, 0));
    QPainterPath path;
    QVERIFY(drawer.arrowPath(path, 10));
    const QList<QPolygonF> heads = path.toSubpathPolygons();
    QCOMPARE(heads.size(), 2);
    QVERIFY(fuzzyPoint(heads[0][0], QPointF(-13.4, 0)));
    QVERIFY(fuzzyPoint(heads[0][1], QPointF(-7, -4)));
    QVERIFY(fuzzyPoint(heads[0][2], QPointF(-7, 4)));
    QVERIFY(fuzzyPoint(heads[1][0], QPointF(23.4, 0)));
    QVERIFY(fuzzyPoint(heads[1][1], QPointF(17, 4)));
    QVERIFY(fuzzyPoint(heads[1][2], QPointF(17, -4)));
    QCOMPARE(path.fillRule(), Qt::WindingFill);
}

void TestDrawletItems::arrowLineHeads_data()
{
    QTest::addColumn<LineStyle::style_t>("style");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("startHead");
    QTest::addColumn<bool>("endHead");
    QTest::newRow("solid") << LineStyle::SOLIDLINE << 4 << false << false;
    QTest::newRow("dot") << LineStyle::DOTLINE << 4 << false << false;
    QTest::newRow("end arrow") << LineStyle::SOLIDLINE_END_ARROW << 4 << false << true;
    QTest::newRow("double arrow") << LineStyle::SOLIDLINE_DOUBLE_ARROW << 4 << true << true;
    QTest::newRow("double arrow, wide") << LineStyle::SOLIDLINE_DOUBLE_ARROW << 16 << true << true;
}

void TestDrawletItems::arrowLineHeads()
{
    QFETCH(LineStyle::style_t, style);
    QFETCH(int, width);
    QFETCH(bool, startHead);
    QFETCH(bool, endHead);
    GraphicsArrowLineItem item(style);
    QPen pen(Qt::red, width);
    pen.setMiterLimit(2.0);
    item.setPen(pen);
    const QLineF line(QPointF(20, 50), QPointF(220, 150));
    item.setLine(line);
    paintOnce(&item);

    // Each head: its tip on the line's end, wings twice the pen width long, 30 degrees either side.
    auto checkHead = [&](const QPolygonF &head, const QPointF &tip, const QPointF &other) {
        QCOMPARE(head.size(), 3);
        QVERIFY(fuzzyPoint(head[0], tip));
        const QLineF along(tip, other);
        for (int wing = 1; wing <= 2; ++wing) {
            const QLineF wingLine(tip, head[wing]);
            QVERIFY(std::abs(wingLine.length() - 2 * width) < 1e-6);
            QVERIFY(std::abs(std::abs(wingLine.angleTo(along) - 180) - 150) < 1e-3);
        }
    };
    if (startHead)
        checkHead(item.startHead(), line.p1(), line.p2());
    else
        QVERIFY(item.startHead().isEmpty());
    if (endHead)
        checkHead(item.endHead(), line.p2(), line.p1());
    else
        QVERIFY(item.endHead().isEmpty());
    // Everything painted lies inside the bounds, wide heads included.
    const QRectF bounds = item.boundingRect();
    for (const QPointF &p : item.startHead() + item.endHead())
        QVERIFY(bounds.adjusted(width, width, -width, -width).contains(p));
}

void TestDrawletItems::arrowLineBounds_data()
{
    QTest::addColumn<LineStyle::style_t>("style");
    QTest::addColumn<QRectF>("bounds");
    QTest::addColumn<bool>("shapeReachesHead");
    // A 4-wide flat line from (0, 0) to (100, 0) covers (0, -2, 100, 4).
    QTest::newRow("solid") << LineStyle::SOLIDLINE << QRectF(-6, -8, 112, 16) << false;
    QTest::newRow("dot") << LineStyle::DOTLINE << QRectF(-6, -8, 112, 16) << false;
    QTest::newRow("end arrow") << LineStyle::SOLIDLINE_END_ARROW << QRectF(-6, -14, 116, 28)
                               << true;
}

void TestDrawletItems::arrowLineBounds()
{
    QFETCH(LineStyle::style_t, style);
    QFETCH(QRectF, bounds);
    QFETCH(bool, shapeReachesHead);
    GraphicsArrowLineItem item(style);
    QPen pen(Qt::red, 4, Qt::PenStyle(style.penStyle), Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(2.0);
    item.setPen(pen);
    item.setLine(QLineF(0, 0, 100, 0));
    QCOMPARE(item.boundingRect(), bounds);
    // The end head's wing tips lie 4 units off the line, 93 units along: hit only with a head. The
    // shape is right even before the first paint (no phantom area at the origin either).
    QCOMPARE(item.shape().contains(QPointF(93.5, 5)), shapeReachesHead);
    QVERIFY(!item.shape().contains(QPointF(-3, -3)) || !shapeReachesHead);
}

void TestDrawletItems::zeroLengthLineHasNoHeadExtent()
{
    GraphicsArrowLineItem item(LineStyle::SOLIDLINE_DOUBLE_ARROW);
    item.setPen(QPen(Qt::red, 4));
    item.setLine(QLineF(QPointF(30, 30), QPointF(30, 30)));
    paintOnce(&item);
    QCOMPARE(item.endHead().boundingRect().size(), QSizeF(0, 0));
    QCOMPARE(item.startHead().boundingRect().size(), QSizeF(0, 0));
}

void TestDrawletItems::pathItemBoundsAndHighlight_data()
{
    QTest::addColumn<int>("alpha");
    QTest::addColumn<bool>("highlight");
    QTest::newRow("127") << 127 << true;
    QTest::newRow("128") << 128 << false;
    QTest::newRow("opaque") << 255 << false;
}

void TestDrawletItems::pathItemBoundsAndHighlight()
{
    QFETCH(int, alpha);
    QFETCH(bool, highlight);
    QPainterPath path;
    path.addRect(10, 10, 100, 50);
    QorvGraphicsPathItem item(path);
    QColor color(Qt::blue);
    color.setAlpha(alpha);
    item.setPen(QPen(color, 8));
    QCOMPARE(item.boundingRect(), QRectF(2, 2, 116, 66));
    QCOMPARE(item.isHighlight(), highlight);
}

void TestDrawletItems::pathItemArrowFollowsStoredStyle()
{
    QorvGraphicsPathItem item;
    item.setPen(QPen(Qt::red, 4));
    QPainterPath start;
    start.moveTo(0, 0);
    item.setPath(QPointF(0, 0), start);
    item.setPath(QPointF(50, 0));
    QCOMPARE(item.getPathPoints().size(), std::size_t(2));

    item.setLineStyle(LineStyle::SOLIDLINE_END_ARROW);
    QPainterPath withHead = item.path();
    QVERIFY(item.arrowPath(withHead));
    QVERIFY(withHead.elementCount() > item.path().elementCount());

    // The drawer keeps kind 2, but a plain style asks for no heads.
    item.setLineStyle(LineStyle::SOLIDLINE);
    QPainterPath plain = item.path();
    QVERIFY(!item.arrowPath(plain));
    QCOMPARE(plain, item.path());
    item.setLineStyle(LineStyle::DOTLINE);
    QCOMPARE(item.pen().style(), Qt::DotLine);
}

void TestDrawletItems::shapeHitTests_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("filled");
    QTest::addColumn<bool>("centreUnselected");
    QTest::addColumn<bool>("centreSelected");
    QTest::newRow("outline rectangle") << "rect" << false << false << true;
    QTest::newRow("filled rectangle") << "rect" << true << true << true;
    QTest::newRow("outline ellipse") << "ellipse" << false << false << true;
    QTest::newRow("filled ellipse") << "ellipse" << true << true << true;
    QTest::newRow("outline triangle") << "polygon" << false << false << true;
    QTest::newRow("filled triangle") << "polygon" << true << true << true;
    QTest::newRow("stroke") << "path" << false << false << true;
}

void TestDrawletItems::shapeHitTests()
{
    QFETCH(QString, kind);
    QFETCH(bool, filled);
    QFETCH(bool, centreUnselected);
    QFETCH(bool, centreSelected);
    QGraphicsScene scene;
    QGraphicsItem *item = nullptr;
    const QRectF area(0, 0, 100, 80);
    if (kind == "rect") {
        auto rect = new QorvGraphicsRectItem(filled);
        rect->setRect(area);
        rect->setPen(QPen(Qt::red, 4));
        item = rect;
    } else if (kind == "ellipse") {
        auto ellipse = new QorvGraphicsEllipseItem(filled);
        ellipse->setRect(area);
        ellipse->setPen(QPen(Qt::red, 4));
        item = ellipse;
    } else if (kind == "polygon") {
        auto polygon = new QorvGraphicsPolygonItem(filled);
        polygon->setPolygon(QPolygonF({QPointF(50, 0), QPointF(100, 80), QPointF(0, 80)}));
        polygon->setPen(QPen(Qt::red, 4));
        item = polygon;
    } else {
        QPainterPath path;
        path.addRect(area);
        auto stroke = new QorvGraphicsPathItem(path);
        stroke->setPen(QPen(Qt::red, 4));
        item = stroke;
    }
    scene.addItem(item);
    item->setFlag(QGraphicsItem::ItemIsSelectable);
    const QPointF centre(50, 50);
    QCOMPARE(item->shape().contains(centre), centreUnselected);
    item->setSelected(true);
    QCOMPARE(item->shape().contains(centre), centreSelected);
}

void TestDrawletItems::shapeBounds()
{
    QorvGraphicsRectItem rect(false);
    rect.setRect(QRectF(110, 60, -100, -50));
    rect.setPen(QPen(Qt::red, 8));
    QCOMPARE(rect.boundingRect(), QRectF(2, 2, 116, 66));

    QorvGraphicsEllipseItem ellipse(true);
    ellipse.setRect(QRectF(110, 60, -100, -50));
    ellipse.setPen(QPen(Qt::red, 8));
    QCOMPARE(ellipse.boundingRect(), QRectF(2, 2, 116, 66));

    const QPolygonF triangle({QPointF(50, 0), QPointF(100, 80), QPointF(0, 80)});
    QorvGraphicsPolygonItem polygon(false);
    polygon.setPolygon(triangle);
    QCOMPARE(polygon.boundingRect(),
             polygon.QGraphicsPolygonItem::boundingRect().adjusted(-6, -6, 6, 6));
}

void TestDrawletItems::pictureResizeByHandle_data()
{
    QTest::addColumn<QPointF>("from");
    QTest::addColumn<QPointF>("to");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("position");
    // A 200 x 100 picture at (100, 100).
    QTest::newRow("bottom right grows")
        << QPointF(300, 200) << QPointF(400, 220) << QSize(300, 150) << QPointF(100, 100);
    QTest::newRow("top left, larger factor wins")
        << QPointF(100, 100) << QPointF(200, 100) << QSize(200, 100) << QPointF(100, 100);
    QTest::newRow("top left, under 20 pixels")
        << QPointF(100, 100) << QPointF(290, 195) << QSize(200, 100) << QPointF(100, 100);
    QTest::newRow("top right keeps bottom left")
        << QPointF(300, 100) << QPointF(500, 0) << QSize(400, 200) << QPointF(100, 0);
    QTest::newRow("bottom left keeps top right")
        << QPointF(100, 200) << QPointF(0, 250) << QSize(300, 150) << QPointF(0, 100);
    QTest::newRow("inside: moves")
        << QPointF(150, 150) << QPointF(170, 160) << QSize(200, 100) << QPointF(120, 110);
}

void TestDrawletItems::pictureResizeByHandle()
{
    QFETCH(QPointF, from);
    QFETCH(QPointF, to);
    QFETCH(QSize, size);
    QFETCH(QPointF, position);
    QGraphicsScene scene(0, 0, 600, 400);
    QGraphicsView view(&scene);
    view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(600, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *item = new QorvGraphicsPixmapItem(testPicture(200, 100));
    item->setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsMovable);
    item->setPos(100, 100);
    scene.addItem(item);

    QWidget *viewport = view.viewport();
    DrawletMouse::press(viewport, view.mapFromScene(from));
    QVERIFY(item->isSelected());
    DrawletMouse::move(viewport, view.mapFromScene(to));
    DrawletMouse::release(viewport, view.mapFromScene(to));
    QCOMPARE(item->pixmap().size(), size);
    QCOMPARE(item->pos(), position);
}

void TestDrawletItems::pictureHandleHits_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<int>("corner");
    QTest::newRow("4 outside bottom right") << QPointF(204, 104) << int(BOTTOM_RIGHT);
    QTest::newRow("6 outside bottom right") << QPointF(206, 106) << int(NO_CORNER);
    QTest::newRow("top left") << QPointF(-3, 2) << int(TOP_LEFT);
    QTest::newRow("top right") << QPointF(199, 0) << int(TOP_RIGHT);
    QTest::newRow("bottom left") << QPointF(0, 100) << int(BOTTOM_LEFT);
    QTest::newRow("middle") << QPointF(100, 50) << int(NO_CORNER);
}

void TestDrawletItems::pictureHandleHits()
{
    QFETCH(QPointF, point);
    QFETCH(int, corner);
    QorvGraphicsPixmapItem item(testPicture(200, 100));
    QCOMPARE(int(item.findCurrentCorner(point)), corner);
    // Handles are part of the hit area even while the item is not selected.
    if (corner != NO_CORNER)
        QVERIFY(item.shape().contains(item.mapFromScene(point)));
}

void TestDrawletItems::pictureWithOthersSelectedMovesInsteadOfResizing()
{
    QGraphicsScene scene(0, 0, 600, 400);
    QGraphicsView view(&scene);
    view.setFrameShape(QFrame::NoFrame);
    view.resize(600, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto *picture = new QorvGraphicsPixmapItem(testPicture(200, 100));
    auto *other = new QGraphicsRectItem(400, 300, 20, 20);
    for (QGraphicsItem *item :
         {static_cast<QGraphicsItem *>(picture), static_cast<QGraphicsItem *>(other)}) {
        item->setFlags(QGraphicsItem::ItemIsSelectable | QGraphicsItem::ItemIsMovable);
        scene.addItem(item);
        item->setSelected(true);
    }
    picture->setPos(100, 100);
    DrawletMouse::press(view.viewport(), view.mapFromScene(QPointF(300, 200)));
    DrawletMouse::move(view.viewport(), view.mapFromScene(QPointF(320, 210)));
    DrawletMouse::move(view.viewport(), view.mapFromScene(QPointF(340, 220)));
    DrawletMouse::release(view.viewport(), view.mapFromScene(QPointF(340, 220)));
    QCOMPARE(picture->pixmap().size(), QSize(200, 100));
    QCOMPARE(picture->pos(), QPointF(140, 120));
}

void TestDrawletItems::pictureRescalesFromLoadedPicture()
{
    const QPixmap loaded = testPicture(200, 100);
    QorvGraphicsPixmapItem item(loaded);
    for (int step = 0; step < 10; ++step) {
        item.scalePicture(QRectF(0, 0, 40 + step, 20));
        item.scalePicture(QRectF(0, 0, 360 - step, 20));
    }
    item.scalePicture(QRectF(0, 0, 300, 150));
    QCOMPARE(item.pixmap().toImage(),
             loaded.scaled(300, 150, Qt::IgnoreAspectRatio, Qt::FastTransformation).toImage());
}

void TestDrawletItems::emptyPictureNeverScales()
{
    QorvGraphicsPixmapItem item {QPixmap()};
    item.scalePicture(QRectF(0, 0, 100, 100));
    QVERIFY(item.pixmap().isNull());
    // Dragging past the fixed corner requests a negative size: nothing changes.
    QorvGraphicsPixmapItem picture(testPicture(200, 100));
    picture.scalePicture(QRectF(0, 0, -50, -40));
    QCOMPARE(picture.pixmap().size(), QSize(200, 100));
}

void TestDrawletItems::textItemKeepsControlShortcuts()
{
    QGraphicsScene scene;
    auto *item = new QorvGraphicsTextItem();
    scene.addItem(item);
    item->setTextInteractionFlags(Qt::TextEditorInteraction);
    QSignalSpy sizeChanged(item, &QorvGraphicsTextItem::textSizeChanged);
    item->setPlainText(QStringLiteral("hello world"));
    QVERIFY(sizeChanged.count() > 0);

    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    scene.sendEvent(item, &selectAll);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
    scene.sendEvent(item, &typed);
    QCOMPARE(item->toPlainText(), QStringLiteral("x"));
}

QTEST_MAIN(TestDrawletItems)
#include "tst_drawlet_items.moc"
