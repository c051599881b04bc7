#include "screen/screenbackend.h"

#include "core/platformbackend.h"
#include "screen/x11/x11screengrabber.h"

namespace platform {

bool ScreenBackend::displayGrabbable()
{
    // The display does not come or go while the process runs. Windows on X11 say it opens; otherwise
    // one connection tells.
    static const bool grabbable = !X11ScreenGrabber::guiDisplayName().isEmpty() || X11ScreenGrabber().isOpen();
    return grabbable;
}

bool ScreenBackend::isSimulated()
{
    switch (PlatformBackend::screenChoice()) {
    case PlatformBackend::RealScreen:
        return false;
    case PlatformBackend::SimulatedScreen:
        return true;
    case PlatformBackend::RealScreenWhereGrabbable:
        return !displayGrabbable();
    }
    return false;
}

} // namespace platform
