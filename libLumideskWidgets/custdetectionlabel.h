#ifndef CUSTDETECTIONLABEL_H
#define CUSTDETECTIONLABEL_H

#include <QLabel>

// A label that reports the pointer entering and leaving it.
class CustDetectionLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CustDetectionLabel(QFrame *parent = nullptr);

signals:
    void mouseEnterWidget();
    void mouseLeaveWidget();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif // CUSTDETECTIONLABEL_H
