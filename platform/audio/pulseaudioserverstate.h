#pragma once

#include <QLoggingCategory>
#include <QMutex>
#include <QString>

namespace platform {

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

// Whether the PulseAudio server answers, as this process's connections to it find it. Every
// connection reports here, after each attempt; the log hears of the server only when that changes:
// once when it cannot be reached or went away (a warning), once when it answers again, never of each
// attempt. So a machine without a sound server says so once, however often the inputs are looked for
// or a sound is played.
class PulseAudioServerState
{
public:
    enum State { Unknown, Reachable, Unreachable };

    // The process-wide state, which the connections to the server share.
    static PulseAudioServerState &shared();

    State state() const;
    void reportConnected();
    // `reason` is libpulse's text for the failure ("Connection refused").
    void reportFailed(const QString &reason);

private:
    // The state before.
    State change(State state);

    mutable QMutex m_mutex;
    State m_state = Unknown;
};

} // namespace platform
