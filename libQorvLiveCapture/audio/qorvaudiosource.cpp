#include "audio/qorvaudiosource.h"

#include "audio/audioinputs.h"
#include "audio/qorvaudiodevicesource.h"

QorvAudioSource::QorvAudioSource(QString name, QString uuid, int index, QObject *parent)
    : QorvCaptureSource(parent),
      m_device(new QorvAudioDeviceSource(name, uuid, index))
{
}

QorvAudioSource::~QorvAudioSource()
{
    delete m_device;
}

QString QorvAudioSource::currentSourceID()
{
    return m_device->currentSourceID();
}

QString QorvAudioSource::currentUuid()
{
    return m_device->currentUuid();
}

int QorvAudioSource::getFrameSourceType(SourceType *type)
{
    if (!type)
        return QorvAudioDeviceSource::BadArgument;
    *type = Audio;
    return 0;
}

int QorvAudioSource::setVolume(qint8 volume)
{
    return m_device->setVolume(volume);
}

int QorvAudioSource::getVolume(qint8 *volume)
{
    return m_device->getVolume(volume);
}

qint64 QorvAudioSource::getAudioTime() const
{
    return m_device->getAudioTime();
}

int QorvAudioSource::getAvailableSources(QList<QString> *names)
{
    if (!names)
        return QorvAudioDeviceSource::BadArgument;
    names->clear();
    for (const platform::AudioInputInfo &input : platform::AudioInputs::instance()->inputs())
        names->append(input.name);
    return 0;
}

int QorvAudioSource::getAvailableSources(QList<QString> *names, QList<QString> *uuids)
{
    if (!names || !uuids)
        return QorvAudioDeviceSource::BadArgument;
    names->clear();
    uuids->clear();
    platform::AudioInputs *inputs = platform::AudioInputs::instance();
    for (const platform::AudioInputInfo &input : inputs->inputs()) {
        // An input without a name or id cannot be picked again later: left out of both lists.
        if (input.name.isEmpty() || input.uniqueId.isEmpty())
            continue;
        names->append(input.name);
        uuids->append(input.uniqueId);
    }
    return 0;
}
