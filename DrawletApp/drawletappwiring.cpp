// The toolbar's tools and the signal wiring between toolbar, pop-ups, tools, editor and widths.
#include "drawletapp.h"

#include "annotationeditor.h"
#include "annotationtoolbar.h"
#include "captureaction.h"
#include "colorstyleaction.h"
#include "configmanager.h"
#include "erasetool.h"
#include "freehandpainter.h"
#include "lineshapepainter.h"
#include "linewidthandstyleaction.h"
#include "multiskindockwidget.h"
#include "nativewindow.h"
#include "selecttool.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "qorvgraphicstextitem.h"
#include "textstylewidget.h"
#include "texttool.h"
#include "toolaction.h"
#include "uiglobalconstconfig.h"

#include <QAction>
#include <QCursor>
#include <QToolButton>

namespace drawlet {
namespace application {

using namespace ui;

namespace {

const QString CursorFolder = QStringLiteral(":/resource/cursor/");

QCursor *imageCursor(const QString &file, int hotX, int hotY)
{
    return StyleToolbarHelper::imageCursor(CursorFolder + file, hotX, hotY);
}

} // namespace

// A checkable tool button whose action hands its tool and cursor to the editor when checked.
void DrawletApp::wireToolAction(QAction *toolAction, QToolButton *button)
{
    StyleToolbarHelper::connectToolAction(static_cast<ToolAction *>(toolAction), m_editor);
    Q_UNUSED(button)
}

QToolButton *DrawletApp::createPainterButton(PaintInterface *painter, int w, int h, const QString &imageBase,
                                             const QString &cursorPath, int hotX, int hotY,
                                             const QString &objectName, QWidget *parent)
{
    return StyleToolbarHelper::createPainterButton(m_editor, painter, w, h,
                                                   UIGlobalConstConfig::RESOURCE_BUTTON_PATH + imageBase,
                                                   CursorFolder + cursorPath, hotX, hotY, objectName, parent, this);
}

QToolButton *DrawletApp::createSelectButton(int w, int h, const QString &imageBase, const Qt::CursorShape &shape,
                                            const QString &objectName, QWidget *parent)
{
    auto *action = new ToolAction(new SelectTool(m_editor), new QCursor(shape), this);
    QToolButton *button = createBaseButton(w, h, action, imageBase, true, objectName, parent);
    wireToolAction(action, button);
    return button;
}

QToolButton *DrawletApp::createTextButton(int w, int h, const QString &imageBase, const Qt::CursorShape &,
                                          const QString &objectName, QWidget *parent)
{
    auto *action = new ToolAction(new TextTool(m_editor), imageCursor(QStringLiteral("text_cursor.png"), 22, 0), this);
    QToolButton *button = createBaseButton(w, h, action, imageBase, true, objectName, parent);
    wireToolAction(action, button);
    return button;
}

QToolButton *DrawletApp::createEraseButton(int w, int h, const QString &imageBase, const QString &cursorPath,
                                           int hotX, int hotY, const QString &objectName, QWidget *parent)
{
    auto *action = new ToolAction(new EraseTool(m_editor), imageCursor(cursorPath, hotX, hotY), this);
    QToolButton *button = createBaseButton(w, h, action, imageBase, true, objectName, parent);
    wireToolAction(action, button);
    return button;
}

QToolButton *DrawletApp::createCaptureButton()
{
    QToolButton *button = createBaseButton(44, 44, nullptr, QStringLiteral("btn_screen-capture_top"), false,
                                           QStringLiteral("captureButton"), m_toolbar);
    m_captureAction = new CaptureAction(QStringLiteral(":/resource/skin/bg_capture.png"), m_frame, button, this);
    m_captureAction->setObjectName(QStringLiteral("captureAction"));
    button->setDefaultAction(m_captureAction);
    return button;
}

QToolButton *DrawletApp::createColorHelper()
{
    QToolButton *button = createBaseButton(44, 44, nullptr, QStringLiteral("btn_color_red_top"), false,
                                           QStringLiteral("colorButton"), m_toolbar);
    m_colorAction = new ColorStyleAction(QStringLiteral(":/resource/skin/bg_color.png"), m_frame, button, this);
    m_colorAction->setObjectName(QStringLiteral("colorAction"));
    button->setDefaultAction(m_colorAction);
    return button;
}

QToolButton *DrawletApp::createLineStyleHelper()
{
    QToolButton *button = createBaseButton(44, 44, nullptr, QStringLiteral("btn_line-style_top"), false,
                                           QStringLiteral("lineStyleButton"), m_toolbar);
    std::map<int, style_setting_t> widths;
    m_config->fetchConfig(widths, PEN_CONFIG);
    m_lineStyleAction = new LineWidthAndStyleAction(PEN_CONFIG, widths, QStringLiteral(":/resource/skin/bg_Line-width.png"),
                                                    m_frame, button, this);
    m_lineStyleAction->setObjectName(QStringLiteral("lineStyleAction"));
    button->setDefaultAction(m_lineStyleAction);
    connect(m_config, &ConfigManager::configChanged, m_lineStyleAction, &LineWidthAndStyleAction::changeWidthConfig);
    connect(m_lineStyleAction, &LineWidthAndStyleAction::widthMLStringChanged, m_config,
            &ConfigManager::fetchWidthMLString);
    return button;
}

FreeHandPainter *DrawletApp::createFreadHandPainter(ConfigType type)
{
    std::map<int, style_setting_t> widths;
    const bool found = m_config->fetchConfig(widths, type) && !widths.empty();
    return new FreeHandPainter(type, found ? widths.begin()->first : 4);
}

// Pen, highlighter and line painters: the pickers set them, and they show their own settings in the
// pickers when they are chosen.
void DrawletApp::wirePainter(QObject *painterObject)
{
    if (auto *painter = qobject_cast<FreeHandPainter *>(painterObject)) {
        connect(m_colorAction, &ColorStyleAction::colorChanged, painter, &FreeHandPainter::setPenColor);
        connect(m_lineStyleAction, &LineWidthAndStyleAction::setWidth, painter, &FreeHandPainter::setWigth);
        connect(m_lineStyleAction, &LineWidthAndStyleAction::setLineStyle, painter, &FreeHandPainter::setLineStyle);
        connect(painter, &FreeHandPainter::setHelperColor, m_colorAction, &ColorStyleAction::changeToolButtonsState);
        connect(painter, &FreeHandPainter::setHelperLineWidth, m_config,
                QOverload<ConfigType, int>::of(&ConfigManager::handleConfigChange));
        connect(painter, &FreeHandPainter::setHelperLineStyle, m_lineStyleAction,
                &LineWidthAndStyleAction::changeStyleToolButtonsState);
    } else if (auto *line = qobject_cast<LineShapePainter *>(painterObject)) {
        connect(m_colorAction, &ColorStyleAction::colorChanged, line, &LineShapePainter::setPenColor);
        connect(m_lineStyleAction, &LineWidthAndStyleAction::setWidth, line, &LineShapePainter::setWigth);
        connect(m_lineStyleAction, &LineWidthAndStyleAction::setLineStyle, line, &LineShapePainter::setLineStyle);
        connect(line, &LineShapePainter::setHelperColor, m_colorAction, &ColorStyleAction::changeToolButtonsState);
        connect(line, &LineShapePainter::setHelperLineWidth, m_config,
                QOverload<ConfigType, int>::of(&ConfigManager::handleConfigChange));
        connect(line, &LineShapePainter::setHelperLineStyle, m_lineStyleAction,
                &LineWidthAndStyleAction::changeStyleToolButtonsState);
    }
}

QToolButton *DrawletApp::createSelectObjectFunction()
{
    QToolButton *button = createSelectButton(44, 44, QStringLiteral("btn_select"), Qt::ArrowCursor,
                                             QStringLiteral("selectObjectButton"), m_toolbar);
    m_selectAction = button->defaultAction();
    m_selectAction->setObjectName(QStringLiteral("selectObjectAction"));
    auto *tool = static_cast<SelectTool *>(static_cast<ToolAction *>(m_selectAction)->tool());
    connect(m_colorAction, &ColorStyleAction::colorChanged, tool, &SelectTool::setColor);
    connect(m_lineStyleAction, &LineWidthAndStyleAction::setWidth, tool, [tool](int width, ConfigType) {
        tool->setWidth(width);
    });
    connect(m_lineStyleAction, &LineWidthAndStyleAction::setLineStyle, tool, &SelectTool::setLineStyle);
    connect(tool, &SelectTool::enableColorHelper, m_colorAction, &QAction::setEnabled);
    connect(tool, &SelectTool::enableLineStyleHelper, m_lineStyleAction, &QAction::setEnabled);
    connect(tool, &SelectTool::setHelperColor, m_colorAction, &ColorStyleAction::changeToolButtonsState);
    connect(tool, &SelectTool::setHelperLineWidth, m_config,
            QOverload<ConfigType, int>::of(&ConfigManager::handleConfigChange));
    connect(tool, &SelectTool::setHelperLineStyle, m_lineStyleAction,
            &LineWidthAndStyleAction::changeStyleToolButtonsState);
    connect(tool, &SelectTool::textEditorShowed, m_textStyleWidget, &TextStyleWidget::showTextStyleWidget);
    connect(tool, &SelectTool::textEditorHided, m_textStyleWidget, &TextStyleWidget::hideTextStyleWidget);
    connect(m_textStyleWidget, &TextStyleWidget::fontChanged, tool, &SelectTool::setTextFont);
    connect(tool, &SelectTool::textEditorShowed, m_textStyleWidget, &QWidget::activateWindow);
    connect(tool, &SelectTool::textEditorShowed, m_editor, &QWidget::activateWindow);
    return button;
}

QToolButton *DrawletApp::createFreeHandFunction()
{
    FreeHandPainter *painter = createFreadHandPainter(PEN_CONFIG);
    painter->setObjectName(QStringLiteral("freehand"));
    QToolButton *button = createPainterButton(painter, 44, 44, QStringLiteral("btn_freehand"),
                                              QStringLiteral("freehand_cursor.png"), 10, 33,
                                              QStringLiteral("freehandButton"), m_toolbar);
    m_freehandAction = button->defaultAction();
    m_freehandAction->setObjectName(QStringLiteral("freehandAction"));
    wirePainter(painter);
    return button;
}

QToolButton *DrawletApp::createHightlightFunction()
{
    FreeHandPainter *painter = createFreadHandPainter(HIGHLIGHTER_CONFIG);
    painter->setHighlight();
    painter->setObjectName(QStringLiteral("hightlighter"));
    QToolButton *button = createPainterButton(painter, 44, 44, QStringLiteral("btn_highlighter"),
                                              QStringLiteral("highlighter_cursor.png"), 10, 33,
                                              QStringLiteral("highlighterButton"), m_toolbar);
    m_highlighterAction = button->defaultAction();
    m_highlighterAction->setObjectName(QStringLiteral("hightlightAction"));
    wirePainter(painter);
    return button;
}

QToolButton *DrawletApp::createLineShapeFunction()
{
    auto *painter = new LineShapePainter(PEN_CONFIG);
    painter->setObjectName(QStringLiteral("lineShape"));
    QToolButton *button = createPainterButton(painter, 44, 44, QStringLiteral("btn_line"),
                                              QStringLiteral("line_cursor.png"), 12, 32,
                                              QStringLiteral("lineSpaheButton"), m_toolbar);
    m_lineAction = button->defaultAction();
    m_lineAction->setObjectName(QStringLiteral("lineAction"));
    wirePainter(painter);
    return button;
}

QToolButton *DrawletApp::createShapeSelectFunction()
{
    m_shapeAction = new QAction(this);
    m_shapeAction->setObjectName(QStringLiteral("shapeAction"));
    QToolButton *button = createBaseButton(44, 44, m_shapeAction, QStringLiteral("btn_shape_rectangle_top"), true,
                                           QStringLiteral("shapeButton"), m_toolbar);
    setupShapeSelectWidget(button);
    return button;
}

void DrawletApp::setupShapeSelectWidget(QToolButton *shapeButton)
{
    m_shapePanel = new SkinDockWidget(QStringLiteral(":/resource/skin/bg_shape.png"), shapeButton, m_frame);
    auto *picker = new ShapeSelWidget(m_editor, m_shapePanel);
    m_shapePanel->setWidget(picker);
    setWidgetLevel(m_shapePanel, 3);
    connect(m_shapePanel, &SkinDockWidget::languageChanged, picker, &ShapeSelWidget::setButtonToolTip);
    connect(m_shapeAction, &QAction::toggled, picker, &ShapeSelWidget::changePainterSlot);
    connect(m_colorAction, &ColorStyleAction::colorChanged, picker, &ShapeSelWidget::setPenColor);
    connect(picker, &ShapeSelWidget::setHelperColor, m_colorAction, &ColorStyleAction::changeToolButtonsState);
    connect(m_frame, &SkinDockWidget::updateButtonLocation, picker, &ShapeSelWidget::changeLocationSlot);
    connect(m_frame, &SkinDockWidget::updateButtonLocation, m_colorAction, &ColorStyleAction::changeToolbarLocation);
    m_shapePanel->hide();
    connect(shapeButton, &QToolButton::clicked, m_shapePanel, &QWidget::show);
}

QToolButton *DrawletApp::createTextFunction()
{
    QToolButton *button = createTextButton(44, 44, QStringLiteral("btn_text"), Qt::IBeamCursor,
                                           QStringLiteral("textButton"), m_toolbar);
    m_textAction = button->defaultAction();
    m_textAction->setObjectName(QStringLiteral("textAction"));
    auto *tool = static_cast<TextTool *>(static_cast<ToolAction *>(m_textAction)->tool());
    connect(tool, &TextTool::textEditorShowed, m_textStyleWidget, &TextStyleWidget::showTextStyleWidget);
    connect(tool, &TextTool::textEditorHided, m_textStyleWidget, &TextStyleWidget::hideTextStyleWidget);
    connect(m_textStyleWidget, &TextStyleWidget::fontChanged, tool, &TextTool::setTextFont);
    connect(tool, &TextTool::textEditorShowed, m_textStyleWidget, &QWidget::activateWindow);
    connect(tool, &TextTool::textEditorShowed, m_editor, &QWidget::activateWindow);
    connect(tool, &TextTool::setHelperColor, m_colorAction, &ColorStyleAction::changeToolButtonsState);
    connect(m_colorAction, &ColorStyleAction::colorChanged, tool, &TextTool::setTextColor);
    // Typing goes on in the editor after the user touched a panel.
    connect(m_textStyleWidget, &TextStyleWidget::componentsModified, m_editor, &QWidget::activateWindow);
    connect(m_colorAction, &ColorStyleAction::colorChanged, m_editor, &QWidget::activateWindow);
    connect(m_colorAction, &QAction::triggered, m_editor, &QWidget::activateWindow);
    connect(m_frame, &MultiSkinDockWidget::mouseReleased, m_editor, &QWidget::activateWindow);
    connect(m_textStyleWidget, &TextStyleWidget::mousePressed, m_editor, &QWidget::activateWindow);
    connect(m_shrinkAction, &QAction::triggered, m_editor, &QWidget::activateWindow);
    return button;
}

QToolButton *DrawletApp::createEraseFunction()
{
    QToolButton *button = createEraseButton(44, 44, QStringLiteral("btn_eraser"), QStringLiteral("eraser_cursor.png"),
                                            15, 33, QStringLiteral("eraseButton"), m_toolbar);
    m_eraseAction = button->defaultAction();
    m_eraseAction->setObjectName(QStringLiteral("eraseAction"));
    return button;
}

// A click on a toolbar button closes every pop-up but its own (the toolbar names the clicked button's
// action); a click in the drawing closes them all.
void DrawletApp::connectPopUpClosing()
{
    connect(m_editor, &AnnotationEditor::mouseClick, this, &DrawletApp::hidePopUps);
    for (SubToolbarAction *action : {static_cast<SubToolbarAction *>(m_captureAction),
                                     static_cast<SubToolbarAction *>(m_lineStyleAction),
                                     static_cast<SubToolbarAction *>(m_colorAction)})
        connect(m_toolbar, &AnnotationToolbar::mainToolBarButtonClicked, action,
                &SubToolbarAction::setHideByToolbuttonObjectName);
    connect(m_toolbar, &AnnotationToolbar::mainToolBarButtonClicked, m_shapePanel,
            &SkinDockWidget::setHideByToolbuttonObjectName);
}

void DrawletApp::hidePopUps()
{
    m_shapePanel->hide();
    emit m_colorAction->hide();
    emit m_lineStyleAction->hide();
    emit m_captureAction->hide();
}

void DrawletApp::connectFrameLocation()
{
    connect(m_frame, &SkinDockWidget::updateMouseMove, this, &DrawletApp::hidePopUps);

    for (SubToolbarAction *action : {static_cast<SubToolbarAction *>(m_captureAction),
                                     static_cast<SubToolbarAction *>(m_lineStyleAction),
                                     static_cast<SubToolbarAction *>(m_colorAction)})
        connect(m_frame, &SkinDockWidget::updateButtonLocation, action, &SubToolbarAction::updateButtonLocation);
    connect(m_frame, &SkinDockWidget::updateButtonLocation, m_shapePanel, &SkinDockWidget::changeLocationSlot);
    connect(m_frame, &SkinDockWidget::updateButtonLocation, m_toolbar, &AnnotationToolbar::changeButtonLocation);
    for (SubToolbarAction *action : {static_cast<SubToolbarAction *>(m_colorAction),
                                     static_cast<SubToolbarAction *>(m_lineStyleAction),
                                     static_cast<SubToolbarAction *>(m_captureAction)})
        connect(m_frame, &SkinDockWidget::updateButtonLocation, action,
                &SubToolbarAction::changeToolbuttonStyleSheet);
}

// Which style pickers a tool can use: the pen, highlighter and line take width, style and colour; the
// shape and text only colour; the selection tool enables them itself for what is selected.
void DrawletApp::setupButtonConnection()
{
    struct Rule
    {
        QAction *action;
        bool lineStyleEnabled;
        bool colorEnabled;
    };
    const Rule rules[] = {
        {m_freehandAction, true, true}, {m_highlighterAction, true, true}, {m_lineAction, true, true},
        {m_selectAction, false, false}, {m_shapeAction, false, true},      {m_textAction, false, true},
        {m_mouseModeAction, false, false}, {m_eraseAction, false, false},
    };
    for (const Rule &rule : rules) {
        connect(rule.action, &QAction::toggled, m_lineStyleAction,
                rule.lineStyleEnabled ? &QAction::setEnabled : &QAction::setDisabled);
        connect(rule.action, &QAction::toggled, m_colorAction,
                rule.colorEnabled ? &QAction::setEnabled : &QAction::setDisabled);
    }
}

} // namespace application
} // namespace drawlet
