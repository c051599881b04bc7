#include "audio/pulseaudioinputstream.h"

#include <QAudioInput>

namespace platform {

namespace {

QAudioFormat::SampleType qtSampleType(AudioFormat::SampleType type)
{
    switch (type) {
    case AudioFormat::SignedInt:
        return QAudioFormat::SignedInt;
    case AudioFormat::UnSignedInt:
        return QAudioFormat::UnSignedInt;
    case AudioFormat::Float:
        return QAudioFormat::Float;
    case AudioFormat::Unknown:
        break;
    }
    return QAudioFormat::Unknown;
}

QAudioFormat qtFormat(const AudioFormat &format)
{
    QAudioFormat qt;
    qt.setSampleRate(format.sampleRate());
    qt.setChannelCount(format.channelCount());
    qt.setSampleSize(format.sampleSize());
    qt.setSampleType(qtSampleType(format.sampleType()));
    qt.setByteOrder(format.byteOrder() == AudioFormat::BigEndian ? QAudioFormat::BigEndian : QAudioFormat::LittleEndian);
    qt.setCodec(QStringLiteral("audio/pcm"));
    return qt;
}

AudioFormat::SampleType sampleTypeOf(QAudioFormat::SampleType type)
{
    switch (type) {
    case QAudioFormat::SignedInt:
        return AudioFormat::SignedInt;
    case QAudioFormat::UnSignedInt:
        return AudioFormat::UnSignedInt;
    case QAudioFormat::Float:
        return AudioFormat::Float;
    case QAudioFormat::Unknown:
        break;
    }
    return AudioFormat::Unknown;
}

} // namespace

PulseAudioInputStream::PulseAudioInputStream(const QAudioDeviceInfo &device, QObject *parent)
    : AudioInputStream(parent),
      m_device(device),
      m_format(qtFormat(captureFormat()))
{
    if (!m_device.isFormatSupported(m_format))
        m_format = m_device.nearestFormat(m_format);
    m_input = new QAudioInput(m_device, m_format, this);
}

PulseAudioInputStream::~PulseAudioInputStream()
{
    m_input->stop();
}

PulseAudioInputStream *PulseAudioInputStream::create(const QString &uniqueId, QObject *parent)
{
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &device : devices) {
        if (device.deviceName() == uniqueId)
            return new PulseAudioInputStream(device, parent);
    }
    return nullptr;
}

AudioFormat PulseAudioInputStream::format() const
{
    return AudioFormat(m_format.sampleRate(), m_format.channelCount(), m_format.sampleSize(),
                       sampleTypeOf(m_format.sampleType()),
                       m_format.byteOrder() == QAudioFormat::BigEndian ? AudioFormat::BigEndian
                                                                       : AudioFormat::LittleEndian);
}

void PulseAudioInputStream::start(QIODevice *sink)
{
    m_input->start(sink);
}

void PulseAudioInputStream::stop()
{
    m_input->stop();
}

void PulseAudioInputStream::suspend()
{
    m_input->suspend();
}

void PulseAudioInputStream::resume()
{
    m_input->resume();
}

AudioInputStream::State PulseAudioInputStream::state() const
{
    switch (m_input->state()) {
    case QAudio::ActiveState:
        return State::Active;
    case QAudio::SuspendedState:
        return State::Suspended;
    case QAudio::IdleState:
        return State::Idle;
    case QAudio::InterruptedState:
        return State::Interrupted;
    case QAudio::StoppedState:
        break;
    }
    return State::Stopped;
}

void PulseAudioInputStream::setVolume(qreal volume)
{
    m_input->setVolume(volume);
}

qreal PulseAudioInputStream::volume() const
{
    return m_input->volume();
}

} // namespace platform
