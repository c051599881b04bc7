#ifndef CUSTOMMOVEBUTTON_H
#define CUSTOMMOVEBUTTON_H

#include <QToolButton>

// The drag handle of a frameless window. It only reports presses, releases and hovering: the window
// moves itself, and the button never shows a pressed state nor emits clicked().
class CustomMoveButton : public QToolButton
{
    Q_OBJECT

public:
    explicit CustomMoveButton(QWidget *parent = nullptr);

signals:
    void buttonPress(QMouseEvent *event);
    void buttonRelease(QMouseEvent *event);
    void buttonEnter(QEvent *e);
    void buttonLeave(QEvent *e);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
};

#endif // CUSTOMMOVEBUTTON_H
