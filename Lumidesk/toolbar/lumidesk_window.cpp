// The bar itself: docking to an edge with its look, the narrow form, dragging, the saved place, the
// shape without a compositor and the pen hand-over to DrawletApp.

#include "toolbar/lumidesk.h"

#include "camerawindow/cameramainwidget.h"
#include "camerawindow/keystonewidget.h"
#include "camerawindow/seethroughmask.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "common/settingspath.h"
#include "desktop/nativewindow.h"
#include "toolbar/link/localserver.h"
#include "toolbar/toolbarstyle.h"

#include <QBitmap>
#include <QCoreApplication>
#include <QCursor>
#include <QHoverEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QSettings>
#include <QTimer>
#include <QWindow>

#include <algorithm>

namespace {

const Journix::LogLevel StateLevel = Journix::LogLevel(4);

// Corrections of the stacking order allowed in a second.
const int MaxRestacksPerSecond = 20;

// Where the toolbar waits while DrawletApp's own toolbar stands in for it.
const QPoint OffScreen(-2000, -2000);

// A style sheet set again restyles the widget and all it holds even when it is the same text, and the
// bar holds every button.
void restyle(QWidget *widget, const QString &styleSheet)
{
    if (widget->styleSheet() != styleSheet)
        widget->setStyleSheet(styleSheet);
}

} // namespace

bool Lumidesk::checkGuidSetting()
{
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    return settings.value(QStringLiteral("Guid/Enabled"), 1).toInt() >= 1;
}

// ---- Place ----

void Lumidesk::saveLastPoint(int x, int y)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(QStringLiteral("POSITION/X"), x);
    settings.setValue(QStringLiteral("POSITION/Y"), y);
}

void Lumidesk::loadLastPoint()
{
    const QRect screen = primaryGeometry();
    const QRect available = primaryAvailableGeometry();
    const int defaultX = centredOn(screen, geometry()).x();
    const int defaultY = available.bottom() - (height() - 1);

    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    const int x = settings.value(QStringLiteral("POSITION/X"), defaultX).toInt();
    const int y = settings.value(QStringLiteral("POSITION/Y"), defaultY).toInt();
    move(x, y);
    m_dockEdge = m_dockHelper->checkDockWidgetPosition(QPoint(x, y));
    adjustPosition(m_dockEdge);
}

void Lumidesk::showLumidesk()
{
    show();
    QRect r = geometry();
    r.moveBottom(primaryAvailableGeometry().bottom());
    const QRect screen = primaryGeometry();
    r.moveLeft(centredOn(screen, r).x());
    setGeometry(r);
}

void Lumidesk::showLumidesk(int x, int y)
{
    move(x, y);
    // The edge is recorded too: the narrow button lays the bar out for it.
    m_dockEdge = m_dockHelper->checkDockWidgetPosition(QPoint(x, y));
    adjustPosition(m_dockEdge);
    show();
}

// ---- Docking ----

QRect Lumidesk::dockedGeometry(QRect r, const QRect &available, int edge)
{
    const QRect &a = available;
    switch (edge) {
    case AbstractCaptureScreenAction::Top:
    case AbstractCaptureScreenAction::Bottom:
        r.setSize(QSize(BarLength, BarThickness));
        if (edge == AbstractCaptureScreenAction::Top)
            r.moveTop(a.top());
        else
            r.moveBottom(a.bottom());
        if (r.right() + 1 > a.width())
            r.moveLeft(a.right() - r.width());
        break;
    case AbstractCaptureScreenAction::Left:
        r.setSize(QSize(BarThickness, BarLength));
        r.moveLeft(a.left());
        if (r.top() < 0)
            r.moveTo(0, 0);
        if (r.bottom() + 1 > a.height()) {
            r.moveLeft(0);
            r.moveBottom(a.bottom());
        }
        break;
    case AbstractCaptureScreenAction::Right:
        r.setSize(QSize(BarThickness, BarLength));
        r.moveRight(a.right());
        if (r.top() < 0)
            r.moveTo(a.right() - r.width(), 0);
        if (r.bottom() + 1 > a.height()) {
            r.moveLeft(a.right() - r.width());
            r.moveBottom(a.bottom());
        }
        break;
    default:
        break;
    }
    return r;
}

void Lumidesk::adjustPosition(int edge)
{
    const QRect r = dockedGeometry(geometry(), primaryAvailableGeometry(), edge);
    if (ToolbarStyle::isEdge(edge)) {
        const bool vertical = ToolbarStyle::isVertical(edge);
        if (vertical)
            setFixedSize(BarThickness, BarLength);
        else
            setFixedSize(BarLength, BarThickness);
        placeButtons(edge);
        applyEdgeLook(edge);
        verticleWidget->setVisible(vertical);
        horizontalWidget->setVisible(!vertical);
    }
    setGeometry(r);
    reshow();
}

void Lumidesk::placeButtons(int edge)
{
    for (const ToolbarStyle::ButtonPlace &place : ToolbarStyle::buttonPlaces(edge)) {
        if (QWidget *button = findChild<QWidget *>(QLatin1String(place.objectName)))
            button->move(place.position);
    }
}

void Lumidesk::applyEdgeLook(int edge)
{
    if (!ToolbarStyle::isEdge(edge))
        return;
    // The bar's image, the narrow button's images and the close button's place follow the form: a
    // toolbar docked while narrow keeps its narrow bar and close button.
    const ToolbarStyle::Look look = ToolbarStyle::look(edge, m_narrow);
    const bool vertical = ToolbarStyle::isVertical(edge);
    QWidget *bar = vertical ? verticleWidget : horizontalWidget;
    QToolButton *narrowButton = vertical ? narrowBtnVer : narrowBtn;
    restyle(bar, ToolbarStyle::barStyle(bar->objectName(), look.barImage));
    restyle(narrowButton, ToolbarStyle::buttonStyle(look.narrowImage));
    if (m_narrow) {
        if (QWidget *close = findChild<QWidget *>(QLatin1String(look.close.objectName)))
            close->move(look.close.position);
    }
}

void Lumidesk::doNarrow()
{
    m_narrow = !m_narrow;
    updateNarrowTip();
    for (QWidget *widget : {static_cast<QWidget *>(moveBtn), static_cast<QWidget *>(moveBtnVer), functionGroup,
                            functionGroupVer})
        widget->setVisible(!m_narrow);
    horizontalWidget->setFixedSize(m_narrow ? NarrowLength : BarLength, BarThickness);
    verticleWidget->setFixedSize(BarThickness, m_narrow ? NarrowLength : BarLength);

    if (ToolbarStyle::isEdge(m_dockEdge)) {
        const ToolbarStyle::Look look = ToolbarStyle::look(m_dockEdge, m_narrow);
        applyEdgeLook(m_dockEdge);
        if (QWidget *close = findChild<QWidget *>(QLatin1String(look.close.objectName)))
            close->move(look.close.position);
    }
    reshow();
}

void Lumidesk::updateNarrowTip()
{
    // The tool-tip follows the form: what a click does.
    const QString tip = m_narrow ? tr("enlarge") : tr("narrow");
    narrowBtn->setToolTip(tip);
    narrowBtnVer->setToolTip(tip);
}

void Lumidesk::reshow()
{
    // Hiding and showing again makes the native window take the new size and place at once; the show
    // event takes the new shape.
    platform::NativeWindow::waitUntilSettled(windowHandle());
    hide();
    platform::NativeWindow::waitUntilSettled(windowHandle());
    show();
}

void Lumidesk::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    updateShape();
    // Shown again (docking, the narrow form) the bar is mapped anew: once it is, it goes back to the
    // front.
    QTimer::singleShot(0, this, [this] { raiseAboveCameraWindows(); });
    if (m_chooserWithToolbar) {
        m_chooserWithToolbar = false;
        // Once the toolbar's own showing (and docking) is through.
        QTimer::singleShot(0, this, &Lumidesk::showSelectLayout);
    }
}

void Lumidesk::updateShape()
{
    // Without a compositor the clear parts of the translucent window come out black: the window then
    // takes the shape of its bar image, so the desktop shows around the bar's rounded plate. With one,
    // the window takes no shape, and the image need not be read.
    if (SeeThroughMask::compositing()) {
        // Should a compositor stop between the two questions, the whole bar stays visible.
        SeeThroughMask::apply(this, QRegion(rect()));
        return;
    }
    QWidget *bar = horizontalWidget->isVisibleTo(this) ? horizontalWidget : verticleWidget;
    const QString barImage = ToolbarStyle::look(m_dockEdge, m_narrow).barImage;
    QRegion visible;
    if (!barImage.isEmpty() && bar->width() > 0 && bar->height() > 0) {
        const QPixmap image(ToolbarStyle::imagePath(barImage) + QLatin1String(".png"));
        if (!image.isNull()) {
            const QBitmap mask = image.scaled(bar->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation).mask();
            visible = mask.isNull() ? QRegion(bar->rect()) : QRegion(mask);
        } else {
            visible = QRegion(bar->rect());
        }
        visible.translate(bar->mapTo(this, QPoint(0, 0)));
    } else {
        visible = QRegion(rect());
    }
    SeeThroughMask::apply(this, visible);
}

// ---- Stacking ----

void Lumidesk::keepAboveCameraWindows(QWidget *popup)
{
    m_popups.append(popup);
    popup->installEventFilter(this);
}

bool Lumidesk::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        // The show event comes before the window is mapped: the raise waits until it is.
        QPointer<QWidget> popup(qobject_cast<QWidget *>(watched));
        QTimer::singleShot(0, this, [this, popup] { raiseAboveCameraWindows(popup); });
    }
    return QMainWindow::eventFilter(watched, event);
}

void Lumidesk::raiseAboveCameraWindows(QWidget *front)
{
    m_popups.removeAll(nullptr);
    platform::NativeWindow::raise(windowHandle());
    for (QWidget *popup : qAsConst(m_popups)) {
        if (popup != front && popup->isVisible())
            platform::NativeWindow::raise(popup->windowHandle());
    }
    if (front && front->isVisible())
        platform::NativeWindow::raise(front->windowHandle());
}

void Lumidesk::keepStackingOrder()
{
    const QHash<const QWidget *, int> levels = stackLevels();
    // From the first window that lies below one it must lie above, each is raised in turn.
    const QList<QWidget *> order = stackingOrder(levels);
    int highest = -1;
    int first = -1;
    for (int i = 0; i < order.size() && first < 0; ++i) {
        const int level = levels.value(order.at(i), -1);
        if (level < 0)
            continue;
        if (level < highest)
            first = i;
        highest = qMax(highest, level);
    }
    if (first < 0 || !mayRestack())
        return;
    for (int i = first; i < order.size(); ++i) {
        QWidget *window = order.at(i);
        if (levels.value(window, -1) < 0)
            continue;
        platform::NativeWindow::raise(window->windowHandle());
        // A camera window's open dialogs stay above it (a window manager keeps them there itself).
        if (auto *camera = qobject_cast<CameraMainWidget *>(window)) {
            for (QWidget *dialog : camera->openDialogs())
                platform::NativeWindow::raise(dialog->windowHandle());
        }
    }
}

QHash<const QWidget *, int> Lumidesk::stackLevels()
{
    QList<QWidget *> windows;
    for (CameraMainWidget *camera : {m_firstCamera, m_secondCamera}) {
        if (camera)
            windows << camera->previewWindow() << camera->keyStone() << camera;
    }
    windows.append(this);
    m_popups.removeAll(nullptr);
    for (QWidget *popup : qAsConst(m_popups))
        windows.append(popup);
    QList<QWindow *> handles;
    for (QWidget *window : qAsConst(windows))
        handles.append(window->windowHandle());
    const QList<int> found = platform::NativeWindow::stackLevels(handles);
    QHash<const QWidget *, int> levels;
    for (int i = 0; i < windows.size(); ++i)
        levels.insert(windows.at(i), found.at(i));
    return levels;
}

bool Lumidesk::mayRestack()
{
    if (!m_restackClock.isValid() || m_restackClock.elapsed() >= 1000) {
        m_restackClock.start();
        m_restackCount = 0;
    }
    if (m_restackCount < MaxRestacksPerSecond) {
        ++m_restackCount;
        return true;
    }
    // A window manager that keeps undoing the order is answered again once the second is over.
    if (!m_restackDeferred) {
        m_restackDeferred = true;
        _LumideskLog::log(StateLevel, QStringLiteral("Windows restacked again and again: order put back later."));
        QTimer::singleShot(int(qMax<qint64>(1, 1000 - m_restackClock.elapsed())), this, [this] {
            m_restackDeferred = false;
            keepStackingOrder();
        });
    }
    return false;
}

QList<QWidget *> Lumidesk::stackingOrder(const QHash<const QWidget *, int> &levels)
{
    QList<CameraMainWidget *> cameras;
    for (CameraMainWidget *camera : {m_firstCamera, m_secondCamera}) {
        if (camera && levels.value(camera, -1) >= 0)
            cameras.append(camera);
    }
    // The smaller one in front; of two the same size, the one in front now.
    std::sort(cameras.begin(), cameras.end(), [&levels](const CameraMainWidget *a, const CameraMainWidget *b) {
        const qint64 areaA = qint64(a->width()) * a->height();
        const qint64 areaB = qint64(b->width()) * b->height();
        if (areaA != areaB)
            return areaA > areaB;
        return levels.value(a) < levels.value(b);
    });
    QList<QWidget *> order;
    for (CameraMainWidget *camera : qAsConst(cameras))
        order << camera->previewWindow() << camera->keyStone() << camera;
    order.append(this);
    // The pop-ups keep their order among themselves.
    QList<QWidget *> popups;
    for (const QPointer<QWidget> &popup : m_popups) {
        if (popup && levels.value(popup, -1) >= 0)
            popups.append(popup);
    }
    std::sort(popups.begin(), popups.end(),
              [&levels](const QWidget *a, const QWidget *b) { return levels.value(a) < levels.value(b); });
    order.append(popups);
    return order;
}

// ---- Dragging ----

void Lumidesk::doMousePress(QMouseEvent *e)
{
    // The grabbed point stays under the mouse whichever bar's handle was pressed.
    if (const QWidget *handle = qobject_cast<const QWidget *>(sender()))
        m_dragHandleOffset = handle->mapTo(this, QPoint(0, 0));
    _mousePressEvent(e);
}

void Lumidesk::doMouseRelease(QMouseEvent *e)
{
    _mouseReleaseEvent(e);
}

void Lumidesk::_mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = e->localPos().toPoint();
}

void Lumidesk::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_dragging)
        return;
    const QPoint local = e->localPos().toPoint();
    move(mapToParent(local - m_dragHandleOffset - m_dragStart));
}

void Lumidesk::_mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_dragStart = QPoint();
    m_dockEdge = m_dockHelper->checkDockWidgetPosition(e->globalPos());
    adjustPosition(m_dockEdge);
}

// ---- Pen ----

void Lumidesk::showDrawlet()
{
    // Without the panel nobody would bring the toolbar back from off screen: it stays, and DrawletApp
    // is started (again), so the next press can hand over.
    if (!m_localServer->isPanelConnected()) {
        _LumideskLog::log(StateLevel, QStringLiteral("Pen pressed with no panel connected: toolbar stays."));
        startDrawlet();
        return;
    }
    m_localServer->hideLumidesk(x(), y());
    forgetMouseOver();
    move(OffScreen);
    // A window manager keeps a corner of a window moved off the screen in view; hidden, nothing of the
    // bar shows until the panel gives it back.
    hide();
}

void Lumidesk::forgetMouseOver()
{
    // Hidden while the mouse is over it, the bar hears no leaving: the pen button would come back
    // drawn as under the mouse, wherever the mouse is then.
    for (QWidget *widget : findChildren<QWidget *>()) {
        if (!widget->underMouse())
            continue;
        widget->setAttribute(Qt::WA_UnderMouse, false);
        QHoverEvent hoverLeave(QEvent::HoverLeave, QPointF(-1, -1), widget->mapFromGlobal(QCursor::pos()));
        QCoreApplication::sendEvent(widget, &hoverLeave);
        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(widget, &leave);
        widget->update();
    }
}
