#pragma once

#include "audio/audioinputinfo.h"
#include "audio/pulseaudioserverstate.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QWaitCondition>

#include <cstdint>
#include <functional>
#include <map>

struct pa_context;
struct pa_source_info;
struct pa_threaded_mainloop;
struct pa_time_event;

namespace platform {

// Follows the capture inputs of the PulseAudio server from its own change events, on a libpulse
// thread of its own: nothing here ever waits on the server from the caller's thread. Every time the
// set of inputs or a description changes, the listener gets the whole list (in the server's order),
// on that thread. When the server goes away the list becomes empty and the monitor connects again,
// at growing intervals, until a server answers; it never starts one. Every attempt is reported to the
// server state, which tells the log of the server only when it goes or comes back.
class PulseAudioSourceMonitor
{
public:
    using Listener = std::function<void(const QList<AudioInputInfo> &inputs)>;
    // How long the monitor really waits before it asks again, given the wait it chose (a test's seam,
    // so that a test needs no real waiting); without one, the wait it chose.
    using RetryWait = std::function<int(int chosenMs)>;

    static constexpr int FirstRetryMs = 250;
    static constexpr int LongestRetryMs = 4000;

    PulseAudioSourceMonitor(const QByteArray &clientName, Listener listener,
                            PulseAudioServerState *serverState = &PulseAudioServerState::shared());
    ~PulseAudioSourceMonitor();

    PulseAudioSourceMonitor(const PulseAudioSourceMonitor &) = delete;
    PulseAudioSourceMonitor &operator=(const PulseAudioSourceMonitor &) = delete;

    // Before start().
    void setRetryWait(RetryWait wait) { m_retryWait = std::move(wait); }

    // Starts following the server; false when libpulse could not be loaded or start its thread.
    bool start();
    // Disconnects and ends the thread; the listener is not called any more.
    void stop();
    // Waits at most `timeoutMs` until the first connection gave its list or failed; true when it did.
    bool waitUntilSettled(int timeoutMs);

    // A source the user can record from: not the monitor of an output.
    static bool isCaptureInput(const pa_source_info &source);

private:
    // libpulse's callbacks; they and everything below run on the libpulse thread, with its lock held.
    struct Callbacks;
    friend struct Callbacks;

    void connectToServer();
    void contextStateChanged();
    void sourceEvent(unsigned eventType, uint32_t index);
    void dropContext();
    void connectionFailed();
    void scheduleRetry();
    void takeSource(const pa_source_info &source);
    void publish();
    // Any thread: wakes waitUntilSettled.
    void settle();

    const QByteArray m_clientName;
    const Listener m_listener;
    PulseAudioServerState *const m_serverState;
    RetryWait m_retryWait;
    pa_threaded_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    pa_time_event *m_retry = nullptr;
    int m_retryMs = FirstRetryMs;
    std::map<uint32_t, AudioInputInfo> m_sources; // by server index: the order sources appeared in
    QList<AudioInputInfo> m_published;

    QMutex m_settleMutex;
    QWaitCondition m_settledCondition;
    bool m_settled = false;
};

} // namespace platform
