#include "custtabwidget.h"

#include "custtabbar.h"

namespace {
// An index past the end appends: inserting there would write outside the list.
void insertClamped(QList<QPixmap> &list, int index, const QPixmap &pixmap)
{
    list.insert(qBound(0, index, list.size()), pixmap);
}
}

CustTabWidget::CustTabWidget(QWidget *parent)
    : QTabWidget(parent)
    , m_tabBar(new CustTabBar(this))
{
    m_tabBar->setPixmapLists(&m_normal, &m_selected, &m_hover);
    setTabBar(m_tabBar);
}

void CustTabWidget::InsertTabImage(int index, const QString &normal, const QString &selected,
                                   const QString &hover)
{
    insertClamped(m_normal, index, QPixmap(normal));
    insertClamped(m_selected, index, QPixmap(selected));
    insertClamped(m_hover, index, QPixmap(hover));
    m_tabBar->update();
}
