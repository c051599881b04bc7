#include "audio/pulseaudioinputstream.h"

#include <QAudioInput>

namespace platform {

PulseAudioInputStream::PulseAudioInputStream(const QAudioDeviceInfo &device, QObject *parent)
    : AudioInputStream(parent),
      m_device(device),
      m_format(captureFormat())
{
    if (!m_device.isFormatSupported(m_format))
        m_format = m_device.nearestFormat(m_format);
    m_input = new QAudioInput(m_device, m_format, this);
}

PulseAudioInputStream::~PulseAudioInputStream()
{
    m_input->stop();
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

QAudio::State PulseAudioInputStream::state() const
{
    return m_input->state();
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
