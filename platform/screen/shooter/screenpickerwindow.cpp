#include "screen/shooter/screenpickerwindow.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace platform {

namespace {

// A drag shorter than this is a click, not an area.
const int MinimumArea = 2;

QPen choicePen(int width)
{
    QPen pen(QColor(230, 30, 30), width, Qt::DashLine);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

ScreenPickerWindow::ScreenPickerWindow(QScreen *screen, const QImage &still, Kind kind, const QVector<QRect> &frames)
    : m_still(still)
    , m_kind(kind)
    , m_frames(frames)
{
    setScreen(screen);
    setFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::BypassWindowManagerHint);
    setGeometry(screen->geometry());
    setCursor(Qt::CrossCursor);
    // Device pixels of the still for each unit of the window.
    m_ratio = screen->geometry().width() > 0 ? qreal(still.width()) / screen->geometry().width() : 1;
    m_still.setDevicePixelRatio(m_ratio);
}

void ScreenPickerWindow::showFullScreenStill()
{
    show();
    raise();
    requestActivate();
}

void ScreenPickerWindow::exposeEvent(QExposeEvent *event)
{
    QRasterWindow::exposeEvent(event);
    // Without a window manager's focus (the overlay bypasses it) the keys only come through a grab.
    if (isExposed() && !m_grabbed) {
        setKeyboardGrabEnabled(true);
        setMouseGrabEnabled(true);
        m_grabbed = true;
    }
}

QRect ScreenPickerWindow::toStill(const QRect &logical) const
{
    const QPoint topLeft = (QPointF(logical.topLeft()) * m_ratio).toPoint();
    const QPoint bottomRight = (QPointF(logical.topLeft() + QPoint(logical.width(), logical.height())) * m_ratio).toPoint();
    return QRect(topLeft, bottomRight - QPoint(1, 1)).intersected(QRect(QPoint(0, 0), m_still.size()));
}

QRect ScreenPickerWindow::fromStill(const QRect &device) const
{
    return QRectF(QPointF(device.topLeft()) / m_ratio, QSizeF(device.size()) / m_ratio).toAlignedRect();
}

int ScreenPickerWindow::frameAt(const QPoint &logical) const
{
    const QPoint device = (QPointF(logical) * m_ratio).toPoint();
    for (int i = m_frames.size() - 1; i >= 0; --i) {
        if (m_frames.at(i).contains(device))
            return i;
    }
    return -1;
}

QRect ScreenPickerWindow::currentChoice() const
{
    if (m_kind == PickWindow)
        return m_hovered >= 0 ? m_frames.at(m_hovered) : QRect();
    if (!m_dragging)
        return QRect();
    const QPoint topLeft(std::min(m_start.x(), m_end.x()), std::min(m_start.y(), m_end.y()));
    const QPoint bottomRight(std::max(m_start.x(), m_end.x()), std::max(m_start.y(), m_end.y()));
    return toStill(QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())));
}

void ScreenPickerWindow::finish(bool chose, const QRect &area)
{
    if (m_finished)
        return;
    m_finished = true;
    setKeyboardGrabEnabled(false);
    setMouseGrabEnabled(false);
    hide();
    if (chose)
        emit chosen(area);
    else
        emit cancelled();
}

void ScreenPickerWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), m_still);
    const QRect choice = currentChoice();
    // Everything but the choice is dimmed a little, so the user sees what will be kept.
    QRegion dimmed(QRect(QPoint(0, 0), size()));
    if (!choice.isEmpty())
        dimmed -= fromStill(choice);
    painter.setClipRegion(dimmed);
    painter.fillRect(QRect(QPoint(0, 0), size()), QColor(0, 0, 0, 60));
    painter.setClipping(false);
    if (!choice.isEmpty()) {
        painter.setPen(choicePen(m_kind == PickWindow ? 3 : 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(fromStill(choice).adjusted(0, 0, -1, -1));
    }
}

void ScreenPickerWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        finish(false);
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (m_kind == PickWindow) {
        const int frame = frameAt(event->pos());
        // A click beside every window picks nothing; the user may click again or give up.
        if (frame >= 0)
            finish(true, m_frames.at(frame));
        return;
    }
    m_dragging = true;
    m_start = m_end = event->pos();
    update();
}

void ScreenPickerWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (m_kind == PickWindow) {
        const int hovered = frameAt(event->pos());
        if (hovered != m_hovered) {
            m_hovered = hovered;
            update();
        }
        return;
    }
    if (m_dragging && (event->buttons() & Qt::LeftButton)) {
        m_end = event->pos();
        update();
    }
}

void ScreenPickerWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_kind != DrawArea || event->button() != Qt::LeftButton || !m_dragging)
        return;
    m_end = event->pos();
    const QRect choice = currentChoice();
    if (choice.width() < MinimumArea || choice.height() < MinimumArea) {
        // A click without a drag: nothing chosen yet.
        m_dragging = false;
        update();
        return;
    }
    finish(true, choice);
}

void ScreenPickerWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        finish(false);
}

bool ScreenPickerWindow::event(QEvent *event)
{
    // Closed by anything else (the window system, a session ending): the user did not choose.
    if (event->type() == QEvent::Close)
        finish(false);
    return QRasterWindow::event(event);
}

} // namespace platform
