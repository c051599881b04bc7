#pragma once

#include "abstractcapturescreenaction.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Captures full screen.
class DRAWLETUI_EXPORT CaptureScreenAction : public AbstractCaptureScreenAction
{
    Q_OBJECT
public:
    // The widget is not used.
    CaptureScreenAction(QWidget *widget, QObject *parent);

public slots:
    void setActive() override;
};

} // namespace ui
} // namespace drawlet
