#include "power/linux/logindpowermonitor.h"

namespace platform {

LogindPowerMonitor::LogindPowerMonitor(QObject *parent) : PowerMonitor(parent) {}

} // namespace platform
