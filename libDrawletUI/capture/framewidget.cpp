#include "framewidget.h"

#include <QPainter>

namespace drawlet {
namespace ui {

FrameWidget::FrameWidget(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowFlags(Qt::Drawer | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
}

void FrameWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QPen(QColor(255, 0, 0, 255), 3, Qt::DashLine));
    painter.drawRect(QRect(QPoint(0, 0), QPoint(width() - 2, height() - 2)));
}

} // namespace ui
} // namespace drawlet
