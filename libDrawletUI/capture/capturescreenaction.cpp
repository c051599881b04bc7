#include "capturescreenaction.h"

namespace drawlet {
namespace ui {

CaptureScreenAction::CaptureScreenAction(QWidget *widget, QObject *parent)
    : AbstractCaptureScreenAction(parent)
{
    Q_UNUSED(widget)
}

void CaptureScreenAction::setActive()
{
    filePath.clear();
    captureScreen(QStringLiteral("x"));
    emit captureFinished();
}

} // namespace ui
} // namespace drawlet
