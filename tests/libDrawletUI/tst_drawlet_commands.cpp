#include "addcommand.h"
#include "annotationscene.h"
#include "continuemovecommand.h"
#include "deletecommand.h"
#include "drawletrecordingtool.h"
#include "drawlettrackeditem.h"
#include "graphicsarrowlineitem.h"
#include "linecolorchangecommand.h"
#include "lineshapechanestylecommand.h"
#include "movecommand.h"
#include "pathitemchangestylecommand.h"
#include "pathitemchangewidthcommand.h"
#include "pencolorchangecommand.h"
#include "pictureresizecommand.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "qorvgraphicsrectitem.h"
#include "qorvgraphicstextitem.h"
#include "textcolorchangecommand.h"
#include "textcontentchangecommand.h"
#include "textstylechangecommand.h"
#include "widthchangecommand.h"

#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace drawlet::ui;

class TestDrawletCommands : public QObject
{
    Q_OBJECT
private slots:
    void itemsHaveExactlyOneOwner_data();
    void itemsHaveExactlyOneOwner();
    void addStampsZOnceAndAsksActiveTool();
    void selectionOnAddAndDeleteUndo();
    void penColourKeepsAlpha_data();
    void penColourKeepsAlpha();
    void continueMoveSwaps();
    void pathCommandsRestorePathWithProperty();
    void lineCommands();
    void textAndMoveCommands();
    void pictureResizeUndo();
};

// Script tokens: A<id> pushes an add, D<id> a delete of that item, C a clear of the whole scene as
// one step (as the editor does), u undo, r redo, X clears the stack.
void TestDrawletCommands::itemsHaveExactlyOneOwner_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("sceneFirst");
    QTest::addColumn<int>("undoLimit");
    const QList<QPair<const char *, const char *>> scripts = {
        {"on scene", "A1"},
        {"added then undone", "A1 u"},
        {"undone add discarded by a new push", "A1 u A2"},
        {"deleted", "A1 D1"},
        {"delete undone", "A1 D1 u"},
        {"delete and add undone", "A1 D1 u u"},
        {"all redone", "A1 D1 u u r r"},
        {"clear all", "A1 A2 A3 C"},
        {"clear all undone", "A1 A2 A3 C u"},
        {"clear all and adds undone", "A1 A2 C u u u"},
        {"stack cleared while undone", "A1 A2 D2 u u X"},
    };
    for (const auto &entry : scripts) {
        QTest::addRow("%s, stack first", entry.first) << entry.second << false << 0;
        QTest::addRow("%s, scene first", entry.first) << entry.second << true << 0;
    }
    QTest::newRow("oldest steps dropped at the limit") << "A1 D1 A2 A3 D3" << false << 2;
}

void TestDrawletCommands::itemsHaveExactlyOneOwner()
{
    QFETCH(QString, script);
    QFETCH(bool, sceneFirst);
    QFETCH(int, undoLimit);
    DrawletTrackedItem::deletions.clear();
    auto scene = std::make_unique<AnnotationScene>(true);
    auto stack = std::make_unique<QUndoStack>();
    stack->setUndoLimit(undoLimit);
    DrawletRecordingTool tool("pen");
    ToolInterface *active = &tool;
    QMap<int, DrawletTrackedItem *> items;

    for (const QString &token : script.split(' ')) {
        const int id = token.mid(1).toInt();
        switch (token.at(0).toLatin1()) {
        case 'A':
            items[id] = new DrawletTrackedItem(id);
            stack->push(new AddCommand(&active, scene.get(), items[id]));
            break;
        case 'D':
            stack->push(new DeleteCommand(&active, scene.get(), items[id]));
            break;
        case 'C': {
            auto *clear = new QUndoCommand();
            for (QGraphicsItem *item : scene->items())
                new DeleteCommand(&active, scene.get(), item, clear);
            stack->push(clear);
            break;
        }
        case 'u':
            stack->undo();
            break;
        case 'r':
            stack->redo();
            break;
        case 'X':
            stack->clear();
            break;
        }
    }
    if (sceneFirst) {
        scene.reset();
        stack.reset();
    } else {
        stack.reset();
        scene.reset();
    }
    for (int id : items.keys())
        QCOMPARE(DrawletTrackedItem::deletions.value(id), 1);
}

void TestDrawletCommands::addStampsZOnceAndAsksActiveTool()
{
    AnnotationScene scene;
    QUndoStack stack;
    DrawletRecordingTool pen("pen", false);
    DrawletRecordingTool select("select", true);
    ToolInterface *active = &select;
    auto *first = new QGraphicsRectItem(0, 0, 10, 10);
    auto *second = new QGraphicsRectItem(0, 0, 10, 10);
    stack.push(new AddCommand(&active, &scene, first));
    stack.push(new AddCommand(&active, &scene, second));
    QCOMPARE(first->zValue(), 1.0);
    QCOMPARE(second->zValue(), 2.0);
    QVERIFY(second->flags() & QGraphicsItem::ItemIsSelectable);
    QVERIFY(second->flags() & QGraphicsItem::ItemIsMovable);

    stack.undo();
    active = &pen;
    stack.redo();
    QCOMPARE(second->scene(), &scene);
    QVERIFY(!(second->flags() & QGraphicsItem::ItemIsSelectable));
    QVERIFY(!(second->flags() & QGraphicsItem::ItemIsMovable));
    QCOMPARE(second->zValue(), 2.0);
    // The counter went on only for new commands.
    QCOMPARE(scene.getCurrentZValue(), 3);

    // A delete undone while the selection tool is active makes the item selectable again.
    stack.push(new DeleteCommand(&active, &scene, first));
    QVERIFY(!first->scene());
    active = &select;
    stack.undo();
    QVERIFY(first->flags() & QGraphicsItem::ItemIsSelectable);
}

void TestDrawletCommands::selectionOnAddAndDeleteUndo()
{
    AnnotationScene scene;
    QUndoStack stack;
    DrawletRecordingTool select("select", true);
    ToolInterface *active = &select;
    auto *kept = new QGraphicsRectItem(0, 0, 10, 10);
    auto *deleted = new QGraphicsRectItem(20, 0, 10, 10);
    stack.push(new AddCommand(&active, &scene, kept));
    stack.push(new AddCommand(&active, &scene, deleted));
    kept->setSelected(true);
    stack.push(new DeleteCommand(&active, &scene, deleted));
    stack.undo();
    QVERIFY(kept->isSelected());
    stack.push(new AddCommand(&active, &scene, new QGraphicsRectItem(40, 0, 10, 10)));
    QVERIFY(!kept->isSelected());
}

void TestDrawletCommands::penColourKeepsAlpha_data()
{
    QTest::addColumn<bool>("filled");
    QTest::addColumn<int>("alpha");
    QTest::newRow("translucent filled") << true << 127;
    QTest::newRow("opaque outline") << false << 255;
}

void TestDrawletCommands::penColourKeepsAlpha()
{
    QFETCH(bool, filled);
    QFETCH(int, alpha);
    QorvGraphicsRectItem item(filled);
    QColor original(Qt::red);
    original.setAlpha(alpha);
    item.setPen(QPen(original, 4));
    if (filled)
        item.setBrush(original);
    PenColorChangeCommand command(&item, original, QColor(Qt::blue));
    command.redo();
    QCOMPARE(item.pen().color().alpha(), alpha);
    QCOMPARE(item.pen().color().rgb(), QColor(Qt::blue).rgb());
    QCOMPARE(item.pen().width(), 4);
    if (filled)
        QCOMPARE(item.brush().color(), item.pen().color());
    else
        QCOMPARE(item.brush().style(), Qt::NoBrush);
    command.undo();
    QCOMPARE(item.pen().color(), original);
}

void TestDrawletCommands::continueMoveSwaps()
{
    QGraphicsRectItem item(0, 0, 10, 10);
    item.setPos(10, 10);
    QUndoStack stack;
    stack.push(new ContinueMoveCommand(&item, item.pos()));
    QCOMPARE(item.pos(), QPointF(10, 10));
    item.setPos(50, 60);
    stack.undo();
    QCOMPARE(item.pos(), QPointF(10, 10));
    stack.redo();
    QCOMPARE(item.pos(), QPointF(50, 60));

    ContinueMoveCommand direct(&item, QPointF(0, 0));
    direct.redo();
    direct.undo();
    direct.undo();
    QCOMPARE(item.pos(), QPointF(50, 60));
}

void TestDrawletCommands::pathCommandsRestorePathWithProperty()
{
    QorvGraphicsPathItem item;
    item.setPen(QPen(Qt::red, 4));
    QPainterPath thin;
    thin.lineTo(100, 0);
    QPainterPath wide;
    wide.lineTo(100, 50);
    item.setPath(thin);

    PathItemChangeWidthCommand width(&item, {thin, 4}, {wide, 16});
    width.redo();
    QCOMPARE(item.pen().width(), 16);
    QCOMPARE(item.path(), wide);
    width.undo();
    QCOMPARE(item.pen().width(), 4);
    QCOMPARE(item.path(), thin);

    PathItemChangeStyleCommand style(&item, {thin, LineStyle::SOLIDLINE},
                                     {wide, LineStyle::DOTLINE});
    style.redo();
    QVERIFY(item.getLineStyle() == LineStyle::DOTLINE);
    QCOMPARE(item.pen().style(), Qt::DotLine);
    QCOMPARE(item.path(), wide);
    style.undo();
    QVERIFY(item.getLineStyle() == LineStyle::SOLIDLINE);
    QCOMPARE(item.path(), thin);
}

void TestDrawletCommands::lineCommands()
{
    GraphicsArrowLineItem line(LineStyle::SOLIDLINE);
    line.setPen(QPen(Qt::red, 4, Qt::DashLine));
    line.setLine(0, 0, 100, 0);

    WidthChangeCommand<QGraphicsLineItem> width(&line, 4, 16);
    width.redo();
    QCOMPARE(line.pen().width(), 16);
    QCOMPARE(line.pen().style(), Qt::DashLine);
    QCOMPARE(line.pen().color(), QColor(Qt::red));
    width.undo();
    QCOMPARE(line.pen().width(), 4);

    LineShapeChaneStyleCommand style(&line, LineStyle::SOLIDLINE, LineStyle::DOTLINE);
    style.redo();
    QVERIFY(line.getLineStyle() == LineStyle::DOTLINE);
    QCOMPARE(line.pen().style(), Qt::DotLine);
    style.undo();
    QVERIFY(line.getLineStyle() == LineStyle::SOLIDLINE);
    QCOMPARE(line.pen().style(), Qt::SolidLine);

    LineColorChangeCommand colour(&line, Qt::red, Qt::green);
    colour.redo();
    QCOMPARE(line.pen().color(), QColor(Qt::green));
    QCOMPARE(line.pen().width(), 4);
    colour.undo();
    QCOMPARE(line.pen().color(), QColor(Qt::red));
}

void TestDrawletCommands::textAndMoveCommands()
{
    QorvGraphicsTextItem text;
    text.setPlainText("old");
    const QFont oldFont = text.font();
    QFont newFont(oldFont);
    newFont.setPointSize(40);
    newFont.setBold(true);

    QUndoStack stack;
    stack.beginMacro("edit");
    stack.push(new TextContentChangeCommand(&text, "old", "new"));
    stack.push(new TextStyleChangeCommand(&text, oldFont, newFont));
    stack.push(new TextColorChangeCommand(&text, text.defaultTextColor(), Qt::blue));
    stack.push(new MoveCommand(&text, QPointF(0, 0), QPointF(30, 40)));
    stack.endMacro();
    QCOMPARE(text.toPlainText(), QStringLiteral("new"));
    QCOMPARE(text.font(), newFont);
    QCOMPARE(text.defaultTextColor(), QColor(Qt::blue));
    QCOMPARE(text.pos(), QPointF(30, 40));
    stack.undo();
    QCOMPARE(text.toPlainText(), QStringLiteral("old"));
    QCOMPARE(text.font(), oldFont);
    QCOMPARE(text.pos(), QPointF(0, 0));
}

void TestDrawletCommands::pictureResizeUndo()
{
    QImage image(200, 100, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QorvGraphicsPixmapItem picture(QPixmap::fromImage(image));
    picture.setPos(10, 10);
    PictureResizeCommand resize(&picture, QPointF(10, 10), QRectF(10, 10, 200, 100), QPointF(0, 5),
                                QRectF(0, 5, 300, 150));
    resize.redo();
    QCOMPARE(picture.pixmap().size(), QSize(300, 150));
    QCOMPARE(picture.pos(), QPointF(0, 5));
    resize.undo();
    QCOMPARE(picture.pixmap().size(), QSize(200, 100));
    QCOMPARE(picture.pos(), QPointF(10, 10));
}

QTEST_MAIN(TestDrawletCommands)
#include "tst_drawlet_commands.moc"
