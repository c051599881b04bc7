#ifndef CLICKABLELABEL_H
#define CLICKABLELABEL_H

#include <QLabel>

// A label that acts as a link or menu entry: a press anywhere on it is a click.
class ClickableLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget *parent = nullptr);

signals:
    void clicked();
    void mouseEnterWidget();
    void mouseLeaveWidget();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif // CLICKABLELABEL_H
