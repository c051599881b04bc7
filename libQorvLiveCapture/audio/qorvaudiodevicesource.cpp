#include "audio/qorvaudiodevicesource.h"

#include "audio/audiodevicemanager.h"
#include "audio/audioinputs.h"
#include "audio/audioinputstream.h"
#include "audio/audioiodevice.h"

#include <QUuid>

namespace {

using InputState = platform::AudioInputStream::State;

} // namespace

QorvAudioDeviceSource::QorvAudioDeviceSource(const QString &name, const QString &uuid, int index, QObject *parent)
    : QObject(parent),
      m_name(name),
      m_uuid(uuid),
      m_objectId(QUuid::createUuid().toString()),
      m_index(index),
      m_format(platform::AudioInputStream::captureFormat())
{
    chooseDevice(index);
    if (!hasDevice() || !makeInput())
        return;
    m_format = m_input->format();
    m_sink = new AudioIODevice(m_format, this);
    connect(m_sink, &AudioIODevice::audioLevelReport, this, &QorvAudioDeviceSource::audioLevelReport);
    connect(m_sink, &AudioIODevice::audioStreamBack, this, &QorvAudioDeviceSource::audioStreamBack);
    connect(m_sink, &AudioIODevice::resetDevice, this, &QorvAudioDeviceSource::resetDevice);
    m_sink->open(QIODevice::WriteOnly);
    m_input->start(m_sink);
    AudioDeviceManager::instance()->addDevice(this);
}

QorvAudioDeviceSource::~QorvAudioDeviceSource()
{
    if (m_sink)
        AudioDeviceManager::instance()->removeDevice(m_objectId);
    if (m_input) {
        m_input->stop();
        delete m_input;
        m_input = nullptr;
    }
    delete m_sink;
    m_sink = nullptr;
}

void QorvAudioDeviceSource::chooseDevice(int index)
{
    const QList<platform::AudioInputInfo> inputs = platform::AudioInputs::instance()->inputs();
    if (index >= 0 && index < inputs.size() && inputs.at(index).name == m_name) {
        m_deviceId = inputs.at(index).uniqueId;
        return;
    }
    for (const platform::AudioInputInfo &input : inputs) {
        if (input.name == m_name) {
            m_deviceId = input.uniqueId;
            return;
        }
    }
    // Names may change with the language or a driver update; the unique id does not.
    if (!m_uuid.isEmpty() && platform::AudioInputs::instance()->contains(m_uuid))
        m_deviceId = m_uuid;
}

bool QorvAudioDeviceSource::makeInput()
{
    m_input = platform::AudioInputs::instance()->createStream(m_deviceId, this);
    // A restarted input keeps the volume the user set.
    if (m_input)
        m_input->setVolume(m_volume);
    return m_input != nullptr;
}

int QorvAudioDeviceSource::setVolume(qint8 volume)
{
    if (volume < 0 || volume > 100)
        return BadArgument;
    if (!m_input)
        return NoAudioInput;
    m_volume = volume / 100.0;
    m_input->setVolume(m_volume);
    return Success;
}

int QorvAudioDeviceSource::getVolume(qint8 *volume)
{
    if (!volume)
        return BadArgument;
    if (!m_input)
        return NoAudioInput;
    *volume = qint8(m_input->volume() * 100.0);
    return Success;
}

void QorvAudioDeviceSource::resumeIfWanted()
{
    if (!m_input || !m_sink || !(m_sink->isReportOn() || m_sink->isStreamOn()))
        return;
    if (m_input->state() == InputState::Suspended) {
        m_input->resume();
    } else if (m_input->state() == InputState::Stopped) {
        // A stopped input cannot resume: it is started into the sink again.
        if (!m_sink->isOpen())
            m_sink->open(QIODevice::WriteOnly);
        m_input->start(m_sink);
    }
}

void QorvAudioDeviceSource::suspendIfIdle()
{
    if (!m_input || !m_sink || m_sink->isReportOn() || m_sink->isStreamOn())
        return;
    if (m_input->state() == InputState::Active || m_input->state() == InputState::Idle)
        m_input->suspend();
}

int QorvAudioDeviceSource::startAudioReport()
{
    if (!m_input || !m_sink)
        return NoAudioInput;
    m_sink->startReport();
    resumeIfWanted();
    return Success;
}

int QorvAudioDeviceSource::stopAudioReport()
{
    if (!m_input || !m_sink)
        return NoAudioInput;
    m_sink->stopReport();
    suspendIfIdle();
    return Success;
}

int QorvAudioDeviceSource::startAudioStream()
{
    if (!m_input || !m_sink)
        return NoAudioInput;
    m_sink->startStream();
    resumeIfWanted();
    return Success;
}

int QorvAudioDeviceSource::stopAudioStream()
{
    if (!m_input || !m_sink)
        return NoAudioInput;
    m_sink->stopStream();
    suspendIfIdle();
    return Success;
}

void QorvAudioDeviceSource::stopDevice()
{
    if (!hasDevice() || !m_input || !m_sink)
        return;
    m_sink->close();
    m_input->stop();
    m_input->disconnect(this);
    delete m_input;
    m_input = nullptr;
}

void QorvAudioDeviceSource::startDevice()
{
    if (!hasDevice() || !m_sink || m_input)
        return;
    // An input that is gone (unplugged) stays without a stream until it is started again.
    if (!makeInput())
        return;
    m_sink->open(QIODevice::WriteOnly);
    m_input->start(m_sink);
    resumeIfWanted();
}

qint64 QorvAudioDeviceSource::getAudioTime() const
{
    return m_sink ? m_sink->elapsedMs() : 0;
}

void QorvAudioDeviceSource::resetDevice()
{
    AudioDeviceManager::instance()->resetDevice(this);
}
