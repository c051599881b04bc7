#pragma once

#include "power/linux/powermodule.h"
#include "power/powermonitor.h"

namespace platform {

// The Linux backend's monitor: made at once, it passes on the sleep and wake of logind's monitor,
// which it makes from the power module once the event loop runs (the first window is shown by then).
// Without the module or without a bus it reports nothing and says why once.
class LinuxPowerMonitor : public PowerMonitor
{
    Q_OBJECT

public:
    // The module and bus address are the installed module and the system bus unless a test names
    // others.
    explicit LinuxPowerMonitor(const QString &modulePath = PowerModule::installedModule(),
                               const QString &busAddress = QString(), QObject *parent = nullptr);

private:
    void attach();

    PowerModule m_module;
    QString m_busAddress;
};

} // namespace platform
