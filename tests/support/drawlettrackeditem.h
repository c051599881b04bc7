#pragma once

#include <QGraphicsRectItem>
#include <QMap>

// An item that counts its own destruction by id, so a test can tell a leak (0) from a double delete
// (2, also caught by the sanitizer build) and from the one delete each item must get.
class DrawletTrackedItem : public QGraphicsRectItem
{
public:
    explicit DrawletTrackedItem(int id);
    ~DrawletTrackedItem() override;

    static QMap<int, int> deletions;

private:
    int m_id;
};
