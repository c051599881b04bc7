#include "configmanager.h"
#include "ellipseshapepainter.h"
#include "polygonshapepainter.h"
#include "qorvgraphicsellipseitem.h"
#include "qorvgraphicspolygonitem.h"
#include "qorvgraphicsrectitem.h"
#include "rectshapepainter.h"
#include "uiglobalconstconfig.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

namespace {

using WidthList = std::map<int, style_setting_t>;

QRectF boxOf(QGraphicsItem *item)
{
    if (auto *rect = dynamic_cast<QGraphicsRectItem *>(item))
        return rect->rect();
    if (auto *ellipse = dynamic_cast<QGraphicsEllipseItem *>(item))
        return ellipse->rect();
    return QRectF();
}

// The rectangle and ellipse painters differ only in the item they make.
std::unique_ptr<PaintInterface> makeBoxPainter(const QString &kind, bool fill)
{
    if (kind == QLatin1String("rect")) {
        auto painter = std::make_unique<RectShapePainter>();
        painter->setFillShape(fill);
        return painter;
    }
    auto painter = std::make_unique<EllipseShapePainter>();
    painter->setFillShape(fill);
    return painter;
}

QString describe(const WidthList &list)
{
    QStringList entries;
    for (const auto &entry : list)
        entries << QStringLiteral("%1:%2:%3")
                       .arg(entry.first)
                       .arg(entry.second.name, entry.second.skin);
    return entries.join(QLatin1Char(' '));
}

const QString penList
    = QStringLiteral("4:small:btn_line-style_small 8:medium:btn_line-style_mmedium "
                     "16:large:btn_line-style_large");
const QString highlighterList = QStringLiteral(
    "12:small:btn_line-style_12 16:medium:btn_line-style_16 20:large:btn_line-style_20");

} // namespace

class TestDrawletShapes : public QObject
{
    Q_OBJECT
private slots:
    void boxPainterGeometry_data();
    void boxPainterGeometry();
    void boxPainterStyle_data();
    void boxPainterStyle();
    void triangleGeometry_data();
    void triangleGeometry();
    void triangleStyle();
    void callingOrderMistakesAreLogged();
    void configAnnouncesWidthList_data();
    void configAnnouncesWidthList();
    void configRefusesUnknownType();
    void widthNamesTranslateExactNamesOnly_data();
    void widthNamesTranslateExactNamesOnly();
};

void TestDrawletShapes::boxPainterGeometry_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPointF>("press");
    QTest::addColumn<QPointF>("pointer");
    QTest::addColumn<QRectF>("expected");
    for (const QString &kind : {QStringLiteral("rect"), QStringLiteral("ellipse")}) {
        QTest::addRow("%s down right", qPrintable(kind))
            << kind << QPointF(10, 20) << QPointF(70, 50) << QRectF(10, 20, 60, 30);
        // Dragging up and left keeps the press point as the anchor: negative extents.
        QTest::addRow("%s up left", qPrintable(kind))
            << kind << QPointF(10, 20) << QPointF(4, 5) << QRectF(10, 20, -6, -15);
        QTest::addRow("%s no move", qPrintable(kind))
            << kind << QPointF(10, 20) << QPointF(10, 20) << QRectF(10, 20, 0, 0);
    }
}

void TestDrawletShapes::boxPainterGeometry()
{
    QFETCH(QString, kind);
    QFETCH(QPointF, press);
    QFETCH(QPointF, pointer);
    QFETCH(QRectF, expected);
    auto painter = makeBoxPainter(kind, false);
    std::unique_ptr<QGraphicsItem> item(painter->init(press));
    QCOMPARE(boxOf(item.get()), QRectF(press, QSizeF(0, 0)));
    QVERIFY(painter->isDrawing());
    // An intermediate pointer position must not shift the anchor.
    QCOMPARE(painter->draw(QPointF(300, 300)), item.get());
    QCOMPARE(painter->draw(pointer), item.get());
    QCOMPARE(boxOf(item.get()), expected);
    painter->release();
    QVERIFY(!painter->isDrawing());
    QCOMPARE(boxOf(item.get()), expected);
}

void TestDrawletShapes::boxPainterStyle_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("fill");
    QTest::newRow("rect outline") << "rect" << false;
    QTest::newRow("rect filled") << "rect" << true;
    QTest::newRow("ellipse outline") << "ellipse" << false;
    QTest::newRow("ellipse filled") << "ellipse" << true;
}

void TestDrawletShapes::boxPainterStyle()
{
    QFETCH(QString, kind);
    QFETCH(bool, fill);
    auto painter = makeBoxPainter(kind, fill);
    QObject *object = dynamic_cast<QObject *>(painter.get());
    QVERIFY(object);
    QSignalSpy helperColor(object, SIGNAL(setHelperColor(QColor)));

    std::unique_ptr<QGraphicsItem> first(painter->init(QPointF(1, 1)));
    painter->release();
    auto *shape = dynamic_cast<QAbstractGraphicsShapeItem *>(first.get());
    QVERIFY(shape);
    const QPen pen = shape->pen();
    QCOMPARE(pen.color(), QColor(254, 0, 0));
    QCOMPARE(pen.widthF(), 4.0);
    QCOMPARE(pen.style(), Qt::SolidLine);
    QCOMPARE(pen.capStyle(), Qt::FlatCap);
    QCOMPARE(pen.joinStyle(), Qt::MiterJoin);
    QCOMPARE(shape->brush().style(), fill ? Qt::SolidPattern : Qt::NoBrush);
    if (fill)
        QCOMPARE(shape->brush().color(), QColor(254, 0, 0));

    // New colours reach only the items made afterwards.
    QVERIFY(QMetaObject::invokeMethod(object, "setPenColor", Q_ARG(QColor, QColor(Qt::blue))));
    QVERIFY(QMetaObject::invokeMethod(object, "setBrushColor", Q_ARG(QColor, QColor(Qt::green))));
    std::unique_ptr<QGraphicsItem> second(painter->init(QPointF(2, 2)));
    painter->release();
    auto *later = dynamic_cast<QAbstractGraphicsShapeItem *>(second.get());
    QCOMPARE(shape->pen().color(), QColor(254, 0, 0));
    QCOMPARE(later->pen().color(), QColor(Qt::blue));
    QCOMPARE(later->brush().style(), fill ? Qt::SolidPattern : Qt::NoBrush);
    if (fill)
        QCOMPARE(later->brush().color(), QColor(Qt::green));

    painter->getPaintSetting();
    QCOMPARE(helperColor.count(), 1);
    QCOMPARE(helperColor.at(0).at(0).value<QColor>(), QColor(Qt::blue));
}

void TestDrawletShapes::triangleGeometry_data()
{
    QTest::addColumn<QVector<QPointF>>("pointer");
    QTest::addColumn<QPolygonF>("expected");
    QTest::newRow("upward") << QVector<QPointF> {{160, 140}}
                            << QPolygonF({{130, 140}, {100, 200}, {160, 200}, {130, 140}});
    QTest::newRow("flat") << QVector<QPointF> {{160, 200}}
                          << QPolygonF({{130, 200}, {100, 200}, {160, 200}, {130, 200}});
    QTest::newRow("downward first draw")
        << QVector<QPointF> {{160, 260}}
        << QPolygonF({{130, 200}, {160, 260}, {40, 260}, {130, 200}});
    // Later draws below the start mirror about the previous apex's x.
    QTest::newRow("downward second draw")
        << QVector<QPointF> {{160, 260}, {170, 270}}
        << QPolygonF({{135, 200}, {170, 270}, {90, 270}, {135, 200}});
    // Once above the start, the apex keeps that row when the pointer goes below.
    QTest::newRow("up then down") << QVector<QPointF> {{160, 140}, {160, 260}}
                                  << QPolygonF({{130, 140}, {160, 260}, {100, 260}, {130, 140}});
}

void TestDrawletShapes::triangleGeometry()
{
    QFETCH(QVector<QPointF>, pointer);
    QFETCH(QPolygonF, expected);
    PolygonShapePainter painter;
    std::unique_ptr<QGraphicsItem> item(painter.init(QPointF(100, 200)));
    auto *triangle = dynamic_cast<QorvGraphicsPolygonItem *>(item.get());
    QVERIFY(triangle);
    QCOMPARE(triangle->polygon(), QPolygonF({{100, 200}, {100, 200}, {100, 200}}));
    for (const QPointF &point : pointer)
        QCOMPARE(painter.draw(point), item.get());
    painter.release();
    QCOMPARE(triangle->polygon(), expected);
}

void TestDrawletShapes::triangleStyle()
{
    PolygonShapePainter painter;
    QSignalSpy helperColor(&painter, &PolygonShapePainter::setHelperColor);
    painter.getPaintSetting();
    QCOMPARE(helperColor.takeFirst().at(0).value<QColor>(), QColor(QRgb(0xFE0000)));
    QCOMPARE(painter.getPenMiter(), 2.0);

    painter.setFillShape(true);
    painter.setBrushColor(Qt::blue);
    std::unique_ptr<QGraphicsItem> filled(painter.init(QPointF(0, 0)));
    painter.release();
    painter.setFillShape(false);
    std::unique_ptr<QGraphicsItem> outline(painter.init(QPointF(0, 0)));
    painter.release();
    auto *filledItem = dynamic_cast<QorvGraphicsPolygonItem *>(filled.get());
    auto *outlineItem = dynamic_cast<QorvGraphicsPolygonItem *>(outline.get());
    QVERIFY(filledItem->isFillShape());
    QCOMPARE(filledItem->brush(), QBrush(Qt::blue, Qt::SolidPattern));
    QCOMPARE(filledItem->pen().miterLimit(), 2.0);
    QVERIFY(!outlineItem->isFillShape());
    QCOMPARE(outlineItem->brush().style(), Qt::NoBrush);
}

void TestDrawletShapes::callingOrderMistakesAreLogged()
{
    RectShapePainter rect;
    EllipseShapePainter ellipse;
    PolygonShapePainter triangle;
    for (PaintInterface *painter :
         std::initializer_list<PaintInterface *> {&rect, &ellipse, &triangle}) {
        QTest::ignoreMessage(QtDebugMsg, "Calling sequence exception");
        QVERIFY(!painter->draw(QPointF(1, 1)));
        std::unique_ptr<QGraphicsItem> first(painter->init(QPointF(1, 1)));
        painter->draw(QPointF(5, 5));
        QTest::ignoreMessage(QtDebugMsg, "graphicsItem isn't release");
        std::unique_ptr<QGraphicsItem> second(painter->init(QPointF(9, 9)));
        QVERIFY(second && second != first);
        // The abandoned item keeps its last shape; only the new one follows the pointer.
        const QRectF firstBounds = first->boundingRect();
        painter->draw(QPointF(20, 20));
        QCOMPARE(first->boundingRect(), firstBounds);
        painter->release();
        QTest::ignoreMessage(QtDebugMsg, "Calling sequence exception");
        QVERIFY(!painter->draw(QPointF(1, 1)));
    }
}

void TestDrawletShapes::configAnnouncesWidthList_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("itemValue"); // -1: the default form without a width
    QTest::addColumn<QString>("list");
    QTest::addColumn<int>("checked");
    QTest::newRow("pen default") << 0 << -1 << penList << 4;
    QTest::newRow("highlighter default") << 1 << -1 << highlighterList << 12;
    QTest::newRow("highlighter width") << 1 << 16 << highlighterList << 16;
    // Passed on unchecked, also when the list has no such width.
    QTest::newRow("pen foreign width") << 0 << 12 << penList << 12;
}

void TestDrawletShapes::configAnnouncesWidthList()
{
    QFETCH(int, type);
    QFETCH(int, itemValue);
    QFETCH(QString, list);
    QFETCH(int, checked);
    ConfigManager manager;
    QStringList announced;
    connect(
        &manager, &ConfigManager::configChanged, this,
        [&announced](ConfigType index, const WidthList &config, int initial) {
            announced
                << QStringLiteral("%1|%2|%3").arg(int(index)).arg(describe(config)).arg(initial);
        });
    if (itemValue < 0)
        manager.handleConfigChange(ConfigType(type));
    else
        manager.handleConfigChange(ConfigType(type), itemValue);
    QCOMPARE(announced, QStringList {QStringLiteral("%1|%2|%3").arg(type).arg(list).arg(checked)});

    // A caller's map is replaced, not merged.
    WidthList fetched {{99, {QStringLiteral("huge"), QStringLiteral("x")}}, {4, {}}};
    QVERIFY(manager.fetchConfig(fetched, ConfigType(type)));
    QCOMPARE(describe(fetched), list);
    QCOMPARE(UIGlobalConstConfig::BUTTON_SIZE, 44);
    QCOMPARE(UIGlobalConstConfig::RESOURCE_BUTTON_PATH, QStringLiteral(":/resource/button/"));
}

void TestDrawletShapes::configRefusesUnknownType()
{
    ConfigManager manager;
    int announcements = 0;
    connect(&manager, &ConfigManager::configChanged, this, [&announcements]() { ++announcements; });
    WidthList kept {{7, {QStringLiteral("mine"), QStringLiteral("skin")}}};
    QTest::ignoreMessage(QtDebugMsg, "can't find [ 2] configuration");
    QVERIFY(!manager.fetchConfig(kept, ConfigType(2)));
    QCOMPARE(describe(kept), QStringLiteral("7:mine:skin"));
    QTest::ignoreMessage(QtDebugMsg, "can't find [ 2] configuration");
    manager.handleConfigChange(ConfigType(2), 4);
    QCOMPARE(announcements, 0);
}

void TestDrawletShapes::widthNamesTranslateExactNamesOnly_data()
{
    QTest::addColumn<QString>("objectName");
    QTest::addColumn<QString>("expected");
    QTest::newRow("small") << "small"
                           << "small";
    QTest::newRow("medium") << "medium"
                            << "medium";
    QTest::newRow("large") << "large"
                           << "large";
    QTest::newRow("capital") << "Small"
                             << "tooltip before";
    QTest::newRow("other") << "dash"
                           << "tooltip before";
}

void TestDrawletShapes::widthNamesTranslateExactNamesOnly()
{
    QFETCH(QString, objectName);
    QFETCH(QString, expected);
    ConfigManager manager;
    QString text = QStringLiteral("tooltip before");
    manager.fetchWidthMLString(text, objectName);
    QCOMPARE(text, expected);
}

QTEST_MAIN(TestDrawletShapes)
#include "tst_drawlet_shapes.moc"
