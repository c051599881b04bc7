#include "audio/pulseaudioserverstate.h"

#include <QMutexLocker>

namespace platform {

Q_LOGGING_CATEGORY(lcPulseAudio, "lumidesk.platform.audio", QtWarningMsg)

PulseAudioServerState &PulseAudioServerState::shared()
{
    static PulseAudioServerState state;
    return state;
}

PulseAudioServerState::State PulseAudioServerState::state() const
{
    QMutexLocker locker(&m_mutex);
    return m_state;
}

PulseAudioServerState::State PulseAudioServerState::change(State state)
{
    QMutexLocker locker(&m_mutex);
    const State before = m_state;
    m_state = state;
    return before;
}

void PulseAudioServerState::reportConnected()
{
    // Logged without the lock: the log may be anything, another connection reports meanwhile.
    const State before = change(Reachable);
    if (before == Unreachable)
        qCWarning(lcPulseAudio, "The PulseAudio server answers again: microphones and sounds are back.");
    else if (before == Unknown)
        qCInfo(lcPulseAudio, "Connected to the PulseAudio server.");
}

void PulseAudioServerState::reportFailed(const QString &reason)
{
    const State before = change(Unreachable);
    if (before == Reachable)
        qCWarning(lcPulseAudio, "The PulseAudio server went away (%s): no microphones or sounds until it is back.",
                  qUtf8Printable(reason));
    else if (before == Unknown)
        qCWarning(lcPulseAudio, "No PulseAudio server answers (%s): no microphones or sounds until one starts.",
                  qUtf8Printable(reason));
}

} // namespace platform
