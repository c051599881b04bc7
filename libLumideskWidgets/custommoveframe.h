#ifndef CUSTOMMOVEFRAME_H
#define CUSTOMMOVEFRAME_H

#include <QFrame>

// A frame by which a frameless window is dragged: it forwards the mouse events to the window.
class CustomMoveFrame : public QFrame
{
    Q_OBJECT

public:
    explicit CustomMoveFrame(QWidget *parent = nullptr);

signals:
    void framePress(QMouseEvent *event);
    void frameRelease(QMouseEvent *event);
    void frameMove(QMouseEvent *event);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
};

#endif // CUSTOMMOVEFRAME_H
