#include "power/linux/linuxpowermonitor.h"

#include <QLoggingCategory>
#include <QTimer>

namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcPower, "lumidesk.platform.power", QtWarningMsg)

} // namespace

LinuxPowerMonitor::LinuxPowerMonitor(const QString &modulePath, const QString &busAddress, QObject *parent)
    : PowerMonitor(parent), m_module(modulePath), m_busAddress(busAddress)
{
    // Loading D-Bus and connecting to the bus wait for the event loop: never on the way to the first show.
    QTimer::singleShot(0, this, &LinuxPowerMonitor::attach);
}

void LinuxPowerMonitor::attach()
{
    if (!m_module.load()) {
        qCWarning(lcPower, "%s: sleep and wake are not reported.", qUtf8Printable(m_module.errorString()));
        return;
    }
    PowerMonitor *logind = m_module.createMonitor(m_busAddress, this);
    if (!logind) {
        qCWarning(lcPower, "The system bus cannot be listened on: sleep and wake are not reported.");
        return;
    }
    // Direct, so that the handlers run (or are queued) before logind's monitor lets the machine sleep.
    connect(logind, &PowerMonitor::aboutToSleep, this, &PowerMonitor::aboutToSleep);
    connect(logind, &PowerMonitor::woke, this, &PowerMonitor::woke);
}

} // namespace platform
