#pragma once

#include "abstractcapturewidget.h"
#include "drawletui_global.h"

namespace drawlet {
namespace ui {

// A nearly invisible overlay over the whole primary screen with a cross cursor.
class DRAWLETUI_EXPORT CaptureScreenWidget : public AbstractCaptureWidget
{
    Q_OBJECT
public:
    explicit CaptureScreenWidget(QWidget *parent = nullptr);
};

} // namespace ui
} // namespace drawlet
