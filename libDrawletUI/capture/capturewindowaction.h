#pragma once

#include "abstractcapturescreenaction.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Captures one window the user clicks, its frame included.
class DRAWLETUI_EXPORT CaptureWindowAction : public AbstractCaptureScreenAction
{
    Q_OBJECT
public:
    // The widget is not used.
    CaptureWindowAction(QWidget *widget, QObject *parent);

public slots:
    void setActive() override;
};

} // namespace ui
} // namespace drawlet
