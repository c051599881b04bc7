// Mouse handling of the drag and resize detectors, the move button and frame, and the clickable label.
#include "clickablelabel.h"
#include "custdetectionframe.h"
#include "custdetectionlabel.h"
#include "custdetectionwidget.h"
#include "custommovebutton.h"
#include "custommoveframe.h"
#include "detectionwidget.h"

#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(QEvent::Type)

namespace {
// Mouse events with exact global positions (QTest's helpers derive them from the window position).
void sendMouse(QWidget *widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
               QPointF global)
{
    QMouseEvent event(type, QPointF(1, 1), QPointF(1, 1), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void press(QWidget *w, QPointF at, Qt::MouseButton button = Qt::LeftButton, Qt::MouseButtons held = {})
{
    sendMouse(w, QEvent::MouseButtonPress, button, held ? held : Qt::MouseButtons(button), at);
}

void move(QWidget *w, QPointF at, Qt::MouseButtons held = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseMove, Qt::NoButton, held, at);
}

void release(QWidget *w, QPointF at, Qt::MouseButton button = Qt::LeftButton)
{
    sendMouse(w, QEvent::MouseButtonRelease, button, Qt::NoButton, at);
}
}

class TestWidgetsMouse : public QObject
{
    Q_OBJECT

private slots:
    void detectionDragReportsMovementSincePress();
    void detectionIgnoresOtherButtons_data();
    void detectionIgnoresOtherButtons();
    void moveButtonReportsOnlyPlainLeftPresses_data();
    void moveButtonReportsOnlyPlainLeftPresses();
    void moveFrameForwardsEveryMove();
    void clickableLabelTakesAnyPress();
    void enterAndLeaveAreReported_data();
    void enterAndLeaveAreReported();
};

void TestWidgetsMouse::detectionDragReportsMovementSincePress()
{
    DetectionWidget widget;
    QSignalSpy clicked(&widget, &DetectionWidget::mouseLeftClicked);
    QSignalSpy drag(&widget, &DetectionWidget::mouseDragWidget);
    QSignalSpy released(&widget, &DetectionWidget::mouseLeftRelease);

    press(&widget, QPointF(100.4, 200.6));
    QCOMPARE(clicked.count(), 1);
    // Fractional (high-dpi) positions are rounded, so the drag offset is whole pixels from the press.
    move(&widget, QPointF(110.6, 195.2));
    move(&widget, QPointF(90.0, 221.0));
    QCOMPARE(drag.count(), 2);
    QCOMPARE(drag.at(0).at(0).toPoint(), QPoint(11, -6));
    QCOMPARE(drag.at(1).at(0).toPoint(), QPoint(-10, 20));

    release(&widget, QPointF(90, 221));
    QCOMPARE(released.count(), 1);
    move(&widget, QPointF(300, 300), Qt::NoButton);
    QCOMPARE(drag.count(), 2);
}

void TestWidgetsMouse::detectionIgnoresOtherButtons_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void TestWidgetsMouse::detectionIgnoresOtherButtons()
{
    QFETCH(int, button);
    DetectionWidget widget;
    QSignalSpy clicked(&widget, &DetectionWidget::mouseLeftClicked);
    QSignalSpy drag(&widget, &DetectionWidget::mouseDragWidget);
    QSignalSpy released(&widget, &DetectionWidget::mouseLeftRelease);

    press(&widget, QPointF(10, 10), Qt::MouseButton(button));
    move(&widget, QPointF(50, 50), Qt::MouseButton(button));
    release(&widget, QPointF(50, 50), Qt::MouseButton(button));
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(drag.count(), 0);
    QCOMPARE(released.count(), 0);

    // A drag that started with the left button is not ended by another button's release.
    press(&widget, QPointF(10, 10));
    release(&widget, QPointF(10, 10), Qt::MouseButton(button));
    move(&widget, QPointF(15, 10));
    QCOMPARE(drag.count(), 1);
    QCOMPARE(released.count(), 0);
}

void TestWidgetsMouse::moveButtonReportsOnlyPlainLeftPresses_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("held");
    QTest::addColumn<bool>("reported");
    QTest::newRow("left") << int(Qt::LeftButton) << int(Qt::LeftButton) << true;
    QTest::newRow("left with right held") << int(Qt::LeftButton) << int(Qt::LeftButton | Qt::RightButton) << false;
    QTest::newRow("right") << int(Qt::RightButton) << int(Qt::RightButton) << false;
}

void TestWidgetsMouse::moveButtonReportsOnlyPlainLeftPresses()
{
    QFETCH(int, button);
    QFETCH(int, held);
    QFETCH(bool, reported);

    CustomMoveButton moveButton;
    CustomMoveFrame frame;
    QSignalSpy buttonPress(&moveButton, &CustomMoveButton::buttonPress);
    QSignalSpy buttonRelease(&moveButton, &CustomMoveButton::buttonRelease);
    QSignalSpy clicked(&moveButton, &QToolButton::clicked);
    QSignalSpy framePress(&frame, &CustomMoveFrame::framePress);
    QSignalSpy frameRelease(&frame, &CustomMoveFrame::frameRelease);

    for (QWidget *widget : {static_cast<QWidget *>(&moveButton), static_cast<QWidget *>(&frame)}) {
        press(widget, QPointF(5, 5), Qt::MouseButton(button), Qt::MouseButtons(held));
        release(widget, QPointF(5, 5), Qt::MouseButton(button));
    }
    QCOMPARE(buttonPress.count(), reported ? 1 : 0);
    QCOMPARE(framePress.count(), reported ? 1 : 0);
    // The release is judged by the released button alone.
    const bool leftReleased = button == Qt::LeftButton;
    QCOMPARE(buttonRelease.count(), leftReleased ? 1 : 0);
    QCOMPARE(frameRelease.count(), leftReleased ? 1 : 0);
    // The window drags itself: the button must never act as a button.
    QCOMPARE(clicked.count(), 0);
    QVERIFY(!moveButton.isDown());
}

void TestWidgetsMouse::moveFrameForwardsEveryMove()
{
    CustomMoveFrame frame;
    // As in the camera window, which also follows the pointer while no button is held.
    frame.setMouseTracking(true);
    QSignalSpy moved(&frame, &CustomMoveFrame::frameMove);
    move(&frame, QPointF(1, 1), Qt::NoButton);
    move(&frame, QPointF(2, 2), Qt::LeftButton);
    QCOMPARE(moved.count(), 2);
}

void TestWidgetsMouse::clickableLabelTakesAnyPress()
{
    QWidget parent;
    auto *label = new ClickableLabel(&parent);
    QSignalSpy clicked(label, &ClickableLabel::clicked);

    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), QPointF(1, 1), button,
                          button, Qt::NoModifier);
        QApplication::sendEvent(label, &event);
        // Taken by the label, not passed on to the widget behind it.
        QVERIFY(event.isAccepted());
    }
    QCOMPARE(clicked.count(), 2);
}

void TestWidgetsMouse::enterAndLeaveAreReported_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("DetectionWidget") << "DetectionWidget";
    QTest::newRow("ClickableLabel") << "ClickableLabel";
    QTest::newRow("CustDetectionWidget") << "CustDetectionWidget";
    QTest::newRow("CustDetectionFrame") << "CustDetectionFrame";
    QTest::newRow("CustDetectionLabel") << "CustDetectionLabel";
    QTest::newRow("CustomMoveButton") << "CustomMoveButton";
}

void TestWidgetsMouse::enterAndLeaveAreReported()
{
    QFETCH(QString, kind);
    std::unique_ptr<QWidget> widget;
    const char *enterSignal = SIGNAL(mouseEnterWidget());
    const char *leaveSignal = SIGNAL(mouseLeaveWidget());
    if (kind == "DetectionWidget")
        widget.reset(new DetectionWidget);
    else if (kind == "ClickableLabel")
        widget.reset(new ClickableLabel);
    else if (kind == "CustDetectionWidget")
        widget.reset(new CustDetectionWidget);
    else if (kind == "CustDetectionFrame")
        widget.reset(new CustDetectionFrame);
    else if (kind == "CustDetectionLabel")
        widget.reset(new CustDetectionLabel);
    else {
        widget.reset(new CustomMoveButton);
        enterSignal = SIGNAL(buttonEnter(QEvent *));
        leaveSignal = SIGNAL(buttonLeave(QEvent *));
    }
    QSignalSpy entered(widget.get(), enterSignal);
    QSignalSpy left(widget.get(), leaveSignal);

    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(widget.get(), &enter);
    QCOMPARE(entered.count(), 1);
    QCOMPARE(left.count(), 0);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget.get(), &leave);
    QCOMPARE(left.count(), 1);
    QCOMPARE(entered.count(), 1);
}

QTEST_MAIN(TestWidgetsMouse)
#include "tst_widgets_mouse.moc"
