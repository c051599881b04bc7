#pragma once

namespace platform {

// Which implementation of the platform layer the process uses. Decided once: the Linux backend by
// default, the simulated one when LUMIDESK_SIMULATE=1 is set, so that a user without a camera can try
// every feature. Tests choose in code with select() before the first use of any platform service.
class PlatformBackend
{
public:
    enum Kind { Linux, Simulated };

    static Kind current();
    static bool isSimulated() { return current() == Simulated; }
    static void select(Kind kind);

private:
    PlatformBackend() = delete;
};

} // namespace platform
