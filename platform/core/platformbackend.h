#pragma once

namespace platform {

// Which implementation of the platform layer the process uses. Decided once: the Linux backend by
// default, the simulated one when LUMIDESK_SIMULATE=1 is set, so that a user without a camera can try
// every feature. Tests choose in code with select() before the first use of any platform service.
//
// The screen is apart: LUMIDESK_SIMULATE=1 replaces the cameras, their USB and HID controls, the
// audio inputs and the other devices, and keeps the real screen, so that snapshots, recordings and
// the drawing overlay show the user's own desktop; only where no X display can be grabbed does the
// desktop become simulated too. A choice made in code decides the screen as well.
class PlatformBackend
{
public:
    enum Kind { Linux, Simulated };
    enum ScreenChoice { RealScreen, SimulatedScreen, RealScreenWhereGrabbable };

    static Kind current();
    static bool isSimulated() { return current() == Simulated; }
    static void select(Kind kind);
    // Which screen the screen backends take (ScreenBackend resolves the last choice).
    static ScreenChoice screenChoice();

private:
    PlatformBackend() = delete;
};

} // namespace platform
