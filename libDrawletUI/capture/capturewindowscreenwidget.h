#pragma once

#include "abstractcapturewidget.h"
#include "drawletui_global.h"

#include <QSharedPointer>

namespace drawlet {
namespace ui {

class FrameWidget;

// A window-picking overlay that has no way to find the window under the pointer: nothing ever
// sets its marker, so a left click cancels like a right click. (The capture button's window
// capture uses the platform's screen shooter instead.)
class DRAWLETUI_EXPORT CaptureWindowScreenWidget : public AbstractCaptureWidget
{
    Q_OBJECT
public:
    explicit CaptureWindowScreenWidget(QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    QSharedPointer<FrameWidget> m_frame;
};

} // namespace ui
} // namespace drawlet
