#include "annotationeditor.h"
#include "closedshapepainter.h"
#include "coloraction.h"
#include "colorstyleaction.h"
#include "configmanager.h"
#include "linestyleaction.h"
#include "linewidthaction.h"
#include "linewidthandstyleaction.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "toolaction.h"
#include "widthtoolbutton.h"
#include "waitpast.h"

#include <QApplication>
#include <QButtonGroup>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

using namespace drawlet::ui;

namespace {

QString ownerSheet(const QString &base)
{
    return StyleToolbarHelper::getStyleSheetString(QStringLiteral(":/resource/button/") + base);
}

ToolInterface *activeTool(AnnotationEditor &editor)
{
    return *editor.getActiveToolPointer();
}

// Answers the colour dialog that the next click opens: reports the colour it opened with, then
// picks `choice` (or cancels when it is invalid).
void answerColorDialog(QColor *openedWith, const QColor &choice)
{
    QTimer::singleShot(0, [openedWith, choice] {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        *openedWith = dialog->currentColor();
        if (choice.isValid()) {
            dialog->setCurrentColor(choice);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

QStringList layoutOrder(const StyleToolbarHelper *helper)
{
    QStringList names;
    for (int i = 0; i < helper->layout()->count(); ++i) {
        QWidget *widget = helper->layout()->itemAt(i)->widget();
        names << (widget == helper->separator() ? QStringLiteral("|") : widget->objectName());
    }
    return names;
}

std::map<int, style_setting_t> widths(ConfigType type)
{
    std::map<int, style_setting_t> config;
    ConfigManager().fetchConfig(config, type);
    return config;
}

QList<int> widthsOf(const LineWidthAndStyleAction &picker)
{
    QList<int> values;
    for (WidthToolButton *button : picker.getWidthButton())
        values << button->getAction()->getWidth();
    return values;
}

int checkedWidth(const LineWidthAndStyleAction &picker)
{
    int checked = -1;
    for (WidthToolButton *button : picker.getWidthButton()) {
        if (button->isChecked()) {
            if (checked != -1)
                return -2;
            checked = button->getAction()->getWidth();
        }
    }
    return checked;
}

} // namespace

class TestDrawletPickers : public QObject
{
    Q_OBJECT

private slots:
    void shapePickerStartsWithTheRectangle();
    void shapeSkinFollowsTheEdge();
    void shapePainterSlotRetoggles();
    void shapeColourReachesEveryPainter();
    void popUpHidesByItselfUnlessHovered();
    void colourClickAnnouncesAndReskins();
    void reportedColourMarksItsButton_data();
    void reportedColourMarksItsButton();
    void moreColoursDialog();
    void colourButtonFollowsTheEdge();
    void checkedButtonClickedAgainStaysTheOnlyOne();
    void widthPickerStartsWithThePenList();
    void widthListSwapKeepsButtons();
    void widthListGrowsAndShrinks();
    void styleAndWidthPicks();
};

void TestDrawletPickers::shapePickerStartsWithTheRectangle()
{
    AnnotationEditor editor;
    QToolButton owner;
    SkinDockWidget panel(QStringLiteral(":/resource/skin/bg_shape.png"), &owner, nullptr);
    ShapeSelWidget picker(&editor, &panel);
    const QList<QToolButton *> buttons = picker.buttons();
    QCOMPARE(buttons.size(), 6);
    QCOMPARE(buttons.first()->objectName(), QStringLiteral("rectSpaheButton"));
    QCOMPARE(buttons.at(4)->defaultAction()->objectName(), QStringLiteral("triangleShapeAction"));
    QVERIFY(buttons.first()->isChecked());
    QCOMPARE(activeTool(editor), static_cast<ToolAction *>(buttons.first()->defaultAction())->tool());
    QCOMPARE(buttons.at(3)->defaultAction()->toolTip(), QStringLiteral("Circle"));
    // Nothing told the toolbar's shape button yet.
    QVERIFY(owner.styleSheet().isEmpty());
    // Six 44-pixel buttons, spacing 1, margins 6, 3, 3, 3.
    QCOMPARE(picker.sizeHint(), QSize(278, 50));
}

void TestDrawletPickers::shapeSkinFollowsTheEdge()
{
    AnnotationEditor editor;
    QToolButton owner;
    SkinDockWidget panel(QStringLiteral(":/resource/skin/bg_shape.png"), &owner, nullptr);
    ShapeSelWidget picker(&editor, &panel);
    QSignalSpy skins(&picker, &ShapeSelWidget::buttonSkinChanged);
    picker.changeLocationSlot(2);
    picker.buttons().at(3)->click();
    QCOMPARE(skins.last().at(0).toString(), QStringLiteral("btn_shape_solid-circle_left"));
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_shape_solid-circle_left")));
    picker.changeLocationSlot(3);
    QCOMPARE(skins.last().at(0).toString(), QStringLiteral("btn_shape_solid-circle_right"));
    picker.changeLocationSlot(9);
    QCOMPARE(skins.last().at(0).toString(), QStringLiteral("btn_shape_solid-circle"));
    QCOMPARE(skins.size(), 4);
    QCOMPARE(activeTool(editor), static_cast<ToolAction *>(picker.buttons().at(3)->defaultAction())->tool());
}

void TestDrawletPickers::shapePainterSlotRetoggles()
{
    AnnotationEditor editor;
    SkinDockWidget panel(QStringLiteral(":/resource/skin/bg_shape.png"), nullptr, nullptr);
    ShapeSelWidget picker(&editor, &panel);
    picker.buttons().at(4)->click();
    auto *triangle = static_cast<ToolAction *>(picker.buttons().at(4)->defaultAction())->tool();
    // Another tool takes over (the user chose the pen), then the shape entry is toggled.
    editor.setTool(static_cast<ToolAction *>(picker.buttons().at(0)->defaultAction())->tool());
    picker.changePainterSlot(false);
    QVERIFY(activeTool(editor) != triangle);
    picker.changePainterSlot(true);
    QCOMPARE(activeTool(editor), triangle);
    QVERIFY(picker.buttons().at(4)->isChecked());
}

void TestDrawletPickers::shapeColourReachesEveryPainter()
{
    AnnotationEditor editor;
    ShapeSelWidget picker(&editor, nullptr);
    const QColor blue(41, 170, 225);
    emit picker.setPenColor(blue);
    QCOMPARE(picker.painters().size(), 6);
    for (ClosedShapePainter *painter : picker.painters()) {
        QCOMPARE(painter->getPenColor(), blue);
        QCOMPARE(painter->getBrushColor(), blue);
    }
    QVERIFY(picker.painters().at(1)->isFillShape());
    QVERIFY(!picker.painters().at(2)->isFillShape());
}

void TestDrawletPickers::popUpHidesByItselfUnlessHovered()
{
    QToolButton owner;
    StyleToolbarHelper helper(QStringLiteral(":/resource/skin/bg_capture.png"), &owner, nullptr);
    ShapeSelWidget *content = helper.contentWidget();
    QCOMPARE(content->hideDelay(), 3000);
    content->setHideDelay(150);
    SkinDockWidget *popUp = helper.getSkin();

    popUp->show();
    QVERIFY(content->hideTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!popUp->isVisible(), 15000);

    // The pointer resting on it keeps it open; leaving starts the full delay again.
    popUp->show();
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(content, &enter);
    QVERIFY(waitPast(3 * content->hideDelay())); // well past when the hide was due
    QVERIFY(popUp->isVisible());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(content, &leave);
    QVERIFY(content->hideTimer()->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(!popUp->isVisible(), 15000);
    QVERIFY(!content->hideTimer()->isActive());
}

void TestDrawletPickers::colourClickAnnouncesAndReskins()
{
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    QSignalSpy changed(&colours, &ColorStyleAction::colorChanged);
    const QList<QToolButton *> buttons = colours.getToolButton();
    QCOMPARE(buttons.size(), 7);
    QVERIFY(buttons.first()->isChecked());
    QCOMPARE(buttons.at(6)->objectName(), QStringLiteral("more-colors"));
    QCOMPARE(buttons.at(2)->defaultAction()->toolTip(), QStringLiteral("green"));

    buttons.at(2)->click();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor(34, 176, 76));
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_color_green_top")));
    QCOMPARE(colours.getCurrentColor(), QColor(34, 176, 76));
    QVERIFY(buttons.at(2)->isChecked());
    QVERIFY(!buttons.first()->isChecked());
}

void TestDrawletPickers::reportedColourMarksItsButton_data()
{
    QTest::addColumn<QColor>("reported");
    QTest::addColumn<QString>("marked");

    QTest::newRow("black, alpha ignored") << QColor(0, 0, 0, 100) << "black";
    QTest::newRow("highlighter yellow") << QColor(255, 241, 0, 127) << "yellow";
    QTest::newRow("same colour in HSV") << QColor(41, 170, 225).toHsv() << "blue";
    QTest::newRow("one step off red") << QColor(254, 0, 1) << "more-colors";
    QTest::newRow("any other colour") << QColor(10, 20, 30) << "more-colors";
}

void TestDrawletPickers::reportedColourMarksItsButton()
{
    QFETCH(QColor, reported);
    QFETCH(QString, marked);
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    QSignalSpy changed(&colours, &ColorStyleAction::colorChanged);
    colours.changeToolButtonsState(reported);
    QCOMPARE(changed.size(), 0);
    QCOMPARE(colours.checkedColorAction()->objectName(), marked);
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_color_%1_top").arg(marked)));
    int checked = 0;
    for (QToolButton *button : colours.getToolButton())
        checked += button->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    if (marked == QLatin1String("more-colors"))
        QVERIFY(colours.checkedColorAction()->isColor(reported));
}

void TestDrawletPickers::moreColoursDialog()
{
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    QSignalSpy changed(&colours, &ColorStyleAction::colorChanged);
    colours.changeToolButtonsState(QColor(10, 20, 30));
    QToolButton *more = colours.getToolButton().at(6);

    // Cancelled: nothing announced, the colour stays.
    QColor openedWith;
    answerColorDialog(&openedWith, QColor());
    more->click();
    QCOMPARE(openedWith, QColor(10, 20, 30));
    QCOMPARE(changed.size(), 0);
    QCOMPARE(colours.getCurrentColor(), QColor(0xFE0000));

    answerColorDialog(&openedWith, QColor(1, 2, 3));
    more->click();
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor(1, 2, 3));
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_color_more-colors_top")));
}

void TestDrawletPickers::colourButtonFollowsTheEdge()
{
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    colours.getToolButton().at(3)->click();
    colours.changeToolbuttonStyleSheet(2);
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_color_blue_left")));
    QCOMPARE(colours.getColorActions().at(0)->getToolBarLocation(), 2);
    colours.changeToolbuttonStyleSheet(7);
    QCOMPARE(owner.styleSheet(), ownerSheet(QStringLiteral("btn_color_blue_top")));
}

void TestDrawletPickers::checkedButtonClickedAgainStaysTheOnlyOne()
{
    // A click on the checked button toggles its action; the group must still end with one button
    // and its action checked.
    QToolButton owner;
    ColorStyleAction colours(QStringLiteral(":/resource/skin/bg_color.png"), nullptr, &owner, nullptr);
    const QList<QToolButton *> buttons = colours.getToolButton();
    buttons.at(0)->click();
    QVERIFY(buttons.at(0)->isChecked());
    QVERIFY(buttons.at(0)->defaultAction()->isChecked());
    buttons.at(1)->click();
    int checked = 0;
    for (QToolButton *button : buttons)
        checked += button->isChecked() ? 1 : 0;
    QCOMPARE(checked, 1);
    QVERIFY(!buttons.at(0)->defaultAction()->isChecked());

    AnnotationEditor editor;
    ShapeSelWidget picker(&editor, nullptr);
    picker.buttons().at(0)->click();
    picker.buttons().at(2)->click();
    QVERIFY(!picker.buttons().at(0)->isChecked());
    QVERIFY(picker.buttons().at(2)->isChecked());
}

void TestDrawletPickers::widthPickerStartsWithThePenList()
{
    QToolButton owner;
    ConfigManager config;
    LineWidthAndStyleAction picker(PEN_CONFIG, widths(PEN_CONFIG), QStringLiteral(":/resource/skin/bg_Line-width.png"),
                                   nullptr, &owner, nullptr);
    QCOMPARE(widthsOf(picker), QList<int>({4, 8, 16}));
    QCOMPARE(checkedWidth(picker), 4);
    QVERIFY(picker.getLineStyleButton().front()->isChecked());
    QCOMPARE(picker.getLineStyleButton().front()->objectName(), QStringLiteral("solid"));
    QCOMPARE(layoutOrder(picker.getToolbarHelper()),
             QStringList({"small", "medium", "large", "|", "solid", "dash", "arrow1", "arrow2"}));
    QVERIFY(picker.getLineStyleButton().at(0)->styleSheet().contains(
            QStringLiteral("url(:/resource/button/btn_line-style__solid_normal.png)")));
    QCOMPARE(picker.getCurrentWidth(), 4);

    picker.changeToolbuttonStyleSheet(2);
    QVERIFY(owner.styleSheet().startsWith(
            QStringLiteral("QToolButton{border-image: url(:/resource/button/btn_line-style_left_normal.png);}")));
}

void TestDrawletPickers::widthListSwapKeepsButtons()
{
    ConfigManager config;
    LineWidthAndStyleAction picker(PEN_CONFIG, widths(PEN_CONFIG), QStringLiteral(":/resource/skin/bg_Line-width.png"),
                                   nullptr, nullptr, nullptr);
    QObject::connect(&picker, &LineWidthAndStyleAction::widthMLStringChanged, &config,
                     &ConfigManager::fetchWidthMLString);
    const std::vector<WidthToolButton *> before = picker.getWidthButton();

    picker.changeWidthConfig(HIGHLIGHTER_CONFIG, widths(HIGHLIGHTER_CONFIG), 16);
    QCOMPARE(picker.getWidthButton(), before);
    QCOMPARE(widthsOf(picker), QList<int>({12, 16, 20}));
    QCOMPARE(checkedWidth(picker), 16);
    QCOMPARE(picker.getConfigType(), HIGHLIGHTER_CONFIG);
    QCOMPARE(before.at(1)->objectName(), QStringLiteral("medium"));
    QCOMPARE(before.at(1)->getAction()->toolTip(), QStringLiteral("medium"));
    QVERIFY(before.at(0)->styleSheet().contains(QStringLiteral("url(:/resource/button/btn_line-style_12_normal.png)")));

    // The list already shown only re-checks; the type it came with is not taken.
    picker.changeWidthConfig(PEN_CONFIG, widths(HIGHLIGHTER_CONFIG), 20);
    QCOMPARE(checkedWidth(picker), 20);
    QCOMPARE(picker.getConfigType(), HIGHLIGHTER_CONFIG);

    // A width without a button leaves the check where it was.
    picker.changeWidthConfig(PEN_CONFIG, widths(PEN_CONFIG), 12);
    QCOMPARE(widthsOf(picker), QList<int>({4, 8, 16}));
    QCOMPARE(checkedWidth(picker), 16);
    QCOMPARE(picker.getConfigType(), PEN_CONFIG);
}

void TestDrawletPickers::widthListGrowsAndShrinks()
{
    LineWidthAndStyleAction picker(PEN_CONFIG, widths(PEN_CONFIG), QStringLiteral(":/resource/skin/bg_Line-width.png"),
                                   nullptr, nullptr, nullptr);
    std::map<int, style_setting_t> four = widths(PEN_CONFIG);
    four[32] = {QStringLiteral("huge"), QStringLiteral("btn_line-style_large")};
    picker.changeWidthConfig(PEN_CONFIG, four, 32);
    QCOMPARE(widthsOf(picker), QList<int>({4, 8, 16, 32}));
    QCOMPARE(checkedWidth(picker), 32);
    QCOMPARE(layoutOrder(picker.getToolbarHelper()),
             QStringList({"small", "medium", "large", "huge", "|", "solid", "dash", "arrow1", "arrow2"}));
    QVERIFY(picker.getToolbarHelper()->separator()->isVisibleTo(picker.getToolbarHelper()->contentWidget()));

    QPointer<WidthToolButton> third = picker.getWidthButton().at(2);
    const std::map<int, style_setting_t> two = {{4, {QStringLiteral("small"), QStringLiteral("btn_line-style_small")}},
                                                {8, {QStringLiteral("medium"), QStringLiteral("btn_line-style_mmedium")}}};
    picker.changeWidthConfig(PEN_CONFIG, two, 8);
    QVERIFY(third.isNull());
    QCOMPARE(widthsOf(picker), QList<int>({4, 8}));
    QCOMPARE(checkedWidth(picker), 8);
    QCOMPARE(layoutOrder(picker.getToolbarHelper()),
             QStringList({"small", "medium", "|", "solid", "dash", "arrow1", "arrow2"}));
    // Still one exclusive group over the width buttons left.
    picker.getWidthButton().at(0)->click();
    QCOMPARE(checkedWidth(picker), 4);
}

void TestDrawletPickers::styleAndWidthPicks()
{
    LineWidthAndStyleAction picker(HIGHLIGHTER_CONFIG, widths(HIGHLIGHTER_CONFIG),
                                   QStringLiteral(":/resource/skin/bg_Line-width.png"), nullptr, nullptr, nullptr);
    QSignalSpy styles(&picker, &LineWidthAndStyleAction::setLineStyle);
    QSignalSpy widthsSet(&picker, &LineWidthAndStyleAction::setWidth);

    emit picker.changeStyleToolButtonsState(LineStyle::DOTLINE);
    QVERIFY(picker.getLineStyleButton().at(1)->isChecked());
    QCOMPARE(styles.size(), 0);

    picker.getLineStyleButton().at(3)->click();
    QCOMPARE(styles.size(), 1);
    QCOMPARE(styles.at(0).at(0).value<LineStyle::style_t>(), LineStyle::SOLIDLINE_DOUBLE_ARROW);
    QVERIFY(!picker.getLineStyleButton().at(1)->isChecked());

    picker.getWidthButton().at(1)->click();
    QCOMPARE(widthsSet.size(), 1);
    QCOMPARE(widthsSet.at(0).at(0).toInt(), 16);
    QCOMPARE(widthsSet.at(0).at(1).value<ConfigType>(), HIGHLIGHTER_CONFIG);
}

QTEST_MAIN(TestDrawletPickers)
#include "tst_drawlet_pickers.moc"
