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

#include <QApplication>
#include <QButtonGroup>
#include <QDialog>
#include <QScreen>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <map>

using drawlet::application::DrawletApp;
using namespace drawlet::ui;

using ReachedCheck = std::function<bool(DrawletApp *)>;
Q_DECLARE_METATYPE(ReachedCheck)

class TestDrawletAppToolbar : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
    void eachButtonReachesItsTarget_data();
    void eachButtonReachesItsTarget();
    void popUpsCloseEachOther();
    void aClickLeavesOnlyItsOwnPopUpOpen_data();
    void aClickLeavesOnlyItsOwnPopUpOpen();
    void selectEraseAndClearNeedAnnotations();
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
    QTest::newRow("closeButton") << QStringList() << Check([](DrawletApp *w) {
        const QPoint at = w->toolbarFrame()->pos();
        return !w->isVisible() && !w->toolbarFrame()->isVisible()
                && fakePanel().shownAt() == QStringList{QStringLiteral("%1,%2").arg(at.x()).arg(at.y())};
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
    // A modal dialog the button opens is given up.
    QTimer::singleShot(200, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            static_cast<QDialog *>(modal)->reject();
    });
    toolButton(window.get(), QTest::currentDataTag())->click();
    QVERIFY(reached(window.get()));
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
    } else {
        toolButton(window.get(), button)->click();
    }
    for (const auto &popUp : popUps)
        QVERIFY2(popUp.second->isVisible() == (popUp.first == staysOpen), qPrintable(popUp.first));
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

void TestDrawletAppToolbar::frameCentredBelowTheTopPanel()
{
    auto window = makeWindow();
    MultiSkinDockWidget *frame = window->toolbarFrame();
    QCOMPARE(frame->x(), (QGuiApplication::primaryScreen()->geometry().width() - frame->width()) / 2);
    QCOMPARE(frame->y(), frame->statusBarRect().height());
    QVERIFY(!frame->isVisible());
    QVERIFY(!window->isVisible());
}

QTEST_MAIN(TestDrawletAppToolbar)
#include "tst_drawletapp_toolbar.moc"
