#ifndef CUSTTABWIDGET_H
#define CUSTTABWIDGET_H

#include <QList>
#include <QPixmap>
#include <QTabWidget>

class CustTabBar;

// A tab widget whose tabs are drawn from images (see CustTabBar); it owns the images.
class CustTabWidget : public QTabWidget
{
    Q_OBJECT

public:
    explicit CustTabWidget(QWidget *parent = nullptr);

    void InsertTabImage(int index, const QString &normal, const QString &selected, const QString &hover);

private:
    QList<QPixmap> m_normal;
    QList<QPixmap> m_selected;
    QList<QPixmap> m_hover;
    CustTabBar *m_tabBar;
};

#endif // CUSTTABWIDGET_H
