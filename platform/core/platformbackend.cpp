#include "platformbackend.h"

#include <QtGlobal>

#include <atomic>

namespace platform {

namespace {

constexpr int Undecided = -1;
std::atomic<int> chosen{Undecided};

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
        chosen.compare_exchange_strong(expected, fromEnvironment());
        kind = chosen.load();
    }
    return static_cast<Kind>(kind);
}

void PlatformBackend::select(Kind kind)
{
    chosen.store(kind);
}

} // namespace platform
