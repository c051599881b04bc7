#include "drawlettrackeditem.h"

QMap<int, int> DrawletTrackedItem::deletions;

DrawletTrackedItem::DrawletTrackedItem(int id)
    : QGraphicsRectItem(0, 0, 10, 10)
    , m_id(id)
{
}

DrawletTrackedItem::~DrawletTrackedItem()
{
    ++deletions[m_id];
}
