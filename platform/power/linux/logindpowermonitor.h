#pragma once

#include "power/powermonitor.h"

namespace platform {

// Sleep and wake from logind's PrepareForSleep signal on the system bus, when there is one.
class LogindPowerMonitor : public PowerMonitor
{
    Q_OBJECT

public:
    explicit LogindPowerMonitor(QObject *parent = nullptr);
};

} // namespace platform
