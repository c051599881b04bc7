// The annotation toolbar as the overlay window builds it: each button with its image, size, action and
// tool tip, what each one reaches, and the pop-ups closing each other.
#include "drawletappfixture.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "annotationtoolbar.h"
#include "captureaction.h"
#include "colorstyleaction.h"
#include "drawletmouse.h"
#include "erasetool.h"
#include "linewidthandstyleaction.h"
#include "multiskindockwidget.h"
#include "paintertool.h"
#include "selecttool.h"
#include "skindockwidget.h"
#include "texttool.h"
#include "toolaction.h"
#include "toolinterface.h"
#include "widthtoolbutton.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QFileDialog>
#include <QGraphicsItem>
#include <QGraphicsTextItem>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <map>

using drawlet::application::DrawletApp;
using namespace drawlet::ui;

using ReachedCheck = std::function<bool(DrawletApp *)>;
Q_DECLARE_METATYPE(ReachedCheck)

namespace {

// The colour an annotation is drawn in.
QColor colourOf(const QGraphicsItem *item)
{
    if (auto *text = dynamic_cast<const QGraphicsTextItem *>(item))
        return text->defaultTextColor();
    if (auto *shape = dynamic_cast<const QAbstractGraphicsShapeItem *>(item))
        return shape->pen().color();
    if (auto *line = dynamic_cast<const QGraphicsLineItem *>(item))
        return line->pen().color();
    return QColor();
}

QPen penOf(const QGraphicsItem *item)
{
    if (auto *shape = dynamic_cast<const QAbstractGraphicsShapeItem *>(item))
        return shape->pen();
    if (auto *line = dynamic_cast<const QGraphicsLineItem *>(item))
        return line->pen();
    return QPen();
}

// Answers the next modal dialog as a user would: a file dialog gets the file (an empty name gives up),
// any other dialog is given up.
class ModalAnswer : public QObject
{
public:
    explicit ModalAnswer(const QString &file = QString())
        : m_file(file)
    {
        m_poll.setInterval(10);
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            m_poll.stop();
            auto *files = qobject_cast<QFileDialog *>(dialog);
            auto *name = files ? files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit")) : nullptr;
            if (name && !m_file.isEmpty()) {
                // The whole path typed into its name field and confirmed; selecting the file instead
                // would wait for a folder listing that loads in the background.
                name->setText(m_file);
                dialog->done(QDialog::Accepted);
            } else {
                dialog->reject();
            }
        });
        m_poll.start();
    }

private:
    QTimer m_poll;
    QString m_file;
};

// Where the frame's move handle is, for the edge it is docked to.
QPoint moveHandle(int edge)
{
    switch (edge) {
    case 1:
        return {55, 30};
    case 2:
        return {20, 60};
    case 3:
        return {35, 60};
    default:
        return {55, 20};
    }
}

// Run as a program of its own (DRAWLETAPP_FRAME_PROBE set): the window on the X display it was given,
// and where its toolbar frame stands.
int probeFrame()
{
    auto window = makeWindow();
    const QRect frame = window->toolbarFrame()->geometry();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    printf("frame %d %d %d available %d %d %d %d\n", frame.x(), frame.y(), frame.width(), available.x(),
           available.y(), available.width(), available.height());
    fflush(stdout);
    window.reset();
    return 0;
}

} // namespace

class TestDrawletAppToolbar : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
    void eachButtonReachesItsTarget_data();
    void eachButtonReachesItsTarget();
    void pickedStyleReachesTheTool_data();
    void pickedStyleReachesTheTool();
    void stylePickersFollowTheTool_data();
    void stylePickersFollowTheTool();
    void eachToolHasItsCursor_data();
    void eachToolHasItsCursor();
    void popUpsCloseEachOther();
    void aClickLeavesOnlyItsOwnPopUpOpen_data();
    void aClickLeavesOnlyItsOwnPopUpOpen();
    void anEdgeLaysTheToolbarOut_data();
    void anEdgeLaysTheToolbarOut();
    void selectEraseAndClearNeedAnnotations();
    void frameCentredBelowTheTopPanel_data();
    void frameCentredBelowTheTopPanel();
    void cleanupTestCase() { m_window.reset(); }

private:
    std::unique_ptr<DrawletApp> m_window;
    static void drawStroke(DrawletApp *window)
    {
        DrawletMouse::stroke(window->editor()->viewport(), {{100, 100}, {140, 120}, {180, 160}});
    }
    static ToolInterface *activeTool(DrawletApp *window) { return *window->editor()->getActiveToolPointer(); }
};

void TestDrawletAppToolbar::buttons_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("checkable"); // 1 yes, 0 no, -1 as its sub-toolbar action is
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("toolTip");

    const QSize big(44, 44);
    const QSize small(35, 37);
    QTest::newRow("shrinkButton") << "btn_shrink_narrow" << small << 0 << "shrinkAction" << "collapse";
    QTest::newRow("mouseModeButton") << "btn_mouse" << big << 1 << "mouseModeAction" << "mouse_mode";
    QTest::newRow("whiteboardButton") << "btn_whiteboard" << big << 1 << "whiteboardAction" << "whiteboard_mode";
    QTest::newRow("insertPictureButton") << "btn_insert-picture" << big << 1 << "insertPictureAction" << "insert_picture";
    QTest::newRow("undoButton") << "btn_undo" << big << 0 << "undoAction" << "undo";
    QTest::newRow("redoButton") << "btn_redo" << big << 0 << "redoAction" << "redo";
    QTest::newRow("captureButton") << "btn_screen-capture_top" << big << -1 << "captureAction" << "capture";
    QTest::newRow("selectObjectButton") << "btn_select" << big << 1 << "selectObjectAction" << "select";
    QTest::newRow("freehandButton") << "btn_freehand" << big << 1 << "freehandAction" << "freehand";
    QTest::newRow("highlighterButton") << "btn_highlighter" << big << 1 << "hightlightAction" << "highlighter";
    QTest::newRow("lineSpaheButton") << "btn_line" << big << 1 << "lineAction" << "line";
    QTest::newRow("shapeButton") << "btn_shape_rectangle_top" << big << 1 << "shapeAction" << "shape";
    QTest::newRow("textButton") << "btn_text" << big << 1 << "textAction" << "text";
    QTest::newRow("eraseButton") << "btn_eraser" << big << 1 << "eraseAction" << "erase";
    QTest::newRow("lineStyleButton") << "btn_line-style_top" << big << -1 << "lineStyleAction" << "linestyle";
    QTest::newRow("colorButton") << "btn_color_red_top" << big << -1 << "colorAction" << "color";
    QTest::newRow("clearAllButton") << "btn_clear-all" << big << 0 << "clearAllAction" << "clearall";
    QTest::newRow("closeButton") << "btn_back" << small << 0 << "closeAction" << "back";
}

void TestDrawletAppToolbar::buttons()
{
    QFETCH(QString, image);
    QFETCH(QSize, size);
    QFETCH(int, checkable);
    QFETCH(QString, action);
    QFETCH(QString, toolTip);
    if (!m_window)
        m_window = makeWindow();
    DrawletApp *window = m_window.get();
    QToolButton *button = toolButton(window, QTest::currentDataTag());
    QVERIFY(button);
    QCOMPARE(button->size(), size);
    QCOMPARE(button->minimumSize(), size);
    QCOMPARE(button->maximumSize(), size);
    QCOMPARE(button->defaultAction()->objectName(), action);
    if (checkable >= 0)
        QCOMPARE(button->defaultAction()->isCheckable(), checkable == 1);
    QCOMPARE(button->defaultAction()->toolTip(), toolTip);
    // Whatever the toolbar's edge restyled since, the images come from the button's own base name.
    if (checkable >= 0 || image == QLatin1String("btn_screen-capture_top")) {
        for (const char *state : {"_normal.png", "_pressed.png", "_disabled.png", "_selected.png"})
            QVERIFY2(button->styleSheet().contains(":/resource/button/" + image + state), qPrintable(button->styleSheet()));
    }
    // Every button sits on the toolbar, inside the toolbar frame.
    QVERIFY(window->toolbarFrame()->isAncestorOf(button));
}

void TestDrawletAppToolbar::eachButtonReachesItsTarget_data()
{
    using Check = ReachedCheck;
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<Check>("reached");

    auto toolOf = [](const char *button) {
        return Check([button](DrawletApp *w) {
            auto *action = qobject_cast<ToolAction *>(toolButton(w, button)->defaultAction());
            return action && activeTool(w) == action->tool();
        });
    };
    auto popUpOf = [](SubToolbarAction *(*of)(DrawletApp *)) {
        return Check([of](DrawletApp *w) { return of(w)->getSkin()->isVisible(); });
    };
    QTest::newRow("shrinkButton") << QStringList() << Check([](DrawletApp *w) {
        return QTest::qWaitFor([w] { return w->toolbarFrame()->isNarrowMode(); });
    });
    QTest::newRow("mouseModeButton") << QStringList() << Check([](DrawletApp *w) { return w->mode() == DrawletApp::Mode::Mouse; });
    QTest::newRow("whiteboardButton") << QStringList() << Check([](DrawletApp *w) { return w->mode() == DrawletApp::Mode::Whiteboard; });
    // The file dialog is given up at once: the freehand tool comes back.
    QTest::newRow("insertPictureButton") << QStringList{"whiteboardButton", "textButton"} << Check([](DrawletApp *w) {
        return checkedTool(w) == QLatin1String("freehandButton")
                && !toolButton(w, "insertPictureButton")->defaultAction()->isChecked();
    });
    // A picture chosen in it lands on the whiteboard, selected, with the selection tool to move it.
    QTest::newRow("insertPictureButton picture") << QStringList{"whiteboardButton", "textButton"} << Check([](DrawletApp *w) {
        const QList<QGraphicsItem *> items = w->whiteboardScene()->items();
        return checkedTool(w) == QLatin1String("selectObjectButton") && dynamic_cast<SelectTool *>(activeTool(w))
                && !toolButton(w, "insertPictureButton")->defaultAction()->isChecked() && items.size() == 1
                && items.first()->isSelected();
    });
    QTest::newRow("undoButton") << QStringList() << Check([](DrawletApp *w) { return w->desktopScene()->items().isEmpty(); });
    QTest::newRow("redoButton") << QStringList{"undoButton"} << Check([](DrawletApp *w) { return w->desktopScene()->items().size() == 1; });
    QTest::newRow("captureButton") << QStringList() << popUpOf([](DrawletApp *w) -> SubToolbarAction * { return w->captureAction(); });
    QTest::newRow("selectObjectButton") << QStringList() << Check([](DrawletApp *w) { return dynamic_cast<SelectTool *>(activeTool(w)); });
    QTest::newRow("freehandButton") << QStringList{"textButton"} << toolOf("freehandButton");
    QTest::newRow("highlighterButton") << QStringList() << toolOf("highlighterButton");
    QTest::newRow("lineSpaheButton") << QStringList() << toolOf("lineSpaheButton");
    QTest::newRow("shapeButton") << QStringList() << Check([](DrawletApp *w) {
        auto *freehand = qobject_cast<ToolAction *>(toolButton(w, "freehandButton")->defaultAction());
        return w->shapePanel()->isVisible() && dynamic_cast<PainterTool *>(activeTool(w))
                && activeTool(w) != freehand->tool();
    });
    QTest::newRow("textButton") << QStringList() << Check([](DrawletApp *w) { return dynamic_cast<TextTool *>(activeTool(w)); });
    QTest::newRow("eraseButton") << QStringList() << Check([](DrawletApp *w) { return dynamic_cast<EraseTool *>(activeTool(w)); });
    QTest::newRow("lineStyleButton") << QStringList() << popUpOf([](DrawletApp *w) -> SubToolbarAction * { return w->lineStyleAction(); });
    QTest::newRow("colorButton") << QStringList() << popUpOf([](DrawletApp *w) -> SubToolbarAction * { return w->colorAction(); });
    QTest::newRow("clearAllButton") << QStringList() << Check([](DrawletApp *w) { return w->desktopScene()->items().isEmpty(); });
    // Not placed by the user: the screen goes back to where it was handed over from.
    QTest::newRow("closeButton") << QStringList() << Check([](DrawletApp *w) {
        return !w->isVisible() && !w->toolbarFrame()->isVisible()
                && fakePanel().shownAt() == QStringList{QStringLiteral("700,0")};
    });
}

void TestDrawletAppToolbar::eachButtonReachesItsTarget()
{
    using Check = ReachedCheck;
    QFETCH(QStringList, before);
    QFETCH(Check, reached);
    auto window = makeWindow();
    window->moveWindowLocationForLumideskHidedSlot(700, 0);
    drawStroke(window.get());
    QCOMPARE(window->desktopScene()->items().size(), 1);
    for (const QString &name : before)
        toolButton(window.get(), name)->click();
    // A modal dialog the button opens is given up, or gets a picture where the row says so.
    const QStringList tag = QString::fromLatin1(QTest::currentDataTag()).split(QLatin1Char(' '));
    QTemporaryDir folder;
    QString picture;
    if (tag.contains(QLatin1String("picture"))) {
        picture = folder.filePath(QStringLiteral("picture.png"));
        QImage image(120, 80, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        QVERIFY(image.save(picture));
    }
    ModalAnswer answer(picture);
    toolButton(window.get(), tag.first())->click();
    QVERIFY(reached(window.get()));
}

void TestDrawletAppToolbar::pickedStyleReachesTheTool_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("selection"); // the style is picked for the stroke already drawn
    QTest::addColumn<int>("alpha");
    QTest::addColumn<bool>("lines"); // the tool takes a width and a line style too

    QTest::newRow("pen") << "freehandButton" << false << 255 << true;
    // Half transparent whatever colour is picked.
    QTest::newRow("highlighter") << "highlighterButton" << false << 127 << true;
    QTest::newRow("line") << "lineSpaheButton" << false << 255 << true;
    QTest::newRow("shape") << "shapeButton" << false << 255 << false;
    QTest::newRow("text") << "textButton" << false << 255 << false;
    QTest::newRow("selection") << "selectObjectButton" << true << 255 << true;
}

// A colour chosen in the colour pop-up, and a width and a line style in the line pop-up, are what the
// next annotation, or the selected one, is drawn with.
void TestDrawletAppToolbar::pickedStyleReachesTheTool()
{
    QFETCH(QString, tool);
    QFETCH(bool, selection);
    QFETCH(int, alpha);
    QFETCH(bool, lines);
    auto window = makeWindow();
    window->moveWindowLocationForLumideskHidedSlot(400, 0);
    QWidget *viewport = window->editor()->viewport();
    drawStroke(window.get());
    const QList<QGraphicsItem *> before = window->desktopScene()->items();
    const QColor green = QColor::fromRgb(0x22B04C);
    QVERIFY(colourOf(before.first()).rgb() != green.rgb());

    toolButton(window.get(), tool)->click();
    if (selection) {
        DrawletMouse::press(viewport, {140, 120});
        DrawletMouse::release(viewport, {140, 120});
        QVERIFY(before.first()->isSelected());
    }
    QToolButton *colourButton = toolButton(window.get(), "colorButton");
    QVERIFY(colourButton->isEnabled());
    colourButton->click();
    QVERIFY(window->colorAction()->getSkin()->isVisible());
    window->colorAction()->getToolButton().at(2)->click();
    // The widest of the widths the tool itself offers, and the dashed line.
    int widest = 0;
    if (lines) {
        QToolButton *lineButton = toolButton(window.get(), "lineStyleButton");
        QVERIFY(lineButton->isEnabled());
        lineButton->click();
        LineWidthAndStyleAction *picker = window->lineStyleAction();
        QVERIFY(picker->getSkin()->isVisible());
        // A tool starts with the narrowest.
        widest = picker->getWidthConfig().rbegin()->first;
        QVERIFY(widest != picker->getWidthConfig().begin()->first);
        WidthToolButton *widestButton = picker->getWidthButton().back();
        QVERIFY(widestButton->isVisible());
        widestButton->click();
        QCOMPARE(picker->getCurrentWidth(), widest);
        picker->getLineStyleButton().at(1)->click();
    }

    QGraphicsItem *item = before.first();
    if (!selection) {
        if (tool == QLatin1String("textButton")) {
            DrawletMouse::press(viewport, {300, 300});
            DrawletMouse::release(viewport, {300, 300});
        } else {
            DrawletMouse::stroke(viewport, {{300, 300}, {340, 330}, {380, 380}});
        }
        QList<QGraphicsItem *> added = window->desktopScene()->items();
        for (QGraphicsItem *old : before)
            added.removeAll(old);
        QCOMPARE(added.size(), 1);
        item = added.first();
    }
    QCOMPARE(colourOf(item).rgb(), green.rgb());
    QCOMPARE(colourOf(item).alpha(), alpha);
    if (lines) {
        QCOMPARE(penOf(item).width(), widest);
        QCOMPARE(penOf(item).style(), Qt::DotLine);
    }
}

void TestDrawletAppToolbar::stylePickersFollowTheTool_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("lineStyle");
    QTest::addColumn<bool>("colour");

    // Leaving a tool switches the pickers the other way, so each row comes from a tool that leaves them
    // as the chosen one must not.
    QTest::newRow("pen") << "lineSpaheButton" << "freehandButton" << true << true;
    QTest::newRow("pen, chosen again") << "freehandButton" << "freehandButton" << true << true;
    QTest::newRow("highlighter") << "freehandButton" << "highlighterButton" << true << true;
    QTest::newRow("line") << "highlighterButton" << "lineSpaheButton" << true << true;
    QTest::newRow("selection") << "eraseButton" << "selectObjectButton" << false << false;
    QTest::newRow("shape") << "textButton" << "shapeButton" << false << true;
    QTest::newRow("text") << "shapeButton" << "textButton" << false << true;
    QTest::newRow("mouse mode") << "eraseButton" << "mouseModeButton" << false << false;
    QTest::newRow("eraser") << "selectObjectButton" << "eraseButton" << false << false;
}

void TestDrawletAppToolbar::stylePickersFollowTheTool()
{
    QFETCH(QString, from);
    QFETCH(QString, tool);
    QFETCH(bool, lineStyle);
    QFETCH(bool, colour);
    auto window = makeWindow();
    // The selection tool and the eraser need something to work on.
    drawStroke(window.get());
    toolButton(window.get(), from)->click();
    toolButton(window.get(), tool)->click();
    QCOMPARE(checkedTool(window.get()), tool);
    QCOMPARE(window->lineStyleAction()->isEnabled(), lineStyle);
    QCOMPARE(window->colorAction()->isEnabled(), colour);
}

void TestDrawletAppToolbar::eachToolHasItsCursor_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QPoint>("hotSpot"); // none: the arrow

    QTest::newRow("pen") << "freehandButton" << QPoint(10, 33);
    QTest::newRow("highlighter") << "highlighterButton" << QPoint(10, 33);
    QTest::newRow("line") << "lineSpaheButton" << QPoint(12, 32);
    QTest::newRow("text") << "textButton" << QPoint(22, 0);
    QTest::newRow("eraser") << "eraseButton" << QPoint(15, 33);
    QTest::newRow("selection") << "selectObjectButton" << QPoint(-1, -1);
}

void TestDrawletAppToolbar::eachToolHasItsCursor()
{
    QFETCH(QString, tool);
    QFETCH(QPoint, hotSpot);
    auto window = makeWindow();
    drawStroke(window.get());
    // From another tool, so the cursor is handed over anew.
    toolButton(window.get(), tool == QLatin1String("textButton") ? "lineSpaheButton" : "textButton")->click();
    toolButton(window.get(), tool)->click();
    const QCursor cursor = window->editor()->cursor();
    if (hotSpot.x() < 0) {
        QCOMPARE(cursor.shape(), Qt::ArrowCursor);
        return;
    }
    QCOMPARE(cursor.shape(), Qt::BitmapCursor);
    QCOMPARE(cursor.pixmap().size(), QSize(44, 44));
    QCOMPARE(cursor.hotSpot(), hotSpot);
}

void TestDrawletAppToolbar::popUpsCloseEachOther()
{
    auto window = makeWindow();
    window->moveWindowLocationForLumideskHidedSlot(700, 0);
    SkinDockWidget *linePopUp = window->lineStyleAction()->getSkin();
    SkinDockWidget *colorPopUp = window->colorAction()->getSkin();
    toolButton(window.get(), "colorButton")->click();
    QVERIFY(colorPopUp->isVisible());
    toolButton(window.get(), "shapeButton")->click();
    QVERIFY(window->shapePanel()->isVisible());
    QVERIFY(!colorPopUp->isVisible());
    // Another toolbar button closes the shape panel; the shape tool takes no widths.
    toolButton(window.get(), "freehandButton")->click();
    QVERIFY(!window->shapePanel()->isVisible());
    toolButton(window.get(), "lineStyleButton")->click();
    QVERIFY(linePopUp->isVisible());
    toolButton(window.get(), "colorButton")->click();
    QVERIFY(colorPopUp->isVisible());
    QVERIFY(!linePopUp->isVisible());
    // A press on the drawing closes every pop-up.
    DrawletMouse::press(window->editor()->viewport(), {300, 300});
    DrawletMouse::release(window->editor()->viewport(), {300, 300});
    QVERIFY(!colorPopUp->isVisible());
    // The style buttons are exclusive among themselves, apart from the tools.
    QButtonGroup *styles = toolButton(window.get(), "colorButton")->group();
    QVERIFY(styles && styles->exclusive());
    QCOMPARE(styles->buttons().size(), 2);
    QVERIFY(styles != toolButton(window.get(), "freehandButton")->group());
}

void TestDrawletAppToolbar::aClickLeavesOnlyItsOwnPopUpOpen_data()
{
    QTest::addColumn<QString>("button"); // none: a press on the drawing
    QTest::addColumn<QString>("staysOpen");

    QTest::newRow("colour") << "colorButton" << "colour";
    QTest::newRow("line style") << "lineStyleButton" << "line";
    QTest::newRow("shape") << "shapeButton" << "shape";
    QTest::newRow("capture") << "captureButton" << "capture";
    QTest::newRow("a tool") << "freehandButton" << QString();
    QTest::newRow("press on the drawing") << QString() << QString();
    QTest::newRow("the close button") << "closeButton" << QString();
    QTest::newRow("a drag of the frame") << "drag" << QString();
}

void TestDrawletAppToolbar::aClickLeavesOnlyItsOwnPopUpOpen()
{
    QFETCH(QString, button);
    QFETCH(QString, staysOpen);
    auto window = makeWindow();
    window->moveWindowLocationForLumideskHidedSlot(700, 0);
    const std::map<QString, QWidget *> popUps = {
        {QStringLiteral("colour"), window->colorAction()->getSkin()},
        {QStringLiteral("line"), window->lineStyleAction()->getSkin()},
        {QStringLiteral("shape"), window->shapePanel()},
        {QStringLiteral("capture"), window->captureAction()->getSkin()},
    };
    for (const auto &popUp : popUps)
        popUp.second->show();

    if (button.isEmpty()) {
        DrawletMouse::press(window->editor()->viewport(), {300, 300});
        DrawletMouse::release(window->editor()->viewport(), {300, 300});
    } else if (button == QLatin1String("drag")) {
        // Pressed on the move handle, as the pointer finds it: on whatever lies there inside the frame.
        MultiSkinDockWidget *frame = window->toolbarFrame();
        const QPoint handle = moveHandle(frame->location());
        QWidget *under = frame->childAt(handle);
        QWidget *target = under ? under : frame;
        const QPoint at = target->mapFrom(frame, handle);
        const QPoint start = frame->pos();
        DrawletMouse::press(target, at);
        DrawletMouse::move(target, at + QPoint(-30, 40));
        QCOMPARE(frame->pos(), start + QPoint(-30, 40));
        DrawletMouse::release(target, at + QPoint(-30, 40));
    } else {
        toolButton(window.get(), button)->click();
    }
    for (const auto &popUp : popUps)
        QVERIFY2(popUp.second->isVisible() == (popUp.first == staysOpen), qPrintable(popUp.first));
}

void TestDrawletAppToolbar::anEdgeLaysTheToolbarOut_data()
{
    // Where the main program's toolbar stood, as parts of the screen's width and height.
    QTest::addColumn<QList<QPointF>>("handOvers");
    QTest::addColumn<int>("edge");

    QTest::newRow("left") << QList<QPointF>{{0, 0.5}} << 2;
    QTest::newRow("right") << QList<QPointF>{{0.99, 0.5}} << 3;
    QTest::newRow("bottom") << QList<QPointF>{{0.5, 0.99}} << 1;
    QTest::newRow("left, then the top again") << QList<QPointF>{{0, 0.5}, {0.5, 0}} << 0;
}

void TestDrawletAppToolbar::anEdgeLaysTheToolbarOut()
{
    QFETCH(QList<QPointF>, handOvers);
    QFETCH(int, edge);
    auto window = makeWindow();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    for (const QPointF &part : handOvers) {
        window->moveWindowLocationForLumideskHidedSlot(int(screen.width() * part.x()),
                                                       int(screen.height() * part.y()));
    }
    QCOMPARE(window->toolbarFrame()->location(), edge);
    QCOMPARE(window->toolbar()->location(), edge);
    // The buttons run along the edge: the close button ends the row, or the column.
    const QPoint close = toolButton(window.get(), "closeButton")->pos();
    QCOMPARE(edge >= 2 ? close.y() : close.x(), 737);
    const QPoint freehand = toolButton(window.get(), "freehandButton")->pos();
    const QPoint mouse = toolButton(window.get(), "mouseModeButton")->pos();
    QVERIFY(edge >= 2 ? freehand.x() == mouse.x() && freehand.y() > mouse.y()
                      : freehand.y() == mouse.y() && freehand.x() > mouse.x());
}

void TestDrawletAppToolbar::selectEraseAndClearNeedAnnotations()
{
    auto window = makeWindow();
    QAction *select = toolButton(window.get(), "selectObjectButton")->defaultAction();
    QAction *erase = toolButton(window.get(), "eraseButton")->defaultAction();
    QAction *clearAll = toolButton(window.get(), "clearAllButton")->defaultAction();
    QVERIFY(!select->isEnabled() && !erase->isEnabled() && !clearAll->isEnabled());
    drawStroke(window.get());
    QVERIFY(select->isEnabled() && erase->isEnabled() && clearAll->isEnabled());
    clearAll->trigger();
    QVERIFY(!select->isEnabled() && !erase->isEnabled() && !clearAll->isEnabled());
    toolButton(window.get(), "undoButton")->click();
    QVERIFY(select->isEnabled() && erase->isEnabled() && clearAll->isEnabled());
    // With the selection tool the style pickers wait for a selection.
    toolButton(window.get(), "selectObjectButton")->click();
    QVERIFY(!window->colorAction()->isEnabled());
    QVERIFY(!window->lineStyleAction()->isEnabled());
    toolButton(window.get(), "textButton")->click();
    QVERIFY(window->colorAction()->isEnabled());
    QVERIFY(!window->lineStyleAction()->isEnabled());
}

void TestDrawletAppToolbar::frameCentredBelowTheTopPanel_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QString>("workArea"); // as a desktop announces it: x, y, width, height
    QTest::addColumn<QPoint>("frame");

    // The frame is 776 wide: half of 665 is 332.
    QTest::newRow("a top panel, an odd width") << "1441x900" << "0,27,1441,873" << QPoint(332, 27);
    QTest::newRow("a bottom panel only") << "1440x900" << "0,0,1440,860" << QPoint(332, 0);
}

// On an X display of its own, with the size and the work area of the row: the frame stands centred
// across the screen, just below a panel at the top.
void TestDrawletAppToolbar::frameCentredBelowTheTopPanel()
{
    QFETCH(QString, screen);
    QFETCH(QString, workArea);
    QFETCH(QPoint, frame);

    // The server keeps the work area after the client that set it has gone (-noreset), and picks a
    // free display itself.
    QProcess server;
    server.start(QStringLiteral("Xvfb"),
                 {"-displayfd", "1", "-noreset", "-screen", "0", screen + "x24", "-nolisten", "tcp"});
    QVERIFY2(server.waitForStarted(), qPrintable(server.errorString()));
    QByteArray number;
    QTRY_VERIFY_WITH_TIMEOUT((number += server.readAllStandardOutput()).endsWith('\n'), 20000);
    const QString display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    auto stop = qScopeGuard([&] {
        server.terminate();
        server.waitForFinished(10000);
    });
    QCOMPARE(QProcess::execute(QStringLiteral("xprop"), {"-display", display, "-root", "-f", "_NET_WORKAREA", "32c",
                                                          "-set", "_NET_WORKAREA", workArea}),
             0);

    QProcess probe;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DRAWLETAPP_FRAME_PROBE"), QStringLiteral("1"));
    probe.setProcessEnvironment(environment);
    probe.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    probe.start(QCoreApplication::applicationFilePath(), QStringList());
    QVERIFY(probe.waitForFinished(60000));
    QCOMPARE(probe.exitCode(), 0);
    const QString output = QString::fromLatin1(probe.readAllStandardOutput());
    const QStringList area = workArea.split(QLatin1Char(','));
    QVERIFY2(output.contains(QStringLiteral("available %1").arg(area.join(QLatin1Char(' ')))), qPrintable(output));
    QVERIFY2(output.contains(QStringLiteral("frame %1 %2 776 ").arg(frame.x()).arg(frame.y())), qPrintable(output));
}

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (qEnvironmentVariableIsSet("DRAWLETAPP_FRAME_PROBE"))
        return probeFrame();
    application.setAttribute(Qt::AA_Use96Dpi, true);
    TestDrawletAppToolbar test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_drawletapp_toolbar.moc"
