#include "power/powermonitor.h"

#include "core/platformbackend.h"
#include "power/linux/logindpowermonitor.h"
#include "power/simulated/simulatedpowermonitor.h"

namespace platform {

PowerMonitor *PowerMonitor::instance()
{
    static PowerMonitor *monitor = PlatformBackend::isSimulated()
                                       ? static_cast<PowerMonitor *>(new SimulatedPowerMonitor)
                                       : static_cast<PowerMonitor *>(new LogindPowerMonitor);
    return monitor;
}

} // namespace platform
