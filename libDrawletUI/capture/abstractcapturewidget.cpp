#include "abstractcapturewidget.h"

#include <QScreen>

namespace drawlet {
namespace ui {

AbstractCaptureWidget::AbstractCaptureWidget(QWidget *parent)
    : QWidget(parent)
{
    // Receivers in other threads and signal spies need the screen's type by name.
    qRegisterMetaType<QScreen *>();
}

AbstractCaptureWidget::~AbstractCaptureWidget() = default;

} // namespace ui
} // namespace drawlet
