#include "custtabbar.h"

#include <QPainter>
#include <QStyleOptionTab>

CustTabBar::CustTabBar(QWidget *parent)
    : QTabBar(parent)
{
    // The style option only carries the mouse-over state when hover events are delivered.
    setAttribute(Qt::WA_Hover, true);
}

void CustTabBar::setPixmapLists(const QList<QPixmap> *normal, const QList<QPixmap> *selected,
                                const QList<QPixmap> *hover)
{
    m_normal = normal;
    m_selected = selected;
    m_hover = hover;
    update();
}

QPixmap CustTabBar::pixmapFor(int index, QStyle::State state) const
{
    if (state & QStyle::State_Selected)
        return m_selected ? m_selected->value(index) : QPixmap();
    if (state & QStyle::State_MouseOver)
        return m_hover ? m_hover->value(index) : QPixmap();
    return m_normal->value(index);
}

void CustTabBar::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QRect rect = tabRect(i);
        if (m_normal && i < m_normal->size()) {
            const QPixmap pixmap = pixmapFor(i, option.state);
            if (!pixmap.isNull())
                painter.drawPixmap(rect, pixmap);
        }
        painter.drawText(rect, Qt::AlignCenter, option.text);
    }
}
