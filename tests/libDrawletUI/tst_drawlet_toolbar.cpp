#include "annotationtoolbar.h"
#include "styletoolbarhelper.h"

#include <QAction>
#include <QLabel>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>

#include <memory>

using drawlet::ui::AnnotationToolbar;
using drawlet::ui::StyleToolbarHelper;

namespace {

// The toolbar as the annotation program fills it: sixteen flowed 44-pixel buttons (the third one,
// "insert picture", hidden outside the whiteboard), the shrink and close buttons at fixed places.
struct ToolbarFixture
{
    explicit ToolbarFixture(bool withFrameButtons = true)
    {
        frame.resize(776, 56);
        // Put into its frame as a dock widget takes its content: a child, no longer a tool window.
        toolbar = new AnnotationToolbar(nullptr);
        toolbar->setParent(&frame, toolbar->windowFlags() & ~Qt::WindowType_Mask);
        std::vector<QToolButton *> flowed;
        for (int i = 0; i < 16; ++i) {
            auto *button = new QToolButton;
            button->setFixedSize(44, 44);
            button->setObjectName(QStringLiteral("b%1").arg(i));
            auto *action = new QAction(button);
            action->setObjectName(QStringLiteral("a%1").arg(i));
            button->setDefaultAction(action);
            flowed.push_back(button);
            buttons.append(button);
        }
        buttons.at(2)->hide();
        if (withFrameButtons) {
            shrink = new QToolButton;
            shrink->setObjectName(QStringLiteral("shrinkButton"));
            shrink->setFixedSize(35, 37);
            auto *shrinkAction = new QAction(shrink);
            shrinkAction->setObjectName(QStringLiteral("shrinkAction"));
            shrinkAction->setData(QStringLiteral(":/resource/button/btn_shrink"));
            shrink->setDefaultAction(shrinkAction);
            close = new QToolButton;
            close->setObjectName(QStringLiteral("closeButton"));
            close->setFixedSize(35, 37);
            toolbar->setGeometryLayout(shrink, 4, 0);
        }
        toolbar->setButtonLayout(flowed);
        if (withFrameButtons)
            toolbar->setGeometryLayout(close, 737, 0);
        toolbar->setHLayout();
    }

    QWidget frame;
    AnnotationToolbar *toolbar = nullptr;
    QList<QToolButton *> buttons;
    QToolButton *shrink = nullptr;
    QToolButton *close = nullptr;
};

} // namespace

class TestDrawletToolbar : public QObject
{
    Q_OBJECT

private slots:
    void layoutPerEdge_data();
    void layoutPerEdge();
    void separatorsFollowTheOrientation();
    void unknownEdgeChangesNothing();
    void shrinkButtonSkin_data();
    void shrinkButtonSkin();
    void toolbarWithoutFrameButtons();
    void clicksAreReportedByActionName();
    void closeButtonFollowsTheFrameSize();
};

// Where the first button, the button after the first separator, the third separator and the last
// button go, and where the frame's two buttons go, for every edge on the desktop and the whiteboard.
void TestDrawletToolbar::layoutPerEdge_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<bool>("whiteboard");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("separator1");
    QTest::addColumn<QPoint>("afterSeparator1");
    QTest::addColumn<QPoint>("separator2");
    QTest::addColumn<QPoint>("separator3");
    QTest::addColumn<QPoint>("last");
    QTest::addColumn<QPoint>("shrink");
    QTest::addColumn<QPoint>("close");

    // Desktop: b2 is skipped, separators after the 2nd (b1), 5th (b5) and 14th (b14) laid-out button.
    QTest::newRow("top") << 0 << false << QPoint(65, 3) << QPoint(153, 3) << QPoint(157, 3) << QPoint(289, 3)
                         << QPoint(689, 3) << QPoint(693, 3) << QPoint(4, 0) << QPoint(737, 0);
    QTest::newRow("bottom") << 1 << false << QPoint(65, 8) << QPoint(153, 8) << QPoint(157, 8) << QPoint(289, 8)
                            << QPoint(689, 8) << QPoint(693, 8) << QPoint(4, 19) << QPoint(737, 19);
    QTest::newRow("left") << 2 << false << QPoint(3, 65) << QPoint(3, 153) << QPoint(3, 157) << QPoint(3, 289)
                          << QPoint(3, 689) << QPoint(3, 693) << QPoint(0, 4) << QPoint(0, 737);
    QTest::newRow("right") << 3 << false << QPoint(8, 65) << QPoint(8, 153) << QPoint(8, 157) << QPoint(8, 289)
                           << QPoint(8, 689) << QPoint(8, 693) << QPoint(21, 4) << QPoint(21, 737);
    // Whiteboard: b2 takes its place, separators after the 3rd (b2), 6th (b5) and 15th (b14).
    QTest::newRow("top whiteboard") << 0 << true << QPoint(65, 3) << QPoint(197, 3) << QPoint(201, 3)
                                    << QPoint(333, 3) << QPoint(733, 3) << QPoint(737, 3) << QPoint(4, 0)
                                    << QPoint(781, 0);
    QTest::newRow("bottom whiteboard") << 1 << true << QPoint(65, 8) << QPoint(197, 8) << QPoint(201, 8)
                                       << QPoint(333, 8) << QPoint(733, 8) << QPoint(737, 8) << QPoint(4, 19)
                                       << QPoint(781, 19);
    QTest::newRow("left whiteboard") << 2 << true << QPoint(3, 65) << QPoint(3, 197) << QPoint(3, 201)
                                     << QPoint(3, 333) << QPoint(3, 733) << QPoint(3, 737) << QPoint(0, 4)
                                     << QPoint(0, 781);
    QTest::newRow("right whiteboard") << 3 << true << QPoint(8, 65) << QPoint(8, 197) << QPoint(8, 201)
                                      << QPoint(8, 333) << QPoint(8, 733) << QPoint(8, 737) << QPoint(21, 4)
                                      << QPoint(21, 781);
}

void TestDrawletToolbar::layoutPerEdge()
{
    QFETCH(int, edge);
    QFETCH(bool, whiteboard);
    QFETCH(QPoint, first);
    QFETCH(QPoint, separator1);
    QFETCH(QPoint, afterSeparator1);
    QFETCH(QPoint, separator2);
    QFETCH(QPoint, separator3);
    QFETCH(QPoint, last);
    QFETCH(QPoint, shrink);
    QFETCH(QPoint, close);
    ToolbarFixture fixture;
    AnnotationToolbar *toolbar = fixture.toolbar;
    if (whiteboard)
        toolbar->enteredWhiteboardAnnotationStateSlot();
    toolbar->changeButtonLocation(edge);

    const QList<QLabel *> separators = toolbar->separators();
    QCOMPARE(toolbar->location(), edge);
    QCOMPARE(fixture.buttons.at(0)->pos(), first);
    QCOMPARE(separators.at(0)->pos(), separator1);
    QCOMPARE(fixture.buttons.at(3)->pos(), afterSeparator1);
    QCOMPARE(separators.at(1)->pos(), separator2);
    QCOMPARE(separators.at(2)->pos(), separator3);
    QCOMPARE(fixture.buttons.at(15)->pos(), last);
    QCOMPARE(fixture.shrink->pos(), shrink);
    QCOMPARE(fixture.close->pos(), close);
    for (QLabel *separator : separators)
        QVERIFY(!separator->isHidden());

    // Leaving the whiteboard puts everything back where the desktop has it.
    if (whiteboard) {
        toolbar->exitedWhiteboardAnnotationStateSlot();
        QCOMPARE(fixture.buttons.at(3)->pos(), separators.at(0)->pos() + (edge >= 2 ? QPoint(0, 4) : QPoint(4, 0)));
        QVERIFY(fixture.close->pos().x() == 737 || fixture.close->pos().y() == 737);
    }
}

void TestDrawletToolbar::separatorsFollowTheOrientation()
{
    ToolbarFixture fixture;
    AnnotationToolbar *toolbar = fixture.toolbar;
    const QList<QLabel *> horizontal = toolbar->separators();
    QCOMPARE(horizontal.at(0)->size(), QSize(4, 44));
    QCOMPARE(horizontal.at(0)->objectName(), QStringLiteral("separater"));

    // Top to bottom: the same separators.
    toolbar->changeButtonLocation(1);
    QCOMPARE(toolbar->separators(), horizontal);

    // To the left edge: three new, turned ones.
    toolbar->changeButtonLocation(2);
    const QList<QLabel *> vertical = toolbar->separators();
    for (int i = 0; i < 3; ++i) {
        QVERIFY(vertical.at(i));
        QCOMPARE(vertical.at(i)->size(), QSize(44, 4));
    }
    QCOMPARE(toolbar->findChildren<QLabel *>(QStringLiteral("separater")).size(), 3);

    // Left to right keeps them; right to top turns them back.
    toolbar->changeButtonLocation(3);
    QCOMPARE(toolbar->separators(), vertical);
    toolbar->changeButtonLocation(0);
    QCOMPARE(toolbar->separators().at(2)->size(), QSize(4, 44));
}

void TestDrawletToolbar::unknownEdgeChangesNothing()
{
    ToolbarFixture fixture;
    fixture.toolbar->changeButtonLocation(2);
    const QPoint before = fixture.buttons.at(7)->pos();
    fixture.toolbar->changeButtonLocation(4);
    fixture.toolbar->changeButtonLocation(-1);
    QCOMPARE(fixture.toolbar->location(), 2);
    QCOMPARE(fixture.buttons.at(7)->pos(), before);
}

void TestDrawletToolbar::shrinkButtonSkin_data()
{
    QTest::addColumn<int>("edge");
    QTest::addColumn<bool>("shrunk");
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("toolTip");

    QTest::newRow("top wide") << 0 << false << "btn_shrink_narrow" << "collapse";
    QTest::newRow("bottom shrunk") << 1 << true << "btn_shrink_width" << "expand";
    QTest::newRow("left wide") << 2 << false << "btn_shrink_narrow_V" << "collapse";
    QTest::newRow("right shrunk") << 3 << true << "btn_shrink_width_V" << "expand";
}

void TestDrawletToolbar::shrinkButtonSkin()
{
    QFETCH(int, edge);
    QFETCH(bool, shrunk);
    QFETCH(QString, base);
    QFETCH(QString, toolTip);
    ToolbarFixture fixture;
    fixture.toolbar->changeButtonLocation(edge);
    fixture.toolbar->setMainToolBarShrinkSlot(shrunk);
    QCOMPARE(fixture.shrink->styleSheet(),
             StyleToolbarHelper::getStyleSheetString(QStringLiteral(":/resource/button/") + base));
    QCOMPARE(fixture.shrink->defaultAction()->toolTip(), toolTip);
    QCOMPARE(fixture.toolbar->isShrunk(), shrunk);
}

void TestDrawletToolbar::toolbarWithoutFrameButtons()
{
    // The frame buttons are the application's to register; without them every change still works.
    ToolbarFixture fixture(false);
    for (int edge = 0; edge < 4; ++edge) {
        fixture.toolbar->changeButtonLocation(edge);
        fixture.toolbar->setMainToolBarShrinkSlot(edge % 2 == 0);
        fixture.toolbar->resize(300, 40);
    }
    fixture.toolbar->enteredWhiteboardAnnotationStateSlot();
    QCOMPARE(fixture.buttons.at(0)->pos(), QPoint(8, 65));
}

void TestDrawletToolbar::clicksAreReportedByActionName()
{
    ToolbarFixture fixture;
    fixture.toolbar->setConnection();
    QSignalSpy clicked(fixture.toolbar, &AnnotationToolbar::mainToolBarButtonClicked);
    fixture.buttons.at(5)->click();
    fixture.buttons.at(15)->click();
    // The frame's own buttons are children of the frame, not of the toolbar.
    fixture.shrink->click();
    QCOMPARE(clicked.size(), 2);
    QCOMPARE(clicked.at(0).at(0).toString(), QStringLiteral("a5"));
    QCOMPARE(clicked.at(1).at(0).toString(), QStringLiteral("a15"));

    // Connecting again does not report a click twice.
    fixture.toolbar->setConnection();
    clicked.clear();
    fixture.buttons.at(1)->click();
    QCOMPARE(clicked.size(), 1);
}

void TestDrawletToolbar::closeButtonFollowsTheFrameSize()
{
    ToolbarFixture fixture;
    // Resize events reach shown widgets at once.
    fixture.frame.show();
    fixture.frame.resize(820, 56);
    fixture.toolbar->resize(820, 56);
    QCOMPARE(fixture.toolbar->size(), QSize(781, 56));
    QCOMPARE(fixture.close->pos(), QPoint(781, 0));

    fixture.toolbar->changeButtonLocation(3);
    fixture.frame.resize(56, 776);
    fixture.toolbar->resize(56, 776);
    QCOMPARE(fixture.toolbar->size(), QSize(56, 737));
    QCOMPARE(fixture.close->pos(), QPoint(21, 737));
}

QTEST_MAIN(TestDrawletToolbar)
#include "tst_drawlet_toolbar.moc"
