#include "captureareascreenwidget.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace drawlet {
namespace ui {

CaptureAreaScreenWidget::CaptureAreaScreenWidget(QWidget *parent)
    : AbstractCaptureWidget(parent)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        setGeometry(screen->geometry());
        m_pixmap = QPixmap(screen->size());
    }
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::CrossCursor);
}

QRect CaptureAreaScreenWidget::coordinateCorrecte(const QPoint &a, const QPoint &b)
{
    const QPoint one(1, 1);
    if (a.x() < b.x() && a.y() < b.y())
        return QRect(a, b - one);
    if (b.x() < a.x() && b.y() < a.y())
        return QRect(b, a - one);
    if (a.x() < b.x() && a.y() > b.y())
        return QRect(QPoint(a.x(), b.y()), QPoint(b.x() - 1, a.y() - 1));
    if (a.x() > b.x() && a.y() < b.y())
        return QRect(QPoint(b.x(), a.y()), QPoint(a.x() - 1, b.y() - 1));
    return QRect();
}

void CaptureAreaScreenWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_start = m_end = event->localPos().toPoint();
        m_pressed = true;
    } else if (event->button() == Qt::RightButton) {
        emit captureCanceled();
    }
}

void CaptureAreaScreenWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed || !(event->buttons() & Qt::LeftButton))
        return;
    m_end = event->localPos().toPoint();
    update();
}

void CaptureAreaScreenWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    hide();
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        emit captureCanceled();
        return;
    }
    m_end = event->localPos().toPoint();
    setAttribute(Qt::WA_TranslucentBackground, false);
    emit screenCaptured(screen, coordinateCorrecte(m_start, m_end));
}

void CaptureAreaScreenWidget::paintEvent(QPaintEvent *)
{
    if (m_pixmap.isNull())
        return;
    if (testAttribute(Qt::WA_TranslucentBackground)) {
        m_pixmap.fill(QColor(0, 0, 0, 1));
        if (m_pressed) {
            QPainter onPixmap(&m_pixmap);
            onPixmap.setPen(QPen(Qt::red, 2, Qt::DashLine));
            onPixmap.drawRect(QRect(m_start, m_end - QPoint(1, 1)));
        }
    } else {
        m_pixmap.fill(Qt::black);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_pixmap);
}

} // namespace ui
} // namespace drawlet
