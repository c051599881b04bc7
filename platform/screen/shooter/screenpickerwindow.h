#pragma once

#include <QImage>
#include <QPoint>
#include <QRasterWindow>
#include <QRect>
#include <QVector>

class QScreen;

namespace platform {

// The full-screen overlay on which the user chooses what to capture: it shows a still of the
// screen, so nothing moves underneath, and either highlights the window under the pointer (a click
// picks it) or lets the user drag out an area. Escape or a right click gives up.
class ScreenPickerWindow : public QRasterWindow
{
    Q_OBJECT
public:
    enum Kind { PickWindow, DrawArea };

    // `still` holds the screen in device pixels; `frames` are the windows that can be picked, in
    // the still's pixels, bottom to top.
    ScreenPickerWindow(QScreen *screen, const QImage &still, Kind kind, const QVector<QRect> &frames);

    // Covers the screen, above everything, and takes the keyboard and the mouse.
    void showFullScreenStill();

    // The choice in the still's pixels while dragging or hovering; empty before.
    QRect currentChoice() const;

signals:
    void chosen(const QRect &area);
    void cancelled();

protected:
    void paintEvent(QPaintEvent *event) override;
    void exposeEvent(QExposeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    QRect toStill(const QRect &logical) const;
    QRect fromStill(const QRect &device) const;
    int frameAt(const QPoint &logical) const;
    void finish(bool chose, const QRect &area = QRect());

    QImage m_still;
    Kind m_kind;
    QVector<QRect> m_frames;
    qreal m_ratio = 1;
    bool m_dragging = false;
    QPoint m_start;
    QPoint m_end;
    int m_hovered = -1;
    bool m_finished = false;
    bool m_grabbed = false;
};

} // namespace platform
