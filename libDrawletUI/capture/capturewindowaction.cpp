#include "capturewindowaction.h"

namespace drawlet {
namespace ui {

CaptureWindowAction::CaptureWindowAction(QWidget *widget, QObject *parent)
    : AbstractCaptureScreenAction(parent)
{
    Q_UNUSED(widget)
}

void CaptureWindowAction::setActive()
{
    filePath.clear();
    captureScreen(QStringLiteral("xow"));
    emit captureFinished();
}

} // namespace ui
} // namespace drawlet
