#ifndef CUSTDETECTIONFRAME_H
#define CUSTDETECTIONFRAME_H

#include <QFrame>

// A camera window's menu bar: drawn from the dark menu background and reporting the pointer entering
// and leaving it.
class CustDetectionFrame : public QFrame
{
    Q_OBJECT

public:
    explicit CustDetectionFrame(QFrame *parent = nullptr);

signals:
    void mouseEnterWidget();
    void mouseLeaveWidget();

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif // CUSTDETECTIONFRAME_H
