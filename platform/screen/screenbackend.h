#pragma once

namespace platform {

// Which screen the screen capture and the screen shooter read: the real X display, or the simulated
// desktop where the platform choice asks for it (PlatformBackend::screenChoice), including the case of
// a user's simulated mode on a machine without a display that can be grabbed.
class ScreenBackend
{
public:
    static bool isSimulated();

private:
    ScreenBackend() = delete;
    static bool displayGrabbable();
};

} // namespace platform
