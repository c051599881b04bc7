#pragma once

#include <QLibrary>
#include <QString>

class QObject;

namespace platform {

class PowerMonitor;

// The power module, where logind's monitor and the only link to Qt D-Bus live: loaded from the event
// loop once the program is up, so that a start loads none of D-Bus (libdbus, libsystemd and what they
// bring) and never waits on the system bus before its first window is shown. A module that cannot be
// loaded is an error with a reason, never a crash.
class PowerModule
{
public:
    // The module's one entry: logind's monitor on the bus at this address (the system bus when it is
    // empty), or null when that bus cannot be listened on or the version is not the module's.
    using CreateMonitorFunction = PowerMonitor *(*)(int version, const QString &busAddress, QObject *parent);
    static constexpr int InterfaceVersion = 1;
    static constexpr const char *CreateMonitorEntry = "lumideskCreatePowerMonitor";

    // The module where the installed layout and the build tree put it.
    static QString installedModule();

    explicit PowerModule(const QString &modulePath = installedModule());

    // Loads the module now (once); false when it cannot be loaded (errorString() says why).
    bool load();
    // Why the load failed; empty after a success.
    QString errorString() const { return m_error; }

    // Logind's monitor, or null when the module is not loaded or the bus cannot be listened on.
    PowerMonitor *createMonitor(const QString &busAddress, QObject *parent);

private:
    QLibrary m_module;
    bool m_tried = false;
    CreateMonitorFunction m_create = nullptr;
    QString m_error;
};

} // namespace platform
