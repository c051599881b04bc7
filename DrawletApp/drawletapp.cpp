#include "drawletapp.h"

#include "desktopbackdrop.h"
#include "tr.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "annotationtoolbar.h"
#include "buttongroupsync.h"
#include "captureaction.h"
#include "colorstyleaction.h"
#include "configmanager.h"
#include "linewidthandstyleaction.h"
#include "multiskindockwidget.h"
#include "nativewindow.h"
#include "plugmux.h"
#include "shapeselwidget.h"
#include "skindockwidget.h"
#include "styletoolbarhelper.h"
#include "qorvgraphicstextitem.h"
#include "textstylewidget.h"

#include <QAction>
#include <QButtonGroup>
#include <QDebug>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

namespace drawlet {
namespace application {

using namespace ui;

namespace {

const QString buttonImagePrefix = QStringLiteral(":/resource/button/");

QRect defaultScreenGeometry()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace

DrawletApp::DrawletApp(QWidget *parent)
    : QMainWindow(parent)
{
    m_toolbar = new AnnotationToolbar(this);
    m_config = new ConfigManager(this);
    m_backdrop = new DesktopBackdrop(this);
    hide();

    m_frame = new MultiSkinDockWidget(QStringLiteral(":/resource/skin/bg_topbar_left.png"),
                                      QStringLiteral(":/resource/skin/bg_topbar_center.png"),
                                      QStringLiteral(":/resource/skin/bg_topbar_right.png"), this);
    m_frame->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    m_frame->setAttribute(Qt::WA_MacAlwaysShowToolWindow);
    m_frame->hide();

    setupUi();
    setupButtonConnection();
    setupStateMachine();
    setupButtonToolTip();
    setupWindowTitles();

    setWidgetLevel(m_frame, 3);
    setWidgetLevel(m_textStyleWidget, 2);
    setShadow(m_frame);
    setWidgetLevel(this, 1);

    const int screenWidth = defaultScreenGeometry().width();
    m_frame->move((screenWidth - m_frame->width()) / 2, m_frame->statusBarRect().height());

    m_valid = createLumideskController();
    if (!m_valid)
        qWarning() << "failed to create lumidesk controller";
}

DrawletApp::~DrawletApp()
{
    // The panel goes before the window's children, which its signals could still reach.
    m_controller.reset();
}

void DrawletApp::setupUi()
{
    const QRect screen = defaultScreenGeometry();
    setFixedSize(screen.width(), screen.bottom() - screen.top());
    const QRectF sceneRect(0, 0, width(), height());

    m_desktopScene = new AnnotationScene(true, this);
    m_desktopScene->setSceneRect(sceneRect);
    m_desktopScene->setObjectName(QStringLiteral("descktopAnnotationScene"));
    m_whiteboardScene = new AnnotationScene(false, this);
    m_whiteboardScene->setSceneRect(sceneRect);
    m_whiteboardScene->setObjectName(QStringLiteral("whiteboardAnnotationScene"));

    m_editor = new AnnotationEditor(this);
    m_editor->setSceneRect(sceneRect);
    // No frame line round the whiteboard's page.
    m_editor->setFrameShape(QFrame::NoFrame);
    setCentralWidget(m_editor);

    setStyleSheet(QStringLiteral("QMainWindow { background:transparent; }"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_textStyleWidget = new TextStyleWidget(QStringLiteral(":/resource/skin/bg_text.png"), m_frame);
    m_textStyleWidget->hide();

    m_shrinkAction = new QAction(this);
    m_shrinkAction->setData(QStringLiteral(":/resource/button/btn_shrink"));
    QToolButton *shrinkButton = createBaseButton(35, 37, m_shrinkAction, QStringLiteral("btn_shrink_narrow"),
                                                 false, QStringLiteral("shrinkButton"), m_toolbar);
    m_shrinkAction->setObjectName(QStringLiteral("shrinkAction"));
    connect(shrinkButton, &QToolButton::clicked, m_frame, &MultiSkinDockWidget::setScalingWindow);

    m_mouseModeAction = new QAction(this);
    m_mouseModeAction->setObjectName(QStringLiteral("mouseModeAction"));
    QToolButton *mouseModeButton = createBaseButton(44, 44, m_mouseModeAction, QStringLiteral("btn_mouse"), true,
                                                    QStringLiteral("mouseModeButton"), m_toolbar);
    m_whiteboardAction = new QAction(this);
    m_whiteboardAction->setObjectName(QStringLiteral("whiteboardAction"));
    QToolButton *whiteboardButton = createBaseButton(44, 44, m_whiteboardAction, QStringLiteral("btn_whiteboard"),
                                                     true, QStringLiteral("whiteboardButton"), m_toolbar);
    m_insertPictureAction = new QAction(this);
    m_insertPictureAction->setObjectName(QStringLiteral("insertPictureAction"));
    m_insertPictureButton = createBaseButton(44, 44, m_insertPictureAction, QStringLiteral("btn_insert-picture"),
                                             true, QStringLiteral("insertPictureButton"), m_toolbar);
    m_insertPictureButton->hide();

    connect(m_insertPictureAction, &QAction::toggled, m_editor, &AnnotationEditor::finishToolEditing);
    connect(m_insertPictureAction, &QAction::toggled, m_editor, &AnnotationEditor::insertPicture);
    connect(m_editor, &AnnotationEditor::pictureInserted, this, &DrawletApp::changeToSelectObjectMode);
    connect(m_editor, &AnnotationEditor::pictureUninserted, this, &DrawletApp::changeToFreeHandMode);

    m_undoAction = m_editor->createUndoAction(this, QString());
    if (!m_undoAction)
        m_undoAction = new QAction(this);
    m_undoAction->setObjectName(QStringLiteral("undoAction"));
    QToolButton *undoButton = createBaseButton(44, 44, m_undoAction, QStringLiteral("btn_undo"), false,
                                               QStringLiteral("undoButton"), m_toolbar);
    m_redoAction = m_editor->createRedoAction(this, QString());
    if (!m_redoAction)
        m_redoAction = new QAction(this);
    m_redoAction->setObjectName(QStringLiteral("redoAction"));
    QToolButton *redoButton = createBaseButton(44, 44, m_redoAction, QStringLiteral("btn_redo"), false,
                                               QStringLiteral("redoButton"), m_toolbar);

    QToolButton *captureButton = createCaptureButton();
    const std::vector<QToolButton *> first = {mouseModeButton, whiteboardButton, m_insertPictureButton,
                                              undoButton, redoButton, captureButton};

    QToolButton *colorButton = createColorHelper();
    QToolButton *lineStyleButton = createLineStyleHelper();
    m_styleGroup = new QButtonGroup(this);
    m_styleGroup->addButton(colorButton);
    m_styleGroup->addButton(lineStyleButton);
    m_styleGroup->setExclusive(true);

    m_clearAllAction = new QAction(this);
    m_clearAllAction->setObjectName(QStringLiteral("clearAllAction"));
    QToolButton *clearAllButton = createBaseButton(44, 44, m_clearAllAction, QStringLiteral("btn_clear-all"),
                                                   false, QStringLiteral("clearAllButton"), m_toolbar);
    connect(m_clearAllAction, &QAction::triggered, m_editor, &AnnotationEditor::finishToolEditing);
    connect(m_clearAllAction, &QAction::triggered, m_editor, &AnnotationEditor::clearAll);
    m_closeAction = new QAction(this);
    m_closeAction->setObjectName(QStringLiteral("closeAction"));
    QToolButton *closeButton = createBaseButton(35, 37, m_closeAction, QStringLiteral("btn_back"), false,
                                                QStringLiteral("closeButton"), m_toolbar);
    const std::vector<QToolButton *> third = {lineStyleButton, colorButton, clearAllButton};

    const std::vector<QToolButton *> second = {createSelectObjectFunction(), createFreeHandFunction(),
                                               createHightlightFunction(), createLineShapeFunction(),
                                               createShapeSelectFunction(), createTextFunction(),
                                               createEraseFunction()};

    connectPopUpClosing();

    m_frame->setWidget(m_toolbar);
    connect(m_frame, &MultiSkinDockWidget::setMainToolBarShrink, m_toolbar,
            &AnnotationToolbar::setMainToolBarShrinkSlot);

    m_toolbar->setGeometryLayout(shrinkButton, 4, 0);
    m_toolbar->setButtonLayout(first);
    m_toolbar->setButtonLayout(second);
    m_toolbar->setButtonLayout(third);
    m_toolbar->setGeometryLayout(closeButton, 737, 0);
    m_toolbar->setHLayout();
    m_toolbar->setConnection();

    m_toolGroup = new QButtonGroup(this);
    m_toolGroup->setExclusive(true);
    m_toolGroup->addButton(mouseModeButton);
    for (QToolButton *button : second)
        m_toolGroup->addButton(button);
    m_toolbar->setMutualExclusionGroup(m_toolGroup);
    // A click on the checked tool keeps its action checked, as the group keeps its button.
    keepButtonActionsInStep(m_toolGroup);

    connectFrameLocation();
    m_frame->setMoveButton(QStringLiteral(":/resource/button/btn_move"));

    for (QAction *action : {m_undoAction, m_redoAction, static_cast<QAction *>(m_captureAction)})
        connect(action, &QAction::triggered, m_editor, &AnnotationEditor::finishToolEditing);

    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

QToolButton *DrawletApp::createBaseButton(int w, int h, QAction *action, const QString &imageBase,
                                          const bool &checkable, const QString &objectName, QWidget *parent)
{
    return StyleToolbarHelper::createBaseButton(w, h, action, buttonImagePrefix + imageBase, checkable, objectName,
                                                parent);
}

void DrawletApp::changeToSelectObjectMode()
{
    m_insertPictureAction->setChecked(false);
    m_selectAction->setChecked(true);
}

void DrawletApp::changeToFreeHandMode()
{
    m_insertPictureAction->setChecked(false);
    m_freehandAction->setChecked(true);
}

void DrawletApp::setupWidgetsByEditorChanged(bool)
{
    const bool hasItems = !m_editor->isActiveSceneClean();
    m_selectAction->setEnabled(hasItems);
    m_eraseAction->setEnabled(hasItems);
    m_clearAllAction->setEnabled(hasItems);
}

void DrawletApp::disableUndoAction()
{
    m_undoAction->setEnabled(false);
}

void DrawletApp::setTransparent(bool isTransparent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents, isTransparent);
    if (isTransparent)
        m_editor->setCurrentCursor(nullptr);
}

void DrawletApp::paintEvent(QPaintEvent *event)
{
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.fillRect(rect(), Qt::transparent);
        // Without a compositing manager nothing shows through: the still of the desktop stands in.
        if (m_mode != Mode::Whiteboard && DesktopBackdrop::needed() && !m_backdrop->image().isNull()) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(rect(), m_backdrop->image());
        }
    }
    QMainWindow::paintEvent(event);
}

void DrawletApp::setupButtonToolTip()
{
    m_shrinkAction->setToolTip(tr("collapse"));
    m_mouseModeAction->setToolTip(tr("mouse_mode"));
    m_whiteboardAction->setToolTip(tr("whiteboard_mode"));
    m_insertPictureAction->setToolTip(tr("insert_picture"));
    m_undoAction->setToolTip(tr("undo"));
    m_redoAction->setToolTip(tr("redo"));
    m_captureAction->setToolTip(tr("capture"));
    m_selectAction->setToolTip(tr("select"));
    m_freehandAction->setToolTip(tr("freehand"));
    m_highlighterAction->setToolTip(tr("highlighter"));
    m_lineAction->setToolTip(tr("line"));
    m_shapeAction->setToolTip(tr("shape"));
    m_textAction->setToolTip(tr("text"));
    m_eraseAction->setToolTip(tr("erase"));
    m_lineStyleAction->setToolTip(tr("linestyle"));
    m_colorAction->setToolTip(tr("color"));
    m_clearAllAction->setToolTip(tr("clearall"));
    m_closeAction->setToolTip(tr("back"));
}

void DrawletApp::setupWindowTitles()
{
    setWindowTitle(tr("DrawletApp - Annotation"));
    m_frame->setWindowTitle(tr("DrawletApp - Annotation Toolbar"));
    m_textStyleWidget->setWindowTitle(tr("DrawletApp - Text Style"));
    m_shapePanel->setWindowTitle(tr("DrawletApp - Shapes"));
    m_colorAction->getSkin()->setWindowTitle(tr("DrawletApp - Colors"));
    m_lineStyleAction->getSkin()->setWindowTitle(tr("DrawletApp - Line Style"));
    m_captureAction->getSkin()->setWindowTitle(tr("DrawletApp - Capture"));
}

void DrawletApp::connectLanguateTranslator()
{
    if (!m_valid || !m_tr)
        return;
    connect(m_controller.get(), &Plugmux::drawletLanguageChanged, m_tr, &TR::ChangeLocale);
    connect(m_tr, &TR::UpdateUI, this, &DrawletApp::setupButtonToolTip);
    connect(m_tr, &TR::UpdateUI, this, &DrawletApp::setupWindowTitles);
    connect(m_tr, &TR::UpdateUI, m_shapePanel, &SkinDockWidget::languageChanged);
    connect(m_tr, &TR::UpdateUI, m_textStyleWidget, &TextStyleWidget::changeToolTips);
    connect(m_tr, &TR::UpdateUI, m_captureAction, &CaptureAction::changeToolTips);
    connect(m_tr, &TR::UpdateUI, m_colorAction, &ColorStyleAction::changeToolTips);
    connect(m_tr, &TR::UpdateUI, m_lineStyleAction, &LineWidthAndStyleAction::changeToolTips);
}

} // namespace application
} // namespace drawlet
