#pragma once

#include "power/powermonitor.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>

namespace platform {

// Sleep and wake from logind's PrepareForSleep signal on the system bus, when there is one; without a
// bus it quietly reports nothing. While awake it holds a sleep delay lock, so that logind waits for
// the about-to-sleep handlers (a recording to finish its file) before the machine goes down. It lives
// in the power module (PowerModule), so that only a loaded module brings in D-Bus.
class LogindPowerMonitor : public PowerMonitor
{
    Q_OBJECT

public:
    explicit LogindPowerMonitor(QObject *parent = nullptr);
    // Listens on the given bus instead of the system bus.
    explicit LogindPowerMonitor(const QDBusConnection &bus, QObject *parent = nullptr);

    bool isListening() const { return m_listening; }
    bool holdsSleepDelay() const { return m_sleepDelay.isValid(); }

private slots:
    void prepareForSleep(bool goingToSleep);

private:
    void takeSleepDelay();
    void releaseSleepDelay();

    QDBusConnection m_bus;
    bool m_listening = false;
    bool m_sleeping = false;
    QDBusUnixFileDescriptor m_sleepDelay;
};

} // namespace platform
