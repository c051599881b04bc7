#include "captureareascreenaction.h"

namespace drawlet {
namespace ui {

CaptureAreaScreenAction::CaptureAreaScreenAction(QWidget *widget, QObject *parent)
    : AbstractCaptureScreenAction(parent)
{
    Q_UNUSED(widget)
}

void CaptureAreaScreenAction::setActive()
{
    captureScreen(QStringLiteral("xi"));
    emit captureFinished();
}

} // namespace ui
} // namespace drawlet
