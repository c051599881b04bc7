#ifndef CUSTTABBAR_H
#define CUSTTABBAR_H

#include <QList>
#include <QPixmap>
#include <QStyle>
#include <QTabBar>

// A tab bar whose tabs are drawn from images: one for a normal tab, one for the selected tab and one
// for the tab under the pointer. The image lists belong to the owner (CustTabWidget).
class CustTabBar : public QTabBar
{
    Q_OBJECT

public:
    explicit CustTabBar(QWidget *parent = nullptr);

    void setPixmapLists(const QList<QPixmap> *normal, const QList<QPixmap> *selected,
                        const QList<QPixmap> *hover);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap pixmapFor(int index, QStyle::State state) const;

    const QList<QPixmap> *m_normal = nullptr;
    const QList<QPixmap> *m_selected = nullptr;
    const QList<QPixmap> *m_hover = nullptr;
};

#endif // CUSTTABBAR_H
