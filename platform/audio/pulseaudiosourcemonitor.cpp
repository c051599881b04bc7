#include "audio/pulseaudiosourcemonitor.h"

#include <QDeadlineTimer>
#include <QMutexLocker>

#include "audio/pulselibrary.h"

#include <algorithm>

namespace platform {

namespace {

// The functions of libpulse; only called once start() found them, so never null here.
const PulseLibrary::Functions &pulse()
{
    return *PulseLibrary::functions();
}

PulseAudioSourceMonitor *monitorOf(void *self)
{
    return static_cast<PulseAudioSourceMonitor *>(self);
}

void unref(pa_operation *operation)
{
    if (operation)
        pulse().pa_operation_unref(operation);
}

} // namespace

struct PulseAudioSourceMonitor::Callbacks {
    static void contextState(pa_context *, void *self) { monitorOf(self)->contextStateChanged(); }

    static void sourceEvent(pa_context *, pa_subscription_event_type_t type, uint32_t index, void *self)
    {
        monitorOf(self)->sourceEvent(unsigned(type), index);
    }

    static void sourceListed(pa_context *, const pa_source_info *source, int eol, void *self)
    {
        PulseAudioSourceMonitor *monitor = monitorOf(self);
        if (source) {
            monitor->takeSource(*source);
            return;
        }
        // End of the list (or the connection broke, which the state callback handles).
        monitor->publish();
        monitor->settle();
        Q_UNUSED(eol)
    }

    static void sourceChanged(pa_context *, const pa_source_info *source, int eol, void *self)
    {
        // eol < 0: the source went before the server answered; its removal event follows.
        if (source)
            monitorOf(self)->takeSource(*source);
        else if (eol > 0)
            monitorOf(self)->publish();
    }

    static void retry(pa_mainloop_api *api, pa_time_event *event, const struct timeval *, void *self)
    {
        api->time_free(event);
        monitorOf(self)->m_retry = nullptr;
        monitorOf(self)->connectToServer();
    }
};

PulseAudioSourceMonitor::PulseAudioSourceMonitor(const QByteArray &clientName, Listener listener,
                                                 PulseAudioServerState *serverState)
    : m_clientName(clientName),
      m_listener(std::move(listener)),
      m_serverState(serverState)
{
}

PulseAudioSourceMonitor::~PulseAudioSourceMonitor()
{
    stop();
}

bool PulseAudioSourceMonitor::isCaptureInput(const pa_source_info &source)
{
    if (source.monitor_of_sink != PA_INVALID_INDEX)
        return false;
    // A source is only ever listed once libpulse is loaded.
    const char *deviceClass = source.proplist ? pulse().pa_proplist_gets(source.proplist, PA_PROP_DEVICE_CLASS) : nullptr;
    return !deviceClass || qstrcmp(deviceClass, "monitor") != 0;
}

bool PulseAudioSourceMonitor::start()
{
    if (m_mainloop)
        return true;
    {
        QMutexLocker locker(&m_settleMutex);
        m_settled = false;
    }
    // Without libpulse there is nothing to follow: the library's loader said why, once.
    if (!PulseLibrary::functions()) {
        settle();
        return false;
    }
    m_mainloop = pulse().pa_threaded_mainloop_new();
    if (!m_mainloop || pulse().pa_threaded_mainloop_start(m_mainloop) < 0) {
        if (m_mainloop)
            pulse().pa_threaded_mainloop_free(m_mainloop);
        m_mainloop = nullptr;
        settle();
        return false;
    }
    pulse().pa_threaded_mainloop_set_name(m_mainloop, "lumidesk-pulse");
    pulse().pa_threaded_mainloop_lock(m_mainloop);
    connectToServer();
    pulse().pa_threaded_mainloop_unlock(m_mainloop);
    return true;
}

void PulseAudioSourceMonitor::stop()
{
    if (!m_mainloop)
        return;
    pulse().pa_threaded_mainloop_lock(m_mainloop);
    if (m_retry) {
        pulse().pa_threaded_mainloop_get_api(m_mainloop)->time_free(m_retry);
        m_retry = nullptr;
    }
    dropContext();
    pulse().pa_threaded_mainloop_unlock(m_mainloop);
    pulse().pa_threaded_mainloop_stop(m_mainloop);
    pulse().pa_threaded_mainloop_free(m_mainloop);
    m_mainloop = nullptr;
    // Started again, the monitor reports the whole list anew.
    m_sources.clear();
    m_published.clear();
    m_retryMs = FirstRetryMs;
    settle();
}

bool PulseAudioSourceMonitor::waitUntilSettled(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&m_settleMutex);
    while (!m_settled) {
        if (!m_settledCondition.wait(&m_settleMutex, deadline))
            break;
    }
    return m_settled;
}

void PulseAudioSourceMonitor::settle()
{
    QMutexLocker locker(&m_settleMutex);
    m_settled = true;
    m_settledCondition.wakeAll();
}

void PulseAudioSourceMonitor::connectToServer()
{
    dropContext();
    m_context = pulse().pa_context_new(pulse().pa_threaded_mainloop_get_api(m_mainloop), m_clientName.constData());
    if (!m_context) {
        m_serverState->reportFailed(QStringLiteral("no connection could be made"));
        settle();
        scheduleRetry();
        return;
    }
    pulse().pa_context_set_state_callback(m_context, Callbacks::contextState, this);
    // No autospawn: listing microphones must never start a sound server.
    if (pulse().pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        connectionFailed();
}

void PulseAudioSourceMonitor::connectionFailed()
{
    const int error = pulse().pa_context_errno(m_context);
    m_serverState->reportFailed(error == PA_OK ? QStringLiteral("the server closed the connection")
                                               : QString::fromUtf8(pulse().pa_strerror(error)));
    settle();
    scheduleRetry();
}

void PulseAudioSourceMonitor::dropContext()
{
    if (!m_context)
        return;
    // Without callbacks first: disconnecting reports a state change we must not take for a failure.
    pulse().pa_context_set_state_callback(m_context, nullptr, nullptr);
    pulse().pa_context_set_subscribe_callback(m_context, nullptr, nullptr);
    pulse().pa_context_disconnect(m_context);
    pulse().pa_context_unref(m_context);
    m_context = nullptr;
}

void PulseAudioSourceMonitor::scheduleRetry()
{
    if (m_retry)
        return;
    pa_mainloop_api *api = pulse().pa_threaded_mainloop_get_api(m_mainloop);
    const int waitMs = m_retryWait ? std::max(0, m_retryWait(m_retryMs)) : m_retryMs;
    struct timeval when;
    pulse().pa_gettimeofday(&when);
    pulse().pa_timeval_add(&when, pa_usec_t(waitMs) * PA_USEC_PER_MSEC);
    m_retry = api->time_new(api, &when, Callbacks::retry, this);
    // A machine without a sound server is asked less and less often; a restarted server is found soon.
    m_retryMs = std::min(m_retryMs * 2, LongestRetryMs);
}

void PulseAudioSourceMonitor::contextStateChanged()
{
    switch (pulse().pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_serverState->reportConnected();
        m_retryMs = FirstRetryMs;
        m_sources.clear();
        // Subscribe before listing: a source added in between is then reported by an event.
        pulse().pa_context_set_subscribe_callback(m_context, Callbacks::sourceEvent, this);
        unref(pulse().pa_context_subscribe(m_context, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
        unref(pulse().pa_context_get_source_info_list(m_context, Callbacks::sourceListed, this));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The server went (or never was): its inputs went with it.
        m_sources.clear();
        publish();
        connectionFailed();
        break;
    default:
        break;
    }
}

void PulseAudioSourceMonitor::sourceEvent(unsigned eventType, uint32_t index)
{
    if ((eventType & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SOURCE)
        return;
    if ((eventType & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE) {
        if (m_sources.erase(index))
            publish();
        return;
    }
    // New or changed (a description, or a source that became or stopped being a monitor).
    unref(pulse().pa_context_get_source_info_by_index(m_context, index, Callbacks::sourceChanged, this));
}

void PulseAudioSourceMonitor::takeSource(const pa_source_info &source)
{
    if (!isCaptureInput(source) || !source.name || !*source.name) {
        m_sources.erase(source.index);
        return;
    }
    AudioInputInfo input;
    input.uniqueId = QString::fromUtf8(source.name);
    input.name = source.description && *source.description ? QString::fromUtf8(source.description) : input.uniqueId;
    m_sources[source.index] = input;
}

void PulseAudioSourceMonitor::publish()
{
    QList<AudioInputInfo> inputs;
    inputs.reserve(int(m_sources.size()));
    for (const auto &entry : m_sources)
        inputs.append(entry.second);
    if (inputs == m_published)
        return;
    m_published = inputs;
    m_listener(inputs);
}

} // namespace platform
