#include "annotationeditor.h"
#include "annotationscene.h"
#include "drawleteditorfixture.h"
#include "drawletmouse.h"
#include "drawletrecordingtool.h"
#include "graphicsarrowlineitem.h"
#include "qorvgraphicsellipseitem.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "qorvgraphicspolygonitem.h"
#include "qorvgraphicsrectitem.h"
#include "qorvgraphicstextitem.h"
#include "selecttool.h"

#include <QTextCursor>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

namespace {

QorvGraphicsPathItem *makeStroke(const QVector<QPointF> &points, const QColor &color, int width,
                                 LineStyle::style_t style = LineStyle::SOLIDLINE)
{
    auto *stroke = new QorvGraphicsPathItem();
    stroke->setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::MiterJoin));
    stroke->setLineStyle(style);
    QPainterPath start;
    start.moveTo(points.first());
    stroke->setPath(points.first(), start);
    for (int i = 1; i < points.size(); ++i)
        stroke->setPath(points.at(i));
    return stroke;
}

template<typename Shape> Shape *makeFilledBox(const QRectF &box)
{
    auto *shape = new Shape(true);
    shape->setRect(box);
    shape->setPen(QPen(QColor(0, 0, 200), 4));
    shape->setBrush(QColor(0, 0, 200));
    return shape;
}

QGraphicsItem *makeItem(const QString &kind)
{
    if (kind == QLatin1String("pen"))
        return makeStroke({{50, 50}, {150, 50}}, QColor(10, 20, 30), 8);
    if (kind == QLatin1String("highlighter"))
        return makeStroke({{50, 50}, {150, 50}}, QColor(10, 20, 30, 127), 16);
    if (kind == QLatin1String("rect"))
        return makeFilledBox<QorvGraphicsRectItem>(QRectF(40, 40, 60, 60));
    if (kind == QLatin1String("ellipse"))
        return makeFilledBox<QorvGraphicsEllipseItem>(QRectF(40, 40, 60, 60));
    if (kind == QLatin1String("triangle")) {
        auto *triangle = new QorvGraphicsPolygonItem(true);
        triangle->setPolygon(QPolygonF({{50, 30}, {20, 90}, {80, 90}, {50, 30}}));
        triangle->setPen(QPen(QColor(0, 0, 200), 4));
        triangle->setBrush(QColor(0, 0, 200));
        return triangle;
    }
    if (kind == QLatin1String("line")) {
        auto *line = new GraphicsArrowLineItem(LineStyle::DOTLINE);
        line->setLine(40, 50, 160, 50);
        line->setPen(QPen(QColor(0, 150, 0), 8, Qt::DotLine));
        return line;
    }
    if (kind == QLatin1String("picture")) {
        QPixmap pixmap(60, 60);
        pixmap.fill(Qt::darkCyan);
        auto *picture = new QorvGraphicsPixmapItem(pixmap);
        picture->setPos(40, 30);
        return picture;
    }
    auto *text = new QorvGraphicsTextItem();
    text->setPlainText(QStringLiteral("hello"));
    text->setDefaultTextColor(QColor(200, 100, 0));
    text->setPos(40, 40);
    return text;
}

// Everything the tool tells the pickers and the text panel, in order.
class PickerLog : public QObject
{
public:
    explicit PickerLog(SelectTool *tool)
    {
        connect(tool, &SelectTool::enableColorHelper, this,
                [this](bool on) { calls << QStringLiteral("enableColor %1").arg(on); });
        connect(tool, &SelectTool::enableLineStyleHelper, this,
                [this](bool on) { calls << QStringLiteral("enableStyle %1").arg(on); });
        connect(tool, &SelectTool::setHelperColor, this,
                [this](const QColor &c) { calls << QStringLiteral("color ") + c.name(); });
        connect(tool, &SelectTool::setHelperLineStyle, this, [this](LineStyle::style_t style) {
            calls << QStringLiteral("style ") + LineStyle::toQString(style);
        });
        connect(tool, &SelectTool::setHelperLineWidth, this, [this](ConfigType type, int width) {
            calls << QStringLiteral("width %1 %2").arg(int(type)).arg(width);
        });
        connect(tool, &SelectTool::textEditorShowed, this,
                [this](QPoint, QorvGraphicsTextItem *) { calls << QStringLiteral("textShowed"); });
        connect(tool, &SelectTool::textEditorHided, this,
                [this]() { calls << QStringLiteral("textHided"); });
    }
    QStringList calls;
};

void click(QWidget *viewport, const QPoint &pos)
{
    DrawletMouse::press(viewport, pos);
    DrawletMouse::release(viewport, pos);
}

void doubleClick(QWidget *viewport, const QPoint &pos)
{
    click(viewport, pos);
    DrawletMouse::doubleClick(viewport, pos);
    DrawletMouse::release(viewport, pos);
}

} // namespace

class TestDrawletSelectTool : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pickersToldInOrder_data();
    void pickersToldInOrder();
    void severalSelectedDisablePickers();
    void dragOfSelectionIsOneStep();
    void pictureResizedFromCorner_data();
    void pictureResizedFromCorner();
    void lonePictureDragIsOneResizeStep();
    void textEditedInPlace_data();
    void textEditedInPlace();
    void colourIsOneStepPerItem();
    void widthRebuildsArrowHeads();
    void styleOfStrokeWithoutPoints();
    void toolSwitchDropsSelection();

private:
    std::unique_ptr<DrawletEditorFixture> m_fixture;
    std::unique_ptr<SelectTool> m_tool;
};

void TestDrawletSelectTool::init()
{
    m_fixture = std::make_unique<DrawletEditorFixture>();
    QVERIFY(m_fixture->isExposed());
    m_tool = std::make_unique<SelectTool>(m_fixture->editor);
    m_tool->setObjectName(QStringLiteral("selectTool"));
    m_fixture->editor->setTool(m_tool.get());
}

void TestDrawletSelectTool::cleanup()
{
    m_fixture.reset();
    m_tool.reset();
}

void TestDrawletSelectTool::pickersToldInOrder_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<QStringList>("expected");
    const QString hided = QStringLiteral("textHided");
    QTest::newRow("pen stroke") << "pen" << QPoint(100, 50)
                                << QStringList {"enableColor 1",   "enableStyle 1", "color #0a141e",
                                                "style SOLIDLINE", "width 0 8",     hided};
    QTest::newRow("highlighter stroke")
        << "highlighter" << QPoint(100, 50)
        << QStringList {"enableColor 1",   "enableStyle 1", "color #0a141e",
                        "style SOLIDLINE", "width 1 16",    hided};
    const QStringList shape {"color #0000c8", "enableColor 1", "enableStyle 0", hided};
    QTest::newRow("rectangle") << "rect" << QPoint(70, 70) << shape;
    QTest::newRow("ellipse") << "ellipse" << QPoint(70, 70) << shape;
    QTest::newRow("triangle") << "triangle" << QPoint(50, 70) << shape;
    QTest::newRow("line") << "line" << QPoint(100, 50)
                          << QStringList {"color #009600", "width 0 8",     "style DOTLINE",
                                          "enableColor 1", "enableStyle 1", hided};
    QTest::newRow("picture") << "picture" << QPoint(70, 60)
                             << QStringList {"enableColor 0", "enableStyle 0", hided};
    QTest::newRow("text") << "text" << QPoint(55, 55)
                          << QStringList {"color #c86400", "enableColor 1", "enableStyle 0",
                                          "textShowed"};
}

void TestDrawletSelectTool::pickersToldInOrder()
{
    QFETCH(QString, kind);
    QFETCH(QPoint, at);
    QFETCH(QStringList, expected);
    QGraphicsItem *item = m_fixture->addItem(makeItem(kind));
    PickerLog log(m_tool.get());
    click(m_fixture->viewport(), at);
    QVERIFY(item->isSelected());
    QCOMPARE(log.calls, expected);
}

void TestDrawletSelectTool::severalSelectedDisablePickers()
{
    // Every item put on the scene clears the selection: select once all are there.
    QGraphicsItem *rect = m_fixture->addItem(makeItem("rect"));
    QGraphicsItem *text = m_fixture->addItem(makeItem("text"));
    rect->setSelected(true);
    text->setSelected(true);
    PickerLog log(m_tool.get());
    DrawletMouse::release(m_fixture->viewport(), QPoint(300, 250));
    QCOMPARE(log.calls, (QStringList {"enableColor 0", "enableStyle 0", "textHided"}));
}

void TestDrawletSelectTool::dragOfSelectionIsOneStep()
{
    QWidget *viewport = m_fixture->viewport();
    QList<QGraphicsItem *> items;
    for (int i = 0; i < 3; ++i)
        items << m_fixture->addItem(
            makeFilledBox<QorvGraphicsRectItem>(QRectF(40 + 100 * i, 40, 40, 40)));
    m_fixture->stack()->clear();

    // A rubber band over empty space selects and records nothing.
    DrawletMouse::stroke(viewport, {{5, 5}, {200, 150}, {395, 150}});
    for (QGraphicsItem *item : items)
        QVERIFY(item->isSelected());
    QCOMPARE(m_fixture->stack()->count(), 0);
    // Moves without a button held record nothing either.
    DrawletMouse::move(viewport, QPoint(60, 60), Qt::NoButton);
    DrawletMouse::move(viewport, QPoint(70, 70), Qt::NoButton);
    QCOMPARE(m_fixture->stack()->count(), 0);

    DrawletMouse::stroke(viewport, {{60, 60}, {70, 70}, {90, 80}, {110, 60}});
    for (QGraphicsItem *item : items)
        QCOMPARE(item->pos(), QPointF(50, 0));
    QCOMPARE(m_fixture->stack()->count(), 1);
    QCOMPARE(m_fixture->stack()->text(0), QStringLiteral("Move Item"));
    m_fixture->stack()->undo();
    for (QGraphicsItem *item : items)
        QCOMPARE(item->pos(), QPointF(0, 0));
    m_fixture->stack()->redo();
    for (QGraphicsItem *item : items)
        QCOMPARE(item->pos(), QPointF(50, 0));
}

void TestDrawletSelectTool::pictureResizedFromCorner_data()
{
    QTest::addColumn<QPoint>("corner");
    QTest::addColumn<QPoint>("dragTo");
    QTest::addColumn<QRectF>("expected");
    // 200 x 100 at (100, 100); each corner dragged outwards by 40 x 20 keeps the opposite corner.
    QTest::newRow("top left") << QPoint(100, 100) << QPoint(60, 80) << QRectF(60, 80, 240, 120);
    QTest::newRow("top right") << QPoint(300, 100) << QPoint(340, 80) << QRectF(100, 80, 240, 120);
    QTest::newRow("bottom left") << QPoint(100, 200) << QPoint(60, 220)
                                 << QRectF(60, 100, 240, 120);
    QTest::newRow("bottom right") << QPoint(300, 200) << QPoint(340, 220)
                                  << QRectF(100, 100, 240, 120);
    // Proportions win over the pointer: only the larger stretch counts.
    QTest::newRow("bottom right, wide pull")
        << QPoint(300, 200) << QPoint(360, 205) << QRectF(100, 100, 260, 130);
    // Shrinking works the same way.
    QTest::newRow("top left inwards")
        << QPoint(100, 100) << QPoint(150, 125) << QRectF(150, 125, 150, 75);
}

void TestDrawletSelectTool::pictureResizedFromCorner()
{
    QFETCH(QPoint, corner);
    QFETCH(QPoint, dragTo);
    QFETCH(QRectF, expected);
    QPixmap pixmap(200, 100);
    pixmap.fill(Qt::darkYellow);
    auto *picture = new QorvGraphicsPixmapItem(pixmap);
    picture->setPos(100, 100);
    m_fixture->addItem(picture);
    m_fixture->stack()->clear();
    picture->setSelected(true);

    const QPoint halfway = corner + (dragTo - corner) / 2;
    DrawletMouse::stroke(m_fixture->viewport(), {corner, halfway, dragTo});
    QCOMPARE(picture->pixmapSceneRect(), expected);
    QCOMPARE(m_fixture->stack()->count(), 1);
    m_fixture->stack()->undo();
    QCOMPARE(picture->pixmapSceneRect(), QRectF(100, 100, 200, 100));
    m_fixture->stack()->redo();
    QCOMPARE(picture->pixmapSceneRect(), expected);
}

void TestDrawletSelectTool::lonePictureDragIsOneResizeStep()
{
    auto *picture = static_cast<QorvGraphicsPixmapItem *>(m_fixture->addItem(makeItem("picture")));
    m_fixture->stack()->clear();
    QWidget *viewport = m_fixture->viewport();
    // Selecting it with a click, and a click without a move, record nothing.
    click(viewport, QPoint(70, 60));
    click(viewport, QPoint(70, 60));
    QCOMPARE(m_fixture->stack()->count(), 0);

    DrawletMouse::stroke(viewport, {{70, 60}, {80, 65}, {100, 70}});
    QCOMPARE(picture->pos(), QPointF(70, 40));
    QCOMPARE(m_fixture->stack()->count(), 1);
    QVERIFY(m_fixture->stack()->text(0) != QStringLiteral("Move Item"));
    m_fixture->stack()->undo();
    QCOMPARE(picture->pixmapSceneRect(), QRectF(40, 30, 60, 60));
}

void TestDrawletSelectTool::textEditedInPlace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("controlReturnFirst");
    QTest::addColumn<QString>("end");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("steps");
    QTest::newRow("typed, Return") << "X" << false << "return"
                                   << "helloX" << 1;
    QTest::newRow("typed, click elsewhere") << "X" << false << "click"
                                            << "helloX" << 1;
    QTest::newRow("typed, tool switch") << "X" << false << "switch"
                                        << "helloX" << 1;
    QTest::newRow("control Return breaks line") << "Y" << true << "return"
                                                << "hello\nY" << 1;
    QTest::newRow("unchanged") << "" << false << "return"
                               << "hello" << 0;
}

void TestDrawletSelectTool::textEditedInPlace()
{
    QFETCH(QString, typed);
    QFETCH(bool, controlReturnFirst);
    QFETCH(QString, end);
    QFETCH(QString, expected);
    QFETCH(int, steps);
    auto *text = static_cast<QorvGraphicsTextItem *>(m_fixture->addItem(makeItem("text")));
    m_fixture->stack()->clear();
    QWidget *viewport = m_fixture->viewport();
    doubleClick(viewport, QPoint(55, 55));
    QCOMPARE(text->textInteractionFlags(), Qt::TextEditorInteraction);
    QVERIFY(text->hasFocus());
    // The word the double click selected is not replaced by the typing.
    QVERIFY(!text->textCursor().hasSelection());

    if (controlReturnFirst)
        QTest::keyClick(m_fixture->editor, Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(m_fixture->editor, typed);
    QCOMPARE(m_fixture->stack()->count(), 0);
    DrawletRecordingTool other(QStringLiteral("other"));
    if (end == QLatin1String("return"))
        QTest::keyClick(m_fixture->editor, Qt::Key_Return);
    else if (end == QLatin1String("click"))
        click(viewport, QPoint(350, 250));
    else
        m_fixture->editor->setTool(&other);

    QCOMPARE(text->toPlainText(), expected);
    QCOMPARE(m_fixture->stack()->count(), steps);
    QCOMPARE(text->textInteractionFlags(), Qt::NoTextInteraction);
    QVERIFY(!text->isSelected());
    if (steps) {
        m_fixture->stack()->undo();
        QCOMPARE(text->toPlainText(), QStringLiteral("hello"));
    }
    m_fixture->editor->setTool(m_tool.get());
}

void TestDrawletSelectTool::colourIsOneStepPerItem()
{
    QGraphicsItem *rect = m_fixture->addItem(makeItem("rect"));
    auto *text = static_cast<QorvGraphicsTextItem *>(m_fixture->addItem(makeItem("text")));
    QGraphicsItem *picture = m_fixture->addItem(makeItem("picture"));
    m_fixture->stack()->clear();

    picture->setSelected(true);
    m_tool->setColor(Qt::green);
    QCOMPARE(m_fixture->stack()->count(), 0);

    picture->setSelected(false);
    rect->setSelected(true);
    text->setSelected(true);
    m_tool->setColor(Qt::green);
    QCOMPARE(m_fixture->stack()->count(), 2);
    auto *shape = static_cast<QorvGraphicsRectItem *>(rect);
    QCOMPARE(shape->pen().color(), QColor(Qt::green));
    QCOMPARE(shape->brush().color(), QColor(Qt::green));
    QCOMPARE(text->defaultTextColor(), QColor(Qt::green));
    // Neither a width nor a font reaches a rectangle.
    rect->setSelected(true);
    text->setSelected(false);
    m_tool->setWidth(16);
    m_tool->setTextFont(QFont(QStringLiteral("Liberation Sans"), 20));
    QCOMPARE(m_fixture->stack()->count(), 2);
    QCOMPARE(shape->pen().width(), 4);
}

void TestDrawletSelectTool::widthRebuildsArrowHeads()
{
    QorvGraphicsPathItem *arrow = makeStroke({{50, 150}, {100, 150}, {200, 150}}, Qt::black, 4,
                                             LineStyle::SOLIDLINE_END_ARROW);
    QPainterPath withHeads = arrow->path();
    QVERIFY(arrow->arrowPath(withHeads));
    arrow->setPath(withHeads);
    m_fixture->addItem(arrow);
    m_fixture->stack()->clear();
    const QPainterPath before = arrow->path();

    arrow->setSelected(true);
    m_tool->setWidth(16);
    QCOMPARE(m_fixture->stack()->count(), 1);
    QCOMPARE(arrow->pen().width(), 16);
    // The heads follow the new width.
    // The head sits beyond the stroke's end by a distance that follows the width.
    // (The heads are built in single precision.)
    QVERIFY(qAbs(before.boundingRect().right() - (200 + 0.7 * 4 + 6.4)) < 1e-3);
    QVERIFY(qAbs(arrow->path().boundingRect().right() - (200 + 0.7 * 16 + 6.4)) < 1e-3);
    m_fixture->stack()->undo();
    QCOMPARE(arrow->pen().width(), 4);
    QCOMPARE(arrow->path(), before);
}

void TestDrawletSelectTool::styleOfStrokeWithoutPoints()
{
    // A stroke that was never drawn through points (built from a path alone).
    QPainterPath line;
    line.moveTo(50, 150);
    line.lineTo(200, 150);
    auto *stroke = new QorvGraphicsPathItem(line);
    stroke->setPen(QPen(Qt::black, 8));
    m_fixture->addItem(stroke);
    m_fixture->stack()->clear();

    stroke->setSelected(true);
    m_tool->setLineStyle(LineStyle::DOTLINE);
    QCOMPARE(stroke->getLineStyle(), LineStyle::DOTLINE);
    QCOMPARE(stroke->pen().style(), Qt::DotLine);
    QCOMPARE(m_fixture->stack()->count(), 1);
    m_fixture->stack()->undo();
    QCOMPARE(stroke->getLineStyle(), LineStyle::SOLIDLINE);
    QCOMPARE(stroke->pen().style(), Qt::SolidLine);
    QCOMPARE(stroke->path(), line);
}

void TestDrawletSelectTool::toolSwitchDropsSelection()
{
    QGraphicsItem *rect = m_fixture->addItem(makeItem("rect"));
    QVERIFY(rect->flags() & QGraphicsItem::ItemIsMovable);
    click(m_fixture->viewport(), QPoint(70, 70));
    QVERIFY(rect->isSelected());
    PickerLog log(m_tool.get());
    DrawletRecordingTool other(QStringLiteral("other"));
    m_fixture->editor->setTool(&other);
    QVERIFY(!rect->isSelected());
    QVERIFY(!(rect->flags() & (QGraphicsItem::ItemIsMovable | QGraphicsItem::ItemIsSelectable)));
    QCOMPARE(m_fixture->editor->dragMode(), QGraphicsView::NoDrag);
    QCOMPARE(log.calls, (QStringList {"textHided", "enableColor 0", "enableStyle 0"}));
    m_fixture->editor->setTool(m_tool.get());
}

QTEST_MAIN(TestDrawletSelectTool)
#include "tst_drawlet_selecttool.moc"
