#include "power/simulated/simulatedpowermonitor.h"

#include "simulated/simulatedcameras.h"

namespace platform {

SimulatedPowerMonitor::SimulatedPowerMonitor(QObject *parent) : PowerMonitor(parent)
{
    SimulatedCameras *cameras = SimulatedCameras::instance();
    connect(cameras, &SimulatedCameras::aboutToSleep, this, &PowerMonitor::aboutToSleep);
    connect(cameras, &SimulatedCameras::woke, this, &PowerMonitor::woke);
}

} // namespace platform
