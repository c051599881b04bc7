#include "platformbackend.h"

#include <QtGlobal>

#include <atomic>

namespace platform {

namespace {

constexpr int Undecided = -1;
std::atomic<int> chosen{Undecided};
// Whether the choice came from the environment (a user) rather than from code (a test).
std::atomic<bool> chosenByEnvironment{false};

int fromEnvironment()
{
    return qEnvironmentVariableIntValue("LUMIDESK_SIMULATE") == 1 ? PlatformBackend::Simulated
                                                                  : PlatformBackend::Linux;
}

} // namespace

PlatformBackend::Kind PlatformBackend::current()
{
    int kind = chosen.load();
    if (kind == Undecided) {
        int expected = Undecided;
        if (chosen.compare_exchange_strong(expected, fromEnvironment()))
            chosenByEnvironment.store(true);
        kind = chosen.load();
    }
    return static_cast<Kind>(kind);
}

void PlatformBackend::select(Kind kind)
{
    chosenByEnvironment.store(false);
    chosen.store(kind);
}

PlatformBackend::ScreenChoice PlatformBackend::screenChoice()
{
    if (current() == Linux)
        return RealScreen;
    return chosenByEnvironment.load() ? RealScreenWhereGrabbable : SimulatedScreen;
}

} // namespace platform
