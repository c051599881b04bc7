#pragma once

#include "abstractcapturewidget.h"
#include "drawletui_global.h"

#include <QPixmap>
#include <QPoint>
#include <QRect>

namespace drawlet {
namespace ui {

// An overlay over the default screen on which an area is dragged out with the left button; a
// right click cancels.
class DRAWLETUI_EXPORT CaptureAreaScreenWidget : public AbstractCaptureWidget
{
    Q_OBJECT
public:
    explicit CaptureAreaScreenWidget(QWidget *parent = nullptr);

    // The rectangle between two corner points (both inside, the far corner exclusive); null when
    // they share a row or a column.
    static QRect coordinateCorrecte(const QPoint &a, const QPoint &b);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_start;
    QPoint m_end;
    bool m_pressed = false;
    QPixmap m_pixmap;
};

} // namespace ui
} // namespace drawlet
