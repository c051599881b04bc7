#pragma once

#include "audio/audioformat.h"

#include <QObject>

class QIODevice;

namespace platform {

// Capture from one input at 44.1 kHz, one channel, signed 16-bit little-endian, written block by block
// into a sink the caller opened for writing, on the thread the stream lives on. The operations mirror
// an audio input of Qt Multimedia.
class AudioInputStream : public QObject
{
    Q_OBJECT

public:
    static constexpr int SampleRate = 44100;
    static constexpr int Channels = 1;
    static constexpr int SampleBits = 16;

    // Idle: started, but the device has no sound to give yet. Interrupted: the system took the
    // device for something else for now.
    enum class State { Active, Suspended, Stopped, Idle, Interrupted };

    ~AudioInputStream() override = default;

    // 44.1 kHz, one channel, signed 16-bit little-endian PCM.
    static constexpr AudioFormat captureFormat()
    {
        return AudioFormat(SampleRate, Channels, SampleBits, AudioFormat::SignedInt, AudioFormat::LittleEndian);
    }
    // What the stream really writes: the capture format unless the device could not give it.
    virtual AudioFormat format() const { return captureFormat(); }

    virtual void start(QIODevice *sink) = 0;
    virtual void stop() = 0;
    virtual void suspend() = 0;
    virtual void resume() = 0;
    virtual State state() const = 0;
    // 0.0 .. 1.0
    virtual void setVolume(qreal volume) = 0;
    virtual qreal volume() const = 0;

protected:
    using QObject::QObject;
};

} // namespace platform
