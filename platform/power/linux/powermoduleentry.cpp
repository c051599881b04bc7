// The power module's entry: the one way into the module, declared in powermodule.h.
#include "power/linux/logindpowermonitor.h"
#include "power/linux/powermodule.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) platform::PowerMonitor *
lumideskCreatePowerMonitor(int version, const QString &busAddress, QObject *parent)
{
    if (version != platform::PowerModule::InterfaceVersion)
        return nullptr;
    // Named after the address: a failed connection under a shared name would be handed back for
    // every later address.
    auto *monitor = busAddress.isEmpty()
                        ? new platform::LogindPowerMonitor(parent)
                        : new platform::LogindPowerMonitor(
                              QDBusConnection::connectToBus(busAddress, QStringLiteral("lumidesk-power ") + busAddress),
                              parent);
    if (monitor->isListening())
        return monitor;
    delete monitor;
    return nullptr;
}

static_assert(std::is_same<decltype(&lumideskCreatePowerMonitor), platform::PowerModule::CreateMonitorFunction>::value,
              "the entry is what the loader calls");
