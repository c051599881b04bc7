#include "dockscreen.h"
#include "multiskindockwidget.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

using drawlet::ui::DockScreen;
using drawlet::ui::MultiSkinDockWidget;
using drawlet::ui::SkinDockWidget;
using drawlet::ui::StyleToolbarHelper;

namespace {

const QRect FullHd(0, 0, 1920, 1080);

void sendMouse(QWidget *widget, QEvent::Type type, const QPoint &local, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, local, widget->mapToGlobal(local), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

MultiSkinDockWidget *makeFrame()
{
    auto *frame = new MultiSkinDockWidget(QStringLiteral(":/resource/skin/bg_topbar_left.png"),
                                          QStringLiteral(":/resource/skin/bg_topbar_center.png"),
                                          QStringLiteral(":/resource/skin/bg_topbar_right.png"), nullptr);
    frame->setMoveButton(QStringLiteral(":/resource/button/btn_move"));
    return frame;
}

// Docks the frame as the annotation program does when the main program hands the screen over.
void dockAt(MultiSkinDockWidget *frame, const QPoint &topLeft)
{
    frame->setRedrawWindowPoint(true, topLeft);
    frame->redrawMoveWindowToAttach(topLeft);
}

} // namespace

class TestDrawletDock : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void edgeChoice_data();
    void edgeChoice();
    void snapKeepsClearOfThePanels_data();
    void snapKeepsClearOfThePanels();
    void onlyAPressOnTheHandleDrags();
    void popUpOpensBesideItsOwner_data();
    void popUpOpensBesideItsOwner();
    void popUpHidesForOtherButtons();
    void ownerButtonSkin();
    void contentStartsAtTheCorner();
    void reskinsOnlyOnANewEdge();
    void narrowAnimationEndsAtItsLengths();
    void whiteboardLengthensAVerticalFrameDownwards();
    void releaseWhileNarrowDoesNotDock();
    void panelChangeReattaches();
};

void TestDrawletDock::cleanup()
{
    DockScreen::clearOverride();
}

void TestDrawletDock::edgeChoice_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("edge");

    // 1000 x 800: left fifth below x 200, right fifth above x 800, the halves split at y 400.
    const QRect screen(0, 0, 1000, 800);
    QTest::newRow("left fifth, top") << screen << QPoint(199, 0) << 2;
    QTest::newRow("10% of the width, low") << screen << QPoint(100, 790) << 2;
    QTest::newRow("at the left limit: middle band") << screen << QPoint(200, 10) << 0;
    QTest::newRow("half height counts as top") << screen << QPoint(500, 400) << 0;
    QTest::newRow("50% / 60%: bottom") << screen << QPoint(500, 480) << 1;
    QTest::newRow("at the right limit: middle band") << screen << QPoint(800, 700) << 1;
    QTest::newRow("right fifth") << screen << QPoint(801, 10) << 3;
    // A primary screen that does not start at the origin: limits count from its own corner.
    QTest::newRow("offset screen, left") << QRect(1000, 0, 1000, 800) << QPoint(1100, 10) << 2;
    QTest::newRow("offset screen, top") << QRect(1000, 0, 1000, 800) << QPoint(1500, 10) << 0;
}

void TestDrawletDock::edgeChoice()
{
    QFETCH(QRect, screen);
    QFETCH(QPoint, point);
    QFETCH(int, edge);
    DockScreen::setOverride(screen, screen);
    SkinDockWidget panel(QString(), nullptr, true, nullptr);
    QCOMPARE(panel.checkDockWidgetPosition(point), edge);
    QCOMPARE(panel.location(), edge);
}

void TestDrawletDock::snapKeepsClearOfThePanels_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<bool>("whiteboard");
    QTest::addColumn<QPoint>("drop");
    QTest::addColumn<QPoint>("docked");

    QTest::newRow("bottom, above the bottom panel") << QRect(0, 0, 1920, 1040) << false << QPoint(500, 900)
                                                    << QPoint(500, 1080 - 56 - 40);
    QTest::newRow("bottom on the whiteboard: at the screen's bottom")
            << QRect(0, 0, 1920, 1040) << true << QPoint(500, 900) << QPoint(500, 1024);
    QTest::newRow("top, below the top panel") << QRect(0, 27, 1920, 1053) << false << QPoint(600, 100)
                                              << QPoint(600, 27);
    QTest::newRow("top on the whiteboard: over the panel") << QRect(0, 27, 1920, 1053) << true << QPoint(600, 100)
                                                          << QPoint(600, 0);
    QTest::newRow("sticking out on the right: pulled back") << FullHd << false << QPoint(1500, 10)
                                                           << QPoint(1920 - 776, 0);
    QTest::newRow("left, beside the left panel") << QRect(64, 0, 1856, 1080) << false << QPoint(100, 120)
                                                 << QPoint(64, 120);
    QTest::newRow("left, too low: to the top of the edge") << QRect(64, 27, 1856, 1053) << false
                                                          << QPoint(100, 400) << QPoint(64, 27);
    QTest::newRow("right, beside the right panel") << QRect(0, 0, 1870, 1080) << false << QPoint(1800, 200)
                                                   << QPoint(1920 - 56 - 50, 200);
}

void TestDrawletDock::snapKeepsClearOfThePanels()
{
    QFETCH(QRect, available);
    QFETCH(bool, whiteboard);
    QFETCH(QPoint, drop);
    QFETCH(QPoint, docked);
    DockScreen::setOverride(FullHd, available);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    if (whiteboard)
        frame->enteredWhiteboardAnnotationStateSlot();
    dockAt(frame.data(), drop);
    QCOMPARE(frame->pos(), docked);
}

void TestDrawletDock::onlyAPressOnTheHandleDrags()
{
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    dockAt(frame.data(), QPoint(500, 0));
    frame->show();
    QSignalSpy dragged(frame.data(), &SkinDockWidget::updateMouseMove);

    sendMouse(frame.data(), QEvent::MouseButtonPress, QPoint(20, 20), Qt::LeftButton);
    QVERIFY(!frame->isAttachPending());
    sendMouse(frame.data(), QEvent::MouseMove, QPoint(200, 300), Qt::LeftButton);
    QCOMPARE(frame->pos(), QPoint(500, 0));
    QCOMPARE(dragged.size(), 0);
    sendMouse(frame.data(), QEvent::MouseButtonRelease, QPoint(200, 300), Qt::NoButton);

    // On the handle (top edge: x 50..60, y 10..37) the frame follows the pointer.
    sendMouse(frame.data(), QEvent::MouseButtonPress, QPoint(55, 20), Qt::LeftButton);
    QVERIFY(frame->isAttachPending());
    sendMouse(frame.data(), QEvent::MouseMove, QPoint(155, 320), Qt::LeftButton);
    QCOMPARE(frame->pos(), QPoint(600, 300));
    QCOMPARE(dragged.size(), 1);
}

void TestDrawletDock::popUpOpensBesideItsOwner_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<QPoint>("owner");
    QTest::addColumn<QPoint>("expected");

    // A 322 x 58 pop-up for an owner button at the given global place.
    QTest::newRow("top") << 0 << QPoint(300, 200) << QPoint(300, 200 + 58 - 4);
    QTest::newRow("top, near the right edge") << 0 << QPoint(1700, 0) << QPoint(1920 - 322, 54);
    QTest::newRow("bottom") << 1 << QPoint(300, 1000) << QPoint(300, 1000 - 58 - 8);
    QTest::newRow("left") << 2 << QPoint(10, 400) << QPoint(10 + 58 - 5, 400);
    QTest::newRow("right") << 3 << QPoint(1870, 400) << QPoint(1870 - 322 - 9, 400);
    QTest::newRow("unknown edge: stays") << 7 << QPoint(300, 200) << QPoint(11, 22);
}

void TestDrawletDock::popUpOpensBesideItsOwner()
{
    QFETCH(int, edge);
    QFETCH(QPoint, owner);
    QFETCH(QPoint, expected);
    DockScreen::setOverride(FullHd, FullHd);
    QWidget toolbar;
    toolbar.setGeometry(QRect(owner - QPoint(100, 0), QSize(400, 50)));
    auto *button = new QToolButton(&toolbar);
    button->setGeometry(100, 0, 44, 44);
    SkinDockWidget popUp(QStringLiteral(":/resource/skin/bg_color.png"), button, &toolbar);
    QCOMPARE(popUp.size(), QSize(322, 58));
    popUp.move(11, 22);
    popUp.changeLocationSlot(edge);
    popUp.show();
    QCOMPARE(popUp.pos(), expected);
}

void TestDrawletDock::popUpHidesForOtherButtons()
{
    QToolButton owner;
    auto *action = new QAction(&owner);
    action->setObjectName(QStringLiteral("colorAction"));
    owner.setDefaultAction(action);
    SkinDockWidget popUp(QStringLiteral(":/resource/skin/bg_color.png"), &owner, nullptr);
    popUp.show();
    popUp.setHideByToolbuttonObjectName(QStringLiteral("colorAction"));
    QVERIFY(popUp.isVisible());
    popUp.setHideByToolbuttonObjectName(QStringLiteral("lineStyleAction"));
    QVERIFY(!popUp.isVisible());

    // A frame has no owner: it never hides this way.
    SkinDockWidget frame(QString(), nullptr, true, nullptr);
    frame.show();
    frame.setHideByToolbuttonObjectName(QStringLiteral("anything"));
    QVERIFY(frame.isVisible());
}

void TestDrawletDock::ownerButtonSkin()
{
    QToolButton owner;
    SkinDockWidget popUp(QStringLiteral(":/resource/skin/bg_shape.png"), &owner, nullptr);
    popUp.changeButtonSkin(QStringLiteral("btn_shape_circle_left"));
    QCOMPARE(owner.styleSheet(), StyleToolbarHelper::getStyleSheetString(
                                         QStringLiteral(":/resource/button/btn_shape_circle_left")));
    QVERIFY(owner.styleSheet().startsWith(
            QStringLiteral("QToolButton{border-image: url(:/resource/button/btn_shape_circle_left_normal.png);}")));
}

void TestDrawletDock::contentStartsAtTheCorner()
{
    // On X11 a floating dock widget draws a title bar of its own unless it is told not to.
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    auto *content = new QWidget;
    frame->setWidget(content);
    dockAt(frame.data(), QPoint(500, 0));
    frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(frame.data()));
    QCOMPARE(content->geometry(), QRect(QPoint(0, 0), frame->size()));

    // The window is cut to its skin: the rounded corners below are not part of it.
    QVERIFY(frame->mask().contains(QPoint(300, 10)));
    QVERIFY(!frame->mask().contains(QPoint(0, 51)));
    QVERIFY(!frame->mask().contains(QPoint(300, 54)));
}

void TestDrawletDock::reskinsOnlyOnANewEdge()
{
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    QSignalSpy edges(frame.data(), &SkinDockWidget::updateButtonLocation);
    dockAt(frame.data(), QPoint(500, 0));
    dockAt(frame.data(), QPoint(700, 10));
    QCOMPARE(edges.size(), 1);
    QCOMPARE(frame->size(), QSize(776, 56));

    frame->setNarowMode(false);
    dockAt(frame.data(), QPoint(700, 10));
    QCOMPARE(edges.size(), 2);

    dockAt(frame.data(), QPoint(10, 100));
    QCOMPARE(edges.size(), 3);
    QCOMPARE(edges.last().at(0).toInt(), 2);
    QCOMPARE(frame->size(), QSize(56, 776));
}

void TestDrawletDock::narrowAnimationEndsAtItsLengths()
{
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    dockAt(frame.data(), QPoint(500, 0));
    QSignalSpy shrunk(frame.data(), &MultiSkinDockWidget::setMainToolBarShrink);

    // The ticks are run by hand: the 1 ms timer needs the event loop, which is not entered here.
    frame->setScalingWindow();
    int smallest = frame->width();
    for (int tick = 0; tick < 200 && frame->isScaling(); ++tick) {
        frame->dlgMoveTimerUpdate();
        smallest = std::min(smallest, frame->width());
    }
    QVERIFY(frame->isNarrowMode());
    QCOMPARE(frame->width(), 77);
    QCOMPARE(smallest, 77);
    QCOMPARE(frame->capOffset(), 31);
    QCOMPARE(shrunk.size(), 1);
    QCOMPARE(shrunk.at(0).at(0).toBool(), true);

    frame->setScalingWindow();
    for (int tick = 0; tick < 200 && frame->isScaling(); ++tick)
        frame->dlgMoveTimerUpdate();
    QVERIFY(!frame->isNarrowMode());
    QCOMPARE(frame->width(), 776);
    QCOMPARE(shrunk.size(), 2);
    QCOMPARE(shrunk.at(1).at(0).toBool(), false);
    QCOMPARE(frame->x(), 500);
}

void TestDrawletDock::whiteboardLengthensAVerticalFrameDownwards()
{
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    dockAt(frame.data(), QPoint(5, 150));
    QCOMPARE(frame->geometry(), QRect(0, 150, 56, 776));
    frame->enteredWhiteboardAnnotationStateSlot();
    QCOMPARE(frame->geometry(), QRect(0, 150, 56, 820));
    frame->exitedWhiteboardAnnotationStateSlot();
    QCOMPARE(frame->geometry(), QRect(0, 150, 56, 776));
}

void TestDrawletDock::releaseWhileNarrowDoesNotDock()
{
    DockScreen::setOverride(FullHd, FullHd);
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    dockAt(frame.data(), QPoint(500, 0));
    frame->show();
    frame->setNarowMode(true);
    QSignalSpy released(frame.data(), &MultiSkinDockWidget::mouseReleased);
    QSignalSpy edges(frame.data(), &SkinDockWidget::updateButtonLocation);
    sendMouse(frame.data(), QEvent::MouseButtonPress, QPoint(55, 20), Qt::LeftButton);
    sendMouse(frame.data(), QEvent::MouseMove, QPoint(55, 700), Qt::LeftButton);
    const QPoint dropped = frame->pos();
    sendMouse(frame.data(), QEvent::MouseButtonRelease, QPoint(55, 700), Qt::NoButton);
    QCOMPARE(released.size(), 1);
    QCOMPARE(edges.size(), 0);
    QCOMPARE(frame->pos(), dropped);

    // Wide again, the same drop docks it to the bottom edge.
    frame->setNarowMode(false);
    sendMouse(frame.data(), QEvent::MouseButtonPress, QPoint(55, 20), Qt::LeftButton);
    sendMouse(frame.data(), QEvent::MouseMove, QPoint(55, 700), Qt::LeftButton);
    sendMouse(frame.data(), QEvent::MouseButtonRelease, QPoint(55, 700), Qt::NoButton);
    QCOMPARE(edges.size(), 1);
    QCOMPARE(edges.at(0).at(0).toInt(), 1);
    QCOMPARE(frame->y(), 1080 - 56);
}

void TestDrawletDock::panelChangeReattaches()
{
    DockScreen::setOverride(FullHd, QRect(0, 0, 1920, 1040));
    QScopedPointer<MultiSkinDockWidget> frame(makeFrame());
    dockAt(frame.data(), QPoint(640, 900));
    QCOMPARE(frame->pos(), QPoint(640, 984));

    // The watch notices nothing while the panels stay.
    frame->detectTaskBarTimerUpdate();
    QCOMPARE(frame->pos(), QPoint(640, 984));

    // A taller bottom panel: the frame moves up, keeping its place along the edge.
    DockScreen::setOverride(FullHd, QRect(0, 0, 1920, 1000));
    frame->detectTaskBarTimerUpdate();
    QCOMPARE(frame->pos(), QPoint(640, 1080 - 56 - 80));
    QCOMPARE(frame->taskBarTimer()->interval(), 300);
}

QTEST_MAIN(TestDrawletDock)
#include "tst_drawlet_dock.moc"
