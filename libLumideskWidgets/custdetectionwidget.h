#ifndef CUSTDETECTIONWIDGET_H
#define CUSTDETECTIONWIDGET_H

#include <QWidget>

// A transparent area that reports the pointer entering and leaving it (to show or hide a window's
// controls while the pointer is over them).
class CustDetectionWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CustDetectionWidget(QWidget *parent = nullptr);

signals:
    void mouseEnterWidget();
    void mouseLeaveWidget();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif // CUSTDETECTIONWIDGET_H
