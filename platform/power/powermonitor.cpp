#include "power/powermonitor.h"

#include "core/platformbackend.h"
#include "power/linux/linuxpowermonitor.h"
#include "power/simulated/simulatedpowermonitor.h"

namespace platform {

PowerMonitor *PowerMonitor::instance()
{
    static PowerMonitor *monitor = PlatformBackend::isSimulated()
                                       ? static_cast<PowerMonitor *>(new SimulatedPowerMonitor)
                                       : static_cast<PowerMonitor *>(new LinuxPowerMonitor);
    return monitor;
}

} // namespace platform
