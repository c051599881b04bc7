#include "annotationeditor.h"
#include "annotationscene.h"
#include "drawleteditorfixture.h"
#include "drawletmouse.h"
#include "drawletrecordingtool.h"
#include "erasetool.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicsrectitem.h"

#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

namespace {

QGraphicsItem *makeBox(const QRectF &box, bool filled)
{
    auto *rect = new QorvGraphicsRectItem(filled);
    rect->setRect(box);
    rect->setPen(QPen(Qt::red, 4));
    if (filled)
        rect->setBrush(Qt::red);
    return rect;
}

QGraphicsItem *makeVerticalStroke(qreal x)
{
    auto *stroke = new QorvGraphicsPathItem();
    stroke->setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath start;
    start.moveTo(x, 50);
    stroke->setPath(QPointF(x, 50), start);
    stroke->setPath(QPointF(x, 250));
    return stroke;
}

} // namespace

class TestDrawletEraseTool : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void clickErasesTopmostOnly();
    void dragIsOneStep_data();
    void dragIsOneStep();
    void outlineHitOnlyOnItsLine_data();
    void outlineHitOnlyOnItsLine();
    void switchMidDragRecordsOnTheOldScene_data();
    void switchMidDragRecordsOnTheOldScene();

private:
    std::unique_ptr<DrawletEditorFixture> m_fixture;
    std::unique_ptr<EraseTool> m_tool;
};

void TestDrawletEraseTool::init()
{
    m_fixture = std::make_unique<DrawletEditorFixture>();
    QVERIFY(m_fixture->isExposed());
    m_tool = std::make_unique<EraseTool>(m_fixture->editor);
    m_fixture->editor->setTool(m_tool.get());
}

void TestDrawletEraseTool::cleanup()
{
    m_fixture.reset();
    m_tool.reset();
}

void TestDrawletEraseTool::clickErasesTopmostOnly()
{
    QGraphicsItem *lower = m_fixture->addItem(makeBox(QRectF(50, 50, 100, 100), true));
    QGraphicsItem *upper = m_fixture->addItem(makeBox(QRectF(80, 80, 100, 100), true));
    m_fixture->stack()->clear();
    QWidget *viewport = m_fixture->viewport();

    // Empty space: nothing erased, nothing recorded.
    DrawletMouse::stroke(viewport, {{350, 20}});
    QCOMPARE(m_fixture->stack()->count(), 0);

    DrawletMouse::stroke(viewport, {{100, 100}});
    QCOMPARE(m_fixture->items(), QList<QGraphicsItem *> {lower});
    DrawletMouse::stroke(viewport, {{100, 100}});
    QVERIFY(m_fixture->items().isEmpty());
    QCOMPARE(m_fixture->stack()->count(), 2);
    QCOMPARE(m_fixture->stack()->text(0), QStringLiteral("Undo Eraser"));
    m_fixture->stack()->undo();
    QCOMPARE(m_fixture->items(), QList<QGraphicsItem *> {lower});
    m_fixture->stack()->undo();
    QCOMPARE(m_fixture->items(), (QList<QGraphicsItem *> {upper, lower}));
}

void TestDrawletEraseTool::dragIsOneStep_data()
{
    QTest::addColumn<QVector<QPoint>>("drag");
    QTest::newRow("many samples") << QVector<QPoint> {
        {20, 150}, {60, 152}, {100, 148}, {150, 150}, {220, 155}, {300, 150}, {380, 150}};
    // Two samples far apart: the segment between them is what counts.
    QTest::newRow("one fast move") << QVector<QPoint> {{20, 150}, {380, 150}};
}

void TestDrawletEraseTool::dragIsOneStep()
{
    QFETCH(QVector<QPoint>, drag);
    QList<QGraphicsItem *> strokes;
    for (int i = 0; i < 5; ++i)
        strokes << m_fixture->addItem(makeVerticalStroke(60 + 60 * i));
    QGraphicsItem *untouched = m_fixture->addItem(makeBox(QRectF(100, 10, 50, 20), true));
    m_fixture->stack()->clear();

    DrawletMouse::stroke(m_fixture->viewport(), drag);
    QCOMPARE(m_fixture->items(), QList<QGraphicsItem *> {untouched});
    QCOMPARE(m_fixture->stack()->count(), 1);
    m_fixture->stack()->undo();
    QCOMPARE(m_fixture->items().size(), 6);
    for (QGraphicsItem *stroke : strokes)
        QCOMPARE(stroke->scene(), m_fixture->desktop);
    m_fixture->stack()->redo();
    QCOMPARE(m_fixture->items(), QList<QGraphicsItem *> {untouched});
}

void TestDrawletEraseTool::outlineHitOnlyOnItsLine_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("erased");
    QTest::newRow("middle") << QPoint(150, 150) << false;
    QTest::newRow("left edge") << QPoint(101, 150) << true;
    QTest::newRow("bottom edge") << QPoint(150, 200) << true;
}

void TestDrawletEraseTool::outlineHitOnlyOnItsLine()
{
    QFETCH(QPoint, at);
    QFETCH(bool, erased);
    m_fixture->addItem(makeBox(QRectF(100, 100, 100, 100), false));
    m_fixture->stack()->clear();
    DrawletMouse::stroke(m_fixture->viewport(), {at});
    QCOMPARE(m_fixture->items().isEmpty(), erased);
    QCOMPARE(m_fixture->stack()->count(), erased ? 1 : 0);
}

void TestDrawletEraseTool::switchMidDragRecordsOnTheOldScene_data()
{
    QTest::addColumn<bool>("switchScene");
    QTest::newRow("tool switch") << false;
    QTest::newRow("scene switch") << true;
}

void TestDrawletEraseTool::switchMidDragRecordsOnTheOldScene()
{
    QFETCH(bool, switchScene);
    QGraphicsItem *stroke = m_fixture->addItem(makeVerticalStroke(200));
    QUndoStack *desktopStack = m_fixture->stack();
    desktopStack->clear();
    QWidget *viewport = m_fixture->viewport();
    DrawletMouse::press(viewport, QPoint(150, 150));
    DrawletMouse::move(viewport, QPoint(250, 150));
    QVERIFY(!stroke->scene());

    DrawletRecordingTool other(QStringLiteral("other"));
    if (switchScene)
        m_fixture->editor->setActiveScene(m_fixture->whiteboard);
    else
        m_fixture->editor->setTool(&other);
    QCOMPARE(desktopStack->count(), 1);
    // The release that follows records nothing more, on either history.
    DrawletMouse::release(viewport, QPoint(250, 150));
    QCOMPARE(desktopStack->count(), 1);
    QCOMPARE(m_fixture->stack()->count(), switchScene ? 0 : 1);

    desktopStack->undo();
    QCOMPARE(stroke->scene(), m_fixture->desktop);
    m_fixture->editor->setTool(m_tool.get());
}

QTEST_MAIN(TestDrawletEraseTool)
#include "tst_drawlet_erasetool.moc"
