#pragma once

#include "power/powermonitor.h"

namespace platform {

// Sleep and wake on request (SimulatedCameras::suspendComputer and resumeComputer), for users and
// tests without a real power source.
class SimulatedPowerMonitor : public PowerMonitor
{
    Q_OBJECT

public:
    explicit SimulatedPowerMonitor(QObject *parent = nullptr);
};

} // namespace platform
