#pragma once

#include "configtype.h"

#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>

class QAbstractButton;
class QAction;
class QButtonGroup;
class QState;
class QStateMachine;
class QTimer;
class QToolButton;
class TR;

namespace drawlet {
namespace ui {
class AnnotationEditor;
class AnnotationScene;
class AnnotationToolbar;
class CaptureAction;
class ColorStyleAction;
class ConfigManager;
class FreeHandPainter;
class LineWidthAndStyleAction;
class MultiSkinDockWidget;
class PaintInterface;
class Plugmux;
class ShapeSelWidget;
class SkinDockWidget;
class TextStyleWidget;
} // namespace ui

namespace application {

class DesktopBackdrop;

// The annotation program's window: a frameless, see-through, always-on-top layer over the screen that
// holds the annotation editor, with the floating annotation toolbar and its pop-ups. It switches
// between desktop annotation, mouse mode (clicks pass through to the desktop) and the whiteboard, and
// takes the screen from the main program and gives it back through the record and live panel's
// controller.
class DrawletApp : public QMainWindow
{
    Q_OBJECT

public:
    enum class Mode { None, DesktopAnnotation, Mouse, Whiteboard };

    explicit DrawletApp(QWidget *parent = nullptr);
    ~DrawletApp() override;

    bool valid() const { return m_valid; }
    void setDrawletTR(TR *tr) { m_tr = tr; }
    void connectLanguateTranslator();

    Mode mode() const { return m_mode; }
    ui::AnnotationEditor *editor() const { return m_editor; }
    ui::AnnotationScene *desktopScene() const { return m_desktopScene; }
    ui::AnnotationScene *whiteboardScene() const { return m_whiteboardScene; }
    ui::MultiSkinDockWidget *toolbarFrame() const { return m_frame; }
    ui::AnnotationToolbar *toolbar() const { return m_toolbar; }
    ui::SkinDockWidget *shapePanel() const { return m_shapePanel; }
    ui::TextStyleWidget *textStylePanel() const { return m_textStyleWidget; }
    ui::CaptureAction *captureAction() const { return m_captureAction; }
    ui::ColorStyleAction *colorAction() const { return m_colorAction; }
    ui::LineWidthAndStyleAction *lineStyleAction() const { return m_lineStyleAction; }
    ui::Plugmux *controller() const { return m_controller.get(); }
    QStateMachine *stateMachine() const { return m_machine; }
    DesktopBackdrop *backdrop() const { return m_backdrop; }

signals:
    void initialized();
    void annotationButtonToggled(bool checked);

public slots:
    void entredInitializeMode();
    void activedInitializeMode(bool active);
    void setTransparent(bool isTransparent);
    void enteredDesktopAnnotationMode();
    void enteredwhiteboardAnnotationMode();
    void enteredMouseMode();
    void adaptToolButtonToggledToDesktopMode(QAbstractButton *button, bool checked);
    void exitedMouseMode();
    void setdefaultPainter();
    void exitedWhiteboardMode();
    void onWhiteboardActionReleased(bool toggled);
    void changeToSelectObjectMode();
    void changeToFreeHandMode();
    void setupWidgetsByEditorChanged(bool canUndo);
    void disableUndoAction();
    void moveWindowLocationForLumideskHidedSlot(int x, int y);
    void showLumideskSlot();
    void setupButtonToolTip();
    // The titles a taskbar or window list shows for the overlay and its toolbars.
    void setupWindowTitles();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Construction steps.
    void setupUi();
    void setupButtonConnection();
    void setupStateMachine();
    bool createLumideskController();

    // Buttons and the tools behind them.
    QToolButton *createBaseButton(int w, int h, QAction *action, const QString &imageBase,
                                  const bool &checkable, const QString &objectName, QWidget *parent);
    QToolButton *createPainterButton(ui::PaintInterface *painter, int w, int h, const QString &imageBase,
                                     const QString &cursorPath, int hotX, int hotY,
                                     const QString &objectName, QWidget *parent);
    QToolButton *createSelectButton(int w, int h, const QString &imageBase, const Qt::CursorShape &shape,
                                    const QString &objectName, QWidget *parent);
    QToolButton *createTextButton(int w, int h, const QString &imageBase, const Qt::CursorShape &shape,
                                  const QString &objectName, QWidget *parent);
    QToolButton *createEraseButton(int w, int h, const QString &imageBase, const QString &cursorPath,
                                   int hotX, int hotY, const QString &objectName, QWidget *parent);
    QToolButton *createCaptureButton();
    QToolButton *createColorHelper();
    QToolButton *createLineStyleHelper();
    QToolButton *createSelectObjectFunction();
    QToolButton *createFreeHandFunction();
    QToolButton *createHightlightFunction();
    QToolButton *createLineShapeFunction();
    QToolButton *createShapeSelectFunction();
    QToolButton *createTextFunction();
    QToolButton *createEraseFunction();
    ui::FreeHandPainter *createFreadHandPainter(ui::ConfigType type);
    void setupShapeSelectWidget(QToolButton *shapeButton);
    void wirePainter(QObject *painter);
    void wireToolAction(QAction *toolAction, QToolButton *button);
    void connectPopUpClosing();
    // The shape panel and the colour, line and capture pop-ups.
    void hidePopUps();
    void connectFrameLocation();

    // The screen without a compositing manager: a still of the desktop behind desktop annotation,
    // and in mouse mode a window cut to the annotations.
    void enterMode(Mode mode);
    void showOverlay();
    void refreshBackdrop();
    void updateSeeThroughShape();

    QToolButton *m_insertPictureButton = nullptr;
    QButtonGroup *m_toolGroup = nullptr;
    QButtonGroup *m_styleGroup = nullptr;
    ui::MultiSkinDockWidget *m_frame = nullptr;
    ui::SkinDockWidget *m_shapePanel = nullptr;
    ui::TextStyleWidget *m_textStyleWidget = nullptr;
    ui::AnnotationToolbar *m_toolbar = nullptr;
    ui::AnnotationScene *m_desktopScene = nullptr;
    ui::AnnotationScene *m_whiteboardScene = nullptr;
    ui::AnnotationEditor *m_editor = nullptr;
    QStateMachine *m_machine = nullptr;
    QState *m_desktopAnnotationState = nullptr;
    QState *m_mouseModeState = nullptr;
    QState *m_whiteboardAnnotationState = nullptr;

    QAction *m_shrinkAction = nullptr;
    QAction *m_mouseModeAction = nullptr;
    QAction *m_whiteboardAction = nullptr;
    QAction *m_insertPictureAction = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    ui::CaptureAction *m_captureAction = nullptr;
    ui::ColorStyleAction *m_colorAction = nullptr;
    ui::LineWidthAndStyleAction *m_lineStyleAction = nullptr;
    QAction *m_eraseAction = nullptr;
    QAction *m_clearAllAction = nullptr;
    QAction *m_selectAction = nullptr;
    QAction *m_closeAction = nullptr;
    QAction *m_freehandAction = nullptr;
    QAction *m_highlighterAction = nullptr;
    QAction *m_lineAction = nullptr;
    QAction *m_textAction = nullptr;
    QAction *m_shapeAction = nullptr;

    std::shared_ptr<ui::Plugmux> m_controller;
    bool m_valid = false;
    ui::ConfigManager *m_config = nullptr;
    TR *m_tr = nullptr;

    Mode m_mode = Mode::None;
    // Where the main program's toolbar stood when it handed the screen over (the annotation toolbar,
    // longer, often has to go elsewhere along the edge), until the user places the annotation toolbar.
    QPoint m_handedOverAt;
    bool m_handedOver = false;
    DesktopBackdrop *m_backdrop = nullptr;
    QTimer *m_shapeTimer = nullptr;
};

} // namespace application
} // namespace drawlet
