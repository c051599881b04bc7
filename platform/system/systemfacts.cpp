#include "system/systemfacts.h"

#include "core/platformbackend.h"
#include "system/linux/linuxsystemfacts.h"
#include "system/simulated/simulatedsystemfacts.h"

namespace platform {

SystemFacts::~SystemFacts() = default;

SystemFacts *SystemFacts::instance()
{
    static SystemFacts *facts = PlatformBackend::isSimulated()
                                    ? static_cast<SystemFacts *>(new SimulatedSystemFacts)
                                    : static_cast<SystemFacts *>(new LinuxSystemFacts);
    return facts;
}

} // namespace platform
