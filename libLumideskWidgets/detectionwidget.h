#ifndef DETECTIONWIDGET_H
#define DETECTIONWIDGET_H

#include <QPoint>
#include <QWidget>

// An invisible handle on a frameless window's edge or corner: it reports the pointer entering and
// leaving and, while the left button is held, how far the pointer has moved since the press, so the
// window can resize itself.
class DetectionWidget : public QWidget
{
    Q_OBJECT

public:
    explicit DetectionWidget(QWidget *parent = nullptr);

signals:
    void mouseEnterWidget();
    void mouseLeaveWidget();
    void mouseLeftClicked();
    void mouseLeftRelease();
    void mouseDragWidget(QPoint movePoint);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
    QPoint m_pressPosition;
};

#endif // DETECTIONWIDGET_H
