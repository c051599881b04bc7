// The mode state machine: desktop annotation, mouse mode and whiteboard.
#include "drawletapp.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "annotationtoolbar.h"
#include "multiskindockwidget.h"
#include "nativewindow.h"
#include "toggledtransition.h"

#include <QAction>
#include <QButtonGroup>
#include <QDebug>
#include <QFinalState>
#include <QSignalBlocker>
#include <QSignalTransition>
#include <QState>
#include <QStateMachine>
#include <QToolButton>

namespace drawlet {
namespace application {

using namespace ui;

namespace {

// The handlers' trace begins with who called them: the sender as Qt prints an object.
QDebug withSender(QDebug debug, const QObject *sender)
{
    if (sender)
        debug << sender;
    else
        debug << "BadAllocated Object";
    return debug;
}

// A macro, so that the log names the handler, not a helper, as the calling function.
#define senderTrace(intro, sender) withSender(qDebug() << intro, sender)

const char *boolText(bool value)
{
    return value ? "true" : "false";
}

ToggledTransition *addToggledTransition(const char *name, QState *source, const QObject *sender,
                                        const char *signal, QAbstractState *target)
{
    auto *transition = new ToggledTransition(sender, signal, source);
    transition->setObjectName(QLatin1String(name));
    transition->setTargetState(target);
    return transition;
}

} // namespace

void DrawletApp::setupStateMachine()
{
    m_machine = new QStateMachine(this);
    auto *initState = new QState(m_machine);
    initState->setObjectName(QStringLiteral("initState"));
    auto *shutdownState = new QFinalState(m_machine);
    shutdownState->setObjectName(QStringLiteral("shutdownState"));
    auto *annotationGroupState = new QState(m_machine);
    annotationGroupState->setObjectName(QStringLiteral("annotationGroupState"));
    m_desktopAnnotationState = new QState(annotationGroupState);
    m_desktopAnnotationState->setObjectName(QStringLiteral("desktopAnnotationState"));
    m_mouseModeState = new QState(annotationGroupState);
    m_mouseModeState->setObjectName(QStringLiteral("mouseModeState"));
    m_whiteboardAnnotationState = new QState(annotationGroupState);
    m_whiteboardAnnotationState->setObjectName(QStringLiteral("whiteboardAnnotationState"));

    m_machine->setInitialState(initState);
    connect(initState, &QState::entered, this, &DrawletApp::entredInitializeMode);
    connect(initState, &QState::activeChanged, this, &DrawletApp::activedInitializeMode);

    addToggledTransition("desktopMouseModeButtonPressedTransition", m_desktopAnnotationState, m_mouseModeAction,
                         SIGNAL(toggled(bool)), m_mouseModeState);
    addToggledTransition("whiteboardMouseModeButtonPressedTransition", m_whiteboardAnnotationState,
                         m_mouseModeAction, SIGNAL(toggled(bool)), m_mouseModeState);
    connect(m_whiteboardAction, &QAction::toggled, this, &DrawletApp::onWhiteboardActionReleased);
    connect(m_whiteboardAnnotationState, &QState::exited, this, &DrawletApp::exitedWhiteboardMode);
    connect(m_mouseModeState, &QState::entered, this, &DrawletApp::enteredMouseMode);
    connect(m_toolGroup, QOverload<QAbstractButton *, bool>::of(&QButtonGroup::buttonToggled), this,
            &DrawletApp::adaptToolButtonToggledToDesktopMode);
    addToggledTransition("mouseDesktopModeButtonPressedTransition", m_mouseModeState, this,
                         SIGNAL(annotationButtonToggled(bool)), m_desktopAnnotationState);
    connect(m_mouseModeState, &QState::exited, this, &DrawletApp::exitedMouseMode);
    connect(m_desktopAnnotationState, &QState::entered, this, &DrawletApp::enteredDesktopAnnotationMode);
    annotationGroupState->setInitialState(m_desktopAnnotationState);

    auto *initDesktop = new QSignalTransition(this, SIGNAL(initialized()), initState);
    initDesktop->setObjectName(QStringLiteral("initDesktopModeTransition"));
    initDesktop->setTargetState(annotationGroupState);
    connect(annotationGroupState, &QState::entered, this, &DrawletApp::setdefaultPainter);

    addToggledTransition("mouseWhiteboardModeButtonPressedTransition", m_mouseModeState, m_whiteboardAction,
                         SIGNAL(toggled(bool)), m_whiteboardAnnotationState);
    addToggledTransition("desktopWhiteboardModeButtonPressedTransition", m_desktopAnnotationState,
                         m_whiteboardAction, SIGNAL(toggled(bool)), m_whiteboardAnnotationState);
    connect(m_whiteboardAnnotationState, &QState::entered, this, &DrawletApp::enteredwhiteboardAnnotationMode);
    connect(m_whiteboardAnnotationState, &QState::entered, this, &DrawletApp::setdefaultPainter);

    connect(m_closeAction, &QAction::triggered, this, &DrawletApp::showLumideskSlot);
    connect(m_closeAction, &QAction::triggered, m_editor, &AnnotationEditor::finishToolEditing);

    connect(m_whiteboardAnnotationState, &QState::entered, m_insertPictureButton, &QWidget::show);
    connect(m_whiteboardAnnotationState, &QState::entered, m_toolbar,
            &AnnotationToolbar::enteredWhiteboardAnnotationStateSlot);
    connect(m_whiteboardAnnotationState, &QState::entered, m_frame,
            &MultiSkinDockWidget::enteredWhiteboardAnnotationStateSlot);
    connect(m_whiteboardAnnotationState, &QState::exited, m_insertPictureButton, &QWidget::hide);
    connect(m_whiteboardAnnotationState, &QState::exited, m_toolbar,
            &AnnotationToolbar::exitedWhiteboardAnnotationStateSlot);
    connect(m_whiteboardAnnotationState, &QState::exited, m_frame,
            &MultiSkinDockWidget::exitedWhiteboardAnnotationStateSlot);

    m_machine->start();
}

void DrawletApp::entredInitializeMode()
{
    senderTrace("signal of ", sender()) << "  was be triggered!! [1]";
    connect(m_editor, &AnnotationEditor::canUndoChanged, this, &DrawletApp::setupWidgetsByEditorChanged,
            Qt::UniqueConnection);
}

void DrawletApp::activedInitializeMode(bool active)
{
    senderTrace("signal of ", sender()) << " has be triggered!! [2]" << "args: [1]active: " << boolText(active);
    if (active)
        emit initialized();
}

void DrawletApp::setdefaultPainter()
{
    senderTrace("signal of ", sender()) << "  was be triggered!! ";
    const QSignalBlocker blocker(m_toolGroup);
    m_freehandAction->setChecked(true);
}

void DrawletApp::enteredDesktopAnnotationMode()
{
    senderTrace("signal of ", sender()) << "  has be triggered!! ";
    m_editor->setActiveScene(m_desktopScene);
    enterMode(Mode::DesktopAnnotation);
}

void DrawletApp::enteredMouseMode()
{
    senderTrace("signal of ", sender()) << "  has be triggered!! ";
    m_editor->setActiveScene(m_desktopScene);
    m_undoAction->setEnabled(false);
    m_redoAction->setEnabled(false);
    connect(m_editor, &AnnotationEditor::activeSceneCleaned, this, &DrawletApp::disableUndoAction,
            Qt::UniqueConnection);
    setMouseTransparent(this, true);
    m_editor->setCurrentCursor(nullptr);
    enterMode(Mode::Mouse);
}

void DrawletApp::exitedMouseMode()
{
    senderTrace("signal of ", sender()) << " was be triggered!!";
    disconnect(m_editor, &AnnotationEditor::activeSceneCleaned, this, &DrawletApp::disableUndoAction);
    m_undoAction->setEnabled(m_editor->canUndo());
    m_redoAction->setEnabled(m_editor->canRedo());
    setMouseTransparent(this, false);
}

void DrawletApp::enteredwhiteboardAnnotationMode()
{
    senderTrace("signal of", sender()) << "  was be triggered!! ";
    m_editor->setActiveScene(m_whiteboardScene);
    enterMode(Mode::Whiteboard);
    showFullScreen();
}

void DrawletApp::exitedWhiteboardMode()
{
    senderTrace("signal of ", sender()) << " was be triggered!! ";
    {
        const QSignalBlocker blocker(m_whiteboardAction);
        m_whiteboardAction->setChecked(false);
    }
    showNormal();
    setWidgetLevel(this, 1);
}

void DrawletApp::onWhiteboardActionReleased(bool toggled)
{
    senderTrace("signal of", sender()) << "  has be triggered!! " << "args: [1] toggled:" << boolText(toggled)
                                       << ". if(!toggled), this function will call mousemode button setChecked(true).";
    if (!toggled)
        m_mouseModeAction->setChecked(true);
}

void DrawletApp::adaptToolButtonToggledToDesktopMode(QAbstractButton *button, bool checked)
{
    senderTrace("signal of ", sender()) << " was be triggered!! " << "args: [1]button: " << button
                                        << "; [2]checked: " << boolText(checked);
    auto *toolButton = qobject_cast<QToolButton *>(button);
    if (!toolButton || !toolButton->defaultAction()) {
        qWarning() << "There is not PaintAction here, the signal annotationButtonToggled(bool) will not be "
                      "triggered!! ";
        return;
    }
    if (!checked)
        return;
    qDebug() << "signal annotationButtonToggled(bool) will be triggered!! args: [1]checked: " << "true";
    emit annotationButtonToggled(true);
}

} // namespace application
} // namespace drawlet
