// Shows the annotation toolbar as the annotation program assembles it, docked to one edge, to look
// at it (not a test, not installed):
//
//   drawlet_toolbar_demo [top|bottom|left|right] [whiteboard] [narrow] [open=color|line|shape|capture|text]
#include "annotationeditor.h"
#include "annotationtoolbar.h"
#include "captureaction.h"
#include "colorstyleaction.h"
#include "configmanager.h"
#include "dockscreen.h"
#include "linewidthandstyleaction.h"
#include "multiskindockwidget.h"
#include "qorvgraphicstextitem.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "textstylewidget.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QTimer>
#include <QToolButton>

using namespace drawlet::ui;

namespace {

QToolButton *makeButton(const QString &name, const QString &image, int w, int h, bool checkable,
                        const QString &actionName, QObject *owner)
{
    auto *button = new QToolButton;
    if (!actionName.isEmpty()) {
        auto *action = new QAction(owner);
        action->setObjectName(actionName);
        action->setCheckable(checkable);
        button->setDefaultAction(action);
    }
    button->setFixedSize(w, h);
    button->setIconSize(QSize(w, h));
    button->setObjectName(name);
    button->setStyleSheet(StyleToolbarHelper::getStyleSheetString(QStringLiteral(":/resource/button/") + image));
    return button;
}

QPoint dropPointFor(const QString &edge, const QRect &screen)
{
    if (edge == QLatin1String("left"))
        return {screen.x() + 10, screen.y() + 120};
    if (edge == QLatin1String("right"))
        return {screen.right() - 60, screen.y() + 120};
    if (edge == QLatin1String("bottom"))
        return {screen.center().x() - 388, screen.bottom() - 60};
    return {screen.center().x() - 388, screen.y()};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString edge = QStringLiteral("top");
    QString open;
    for (const QString &arg : args) {
        if (arg.startsWith(QLatin1String("open=")))
            open = arg.mid(5);
        else if (arg != QLatin1String("whiteboard") && arg != QLatin1String("narrow"))
            edge = arg;
    }

    AnnotationEditor editor;
    ConfigManager config;
    auto *frame = new MultiSkinDockWidget(QStringLiteral(":/resource/skin/bg_topbar_left.png"),
                                          QStringLiteral(":/resource/skin/bg_topbar_center.png"),
                                          QStringLiteral(":/resource/skin/bg_topbar_right.png"), nullptr);
    frame->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    auto *toolbar = new AnnotationToolbar(nullptr);
    auto *textPanel = new TextStyleWidget(QStringLiteral(":/resource/skin/bg_text.png"), frame);

    QToolButton *shrink = makeButton("shrinkButton", "btn_shrink_narrow", 35, 37, false, "shrinkAction", &app);
    shrink->defaultAction()->setData(QStringLiteral(":/resource/button/btn_shrink"));
    QObject::connect(shrink, &QToolButton::clicked, frame, &MultiSkinDockWidget::setScalingWindow);
    QToolButton *insertPicture =
            makeButton("insertPictureButton", "btn_insert-picture", 44, 44, true, "insertPictureAction", &app);
    insertPicture->hide();
    QToolButton *captureButton = makeButton("captureButton", "btn_screen-capture_top", 44, 44, false, QString(), &app);
    auto *capture = new CaptureAction(QStringLiteral(":/resource/skin/bg_capture.png"), frame, captureButton, &app);
    capture->setObjectName(QStringLiteral("captureAction"));
    captureButton->setDefaultAction(capture);
    const std::vector<QToolButton *> first = {
        makeButton("mouseModeButton", "btn_mouse", 44, 44, true, "mouseModeAction", &app),
        makeButton("whiteboardButton", "btn_whiteboard", 44, 44, true, "whiteboardAction", &app),
        insertPicture,
        makeButton("undoButton", "btn_undo", 44, 44, false, "undoAction", &app),
        makeButton("redoButton", "btn_redo", 44, 44, false, "redoAction", &app),
        captureButton,
    };

    QToolButton *colorButton = makeButton("colorButton", "btn_color_red_top", 44, 44, false, QString(), &app);
    auto *color = new ColorStyleAction(QStringLiteral(":/resource/skin/bg_color.png"), frame, colorButton, &app);
    color->setObjectName(QStringLiteral("colorAction"));
    colorButton->setDefaultAction(color);
    QToolButton *lineButton = makeButton("lineStyleButton", "btn_line-style_top", 44, 44, false, QString(), &app);
    std::map<int, style_setting_t> widths;
    config.fetchConfig(widths, PEN_CONFIG);
    auto *lineStyle = new LineWidthAndStyleAction(PEN_CONFIG, widths, QStringLiteral(":/resource/skin/bg_Line-width.png"),
                                                  frame, lineButton, &app);
    lineStyle->setObjectName(QStringLiteral("lineStyleAction"));
    lineButton->setDefaultAction(lineStyle);
    QObject::connect(lineStyle, &LineWidthAndStyleAction::widthMLStringChanged, &config,
                     &ConfigManager::fetchWidthMLString);
    QToolButton *close = makeButton("closeButton", "btn_back", 35, 37, false, "closeAction", &app);

    QToolButton *shapeButton = makeButton("shapeButton", "btn_shape_rectangle_top", 44, 44, true, "shapeAction", &app);
    auto *shapePanel = new SkinDockWidget(QStringLiteral(":/resource/skin/bg_shape.png"), shapeButton, frame);
    auto *picker = new ShapeSelWidget(&editor, shapePanel);
    shapePanel->setWidget(picker);
    QObject::connect(shapeButton, &QToolButton::clicked, shapePanel, &QWidget::show);
    const std::vector<QToolButton *> second = {
        makeButton("selectObjectButton", "btn_select", 44, 44, true, "selectObjectAction", &app),
        makeButton("freehandButton", "btn_freehand", 44, 44, true, "freehandAction", &app),
        makeButton("highlighterButton", "btn_highlighter", 44, 44, true, "hightlightAction", &app),
        makeButton("lineSpaheButton", "btn_line", 44, 44, true, "lineAction", &app),
        shapeButton,
        makeButton("textButton", "btn_text", 44, 44, true, "textAction", &app),
        makeButton("eraseButton", "btn_eraser", 44, 44, true, "eraseAction", &app),
    };
    const std::vector<QToolButton *> third = {
        lineButton, colorButton, makeButton("clearAllButton", "btn_clear-all", 44, 44, false, "clearAllAction", &app)};

    frame->setWidget(toolbar);
    QObject::connect(frame, &MultiSkinDockWidget::setMainToolBarShrink, toolbar,
                     &AnnotationToolbar::setMainToolBarShrinkSlot);
    toolbar->setGeometryLayout(shrink, 4, 0);
    toolbar->setButtonLayout(first);
    toolbar->setButtonLayout(second);
    toolbar->setButtonLayout(third);
    toolbar->setGeometryLayout(close, 737, 0);
    toolbar->setHLayout();
    toolbar->setConnection();
    auto *tools = new QButtonGroup;
    tools->setExclusive(true);
    tools->addButton(first.front());
    for (QToolButton *button : second)
        tools->addButton(button);
    toolbar->setMutualExclusionGroup(tools);

    for (SubToolbarAction *action : std::initializer_list<SubToolbarAction *>{capture, lineStyle, color}) {
        QObject::connect(frame, &SkinDockWidget::updateButtonLocation, action, &SubToolbarAction::updateButtonLocation);
        QObject::connect(frame, &SkinDockWidget::updateMouseMove, action, &SubToolbarAction::hide);
        QObject::connect(toolbar, &AnnotationToolbar::mainToolBarButtonClicked, action,
                         &SubToolbarAction::setHideByToolbuttonObjectName);
    }
    QObject::connect(frame, &SkinDockWidget::updateButtonLocation, picker, &ShapeSelWidget::changeLocationSlot);
    QObject::connect(frame, &SkinDockWidget::updateButtonLocation, color, &ColorStyleAction::changeToolbarLocation);
    QObject::connect(frame, &SkinDockWidget::updateButtonLocation, shapePanel, &SkinDockWidget::changeLocationSlot);
    QObject::connect(frame, &SkinDockWidget::updateButtonLocation, toolbar, &AnnotationToolbar::changeButtonLocation);
    for (SubToolbarAction *action : std::initializer_list<SubToolbarAction *>{color, lineStyle, capture})
        QObject::connect(frame, &SkinDockWidget::updateButtonLocation, action,
                         &SubToolbarAction::changeToolbuttonStyleSheet);
    QObject::connect(toolbar, &AnnotationToolbar::mainToolBarButtonClicked, shapePanel,
                     &SkinDockWidget::setHideByToolbuttonObjectName);
    QObject::connect(frame, &SkinDockWidget::updateMouseMove, shapePanel, &QWidget::hide);
    frame->setMoveButton(QStringLiteral(":/resource/button/btn_move"));

    if (args.contains(QLatin1String("whiteboard"))) {
        frame->enteredWhiteboardAnnotationStateSlot();
        toolbar->enteredWhiteboardAnnotationStateSlot();
        insertPicture->show();
    }
    const QPoint drop = dropPointFor(edge, DockScreen::geometry());
    frame->setRedrawWindowPoint(true, drop);
    frame->setNarowMode(false);
    frame->redrawMoveWindowToAttach(drop);
    frame->show();

    auto *text = new QorvGraphicsTextItem;
    text->setPlainText(QStringLiteral("Annotation"));
    QTimer::singleShot(300, &app, [&] {
        if (args.contains(QLatin1String("narrow")))
            shrink->click();
        if (open == QLatin1String("color"))
            colorButton->click();
        else if (open == QLatin1String("line"))
            lineButton->click();
        else if (open == QLatin1String("shape"))
            shapeButton->click();
        else if (open == QLatin1String("capture"))
            captureButton->click();
        else if (open == QLatin1String("text"))
            textPanel->showTextStyleWidget(QPoint(700, 500), text);
    });
    return app.exec();
}
