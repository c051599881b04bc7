#include "captureaction.h"
#include "colorstyleaction.h"
#include "customfontcombobox.h"
#include "dockscreen.h"
#include "qorvcolordialog.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "skintoolbutton.h"
#include "styletoolbarhelper.h"
#include "toggledtransition.h"

#include <QAction>
#include <QApplication>
#include <QFinalState>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QState>
#include <QStateMachine>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace drawlet::ui;

class TestDrawletSubToolbar : public QObject
{
    Q_OBJECT

private slots:
    void styleSheetOfAnImageBase();
    void edgeNames_data();
    void edgeNames();
    void setToolButtonWithoutAction();
    void removeAllButtonKeepsTheButtons();
    void popUpOpensOnItsOwnerAndClosesForOthers();
    void ownerButtonsFollowTheEdge();
    void toggledTransitionFiresOnTheWantedValue();
    void objectNamesForTheTrace();
    void skinToolButtonChecking();
    void fontBoxReportsItsListClosing();
    void colourDialogCentresOnTheScreen_data();
    void colourDialogCentresOnTheScreen();
};

void TestDrawletSubToolbar::styleSheetOfAnImageBase()
{
    const QString base = QStringLiteral(":/resource/button/btn_line-style_small");
    QCOMPARE(StyleToolbarHelper::getStyleSheetString(base),
             QStringLiteral("QToolButton{border-image: url(:/resource/button/btn_line-style_small_normal.png);}"
                            "QToolButton:hover{border-image: url(:/resource/button/btn_line-style_small_pressed.png);}"
                            "QToolButton:disabled{border-image: url(:/resource/button/btn_line-style_small_disabled.png);}"
                            "QToolButton:checked{border-image: url(:/resource/button/btn_line-style_small_selected.png);}"
                            "QToolButton:pressed{border-image: url(:/resource/button/btn_line-style_small_pressed.png);}"));
}

void TestDrawletSubToolbar::edgeNames_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << "top";
    QTest::newRow("1") << 1 << "bottom";
    QTest::newRow("2") << 2 << "left";
    QTest::newRow("3") << 3 << "right";
    QTest::newRow("7") << 7 << "top";
    QTest::newRow("-1") << -1 << "top";
}

void TestDrawletSubToolbar::edgeNames()
{
    QFETCH(int, edge);
    QFETCH(QString, name);
    QCOMPARE(StyleToolbarHelper::toolBarLoactionToString(edge), name);
}

void TestDrawletSubToolbar::setToolButtonWithoutAction()
{
    QToolButton button;
    StyleToolbarHelper::setToolButton(&button, QStringLiteral("plain"), QStringLiteral(":/x"), false);
    QCOMPARE(button.objectName(), QStringLiteral("plain"));
    QCOMPARE(button.size(), QSize(44, 44));
    QCOMPARE(button.maximumSize(), QSize(44, 44));
    QCOMPARE(button.styleSheet(), StyleToolbarHelper::getStyleSheetString(QStringLiteral(":/x")));

    auto *action = new QAction(&button);
    QToolButton *made = StyleToolbarHelper::createToolButton(action, QStringLiteral("named"), QStringLiteral(":/y"), true);
    QCOMPARE(made->defaultAction(), action);
    QCOMPARE(action->objectName(), QStringLiteral("named"));
    QVERIFY(action->isCheckable());
    QVERIFY(!made->parent());
    delete made;
}

void TestDrawletSubToolbar::removeAllButtonKeepsTheButtons()
{
    StyleToolbarHelper helper(QStringLiteral(":/resource/skin/bg_Line-width.png"), nullptr, nullptr);
    QList<QPointer<QToolButton>> buttons;
    for (int i = 0; i < 7; ++i) {
        auto *button = new QToolButton;
        buttons << button;
        helper.addWidget(button);
        if (i == 2)
            helper.setSeparator();
    }
    QCOMPARE(helper.layout()->count(), 8);
    QVERIFY(helper.separator()->isVisibleTo(helper.contentWidget()));
    helper.removeAllButton();
    QCOMPARE(helper.layout()->count(), 0);
    QVERIFY(!helper.separator()->isVisibleTo(helper.contentWidget()));
    for (const QPointer<QToolButton> &button : buttons) {
        QVERIFY(button);
        QCOMPARE(button->parentWidget(), helper.contentWidget());
    }
    QCOMPARE(helper.separator()->size(), QSize(1, 25));
    QCOMPARE(helper.getSkin()->widget(), helper.contentWidget());
}

void TestDrawletSubToolbar::popUpOpensOnItsOwnerAndClosesForOthers()
{
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    colours.setObjectName(QStringLiteral("colorAction"));
    SkinDockWidget *popUp = colours.getSkin();
    QVERIFY(!popUp->isVisible());
    owner.click();
    QVERIFY(popUp->isVisible());

    QSignalSpy hide(&colours, &SubToolbarAction::hide);
    colours.setHideByToolbuttonObjectName(QStringLiteral("colorAction"));
    QCOMPARE(hide.size(), 0);
    QVERIFY(popUp->isVisible());
    colours.setHideByToolbuttonObjectName(QStringLiteral("lineStyleAction"));
    QCOMPARE(hide.size(), 1);
    QVERIFY(!popUp->isVisible());

    emit colours.updateButtonLocation(3);
    QCOMPARE(popUp->location(), 3);
}

void TestDrawletSubToolbar::ownerButtonsFollowTheEdge()
{
    QToolButton owner;
    CaptureAction capture(QStringLiteral(":/resource/skin/bg_capture.png"), nullptr, &owner, nullptr);
    capture.changeToolbuttonStyleSheet(1);
    QCOMPARE(owner.styleSheet(),
             StyleToolbarHelper::getStyleSheetString(QStringLiteral(":/resource/button/btn_screen-capture_bottom")));
    const QList<QToolButton *> buttons = capture.getCaptureButtons();
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(buttons.at(0)->objectName(), QStringLiteral("FullScreen"));
    QCOMPARE(buttons.at(2)->defaultAction()->toolTip(), QStringLiteral("AreaScreen"));
    QVERIFY(!buttons.at(1)->defaultAction()->isCheckable());
    QVERIFY(buttons.at(1)->styleSheet().contains(
            QStringLiteral("url(:/resource/button/btn_screen-capture-_windows_normal.png)")));
}

void TestDrawletSubToolbar::toggledTransitionFiresOnTheWantedValue()
{
    QAction action;
    action.setCheckable(true);
    QStateMachine machine;
    auto *off = new QState(&machine);
    auto *on = new QState(&machine);
    auto *toOn = new ToggledTransition(&action, SIGNAL(toggled(bool)), off);
    toOn->setTargetState(on);
    auto *toOff = new ToggledTransition(&action, SIGNAL(toggled(bool)), on);
    toOff->setToggled(false);
    toOff->setTargetState(off);
    machine.setInitialState(off);
    machine.start();
    QTRY_VERIFY(machine.configuration().contains(off));

    // A running machine takes a transition during the emit, so each check right after it is final.
    emit action.toggled(false);
    QVERIFY(machine.configuration().contains(off));
    emit action.toggled(true);
    QVERIFY(machine.configuration().contains(on));
    emit action.toggled(true);
    QVERIFY(machine.configuration().contains(on));
    emit action.toggled(false);
    QVERIFY(machine.configuration().contains(off));
}

void TestDrawletSubToolbar::objectNamesForTheTrace()
{
    QCOMPARE(getObjectNameOrClassinfo(nullptr), QStringLiteral("BadAllocated Object"));
    QObject named;
    named.setObjectName(QStringLiteral("whiteboardAction"));
    const QString text = getObjectNameOrClassinfo(&named);
    QVERIFY(text.startsWith(QStringLiteral("QObject(0x")));
    QVERIFY(text.contains(QStringLiteral("whiteboardAction")));
}

void TestDrawletSubToolbar::skinToolButtonChecking()
{
    skinToolButton button;
    button.resize(44, 44);
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(button.isChecked());
    // A press on a checked button unchecks it at once; the click that follows does not check it.
    QTest::mousePress(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!button.isChecked());
    QTest::mouseRelease(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(!button.isChecked());
    QCOMPARE(button.paintState(), int(skinToolButton::MouseOver));
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(10, 10));
    QVERIFY(button.isChecked());
}

void TestDrawletSubToolbar::fontBoxReportsItsListClosing()
{
    CustomFontComboBox box;
    box.show();
    QSignalSpy closed(&box, &CustomFontComboBox::popupHided);
    box.showPopup();
    box.hidePopup();
    QCOMPARE(closed.size(), 1);
}

void TestDrawletSubToolbar::colourDialogCentresOnTheScreen_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QPointF>("centre");

    QTest::newRow("at the origin") << QRect(0, 0, 1440, 900) << QRect(0, 0, 1440, 900) << QPointF(720, 450);
    QTest::newRow("right of another screen")
        << QRect(1920, 0, 1280, 1024) << QRect(1920, 0, 1280, 1024) << QPointF(2560, 512);
    // The whole screen counts, not what its panels leave.
    QTest::newRow("a top panel") << QRect(0, 0, 1440, 900) << QRect(0, 100, 1440, 800) << QPointF(720, 450);
    QTest::newRow("odd sizes") << QRect(0, 0, 1441, 901) << QRect(0, 0, 1441, 901) << QPointF(720.5, 450.5);
}

void TestDrawletSubToolbar::colourDialogCentresOnTheScreen()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, available);
    QFETCH(QPointF, centre);
    DockScreen::setOverride(screen, available);
    QRect opened;
    QRect frame;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        opened = dialog->geometry();
        frame = dialog->frameGeometry();
        dialog->reject();
    });
    QorvColorDialog dialog(QColor(Qt::red), nullptr);
    DockScreen::clearOverride();
    QVERIFY(!dialog.selectedColor().isValid());
    QVERIFY(opened.isValid());
    // The window frame is not known before the dialog shows, so the dialog may stand off the centre
    // by as much as its frame adds; halving a size may round by one pixel more.
    const QPointF middle(opened.x() + opened.width() / 2.0, opened.y() + opened.height() / 2.0);
    const qreal slack = 1 + qMax(frame.width() - opened.width(), frame.height() - opened.height());
    QVERIFY2(qAbs(middle.x() - centre.x()) <= slack && qAbs(middle.y() - centre.y()) <= slack,
             qPrintable(QStringLiteral("%1,%2").arg(middle.x()).arg(middle.y())));
}

QTEST_MAIN(TestDrawletSubToolbar)
#include "tst_drawlet_subtoolbar.moc"
