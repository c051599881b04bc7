#include "audio/pulseaudiosoundplayer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QMutexLocker>
#include <QtEndian>

#include "audio/pulselibrary.h"

namespace platform {

namespace {

// The functions of libpulse; only called once start() found them, so never null here.
const PulseLibrary::Functions &pulse()
{
    return *PulseLibrary::functions();
}

constexpr int LargestSoundBytes = 8 * 1024 * 1024;

quint16 u16At(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 u32At(const QByteArray &bytes, int at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

struct PulseAudioSoundPlayer::Callbacks {
    static void contextState(pa_context *, void *self)
    {
        static_cast<PulseAudioSoundPlayer *>(self)->contextStateChanged();
    }

    static void streamState(pa_stream *stream, void *data)
    {
        auto *playing = static_cast<Playing *>(data);
        switch (pulse().pa_stream_get_state(stream)) {
        case PA_STREAM_READY:
            playing->player->streamReady(*playing);
            break;
        case PA_STREAM_FAILED:
        case PA_STREAM_TERMINATED:
            playing->player->finish(playing, false);
            break;
        default:
            break;
        }
    }

    static void drained(pa_stream *, int success, void *data)
    {
        auto *playing = static_cast<Playing *>(data);
        // Done: nothing to cancel any more (libpulse holds the operation while it calls back).
        pulse().pa_operation_unref(playing->drain);
        playing->drain = nullptr;
        playing->player->finish(playing, success != 0);
    }
};

PulseAudioSoundPlayer &PulseAudioSoundPlayer::instance()
{
    static PulseAudioSoundPlayer player;
    return player;
}

PulseAudioSoundPlayer::PulseAudioSoundPlayer(PulseAudioServerState *serverState)
    : m_serverState(serverState)
{
}

PulseAudioSoundPlayer::~PulseAudioSoundPlayer()
{
    if (!m_mainloop)
        return;
    pulse().pa_threaded_mainloop_lock(m_mainloop);
    dropEverySound();
    dropContext();
    pulse().pa_threaded_mainloop_unlock(m_mainloop);
    pulse().pa_threaded_mainloop_stop(m_mainloop);
    pulse().pa_threaded_mainloop_free(m_mainloop);
}

bool PulseAudioSoundPlayer::readWave(const QByteArray &file, Sound *sound)
{
    if (file.size() < 12 || !file.startsWith("RIFF") || file.mid(8, 4) != "WAVE")
        return false;
    Sound found;
    int blockAlign = 0;
    bool haveFormat = false;
    for (int at = 12; at + 8 <= file.size();) {
        const QByteArray id = file.mid(at, 4);
        const qint64 length = u32At(file, at + 4);
        const int body = at + 8;
        if (body + length > file.size())
            return false;
        if (id == "fmt " && length >= 16) {
            quint16 format = u16At(file, body);
            // WAVE_FORMAT_EXTENSIBLE names the format in the first bytes of its sub-format.
            if (format == 0xFFFE && length >= 26)
                format = u16At(file, body + 24);
            if (format != 1)
                return false;
            found.channels = u16At(file, body + 2);
            found.rate = int(u32At(file, body + 4));
            blockAlign = u16At(file, body + 12);
            found.bitsPerSample = u16At(file, body + 14);
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            const bool supported = (found.channels == 1 || found.channels == 2)
                                   && (found.bitsPerSample == 8 || found.bitsPerSample == 16)
                                   && found.rate > 0 && found.rate <= 192000
                                   && blockAlign == found.channels * found.bitsPerSample / 8;
            if (!supported || length == 0)
                return false;
            found.samples = file.mid(body, int(length - length % blockAlign));
            *sound = found;
            return true;
        }
        at = body + int(length) + int(length & 1);
    }
    return false;
}

bool PulseAudioSoundPlayer::play(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > LargestSoundBytes)
        return false;
    Sound sound;
    if (!readWave(file.readAll(), &sound) || !startThread())
        return false;

    pulse().pa_threaded_mainloop_lock(m_mainloop);
    int waiting = 0;
    for (const Playing &playing : m_sounds)
        waiting += playing.stream ? 0 : 1;
    if (waiting < MostWaitingSounds) {
        {
            QMutexLocker locker(&m_countMutex);
            ++m_unfinished;
        }
        m_sounds.push_back({this, sound, nullptr, nullptr});
        if (!m_context)
            connectToServer();
        else if (pulse().pa_context_get_state(m_context) == PA_CONTEXT_READY)
            startSound(m_sounds.back());
    }
    pulse().pa_threaded_mainloop_unlock(m_mainloop);
    return true;
}

bool PulseAudioSoundPlayer::waitUntilIdle(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    QMutexLocker locker(&m_countMutex);
    while (m_unfinished > 0) {
        if (!m_idle.wait(&m_countMutex, deadline))
            break;
    }
    return m_unfinished == 0;
}

int PulseAudioSoundPlayer::playedCount() const
{
    QMutexLocker locker(&m_countMutex);
    return m_played;
}

bool PulseAudioSoundPlayer::startThread()
{
    if (m_mainloop)
        return true;
    // Without libpulse no sound plays: the library's loader said why, once.
    if (!PulseLibrary::functions())
        return false;
    m_mainloop = pulse().pa_threaded_mainloop_new();
    if (!m_mainloop)
        return false;
    if (pulse().pa_threaded_mainloop_start(m_mainloop) < 0) {
        pulse().pa_threaded_mainloop_free(m_mainloop);
        m_mainloop = nullptr;
        return false;
    }
    pulse().pa_threaded_mainloop_set_name(m_mainloop, "lumidesk-sound");
    return true;
}

void PulseAudioSoundPlayer::connectToServer()
{
    m_context = pulse().pa_context_new(pulse().pa_threaded_mainloop_get_api(m_mainloop), "Lumidesk sounds");
    if (!m_context) {
        m_serverState->reportFailed(QStringLiteral("no connection could be made"));
        dropEverySound();
        return;
    }
    pulse().pa_context_set_state_callback(m_context, Callbacks::contextState, this);
    // No autospawn: a click must never start a sound server.
    if (pulse().pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        connectionFailed();
}

void PulseAudioSoundPlayer::contextStateChanged()
{
    switch (pulse().pa_context_get_state(m_context)) {
    case PA_CONTEXT_READY:
        m_serverState->reportConnected();
        for (Playing &playing : m_sounds) {
            if (!playing.stream)
                startSound(playing);
        }
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        connectionFailed();
        break;
    default:
        break;
    }
}

void PulseAudioSoundPlayer::connectionFailed()
{
    const int error = pulse().pa_context_errno(m_context);
    m_serverState->reportFailed(error == PA_OK ? QStringLiteral("the server closed the connection")
                                               : QString::fromUtf8(pulse().pa_strerror(error)));
    // The sounds go with the connection; the next one connects anew.
    dropEverySound();
    dropContext();
}

void PulseAudioSoundPlayer::startSound(Playing &playing)
{
    pa_sample_spec spec;
    spec.format = playing.sound.bitsPerSample == 16 ? PA_SAMPLE_S16LE : PA_SAMPLE_U8;
    spec.rate = uint32_t(playing.sound.rate);
    spec.channels = uint8_t(playing.sound.channels);
    playing.stream = pulse().pa_stream_new(m_context, "capture sound", &spec, nullptr);
    if (!playing.stream) {
        finish(&playing, false);
        return;
    }
    pulse().pa_stream_set_state_callback(playing.stream, Callbacks::streamState, &playing);
    if (pulse().pa_stream_connect_playback(playing.stream, nullptr, nullptr, PA_STREAM_NOFLAGS, nullptr, nullptr) < 0)
        finish(&playing, false);
}

void PulseAudioSoundPlayer::streamReady(Playing &playing)
{
    const QByteArray &samples = playing.sound.samples;
    if (pulse().pa_stream_write(playing.stream, samples.constData(), size_t(samples.size()), nullptr, 0,
                        PA_SEEK_RELATIVE) < 0) {
        finish(&playing, false);
        return;
    }
    playing.drain = pulse().pa_stream_drain(playing.stream, Callbacks::drained, &playing);
    if (!playing.drain)
        finish(&playing, false);
}

void PulseAudioSoundPlayer::finish(Playing *playing, bool played)
{
    // A drain still under way would call back after the sound is gone: cancelled, it never does.
    if (playing->drain) {
        pulse().pa_operation_cancel(playing->drain);
        pulse().pa_operation_unref(playing->drain);
        playing->drain = nullptr;
    }
    if (pa_stream *stream = playing->stream) {
        // Without callbacks first: disconnecting reports a state change.
        pulse().pa_stream_set_state_callback(stream, nullptr, nullptr);
        playing->stream = nullptr;
        pulse().pa_stream_disconnect(stream);
        pulse().pa_stream_unref(stream);
    }
    for (auto it = m_sounds.begin(); it != m_sounds.end(); ++it) {
        if (&*it == playing) {
            m_sounds.erase(it);
            break;
        }
    }
    QMutexLocker locker(&m_countMutex);
    m_played += played ? 1 : 0;
    if (--m_unfinished == 0)
        m_idle.wakeAll();
}

void PulseAudioSoundPlayer::dropEverySound()
{
    while (!m_sounds.empty())
        finish(&m_sounds.front(), false);
}

void PulseAudioSoundPlayer::dropContext()
{
    if (!m_context)
        return;
    pulse().pa_context_set_state_callback(m_context, nullptr, nullptr);
    pulse().pa_context_disconnect(m_context);
    pulse().pa_context_unref(m_context);
    m_context = nullptr;
}

} // namespace platform
