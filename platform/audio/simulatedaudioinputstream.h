#pragma once

#include "audio/audioinputstream.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace platform {

class SimulatedAudioInputs;

// A simulated input's capture: the input's tone in real time, written every 20 ms into the sink.
// Writes nothing while the input is removed or told not to deliver, like a stalled device.
class SimulatedAudioInputStream : public AudioInputStream
{
    Q_OBJECT

public:
    static constexpr int BlockIntervalMs = 20;

    SimulatedAudioInputStream(const QString &uniqueId, SimulatedAudioInputs *inputs, QObject *parent = nullptr);

    void start(QIODevice *sink) override;
    void stop() override;
    void suspend() override;
    void resume() override;
    State state() const override { return m_state; }
    void setVolume(qreal volume) override;
    qreal volume() const override { return m_volume; }

private:
    void deliver();
    void restartClock();

    const QString m_uniqueId;
    SimulatedAudioInputs *const m_inputs;
    QPointer<QIODevice> m_sink;
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_framesWritten = 0; // since the clock started
    qint64 m_phase = 0;         // sample index of the tone, continuous across blocks
    State m_state = State::Stopped;
    qreal m_volume = 1.0;
};

} // namespace platform
