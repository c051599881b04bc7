#include "annotationeditor.h"
#include "annotationscene.h"
#include "drawletmouse.h"
#include "drawletrecordingtool.h"
#include "drawlettrackeditem.h"
#include "freehandpainter.h"
#include "graphicsarrowlineitem.h"
#include "lineshapepainter.h"
#include "paintertool.h"
#include "qorvgraphicspathitem.h"
#include "qorvgraphicspixmapitem.h"
#include "toolaction.h"

#include <QAction>
#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QtTest>

using namespace drawlet::ui;

namespace {

// A painter whose items count their own deletion.
class TrackedPainter : public QObject, public PaintInterface
{
    Q_OBJECT
    Q_INTERFACES(drawlet::ui::PaintInterface)
public:
    QGraphicsItem *init(const QPointF &) override
    {
        m_item = new DrawletTrackedItem(++lastId);
        return m_item;
    }
    QGraphicsItem *draw(const QPointF &) override
    {
        ++draws;
        return m_item;
    }
    void release() override { m_item = nullptr; }
    bool isDrawing() override { return m_item != nullptr; }
    QString toString() override { return objectName(); }
    void getPaintSetting() override { }

    int lastId = 0;
    int draws = 0;

private:
    QGraphicsItem *m_item = nullptr;
};

// Stands in for the file dialog.
class PictureEditor : public AnnotationEditor
{
public:
    using AnnotationEditor::AnnotationEditor;
    QString chosenFile;

protected:
    QString selectPictureFile() override { return chosenFile; }
};

const QVector<QPoint> sampleStroke = {{50, 50}, {60, 55}, {80, 70}, {120, 90}, {160, 100}};

} // namespace

class TestDrawletEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void strokeIsOneUndoStep_data();
    void strokeIsOneUndoStep();
    void strokeWithoutMoveLeavesNoItem_data();
    void strokeWithoutMoveLeavesNoItem();
    void rightButtonReachesNeitherToolNorView();
    void toolSwitchOrder();
    void sceneRequests();
    void undoHistoryPerScene();
    void clearAllIsOneStep();
    void insertPicture_data();
    void insertPicture();
    void toolActionHandsOverToolThenCursor();
    void fatalMisuseStopsWithMessage_data();
    void fatalMisuseStopsWithMessage();

private:
    void drawStroke(const QVector<QPoint> &points = sampleStroke);

    AnnotationScene *m_desktop = nullptr;
    AnnotationScene *m_whiteboard = nullptr;
    PictureEditor *m_editor = nullptr;
};

void TestDrawletEditor::init()
{
    m_desktop = new AnnotationScene(true);
    m_desktop->setObjectName("descktopAnnotationScene");
    m_desktop->setSceneRect(0, 0, 400, 300);
    m_whiteboard = new AnnotationScene(false);
    m_whiteboard->setObjectName("whiteboardAnnotationScene");
    m_whiteboard->setSceneRect(0, 0, 400, 300);
    m_editor = new PictureEditor();
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->resize(400, 300);
    m_editor->setActiveScene(m_desktop);
    m_editor->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_editor));
    DrawletTrackedItem::deletions.clear();
}

void TestDrawletEditor::cleanup()
{
    delete m_editor;
    delete m_desktop;
    delete m_whiteboard;
}

void TestDrawletEditor::drawStroke(const QVector<QPoint> &points)
{
    DrawletMouse::stroke(m_editor->viewport(), points);
}

void TestDrawletEditor::strokeIsOneUndoStep_data()
{
    QTest::addColumn<QString>("painterKind");
    QTest::addColumn<int>("alpha");
    QTest::newRow("pen") << "pen" << 255;
    QTest::newRow("highlighter") << "highlighter" << 127;
    QTest::newRow("line") << "line" << 255;
    QTest::newRow("arrow") << "arrow" << 255;
}

void TestDrawletEditor::strokeIsOneUndoStep()
{
    QFETCH(QString, painterKind);
    QFETCH(int, alpha);
    PaintInterface *painter = nullptr;
    if (painterKind == "line" || painterKind == "arrow") {
        auto *line = new LineShapePainter(PEN_CONFIG);
        if (painterKind == "arrow")
            line->setLineStyle(LineStyle::SOLIDLINE_DOUBLE_ARROW);
        painter = line;
    } else {
        auto *freehand = new FreeHandPainter(painterKind == "pen" ? PEN_CONFIG : HIGHLIGHTER_CONFIG,
                                             painterKind == "pen" ? 4 : 12);
        if (painterKind == "highlighter")
            freehand->setHighlight();
        painter = freehand;
    }
    PainterTool tool(m_editor, painter);
    m_editor->setTool(&tool);
    QUndoStack *stack = m_editor->getActiveUndoStack();
    drawStroke();
    QCOMPARE(stack->count(), 1);
    QCOMPARE(m_desktop->items().size(), 1);
    QGraphicsItem *item = m_desktop->items().first();
    QVERIFY(!(item->flags() & QGraphicsItem::ItemIsSelectable));

    const QPointF start = m_editor->mapToScene(sampleStroke.first());
    const QPointF end = m_editor->mapToScene(sampleStroke.last());
    if (auto *line = dynamic_cast<GraphicsArrowLineItem *>(item)) {
        QCOMPARE(line->line(), QLineF(start, end));
        QCOMPARE(line->pen().color().alpha(), alpha);
        QCOMPARE(line->getLineStyle() == LineStyle::SOLIDLINE_DOUBLE_ARROW, painterKind == "arrow");
    } else {
        auto *path = dynamic_cast<QorvGraphicsPathItem *>(item);
        QVERIFY(path);
        QCOMPARE(path->pen().color().alpha(), alpha);
        QCOMPARE(path->isHighlight(), painterKind == "highlighter");
        QCOMPARE(path->getPathPoints().size(), std::size_t(sampleStroke.size()));
        QCOMPARE(path->getPathPoints().back(), end);
    }

    drawStroke({{200, 200}, {210, 210}, {220, 205}});
    QCOMPARE(stack->count(), 2);
    stack->undo();
    stack->undo();
    QVERIFY(m_editor->isActiveSceneClean());
    stack->redo();
    QCOMPARE(m_desktop->items().size(), 1);
}

void TestDrawletEditor::strokeWithoutMoveLeavesNoItem_data()
{
    QTest::addColumn<QString>("gesture");
    QTest::newRow("press and release") << "release";
    QTest::newRow("second press before a release") << "press";
    QTest::newRow("tool switched under the button") << "switch";
}

void TestDrawletEditor::strokeWithoutMoveLeavesNoItem()
{
    QFETCH(QString, gesture);
    auto *painter = new TrackedPainter();
    {
        PainterTool tool(m_editor, painter);
        DrawletRecordingTool other("other");
        m_editor->setTool(&tool);
        QWidget *viewport = m_editor->viewport();
        DrawletMouse::press(viewport, {30, 30});
        if (gesture == "release") {
            DrawletMouse::release(viewport, {30, 30});
        } else if (gesture == "press") {
            DrawletMouse::press(viewport, {40, 40});
            DrawletMouse::move(viewport, {50, 50});
            DrawletMouse::release(viewport, {50, 50});
        } else {
            m_editor->setTool(&other);
            DrawletMouse::release(viewport, {30, 30});
        }
        QCOMPARE(DrawletTrackedItem::deletions.value(1), 1);
        const int drawn = gesture == "press" ? 1 : 0;
        QCOMPARE(m_desktop->items().size(), drawn);
        QCOMPARE(m_editor->getActiveUndoStack()->count(), drawn);
        m_editor->setTool(&other);
    }
    // The drawn item stays with the scene, exactly once.
    QCOMPARE(DrawletTrackedItem::deletions.value(2), 0);
}

void TestDrawletEditor::rightButtonReachesNeitherToolNorView()
{
    DrawletRecordingTool tool("tool");
    m_editor->setTool(&tool);
    tool.calls.clear();
    QSignalSpy clicks(m_editor, &AnnotationEditor::mouseClick);
    QWidget *viewport = m_editor->viewport();
    DrawletMouse::press(viewport, {10, 10}, Qt::RightButton);
    DrawletMouse::move(viewport, {20, 20}, Qt::RightButton);
    DrawletMouse::release(viewport, {20, 20}, Qt::RightButton);
    DrawletMouse::doubleClick(viewport, {20, 20}, Qt::RightButton);
    QVERIFY(tool.calls.isEmpty());
    QCOMPARE(clicks.count(), 0);

    DrawletMouse::press(viewport, {10, 10});
    DrawletMouse::move(viewport, {20, 20});
    DrawletMouse::release(viewport, {20, 20});
    DrawletMouse::doubleClick(viewport, {20, 20});
    QTest::keyClick(viewport, Qt::Key_A);
    QCOMPARE(tool.calls,
             QStringList({"tool:press", "tool:move", "tool:release", "tool:double", "tool:key"}));
    QCOMPARE(clicks.count(), 1);

    // A hovering move never reaches a painter.
    auto *painter = new TrackedPainter();
    PainterTool painterTool(m_editor, painter);
    m_editor->setTool(&painterTool);
    DrawletMouse::move(viewport, {30, 30}, Qt::NoButton);
    QCOMPARE(painter->draws, 0);
    DrawletMouse::stroke(viewport, {{10, 10}, {80, 80}}, Qt::RightButton);
    QCOMPARE(painter->lastId, 0);
    m_editor->setTool(&tool);
}

void TestDrawletEditor::toolSwitchOrder()
{
    DrawletRecordingTool first("first");
    DrawletRecordingTool second("second");
    QStringList log;
    m_editor->setTool(&first);
    m_editor->setTool(&second);
    QCOMPARE(first.calls, QStringList({"first:load", "first:finish", "first:unload"}));
    QCOMPARE(second.calls, QStringList({"second:load"}));
    m_editor->finishToolEditing();
    QCOMPARE(second.calls.last(), QStringLiteral("second:finish"));
}

void TestDrawletEditor::sceneRequests()
{
    DrawletRecordingTool tool("tool");
    m_editor->setTool(&tool);
    tool.calls.clear();
    QSignalSpy changed(m_editor, &AnnotationEditor::activeSceneChanged);
    QUndoStack *desktopStack = m_editor->getActiveUndoStack();
    QCOMPARE(desktopStack->objectName(), QStringLiteral("desktopAnnotationStack"));

    QVERIFY(!m_editor->setReadOnlyScene(m_desktop));
    QCOMPARE(tool.calls, QStringList({"tool:finish"}));
    QCOMPARE(changed.count(), 0);

    m_editor->setActiveScene(m_whiteboard);
    QCOMPARE(tool.calls, QStringList({"tool:finish", "tool:finish", "tool:unload"}));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(m_editor->scene(), m_whiteboard);
    QCOMPARE(m_editor->getActiveUndoStack()->objectName(),
             QStringLiteral("whiteboardAnnotationStack"));

    // Only the exact name selects the whiteboard history.
    AnnotationScene lookalike;
    lookalike.setObjectName("WhiteboardAnnotationScene");
    m_editor->setActiveScene(&lookalike);
    QCOMPARE(m_editor->getActiveUndoStack(), desktopStack);
    m_editor->setActiveScene(m_desktop);
}

void TestDrawletEditor::undoHistoryPerScene()
{
    PainterTool tool(m_editor, new FreeHandPainter(PEN_CONFIG, 4));
    m_editor->setTool(&tool);
    QAction *undo = m_editor->createUndoAction(this, "Undo");
    QAction *redo = m_editor->createRedoAction(this, "Redo");
    QSignalSpy canUndo(m_editor, &AnnotationEditor::canUndoChanged);
    QVERIFY(!undo->isEnabled());
    drawStroke();
    QVERIFY(undo->isEnabled());
    QCOMPARE(canUndo.count(), 1);

    m_editor->setActiveScene(m_whiteboard);
    QVERIFY(!undo->isEnabled());
    drawStroke();
    drawStroke({{10, 10}, {20, 30}});
    QCOMPARE(m_whiteboard->items().size(), 2);
    undo->trigger();
    undo->trigger();
    QVERIFY(m_editor->isActiveSceneClean());
    QVERIFY(!undo->isEnabled());
    QVERIFY(redo->isEnabled());
    QCOMPARE(m_desktop->items().size(), 1);

    m_editor->setActiveScene(m_desktop);
    QVERIFY(m_editor->canUndo());
    QVERIFY(!m_editor->canRedo());
    undo->trigger();
    QVERIFY(m_editor->isActiveSceneClean());
    QVERIFY(m_whiteboard->items().isEmpty());
    m_editor->setActiveScene(m_whiteboard);
    redo->trigger();
    QCOMPARE(m_whiteboard->items().size(), 1);
}

void TestDrawletEditor::clearAllIsOneStep()
{
    PainterTool tool(m_editor, new FreeHandPainter(PEN_CONFIG, 4));
    m_editor->setTool(&tool);
    QSignalSpy cleaned(m_editor, &AnnotationEditor::activeSceneCleaned);
    QUndoStack *stack = m_editor->getActiveUndoStack();
    for (int i = 0; i < 3; ++i)
        drawStroke({{10 + 30 * i, 10}, {20 + 30 * i, 60}, {30 + 30 * i, 90}});
    m_editor->clearAll();
    QVERIFY(m_editor->isActiveSceneClean());
    QCOMPARE(stack->count(), 4);
    QCOMPARE(cleaned.count(), 1);
    stack->undo();
    QCOMPARE(m_desktop->items().size(), 3);
    stack->redo();

    // An empty scene still gets its step and its signal.
    m_editor->clearAll();
    QCOMPARE(stack->count(), 5);
    QCOMPARE(cleaned.count(), 2);
}

void TestDrawletEditor::insertPicture_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("inserted");
    QTest::addColumn<QPointF>("position");
    QTest::newRow("picture") << "picture.png" << QSize(100, 50) << true << QPointF(150, 125);
    QTest::newRow("larger than the scene")
        << "large.png" << QSize(600, 500) << true << QPointF(-100, -100);
    QTest::newRow("cancelled") << "" << QSize() << false << QPointF();
    QTest::newRow("not an image") << "broken.png" << QSize() << false << QPointF();
    QTest::newRow("missing") << "missing.jpg" << QSize() << false << QPointF();
}

void TestDrawletEditor::insertPicture()
{
    QFETCH(QString, file);
    QFETCH(QSize, size);
    QFETCH(bool, inserted);
    QFETCH(QPointF, position);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (!file.isEmpty()) {
        m_editor->chosenFile = dir.filePath(file);
        if (size.isValid()) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::darkGreen);
            QVERIFY(image.save(m_editor->chosenFile));
        } else if (file == "broken.png") {
            QFile broken(m_editor->chosenFile);
            QVERIFY(broken.open(QIODevice::WriteOnly));
            broken.write("no picture in here");
        }
    }
    DrawletRecordingTool tool("pen");
    m_editor->setTool(&tool);
    QSignalSpy insertedSpy(m_editor, &AnnotationEditor::pictureInserted);
    QSignalSpy uninsertedSpy(m_editor, &AnnotationEditor::pictureUninserted);
    QSignalSpy failedSpy(m_editor, &AnnotationEditor::pictureLoadFailed);

    m_editor->insertPicture(false);
    QCOMPARE(insertedSpy.count() + uninsertedSpy.count(), 0);

    if (!inserted && !file.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("cannot insert picture"));
    m_editor->insertPicture(true);
    QCOMPARE(insertedSpy.count(), inserted ? 1 : 0);
    QCOMPARE(uninsertedSpy.count(), inserted ? 0 : 1);
    QCOMPARE(failedSpy.count(), !inserted && !file.isEmpty() ? 1 : 0);
    QCOMPARE(m_editor->getActiveUndoStack()->count(), inserted ? 1 : 0);
    if (!inserted) {
        QVERIFY(m_editor->isActiveSceneClean());
        return;
    }
    auto *picture = dynamic_cast<QorvGraphicsPixmapItem *>(m_desktop->items().first());
    QVERIFY(picture);
    QCOMPARE(picture->pixmap().size(), size);
    QCOMPARE(picture->pos(), position);
    QVERIFY(picture->isSelected());
    QVERIFY(picture->flags() & QGraphicsItem::ItemIsMovable);
}

void TestDrawletEditor::toolActionHandsOverToolThenCursor()
{
    auto *tool = new DrawletRecordingTool("owned");
    auto *action = new ToolAction(tool, new QCursor(Qt::CrossCursor), m_editor);
    QStringList heard;
    connect(action, &ToolAction::sendTool, this, [&](ToolInterface *t) {
        heard << "tool " + t->toString();
        m_editor->setTool(t);
    });
    connect(action, &ToolAction::sendCursor, this, [&](QCursor *c) {
        heard << "cursor";
        m_editor->setCurrentCursor(c);
    });
    action->onToggled(false);
    QVERIFY(heard.isEmpty());
    action->onToggled(true);
    QCOMPARE(heard, QStringList({"tool owned", "cursor"}));
    QCOMPARE(m_editor->cursor().shape(), Qt::CrossCursor);
    QCOMPARE(*m_editor->getActiveToolPointer(), tool);
    QVERIFY(qobject_cast<ToolInterface *>(tool));
    QVERIFY(tool->qt_metacast("drawlet.ui.ToolInterface/1.0"));
    PainterTool painterTool(m_editor, new TrackedPainter());
    QVERIFY(painterTool.qt_metacast("ToolInterface"));
    QVERIFY(painterTool.qt_metacast("drawlet.ui.ToolInterface/1.0"));

    // The action owns its tool; the editor lets go of it when it goes.
    delete action;
    QCOMPARE(*m_editor->getActiveToolPointer(), static_cast<ToolInterface *>(nullptr));
    m_editor->setCurrentCursor(nullptr);
    QCOMPARE(m_editor->cursor().shape(), Qt::ArrowCursor);
}

void TestDrawletEditor::fatalMisuseStopsWithMessage_data()
{
    QTest::addColumn<QString>("misuse");
    QTest::addColumn<QString>("expected");
    QTest::newRow("null tool") << "tool"
                               << "fatal|set a null painter!!|";
    QTest::newRow("null scene") << "scene"
                                << "fatal|set a null scene!!|";
    QTest::newRow("painter tool without painter") << "painter"
                                                  << "fatal|painter is null pointer|";
}

void TestDrawletEditor::fatalMisuseStopsWithMessage()
{
    QFETCH(QString, misuse);
    QFETCH(QString, expected);
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DRAWLET_MISUSE", misuse);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_MESSAGE_PATTERN", "%{type}|%{message}|%{function}");
    // The child aborts on purpose: no core file, and no sanitizer report about the abort.
    env.insert("ASAN_OPTIONS", "detect_leaks=0:handle_abort=0");
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(30000));
    const QString output = QString::fromLocal8Bit(child.readAllStandardError());
    QVERIFY2(output.contains(expected), qPrintable(output));
    QVERIFY(child.exitStatus() == QProcess::CrashExit || child.exitCode() != 0);
    if (misuse == "painter")
        QVERIFY2(output.contains("doOnMousePressed"), qPrintable(output));
}

namespace {
// Runs in the child process of fatalMisuseStopsWithMessage: does the misuse, which must not return.
int runMisuse(const QByteArray &misuse)
{
    AnnotationScene scene;
    AnnotationEditor editor(&scene);
    if (misuse == "tool") {
        editor.setTool(nullptr);
    } else if (misuse == "scene") {
        editor.setActiveScene(nullptr);
    } else if (misuse == "painter") {
        PainterTool tool(&editor, nullptr);
        editor.setTool(&tool);
        DrawletMouse::press(editor.viewport(), {5, 5});
    }
    return 0;
}
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QByteArray misuse = qgetenv("DRAWLET_MISUSE");
    if (!misuse.isEmpty())
        return runMisuse(misuse);
    TestDrawletEditor test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drawlet_editor.moc"
