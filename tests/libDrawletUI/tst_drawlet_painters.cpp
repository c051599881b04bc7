#include "freehandpainter.h"
#include "graphicsarrowlineitem.h"
#include "lineshapepainter.h"
#include "qorvgraphicspathitem.h"

#include <QtTest>

#include <memory>

using namespace drawlet::ui;

class TestDrawletPainters : public QObject
{
    Q_OBJECT
private slots:
    void highlighterKeepsHalfAlpha_data();
    void highlighterKeepsHalfAlpha();
    void widthsReachOnlyTheirType_data();
    void widthsReachOnlyTheirType();
    void paintSettingsInOrder();
    void callingOrderMistakesAreLogged();
    void strokeStyles_data();
    void strokeStyles();
    void linePainterDrawsFromPressPoint();
    void paintersAnswerInterfaceCasts();
};

void TestDrawletPainters::highlighterKeepsHalfAlpha_data()
{
    QTest::addColumn<QColor>("picked");
    QTest::newRow("opaque") << QColor(10, 200, 30);
    QTest::newRow("translucent") << QColor(10, 200, 30, 40);
    QTest::newRow("transparent") << QColor(10, 200, 30, 0);
}

void TestDrawletPainters::highlighterKeepsHalfAlpha()
{
    QFETCH(QColor, picked);
    FreeHandPainter highlighter(HIGHLIGHTER_CONFIG, 12);
    highlighter.setHighlight();
    highlighter.setPenColor(picked);
    QCOMPARE(highlighter.getPenColor().alpha(), 127);
    QCOMPARE(highlighter.getPenColor().rgb(), picked.rgb());

    std::unique_ptr<QGraphicsItem> item(highlighter.init(QPointF(5, 5)));
    auto *stroke = dynamic_cast<QorvGraphicsPathItem *>(item.get());
    QVERIFY(stroke);
    QVERIFY(stroke->isHighlight());
    QCOMPARE(stroke->pen().width(), 12);
    highlighter.release();

    // The pen keeps the alpha it has: an ordinary pen stays opaque.
    FreeHandPainter pen(PEN_CONFIG, 4);
    pen.setPenColor(picked);
    QCOMPARE(pen.getPenColor().alpha(), 255);
}

void TestDrawletPainters::widthsReachOnlyTheirType_data()
{
    QTest::addColumn<int>("painterType");
    QTest::addColumn<int>("sentType");
    QTest::addColumn<int>("expected");
    QTest::newRow("pen takes pen width") << int(PEN_CONFIG) << int(PEN_CONFIG) << 16;
    QTest::newRow("pen ignores highlighter width")
        << int(PEN_CONFIG) << int(HIGHLIGHTER_CONFIG) << 4;
    QTest::newRow("highlighter ignores pen width")
        << int(HIGHLIGHTER_CONFIG) << int(PEN_CONFIG) << 4;
    QTest::newRow("highlighter takes its width")
        << int(HIGHLIGHTER_CONFIG) << int(HIGHLIGHTER_CONFIG) << 16;
}

void TestDrawletPainters::widthsReachOnlyTheirType()
{
    QFETCH(int, painterType);
    QFETCH(int, sentType);
    QFETCH(int, expected);
    FreeHandPainter freehand(ConfigType(painterType), 4);
    LineShapePainter line {ConfigType(painterType)};
    freehand.setWigth(16, ConfigType(sentType));
    line.setWigth(16, ConfigType(sentType));
    QCOMPARE(freehand.getWigth(), expected);
    QCOMPARE(line.getWigth(), expected);
}

void TestDrawletPainters::paintSettingsInOrder()
{
    FreeHandPainter painter(HIGHLIGHTER_CONFIG, 12);
    painter.setHighlight();
    painter.setLineStyle(LineStyle::SOLIDLINE_END_ARROW);
    QStringList heard;
    connect(&painter, &FreeHandPainter::setHelperColor, this,
            [&](const QColor &c) { heard << "colour " + QString::number(c.alpha()); });
    connect(&painter, &FreeHandPainter::setHelperLineStyle, this,
            [&](const LineStyle::style_t &s) { heard << LineStyle::toQString(s); });
    connect(&painter, &FreeHandPainter::setHelperLineWidth, this,
            [&](ConfigType t, int w) { heard << QString("width %1 %2").arg(int(t)).arg(w); });
    painter.getPaintSetting();
    QCOMPARE(heard, QStringList({"colour 127", "SOLIDLINE_END_ARROW", "width 1 12"}));

    // The signals can be queued and spied on under their short type names.
    QSignalSpy lineWidth(&painter, SIGNAL(setHelperLineWidth(ConfigType, int)));
    QSignalSpy lineStyle(&painter, SIGNAL(setHelperLineStyle(LineStyle::style_t)));
    QVERIFY(lineWidth.isValid() && lineStyle.isValid());
    painter.getPaintSetting();
    QCOMPARE(lineWidth.count(), 1);
    QCOMPARE(lineWidth.at(0).at(0).value<ConfigType>(), HIGHLIGHTER_CONFIG);
}

void TestDrawletPainters::callingOrderMistakesAreLogged()
{
    FreeHandPainter freehand(PEN_CONFIG, 4);
    QTest::ignoreMessage(QtDebugMsg, "Calling sequence exception");
    QVERIFY(!freehand.draw(QPointF(1, 1)));
    QTest::ignoreMessage(QtDebugMsg, "graphicsItem is nullptr");
    freehand.release();

    std::unique_ptr<QGraphicsItem> first(freehand.init(QPointF(1, 1)));
    QTest::ignoreMessage(QtDebugMsg, "graphicsItem isn't release");
    std::unique_ptr<QGraphicsItem> second(freehand.init(QPointF(2, 2)));
    QVERIFY(first && second && first != second);
    QCOMPARE(freehand.draw(QPointF(3, 3)), second.get());
    freehand.release();
    QVERIFY(!freehand.isDrawing());

    LineShapePainter line(PEN_CONFIG);
    QTest::ignoreMessage(QtDebugMsg, "Calling sequence exception");
    QVERIFY(!line.draw(QPointF(1, 1)));
}

void TestDrawletPainters::strokeStyles_data()
{
    QTest::addColumn<LineStyle::style_t>("style");
    QTest::addColumn<Qt::PenStyle>("penStyle");
    QTest::addColumn<int>("heads");
    QTest::newRow("solid") << LineStyle::SOLIDLINE << Qt::SolidLine << 0;
    QTest::newRow("dot") << LineStyle::DOTLINE << Qt::DotLine << 0;
    QTest::newRow("end arrow") << LineStyle::SOLIDLINE_END_ARROW << Qt::SolidLine << 1;
    QTest::newRow("double arrow") << LineStyle::SOLIDLINE_DOUBLE_ARROW << Qt::SolidLine << 2;
}

void TestDrawletPainters::strokeStyles()
{
    QFETCH(LineStyle::style_t, style);
    QFETCH(Qt::PenStyle, penStyle);
    QFETCH(int, heads);
    FreeHandPainter painter(PEN_CONFIG, 4);
    painter.setLineStyle(style);
    std::unique_ptr<QGraphicsItem> item(painter.init(QPointF(10, 10)));
    auto *stroke = static_cast<QorvGraphicsPathItem *>(item.get());
    for (int x = 20; x <= 100; x += 10)
        painter.draw(QPointF(x, 10 + x / 5));
    const int before = stroke->path().toSubpathPolygons().size();
    painter.release();
    QCOMPARE(stroke->pen().style(), penStyle);
    QCOMPARE(stroke->pen().capStyle(), Qt::RoundCap);
    QCOMPARE(stroke->path().toSubpathPolygons().size() - before, heads);
    QVERIFY(stroke->getLineStyle() == style);
}

void TestDrawletPainters::linePainterDrawsFromPressPoint()
{
    LineShapePainter painter(PEN_CONFIG);
    QCOMPARE(painter.getPenColor(), QColor(0xFE, 0, 0));
    QCOMPARE(painter.getWigth(), 4);
    QCOMPARE(painter.getPenMiter(), 2.0);
    QCOMPARE(painter.getCapStyle(), Qt::FlatCap);

    std::unique_ptr<QGraphicsItem> plain(painter.init(QPointF(10, 20)));
    painter.draw(QPointF(50, 60));
    painter.draw(QPointF(80, 20));
    painter.release();
    auto *line = static_cast<GraphicsArrowLineItem *>(plain.get());
    QCOMPARE(line->line(), QLineF(10, 20, 80, 20));
    QVERIFY(line->getLineStyle() == LineStyle::SOLIDLINE);
    QCOMPARE(line->pen().style(), Qt::SolidLine);

    painter.setPenColor(QColor(0, 0, 255, 100));
    painter.setLineStyle(LineStyle::DOTLINE);
    std::unique_ptr<QGraphicsItem> dotted(painter.init(QPointF(0, 0)));
    painter.release();
    line = static_cast<GraphicsArrowLineItem *>(dotted.get());
    QCOMPARE(line->pen().style(), Qt::DotLine);
    QCOMPARE(line->pen().color().alpha(), 100);
    QVERIFY(line->getLineStyle() == LineStyle::DOTLINE);
    // Settings apply to the next line only.
    QCOMPARE(static_cast<GraphicsArrowLineItem *>(plain.get())->pen().color(), QColor(0xFE, 0, 0));
}

void TestDrawletPainters::paintersAnswerInterfaceCasts()
{
    FreeHandPainter freehand(PEN_CONFIG, 4);
    LineShapePainter line(PEN_CONFIG);
    for (QObject *painter : {static_cast<QObject *>(&freehand), static_cast<QObject *>(&line)}) {
        QVERIFY(qobject_cast<PaintInterface *>(painter));
        QVERIFY(painter->qt_metacast("drawlet.ui.PaintInterface/1.0"));
        QVERIFY(painter->qt_metacast("PaintInterface"));
    }
    freehand.setObjectName("pen");
    QCOMPARE(freehand.toString(), QStringLiteral("pen"));
}

QTEST_MAIN(TestDrawletPainters)
#include "tst_drawlet_painters.moc"
