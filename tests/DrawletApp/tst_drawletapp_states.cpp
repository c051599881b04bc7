// The mode state machine of the overlay window: where each sequence of toolbar clicks ends (mode, tool,
// scene, click-through, full screen), and the trace the handlers write on the way.
#include "drawletappfixture.h"

#include "annotationeditor.h"
#include "annotationtoolbar.h"
#include "annotationscene.h"
#include "paintertool.h"
#include "toggledtransition.h"

#include <QAction>
#include <QButtonGroup>
#include <QSignalSpy>
#include <QState>
#include <QStateMachine>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

using drawlet::application::DrawletApp;
using drawlet::ui::getObjectNameOrClassinfo;

class TestDrawletAppStates : public QObject
{
    Q_OBJECT

private slots:
    void clicksLeadToModes_data();
    void clicksLeadToModes();
    void startUpTrace();
    void mouseModeTrace();
    void modeChangeTraces_data();
    void modeChangeTraces();
    void aToolWithoutActionOnlyWarns();
    void undoStaysOffInMouseMode();

private:
    // A widget as Qt's debug stream prints it.
    static QString printed(const QWidget *widget)
    {
        QString text;
        QDebug(&text).nospace() << widget;
        return text;
    }
    static QState *state(DrawletApp *window, const char *name)
    {
        return window->stateMachine()->findChild<QState *>(QLatin1String(name));
    }
};

void TestDrawletAppStates::clicksLeadToModes_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("tool");
    QTest::addColumn<bool>("whiteboardChecked");
    QTest::addColumn<bool>("clickThrough");

    const QString desktop = QStringLiteral("desktopAnnotationState");
    const QString mouse = QStringLiteral("mouseModeState");
    const QString whiteboard = QStringLiteral("whiteboardAnnotationState");
    const QString mouseButton = QStringLiteral("mouseModeButton");
    const QString whiteboardButton = QStringLiteral("whiteboardButton");
    QTest::newRow("start") << QStringList() << desktop << "freehandButton" << false << false;
    QTest::newRow("desktop: tool") << QStringList{"lineSpaheButton"} << desktop << "lineSpaheButton" << false << false;
    QTest::newRow("desktop: mouse") << QStringList{mouseButton} << mouse << mouseButton << false << true;
    QTest::newRow("mouse: mouse again") << QStringList{mouseButton, mouseButton} << mouse << mouseButton << false << true;
    QTest::newRow("mouse: text") << QStringList{mouseButton, "textButton"} << desktop << "textButton" << false << false;
    QTest::newRow("mouse: freehand") << QStringList{mouseButton, "freehandButton"} << desktop << "freehandButton" << false << false;
    QTest::newRow("mouse: whiteboard") << QStringList{mouseButton, whiteboardButton} << whiteboard << "freehandButton" << true << false;
    QTest::newRow("desktop: whiteboard") << QStringList{"textButton", whiteboardButton} << whiteboard << "freehandButton" << true << false;
    QTest::newRow("whiteboard: tool") << QStringList{whiteboardButton, "lineSpaheButton"} << whiteboard << "lineSpaheButton" << true << false;
    QTest::newRow("whiteboard: mouse") << QStringList{whiteboardButton, mouseButton} << mouse << mouseButton << false << true;
    QTest::newRow("whiteboard: whiteboard again") << QStringList{whiteboardButton, whiteboardButton} << mouse << mouseButton << false << true;
    QTest::newRow("back and forth") << QStringList{mouseButton, "eraseButton", mouseButton, "highlighterButton"} << desktop << "highlighterButton" << false << false;
}

void TestDrawletAppStates::clicksLeadToModes()
{
    QFETCH(QStringList, clicks);
    QFETCH(QString, mode);
    QFETCH(QString, tool);
    QFETCH(bool, whiteboardChecked);
    QFETCH(bool, clickThrough);

    auto window = makeWindow();
    for (const QString &name : clicks) {
        QToolButton *button = toolButton(window.get(), name);
        QVERIFY2(button, qPrintable(name));
        button->click();
    }
    QCOMPARE(activeModeState(window.get()), mode);
    QCOMPARE(checkedTool(window.get()), tool);
    // The tool the editor draws with is the checked one's, and only that action is checked.
    QButtonGroup *group = toolButton(window.get(), tool)->group();
    for (QAbstractButton *button : group->buttons())
        QCOMPARE(static_cast<QToolButton *>(button)->defaultAction()->isChecked(), button->objectName() == tool);
    const bool onWhiteboard = mode == QLatin1String("whiteboardAnnotationState");
    QCOMPARE(window->editor()->getActiveScene(), onWhiteboard ? window->whiteboardScene() : window->desktopScene());
    QCOMPARE(toolButton(window.get(), "whiteboardButton")->isChecked(), whiteboardChecked);
    QCOMPARE(window->windowFlags().testFlag(Qt::WindowTransparentForInput), clickThrough);
    QCOMPARE(window->isFullScreen(), onWhiteboard);
    QCOMPARE(toolButton(window.get(), "insertPictureButton")->isVisibleTo(window->toolbar()), onWhiteboard);
}

void TestDrawletAppStates::startUpTrace()
{
    MessageLog log;
    auto window = makeWindow();
    const QString init = getObjectNameOrClassinfo(state(window.get(), "initState"));
    const QString group = getObjectNameOrClassinfo(state(window.get(), "annotationGroupState"));
    const QString desktop = getObjectNameOrClassinfo(state(window.get(), "desktopAnnotationState"));
    QCOMPARE(log.textsOf(QStringLiteral("DrawletApp::")),
             (QStringList{
                     "signal of  " + init + "   was be triggered!! [1]",
                     "signal of  " + init + "  has be triggered!! [2] args: [1]active:  true",
                     "signal of  " + init + "  has be triggered!! [2] args: [1]active:  false",
                     "signal of  " + group + "   was be triggered!! ",
                     "signal of  " + desktop + "   has be triggered!! ",
             }));
    QVERIFY(toolButton(window.get(), "freehandButton")->isChecked());
}

void TestDrawletAppStates::mouseModeTrace()
{
    auto window = makeWindow();
    QSignalSpy annotationToggled(window.get(), &DrawletApp::annotationButtonToggled);
    MessageLog log;
    toolButton(window.get(), "mouseModeButton")->click();

    const QString groupText = getObjectNameOrClassinfo(toolButton(window.get(), "freehandButton")->group());
    const QString freehand = printed(toolButton(window.get(), "freehandButton"));
    const QString mouse = printed(toolButton(window.get(), "mouseModeButton"));
    const QString mouseState = getObjectNameOrClassinfo(state(window.get(), "mouseModeState"));
    QCOMPARE(log.textsOf(QStringLiteral("DrawletApp::")),
             (QStringList{
                     "signal of  " + groupText + "  was be triggered!!  args: [1]button:  " + freehand
                             + " ; [2]checked:  false",
                     "signal of  " + groupText + "  was be triggered!!  args: [1]button:  " + mouse
                             + " ; [2]checked:  true",
                     "signal annotationButtonToggled(bool) will be triggered!! args: [1]checked:  true",
                     "signal of  " + mouseState + "   has be triggered!! ",
             }));
    // Reported before the mouse-mode action's own toggle, so desktop annotation had no way out on it.
    QCOMPARE(annotationToggled.count(), 1);

    // Unchecking the whiteboard button leads to mouse mode; its trace names the action without a blank.
    toolButton(window.get(), "whiteboardButton")->click();
    log.clear();
    toolButton(window.get(), "whiteboardButton")->click();
    const QString whiteboardAction = getObjectNameOrClassinfo(window->findChild<QAction *>("whiteboardAction"));
    QCOMPARE(log.textsOf(QStringLiteral("onWhiteboardActionReleased")),
             QStringList{"signal of " + whiteboardAction + "   has be triggered!!  args: [1] toggled: false "
                         ". if(!toggled), this function will call mousemode button setChecked(true)."});
    QCOMPARE(activeModeState(window.get()), QStringLiteral("mouseModeState"));
}

void TestDrawletAppStates::modeChangeTraces_data()
{
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("click");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("sender"); // the state the trace names
    QTest::addColumn<QString>("trace");

    const QStringList mouse{QStringLiteral("mouseModeButton")};
    const QStringList whiteboard{QStringLiteral("whiteboardButton")};
    QTest::newRow("leaving mouse mode") << mouse << "whiteboardButton" << "exitedMouseMode" << "mouseModeState"
                                        << "signal of  %1  was be triggered!!";
    // Without the blank after "signal of".
    QTest::newRow("entering the whiteboard") << mouse << "whiteboardButton" << "enteredwhiteboardAnnotationMode"
                                             << "whiteboardAnnotationState" << "signal of %1   was be triggered!! ";
    QTest::newRow("leaving the whiteboard") << whiteboard << "mouseModeButton" << "exitedWhiteboardMode"
                                            << "whiteboardAnnotationState" << "signal of  %1  was be triggered!! ";
}

void TestDrawletAppStates::modeChangeTraces()
{
    QFETCH(QStringList, before);
    QFETCH(QString, click);
    QFETCH(QString, handler);
    QFETCH(QString, sender);
    QFETCH(QString, trace);
    auto window = makeWindow();
    for (const QString &name : before)
        toolButton(window.get(), name)->click();
    MessageLog log;
    toolButton(window.get(), click)->click();
    const QString printed = getObjectNameOrClassinfo(state(window.get(), sender.toLatin1().constData()));
    QCOMPARE(log.textsOf(QStringLiteral("DrawletApp::") + handler), QStringList{trace.arg(printed)});
}

// A button in the tool group that has no action of its own cannot switch modes: a warning, no signal.
void TestDrawletAppStates::aToolWithoutActionOnlyWarns()
{
    auto window = makeWindow();
    QToolButton bare;
    bare.setCheckable(true);
    toolButton(window.get(), "freehandButton")->group()->addButton(&bare);
    toolButton(window.get(), "mouseModeButton")->click();
    QSignalSpy annotationToggled(window.get(), &DrawletApp::annotationButtonToggled);
    MessageLog log;
    bare.click();
    QVERIFY(bare.isChecked());
    QVERIFY(log.contains(QtWarningMsg, QStringLiteral("There is not PaintAction here, the signal "
                                                      "annotationButtonToggled(bool) will not be triggered!! ")));
    QCOMPARE(annotationToggled.count(), 0);
    QCOMPARE(activeModeState(window.get()), QStringLiteral("mouseModeState"));
}

void TestDrawletAppStates::undoStaysOffInMouseMode()
{
    auto window = makeWindow();
    QAction *undo = window->findChild<QAction *>("undoAction");
    QAction *clearAll = window->findChild<QAction *>("clearAllAction");
    auto *item = window->desktopScene()->addRect(10, 10, 50, 50);
    Q_UNUSED(item)
    QVERIFY(!undo->isEnabled());

    // Clearing makes an undo step; in mouse mode it still cannot be undone from the toolbar.
    toolButton(window.get(), "mouseModeButton")->click();
    clearAll->trigger();
    QVERIFY(window->editor()->canUndo());
    QVERIFY(!undo->isEnabled());
    // Leaving mouse mode, undo follows the editor again.
    toolButton(window.get(), "freehandButton")->click();
    QVERIFY(undo->isEnabled());
}

QTEST_MAIN(TestDrawletAppStates)
#include "tst_drawletapp_states.moc"
