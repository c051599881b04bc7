#pragma once

#include "audio/pulseaudioserverstate.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <list>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

namespace platform {

// Short sounds (the capture click) through PulseAudio, on a libpulse thread and a connection of its
// own, so play() returns at once. The connection is made for the first sound and kept while the
// server answers; without a server a sound is dropped and the next one asks again. Nothing retries in
// the background, and the log hears of the server only through the server state, once per change:
// a machine without a sound server stays quiet however often a sound is played.
class PulseAudioSoundPlayer
{
public:
    // A sound in a RIFF WAV file: PCM samples as the file holds them.
    struct Sound
    {
        QByteArray samples;
        int rate = 0;
        int channels = 0;
        int bitsPerSample = 0;
    };

    // Sounds waiting for the connection beyond this are dropped: a click heard late is no click.
    static constexpr int MostWaitingSounds = 4;

    // The process's player, made on first use.
    static PulseAudioSoundPlayer &instance();

    explicit PulseAudioSoundPlayer(PulseAudioServerState *serverState = &PulseAudioServerState::shared());
    ~PulseAudioSoundPlayer();

    PulseAudioSoundPlayer(const PulseAudioSoundPlayer &) = delete;
    PulseAudioSoundPlayer &operator=(const PulseAudioSoundPlayer &) = delete;

    // Plays a WAV file of 8- or 16-bit PCM, mono or stereo (a Qt resource path too). False when the
    // file is no such sound or libpulse could not start its thread.
    bool play(const QString &path);
    // Waits at most `timeoutMs` until every sound asked for was played out or dropped.
    bool waitUntilIdle(int timeoutMs);
    // The sounds the server played to their end.
    int playedCount() const;

    // False for anything but PCM of 8 or 16 bits in one or two channels, or a file cut short.
    static bool readWave(const QByteArray &file, Sound *sound);

private:
    // libpulse's callbacks; they and everything below run with the libpulse lock held.
    struct Callbacks;
    friend struct Callbacks;
    struct Playing
    {
        PulseAudioSoundPlayer *player = nullptr;
        Sound sound;
        pa_stream *stream = nullptr;
        pa_operation *drain = nullptr;
    };

    bool startThread();
    void connectToServer();
    void contextStateChanged();
    void connectionFailed();
    void startSound(Playing &playing);
    void streamReady(Playing &playing);
    void finish(Playing *playing, bool played);
    void dropContext();
    void dropEverySound();

    PulseAudioServerState *const m_serverState;
    pa_threaded_mainloop *m_mainloop = nullptr;
    pa_context *m_context = nullptr;
    std::list<Playing> m_sounds; // waiting for the connection (no stream yet) or playing

    mutable QMutex m_countMutex;
    QWaitCondition m_idle;
    int m_unfinished = 0;
    int m_played = 0;
};

} // namespace platform
