#include "audio/simulatedaudioinputstream.h"

#include "audio/simulatedaudioinputs.h"

#include <QIODevice>
#include <QtMath>

#include <cstring>

namespace platform {

SimulatedAudioInputStream::SimulatedAudioInputStream(const QString &uniqueId, SimulatedAudioInputs *inputs,
                                                     QObject *parent)
    : AudioInputStream(parent),
      m_uniqueId(uniqueId),
      m_inputs(inputs)
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(BlockIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &SimulatedAudioInputStream::deliver);
}

void SimulatedAudioInputStream::restartClock()
{
    m_clock.start();
    m_framesWritten = 0;
}

void SimulatedAudioInputStream::start(QIODevice *sink)
{
    m_sink = sink;
    if (!sink || !sink->isWritable()) {
        m_state = State::Stopped;
        return;
    }
    m_state = State::Active;
    restartClock();
    m_timer.start();
}

void SimulatedAudioInputStream::stop()
{
    m_timer.stop();
    m_sink.clear();
    m_state = State::Stopped;
}

void SimulatedAudioInputStream::suspend()
{
    if (m_state != State::Active)
        return;
    m_timer.stop();
    m_state = State::Suspended;
}

void SimulatedAudioInputStream::resume()
{
    if (m_state != State::Suspended || !m_sink)
        return;
    m_state = State::Active;
    restartClock();
    m_timer.start();
}

void SimulatedAudioInputStream::setVolume(qreal volume)
{
    m_volume = qBound(0.0, volume, 1.0);
}

void SimulatedAudioInputStream::deliver()
{
    if (m_state != State::Active || !m_sink)
        return;
    const qint64 due = m_clock.elapsed() * SampleRate / 1000;
    const qint64 frames = due - m_framesWritten;
    SimulatedAudioInputs::Tone tone;
    if (frames <= 0 || !m_inputs->isDelivering(m_uniqueId, &tone)) {
        // A stalled input loses its sound; it does not catch up later.
        m_framesWritten = qMax(m_framesWritten, due);
        return;
    }
    m_framesWritten = due;
    QByteArray block(int(frames) * 2, Qt::Uninitialized);
    const double amplitude = tone.amplitude * m_volume;
    for (qint64 i = 0; i < frames; ++i, ++m_phase) {
        const double value = amplitude * qSin(2.0 * M_PI * tone.frequencyHz * double(m_phase) / SampleRate);
        const qint16 sample = qint16(qBound(-32768.0, qRound(value) * 1.0, 32767.0));
        std::memcpy(block.data() + 2 * i, &sample, sizeof(sample));
    }
    m_sink->write(block);
}

} // namespace platform
