// The editor repaints settled annotations from an image. Whatever happens to them must show on the
// screen exactly as a plain view of the same scene shows it: a stale pixel anywhere is a fault.

#include "annotationeditor.h"
#include "annotationscene.h"
#include "drawleteditorfixture.h"
#include "drawletmouse.h"
#include "erasetool.h"
#include "freehandpainter.h"
#include "paintertool.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "qorvgraphicstextitem.h"

#include <QGraphicsView>
#include <QScreen>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

namespace {

QVector<QPoint> zigzag(const QPoint &from, const QPoint &step, int count)
{
    QVector<QPoint> points;
    for (int i = 0; i < count; ++i)
        points << from + step * i + QPoint(0, (i % 2) * 12);
    return points;
}

// What the partial repaints left on the screen.
QImage screenImage(QWidget *window)
{
    const QPixmap shown = QGuiApplication::primaryScreen()->grabWindow(window->winId());
    return shown.toImage().convertToFormat(QImage::Format_ARGB32);
}

// A full repaint at the widget's own pixel ratio. The offscreen platform keeps its screen image at
// one pixel per point whatever the scale factor, so only this shows a high-density repaint whole.
QImage freshImage(QWidget *viewport)
{
    return viewport->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// The largest difference of any channel of any pixel; the layer blends its items once more, which
// may round a highlighter by a step or two.
int largestDifference(const QImage &a, const QImage &b, QPoint *where)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        const QRgb *lineA = reinterpret_cast<const QRgb *>(a.constScanLine(y));
        const QRgb *lineB = reinterpret_cast<const QRgb *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const int difference = std::max({ std::abs(qRed(lineA[x]) - qRed(lineB[x])),
                                              std::abs(qGreen(lineA[x]) - qGreen(lineB[x])),
                                              std::abs(qBlue(lineA[x]) - qBlue(lineB[x])),
                                              std::abs(qAlpha(lineA[x]) - qAlpha(lineB[x])) });
            if (difference > largest) {
                largest = difference;
                *where = QPoint(x, y);
            }
        }
    }
    return largest;
}

} // namespace

class TestDrawletRepaint : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void showsWhatAPlainViewShows_data();
    void showsWhatAPlainViewShows();
    void settledStrokesAreNotRedrawn();
    void renderedElsewhereAtAnyScale();

private:
    void drawStroke(const QVector<QPoint> &points, const QColor &color, bool highlighter);
    void settle();
    void compareWithPlainView(const char *step);
    QorvGraphicsPathItem *bottomStroke() const;

    std::unique_ptr<DrawletEditorFixture> m_fixture;
    std::unique_ptr<QGraphicsView> m_plainView;
    std::unique_ptr<EraseTool> m_eraser;
    std::unique_ptr<PainterTool> m_pen;
};

void TestDrawletRepaint::init()
{
    m_fixture = std::make_unique<DrawletEditorFixture>();
    QVERIFY(m_fixture->isExposed());
    AnnotationEditor *editor = m_fixture->editor;
    m_plainView = std::make_unique<QGraphicsView>(m_fixture->desktop);
    m_plainView->setFrameShape(QFrame::NoFrame);
    m_plainView->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_plainView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_plainView->setStyleSheet(editor->styleSheet());
    m_plainView->setRenderHints(editor->renderHints());
    m_plainView->resize(editor->size());
    m_plainView->move(editor->pos() + QPoint(editor->width() + 20, 0));
    m_plainView->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_plainView.get()));

    m_eraser = std::make_unique<EraseTool>(editor);
    // Strokes of both kinds crossing each other: the half-transparent ones show any blend error.
    drawStroke(zigzag(QPoint(20, 40), QPoint(18, 6), 20), Qt::red, false);
    drawStroke(zigzag(QPoint(30, 250), QPoint(17, -9), 20), QColor(250, 220, 0), true);
    drawStroke(zigzag(QPoint(200, 20), QPoint(-4, 13), 20), Qt::darkGreen, false);
    drawStroke(zigzag(QPoint(10, 150), QPoint(19, 1), 20), QColor(0, 120, 255), true);
    settle();
    compareWithPlainView("before the change");
}

void TestDrawletRepaint::cleanup()
{
    m_pen.reset();
    m_eraser.reset();
    m_plainView.reset();
    m_fixture.reset();
}

void TestDrawletRepaint::drawStroke(const QVector<QPoint> &points, const QColor &color,
                                    bool highlighter)
{
    auto *painter = new FreeHandPainter(highlighter ? HIGHLIGHTER_CONFIG : PEN_CONFIG,
                                        highlighter ? 14 : 5);
    painter->setPenColor(color);
    if (highlighter)
        painter->setHighlight();
    m_pen = std::make_unique<PainterTool>(m_fixture->editor, painter);
    m_fixture->editor->setTool(m_pen.get());
    // Painted move by move, as on the screen: the stroke grows over settled ones.
    DrawletMouse::press(m_fixture->viewport(), points.front());
    for (const QPoint &point : points.mid(1)) {
        DrawletMouse::move(m_fixture->viewport(), point);
        QCoreApplication::processEvents();
    }
    DrawletMouse::release(m_fixture->viewport(), points.back());
}

void TestDrawletRepaint::settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void TestDrawletRepaint::compareWithPlainView(const char *step)
{
    const struct
    {
        const char *kind;
        QImage shown;
        QImage expected;
    } views[] = {
        { "on the screen", screenImage(m_fixture->editor), screenImage(m_plainView.get()) },
        { "repainted whole", freshImage(m_fixture->viewport()),
          freshImage(m_plainView->viewport()) },
    };
    for (const auto &view : views) {
        QCOMPARE(view.shown.size(), view.expected.size());
        QPoint where;
        const int difference = largestDifference(view.shown, view.expected, &where);
        QVERIFY2(difference <= 3,
                 qPrintable(QStringLiteral("%1, %2: pixel (%3, %4) differs by %5")
                                    .arg(QLatin1String(step), QLatin1String(view.kind))
                                    .arg(where.x())
                                    .arg(where.y())
                                    .arg(difference)));
    }
}

QorvGraphicsPathItem *TestDrawletRepaint::bottomStroke() const
{
    const QList<QGraphicsItem *> items = m_fixture->editor->getActiveScene()->items(
            Qt::AscendingOrder);
    return items.isEmpty() ? nullptr : dynamic_cast<QorvGraphicsPathItem *>(items.first());
}

void TestDrawletRepaint::showsWhatAPlainViewShows_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("stroke drawn on top") << "stroke";
    QTest::newRow("highlighter drawn on top") << "highlighter";
    QTest::newRow("lowest stroke moved") << "move";
    QTest::newRow("strokes erased") << "erase";
    QTest::newRow("last stroke undone") << "undo";
    QTest::newRow("last stroke undone and redone") << "redo";
    QTest::newRow("all strokes undone") << "undo all";
    QTest::newRow("lowest stroke recoloured") << "recolour";
    QTest::newRow("lowest stroke widened") << "widen";
    QTest::newRow("lowest stroke selected") << "select";
    QTest::newRow("lowest stroke selected and let go") << "deselect";
    QTest::newRow("lowest stroke hidden") << "hide";
    QTest::newRow("lowest stroke raised") << "raise";
    QTest::newRow("picture and text added") << "picture";
    QTest::newRow("scene cleared") << "clear";
    QTest::newRow("whiteboard shown and left") << "switch";
    QTest::newRow("view resized") << "resize";
}

void TestDrawletRepaint::showsWhatAPlainViewShows()
{
    QFETCH(QString, change);
    AnnotationEditor *editor = m_fixture->editor;
    QorvGraphicsPathItem *lowest = bottomStroke();
    QVERIFY(lowest);

    if (change == "stroke") {
        drawStroke(zigzag(QPoint(380, 280), QPoint(-19, -13), 20), Qt::black, false);
    } else if (change == "highlighter") {
        drawStroke(zigzag(QPoint(10, 10), QPoint(19, 14), 20), QColor(255, 0, 200), true);
    } else if (change == "move") {
        lowest->setPos(25, 35);
    } else if (change == "erase") {
        editor->setTool(m_eraser.get());
        DrawletMouse::stroke(m_fixture->viewport(), { QPoint(100, 10), QPoint(110, 290) });
        QVERIFY(m_fixture->items().size() < 4);
    } else if (change == "undo") {
        m_fixture->stack()->undo();
    } else if (change == "redo") {
        m_fixture->stack()->undo();
        settle();
        compareWithPlainView("undone");
        m_fixture->stack()->redo();
    } else if (change == "undo all") {
        while (m_fixture->stack()->canUndo())
            m_fixture->stack()->undo();
        QVERIFY(m_fixture->items().isEmpty());
    } else if (change == "recolour") {
        QPen pen = lowest->pen();
        pen.setColor(Qt::blue);
        lowest->setPen(pen);
    } else if (change == "widen") {
        QPen pen = lowest->pen();
        pen.setWidthF(11);
        lowest->setPen(pen);
    } else if (change == "select" || change == "deselect") {
        lowest->setFlag(QGraphicsItem::ItemIsSelectable, true);
        lowest->setSelected(true);
        if (change == "deselect") {
            settle();
            compareWithPlainView("selected");
            lowest->setSelected(false);
        }
    } else if (change == "hide") {
        lowest->hide();
    } else if (change == "raise") {
        lowest->setZValue(1000);
    } else if (change == "picture") {
        QPixmap picture(60, 40);
        picture.fill(Qt::magenta);
        m_fixture->addItem(new QorvGraphicsPixmapItem(picture))->setPos(150, 120);
        auto *text = new QorvGraphicsTextItem();
        text->setPlainText(QStringLiteral("Lumidesk"));
        m_fixture->addItem(text)->setPos(40, 60);
        settle();
        compareWithPlainView("added");
        text->setPlainText(QStringLiteral("changed"));
    } else if (change == "clear") {
        editor->clearAll();
        QVERIFY(m_fixture->items().isEmpty());
    } else if (change == "switch") {
        editor->setActiveScene(m_fixture->whiteboard);
        m_plainView->setScene(m_fixture->whiteboard);
        settle();
        compareWithPlainView("whiteboard");
        drawStroke(zigzag(QPoint(50, 50), QPoint(15, 10), 20), QColor(250, 220, 0), true);
        settle();
        compareWithPlainView("whiteboard stroke");
        editor->setActiveScene(m_fixture->desktop);
        m_plainView->setScene(m_fixture->desktop);
    } else if (change == "resize") {
        editor->resize(300, 200);
        m_plainView->resize(300, 200);
    }
    settle();
    compareWithPlainView("after the change");
}

void TestDrawletRepaint::settledStrokesAreNotRedrawn()
{
    const AnnotationRasterLayer &layer = m_fixture->editor->rasterLayer();
    QCOMPARE(layer.itemCount(), 4);
    const int renders = layer.renderCount();
    for (int i = 0; i < 3; ++i)
        m_fixture->viewport()->repaint();
    QCOMPARE(layer.renderCount(), renders);

    // The stroke in the making stays out of the image until it is released.
    const QVector<QPoint> points = zigzag(QPoint(20, 20), QPoint(15, 12), 10);
    DrawletMouse::press(m_fixture->viewport(), points.front());
    for (const QPoint &point : points.mid(1)) {
        DrawletMouse::move(m_fixture->viewport(), point);
        m_fixture->viewport()->repaint();
    }
    QCOMPARE(layer.itemCount(), 4);
    QCOMPARE(layer.renderCount(), renders);
    DrawletMouse::release(m_fixture->viewport(), points.back());
    m_fixture->viewport()->repaint();
    QCOMPARE(layer.itemCount(), 5);
    QCOMPARE(layer.renderCount(), renders + 1);
}

void TestDrawletRepaint::renderedElsewhereAtAnyScale()
{
    // An export of the annotations: a smaller image, shifted, that the layer's image does not fit.
    const auto rendered = [](QGraphicsView *view) {
        QImage image(300, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        view->render(&painter, QRectF(40, 30, 200, 150));
        painter.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    };
    QPoint where;
    const int difference = largestDifference(rendered(m_fixture->editor),
                                             rendered(m_plainView.get()), &where);
    QVERIFY2(difference <= 3,
             qPrintable(QStringLiteral("pixel (%1, %2) differs by %3")
                                .arg(where.x())
                                .arg(where.y())
                                .arg(difference)));
}

QTEST_MAIN(TestDrawletRepaint)
#include "tst_drawlet_repaint.moc"
