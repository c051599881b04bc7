#include "skindockwidget.h"

#include "baredock.h"
#include "desktop/taskbarentry.h"
#include "dockscreen.h"
#include "nativewindow.h"
#include "screenedge.h"
#include "skinmask.h"
#include "styletoolbarhelper.h"
#include "uiglobalconstconfig.h"

#include <QAction>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>
#include <QTransform>

#include <algorithm>

namespace drawlet {
namespace ui {

SkinDockWidget::SkinDockWidget(const QString &skinName, QWidget *parent, bool movable,
                               QToolButton *owner)
    : QDockWidget(parent)
    , m_ownerButton(owner)
    , m_skinName(skinName)
    , m_movable(movable)
{
    hide();
    setAttribute(Qt::WA_TranslucentBackground);
    makeBareDock(this);
    setAllowedAreas(Qt::NoDockWidgetArea);
    setFloating(true);
    if (!m_skinName.isEmpty()) {
        m_background = QPixmap(m_skinName);
        resize(m_background.size());
        setFixedSize(m_background.size());
        setMask(skinMask(m_background));
    }
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    // The toolbars and their pop-ups belong to the annotation window, whose entry stands for them.
    platform::TaskbarEntry::keepOut(this);
    detectWinOSTaskbar();
    m_recordedDockRect = m_dockRect;
    m_recordedStatusBarRect = m_statusBarRect;
}

SkinDockWidget::SkinDockWidget(const QString &skinName, QToolButton *owner, QWidget *parent)
    : SkinDockWidget(skinName, parent, false, owner)
{
}

SkinDockWidget::~SkinDockWidget() = default;

QRect SkinDockWidget::detectWinOSTaskbar()
{
    // The screen is read afresh each time, so a change of resolution is followed like a change of
    // the panels.
    m_screenRect = DockScreen::geometry();
    m_leftLimit = int(float(m_screenRect.width()) * 0.2f);
    m_rightLimit = int(float(m_screenRect.width()) * 0.8f);
    m_verticalMiddle = int(float(m_screenRect.height()) * 0.5f);

    const QRect screen = m_screenRect;
    const QMargins insets = DockScreen::insets();
    m_statusBarRect = QRect(screen.x(), screen.y(), screen.width(), insets.top());
    const int bottom = insets.bottom();
    const int left = insets.left();
    const int right = insets.right();
    // The side codes are the frame's: 0 for a panel at the bottom.
    if (bottom > 0) {
        m_dockSide = 0;
        m_dockRect
            = QRect(screen.x(), screen.y() + screen.height() - bottom, screen.width(), bottom);
    } else if (left > 0) {
        m_dockSide = LeftEdge;
        m_dockRect = QRect(screen.x(), screen.y(), left, screen.height());
    } else if (right > 0) {
        m_dockSide = RightEdge;
        m_dockRect = QRect(screen.x() + screen.width() - right, screen.y(), right, screen.height());
    } else {
        // No side panel: nothing to keep clear of.
        m_dockSide = 0;
        m_dockRect = QRect();
    }
    return m_dockRect;
}

QPoint SkinDockWidget::moveButtonPositionFor(int edge) const
{
    switch (edge) {
    case TopEdge:
        return QPoint(41, 3);
    case BottomEdge:
        return QPoint(41, 17);
    case LeftEdge:
        return QPoint(3, 45);
    case RightEdge:
        return QPoint(17, 45);
    default:
        return m_moveButtonPosition;
    }
}

void SkinDockWidget::drawMoveButton(QPainter *painter)
{
    if (!painter || !m_movable || m_moveButtonName.isEmpty())
        return;
    m_moveButtonPosition = moveButtonPositionFor(m_location);
    painter->drawPixmap(m_moveButtonPosition, m_moveButtonImage);
}

void SkinDockWidget::setMoveButton(QString name)
{
    m_moveButtonName = name;
    m_moveButtonImage = QPixmap(name + QStringLiteral("_normal.png"));
}

void SkinDockWidget::setRedrawWindowPoint(bool redraw, QPoint point)
{
    m_attachPending = redraw;
    m_useStoredPoint = redraw;
    m_storedPoint = point;
}

int SkinDockWidget::checkDockWidgetPosition(QPoint point)
{
    const int x = point.x() - m_screenRect.x();
    const int y = point.y() - m_screenRect.y();
    if (x < m_leftLimit)
        m_location = LeftEdge;
    else if (x > m_rightLimit)
        m_location = RightEdge;
    else
        m_location = y <= m_verticalMiddle ? TopEdge : BottomEdge;
    return m_location;
}

int SkinDockWidget::alongEdgeCoordinate() const
{
    const QRect screen = m_screenRect;
    const QPoint cursor = QCursor::pos();
    if (!isVerticalEdge(m_location)) {
        int c = m_useStoredPoint ? m_storedPoint.x() : cursor.x() - m_dragOffset.x();
        if (m_keepPosition)
            c = x();
        if (c + width() > screen.x() + screen.width())
            c = screen.x() + screen.width() - width();
        return std::max(c, screen.x());
    }
    int c = m_useStoredPoint ? m_storedPoint.y() : cursor.y() - m_dragOffset.y();
    if (m_keepPosition)
        c = y();
    // A frame that would reach past the bottom, or is dropped with the pointer above its handle,
    // goes to the top of the edge.
    int along = screen.y();
    if (c + height() <= screen.y() + screen.height()
        && cursor.y() - screen.y() >= m_moveButtonPosition.y())
        along = c;
    return std::max(along, screen.y() + m_statusBarRect.height());
}

void SkinDockWidget::moveWindowToAttach()
{
    if (!m_attachPending)
        return;
    int along = alongEdgeCoordinate();
    m_useStoredPoint = false;
    // The panels moved under a docked frame: it stays where it is along its edge.
    if (m_dockRect != m_recordedDockRect || m_statusBarRect != m_recordedStatusBarRect)
        along = isVerticalEdge(m_location) ? y() : x();

    const QRect screen = m_screenRect;
    switch (m_location) {
    case TopEdge:
        move(along, screen.y() + (m_whiteboard ? 0 : m_statusBarRect.height()));
        break;
    case BottomEdge:
        move(along,
             screen.y() + screen.height() - height()
                 - (m_whiteboard ? 0 : DockScreen::insets().bottom()));
        break;
    case LeftEdge:
        move(screen.x() + DockScreen::insets().left(), along);
        break;
    case RightEdge:
        move(screen.x() + screen.width() - width() - DockScreen::insets().right(), along);
        break;
    default:
        break;
    }
}

QPixmap SkinDockWidget::rotateImage(QString path, int degrees)
{
    const QImage image(path);
    if (image.isNull())
        return QPixmap();
    return QPixmap::fromImage(
        image.transformed(QTransform().rotate(degrees), Qt::FastTransformation));
}

void SkinDockWidget::rotateImageResizeWindow(int degrees)
{
    if (m_background.isNull())
        return;
    m_background = rotateImage(m_skinName, degrees);
    setBaseSize(m_background.size());
    setFixedSize(m_background.size());
    resize(m_background.size());
    setMask(skinMask(m_background));
}

void SkinDockWidget::changeButtonSkin(QString iconPath)
{
    if (m_ownerButton)
        m_ownerButton->setStyleSheet(StyleToolbarHelper::getStyleSheetString(
            UIGlobalConstConfig::RESOURCE_BUTTON_PATH + iconPath));
}

void SkinDockWidget::setHideByToolbuttonObjectName(const QString &objectName)
{
    if (!m_ownerButton)
        return;
    const QAction *action = m_ownerButton->defaultAction();
    const QString ownName = action ? action->objectName() : m_ownerButton->objectName();
    if (objectName != ownName)
        hide();
}

void SkinDockWidget::changeLocationSlot(int code)
{
    m_location = code;
}

void SkinDockWidget::paintEvent(QPaintEvent *event)
{
    QDockWidget::paintEvent(event);
    QPainter painter(this);
    if (!m_background.isNull())
        painter.drawPixmap(0, 0, m_background);
    drawMoveButton(&painter);
}

bool SkinDockWidget::isOnMoveButton(const QPoint &point) const
{
    const int x = point.x();
    const int y = point.y();
    switch (m_location) {
    case TopEdge:
        return x >= 50 && x <= 60 && y >= 10 && y <= 37;
    case BottomEdge:
        return x >= 50 && x <= 60 && y >= 20 && y <= 52;
    case LeftEdge:
        return x >= 10 && x <= 37 && y >= 50 && y <= 70;
    case RightEdge:
        return x >= 20 && x <= 52 && y >= 50 && y <= 70;
    default:
        return false;
    }
}

void SkinDockWidget::mousePressEvent(QMouseEvent *event)
{
    QDockWidget::mousePressEvent(event);
    if (m_moveButtonName.isEmpty())
        return;
    const QPoint point = event->localPos().toPoint();
    if (!isOnMoveButton(point)) {
        m_attachPending = false;
        return;
    }
    const QString pressed = m_moveButtonName + QStringLiteral("_pressed.png");
    m_moveButtonImage = isVerticalEdge(m_location) ? rotateImage(pressed, -90) : QPixmap(pressed);
    update();
    m_dragOffset = point;
    m_attachPending = true;
    event->accept();
}

void SkinDockWidget::mouseMoveEvent(QMouseEvent *event)
{
    QDockWidget::mouseMoveEvent(event);
    if (!m_movable || !m_attachPending || !(event->buttons() & Qt::LeftButton) || m_resizing)
        return;
    move(event->globalPos() - m_dragOffset);
    windowUpdate(this);
    emit updateMouseMove();
    event->accept();
}

void SkinDockWidget::placeBesideOwner()
{
    const QPoint owner = m_ownerButton->mapToGlobal(QPoint(0, 0));
    const int w = width();
    const int h = height();
    const int screenRight = m_screenRect.x() + m_screenRect.width();
    const int alongX = owner.x() + w < screenRight ? owner.x() : screenRight - w;
    switch (m_location) {
    case TopEdge:
        move(alongX, owner.y() + h - 4);
        break;
    case BottomEdge:
        move(alongX, owner.y() - h - 8);
        break;
    case LeftEdge:
        move(owner.x() + h - 5, owner.y());
        break;
    case RightEdge:
        move(owner.x() - w - 9, owner.y());
        break;
    default:
        break;
    }
}

void SkinDockWidget::showEvent(QShowEvent *event)
{
    if (!m_movable && m_ownerButton)
        placeBesideOwner();
    QDockWidget::showEvent(event);
}

} // namespace ui
} // namespace drawlet
