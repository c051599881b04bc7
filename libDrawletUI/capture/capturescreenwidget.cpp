#include "capturescreenwidget.h"

namespace drawlet {
namespace ui {

CaptureScreenWidget::CaptureScreenWidget(QWidget *parent)
    : AbstractCaptureWidget(parent)
{
    coverPrimaryScreen();
}

} // namespace ui
} // namespace drawlet
