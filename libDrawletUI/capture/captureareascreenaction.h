#pragma once

#include "abstractcapturescreenaction.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// Captures an area the user drags out.
class DRAWLETUI_EXPORT CaptureAreaScreenAction : public AbstractCaptureScreenAction
{
    Q_OBJECT
public:
    // The widget is not used.
    CaptureAreaScreenAction(QWidget *widget, QObject *parent);

public slots:
    void setActive() override;
};

} // namespace ui
} // namespace drawlet
