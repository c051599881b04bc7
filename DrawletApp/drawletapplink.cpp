// The link to the record and live panel through its controller, and the hand-over of the screen
// between the main program's toolbar and the annotation toolbar.
#include "drawletapp.h"

#include "annotationeditor.h"
#include "annotationscene.h"
#include "captureaction.h"
#include "colorstyleaction.h"
#include "desktopbackdrop.h"
#include "linewidthandstyleaction.h"
#include "multiskindockwidget.h"
#include "nativewindow.h"
#include "plugmux.h"
#include "skindockwidget.h"
#include "qorvgraphicstextitem.h"
#include "textstylewidget.h"

#include <QAction>
#include <QCoreApplication>
#include <QDebug>
#include <QTimer>

namespace drawlet {
namespace application {

using namespace ui;

bool DrawletApp::createLumideskController()
{
    Plugmux *controller = Plugmux::createPlugmux(nullptr);
    if (!controller) {
        qCritical() << "failed to create plugmux.";
        return false;
    }
    m_controller.reset(controller);
    if (!m_controller->checkServerAlive()) {
        qCritical() << "Lumidesk isn't existed.";
        return false;
    }
    QWidget *panel = m_controller->getPluginWidget();
    connect(m_captureAction, &CaptureAction::captureClicked, controller, &Plugmux::hideWidget);
    connect(m_captureAction, &CaptureAction::captureFinished, controller, &Plugmux::showWidget);
    if (panel) {
        panel->setAttribute(Qt::WA_MacAlwaysShowToolWindow);
        setWidgetLevel(panel, 4);
        panel->hide();
    }
    connect(controller, &Plugmux::serverShutdown, QCoreApplication::instance(), &QCoreApplication::quit);
    connect(controller, &Plugmux::lumideskHided, this, &DrawletApp::moveWindowLocationForLumideskHidedSlot);
    // A release on the toolbar frame docks it where the user let it go.
    connect(m_frame, &MultiSkinDockWidget::mouseReleased, this, [this] { m_handedOver = false; });
    connect(m_closeAction, &QAction::triggered, this, &DrawletApp::hidePopUps);
    return true;
}

void DrawletApp::moveWindowLocationForLumideskHidedSlot(int x, int y)
{
    const QPoint point(x, y);
    m_frame->setRedrawWindowPoint(true, point);
    m_frame->setNarowMode(false);
    m_frame->redrawMoveWindowToAttach(point);
    m_handedOverAt = point;
    m_handedOver = true;
    // Without a compositing manager the desktop is taken as it is before the overlay covers it.
    if (m_mode != Mode::Whiteboard && DesktopBackdrop::needed()) {
        m_backdrop->capture({}, [this] { showOverlay(); });
        return;
    }
    showOverlay();
}

void DrawletApp::showOverlay()
{
    show();
    setShadow(m_editor);
    raise();
    m_frame->show();
    updateSeeThroughShape();
}

void DrawletApp::showLumideskSlot()
{
    m_backdrop->cancel();
    hide();
    m_frame->hide();
    // Left where it went, the main toolbar goes back where it stood; placed by the user, it goes where
    // the user left this one. (Just after a window manager took the toolbar in, its position as the
    // toolkit has it can still be the corner of the frame the manager made for it.)
    const QPoint position = m_handedOver ? m_handedOverAt : m_frame->pos();
    m_handedOver = false;
    if (m_valid)
        m_controller->drawletHided(position.x(), position.y());
}

// Everything below serves an X server without a compositing manager, where see-through windows show
// black: desktop annotation draws over a still of the desktop taken just before, and mouse mode cuts
// the window down to the annotations themselves, so the live desktop shows and takes clicks around
// them.
void DrawletApp::enterMode(Mode mode)
{
    const Mode previous = m_mode;
    m_mode = mode;
    if (!m_shapeTimer) {
        m_shapeTimer = new QTimer(this);
        m_shapeTimer->setSingleShot(true);
        m_shapeTimer->setInterval(30);
        connect(m_shapeTimer, &QTimer::timeout, this, &DrawletApp::updateSeeThroughShape);
        connect(m_desktopScene, &QGraphicsScene::changed, m_shapeTimer, [this] {
            if (m_mode == Mode::Mouse && DesktopBackdrop::needed())
                m_shapeTimer->start();
        });
    }
    const bool desktopChangedMeanwhile = previous == Mode::Mouse || previous == Mode::Whiteboard;
    if (mode != Mode::Whiteboard && desktopChangedMeanwhile && isVisible() && DesktopBackdrop::needed())
        refreshBackdrop();
    updateSeeThroughShape();
    update();
}

void DrawletApp::refreshBackdrop()
{
    m_backdrop->capture({this, m_frame, m_shapePanel, m_textStyleWidget}, [this] {
        updateSeeThroughShape();
        update();
    });
}

void DrawletApp::updateSeeThroughShape()
{
    if (m_mode != Mode::Mouse || !DesktopBackdrop::needed()) {
        if (!mask().isEmpty())
            clearMask();
        return;
    }
    const QRegion drawn = DesktopBackdrop::drawnRegion(m_desktopScene, size());
    if (drawn == mask())
        return;
    setMask(drawn);
    // Painting is clipped to the old shape: what the new one uncovers was never painted.
    update();
}

} // namespace application
} // namespace drawlet
