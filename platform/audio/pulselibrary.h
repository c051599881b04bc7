#pragma once

#include <QString>

#include <pulse/pulseaudio.h>

namespace platform {

// The functions of libpulse the program calls, one line each. The macros and constants of its
// headers (PA_INVALID_INDEX, PA_USEC_PER_MSEC, the property names) are used as they are.
#define LUMIDESK_PULSE_FUNCTIONS(X)                                                                        \
    X(pa_threaded_mainloop_new)                                                                            \
    X(pa_threaded_mainloop_start)                                                                          \
    X(pa_threaded_mainloop_stop)                                                                           \
    X(pa_threaded_mainloop_free)                                                                           \
    X(pa_threaded_mainloop_set_name)                                                                       \
    X(pa_threaded_mainloop_lock)                                                                           \
    X(pa_threaded_mainloop_unlock)                                                                         \
    X(pa_threaded_mainloop_get_api)                                                                        \
    X(pa_context_new)                                                                                      \
    X(pa_context_set_state_callback)                                                                       \
    X(pa_context_set_subscribe_callback)                                                                   \
    X(pa_context_connect)                                                                                  \
    X(pa_context_disconnect)                                                                               \
    X(pa_context_unref)                                                                                    \
    X(pa_context_get_state)                                                                                \
    X(pa_context_errno)                                                                                    \
    X(pa_context_subscribe)                                                                                \
    X(pa_context_get_source_info_list)                                                                     \
    X(pa_context_get_source_info_by_index)                                                                 \
    X(pa_operation_unref)                                                                                  \
    X(pa_operation_cancel)                                                                                 \
    X(pa_proplist_gets)                                                                                    \
    X(pa_strerror)                                                                                         \
    X(pa_gettimeofday)                                                                                     \
    X(pa_timeval_add)                                                                                      \
    X(pa_stream_new)                                                                                       \
    X(pa_stream_set_state_callback)                                                                        \
    X(pa_stream_connect_playback)                                                                          \
    X(pa_stream_get_state)                                                                                 \
    X(pa_stream_write)                                                                                     \
    X(pa_stream_drain)                                                                                     \
    X(pa_stream_disconnect)                                                                                \
    X(pa_stream_unref)

// libpulse, opened the first time the inputs are followed or a sound is played rather than at every
// start: the server is only asked after the toolbar shows, and the library with what it pulls in
// (D-Bus, systemd, libsndfile and its codecs) costs each start milliseconds. It is opened once per
// process, whichever thread asks first, and stays loaded to the end.
class PulseLibrary
{
public:
#define LUMIDESK_PULSE_MEMBER(name) decltype(&::name) name = nullptr;
    struct Functions {
        LUMIDESK_PULSE_FUNCTIONS(LUMIDESK_PULSE_MEMBER)
    };
#undef LUMIDESK_PULSE_MEMBER

    // Null when the library or one of its functions cannot be loaded, with `error` (when given)
    // saying which.
    static const Functions *functions(QString *error = nullptr);

    // The file opened, by default the soname of the libpulse the program was built with. A change
    // counts only before the first use.
    static void setFileName(const QString &file);
    static QString fileName();

private:
    PulseLibrary() = delete;
};

} // namespace platform
