#include "power/simulated/simulatedpowermonitor.h"

namespace platform {

SimulatedPowerMonitor::SimulatedPowerMonitor(QObject *parent) : PowerMonitor(parent) {}

} // namespace platform
