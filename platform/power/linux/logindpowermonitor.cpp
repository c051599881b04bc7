#include "power/linux/logindpowermonitor.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace platform {

namespace {

const QString Service = QStringLiteral("org.freedesktop.login1");
const QString Path = QStringLiteral("/org/freedesktop/login1");
const QString Interface = QStringLiteral("org.freedesktop.login1.Manager");

} // namespace

LogindPowerMonitor::LogindPowerMonitor(QObject *parent) : LogindPowerMonitor(QDBusConnection::systemBus(), parent)
{}

LogindPowerMonitor::LogindPowerMonitor(const QDBusConnection &bus, QObject *parent)
    : PowerMonitor(parent), m_bus(bus)
{
    if (!m_bus.isConnected())
        return;
    m_listening = m_bus.connect(Service, Path, Interface, QStringLiteral("PrepareForSleep"), this,
                                SLOT(prepareForSleep(bool)));
    if (m_listening)
        takeSleepDelay();
}

void LogindPowerMonitor::prepareForSleep(bool goingToSleep)
{
    m_sleeping = goingToSleep;
    if (goingToSleep) {
        emit aboutToSleep();
        // Queued handlers of aboutToSleep run before this; then logind may go on.
        QTimer::singleShot(0, this, &LogindPowerMonitor::releaseSleepDelay);
    } else {
        emit woke();
        takeSleepDelay();
    }
}

void LogindPowerMonitor::takeSleepDelay()
{
    if (m_sleepDelay.isValid())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Lumidesk")
         << QStringLiteral("Finishing recordings before sleep") << QStringLiteral("delay");
    // Asynchronous: a slow or absent logind must never hold up the GUI thread. Without the lock the
    // signals still come, only without the wait.
    auto *watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *finished) {
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
        // A lock granted after the machine began to sleep would only hold it up.
        if (reply.isValid() && !m_sleeping)
            m_sleepDelay = reply.value();
        finished->deleteLater();
    });
}

void LogindPowerMonitor::releaseSleepDelay()
{
    // Dropping the last copy closes the descriptor, which is what lets logind proceed.
    m_sleepDelay = QDBusUnixFileDescriptor();
}

} // namespace platform
