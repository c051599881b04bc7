#include "audio/audiodevicemanager.h"

#include "audio/qorvaudiodevicesource.h"
#include "manager/doccammanager.h"

#include <QMutexLocker>

namespace {

AudioDeviceManager *g_manager = nullptr;

} // namespace

AudioDeviceManager *AudioDeviceManager::instance()
{
    if (!g_manager)
        g_manager = new AudioDeviceManager;
    return g_manager;
}

void AudioDeviceManager::destroy()
{
    delete g_manager;
    g_manager = nullptr;
}

AudioDeviceManager::AudioDeviceManager(QObject *parent)
    : QObject(parent)
{
    connect(DocCamManager::getDocCamManager(), &DocCamManager::powerStateChanged, this,
            &AudioDeviceManager::handlePowerChange);
}

void AudioDeviceManager::addDevice(QorvAudioDeviceSource *source)
{
    QMutexLocker locker(&m_mutex);
    if (source && !m_sources.contains(source))
        m_sources.append(source);
}

void AudioDeviceManager::removeDevice(const QString &objectId)
{
    QMutexLocker locker(&m_mutex);
    for (int i = m_sources.size() - 1; i >= 0; --i) {
        if (m_sources.at(i)->currentObjectUuid() == objectId)
            m_sources.removeAt(i);
    }
}

int AudioDeviceManager::deviceCount() const
{
    QMutexLocker locker(&m_mutex);
    return m_sources.size();
}

void AudioDeviceManager::resetDevice(QorvAudioDeviceSource *source)
{
    if (!source)
        return;
    QMutexLocker locker(&m_mutex);
    const QString uuid = source->currentUuid();
    QList<QorvAudioDeviceSource *> sameInput;
    for (QorvAudioDeviceSource *candidate : qAsConst(m_sources)) {
        if (candidate->currentUuid() == uuid)
            sameInput.append(candidate);
    }
    for (QorvAudioDeviceSource *candidate : qAsConst(sameInput))
        candidate->stopDevice();
    for (QorvAudioDeviceSource *candidate : qAsConst(sameInput))
        candidate->startDevice();
}

void AudioDeviceManager::handlePowerChange(int state)
{
    QMutexLocker locker(&m_mutex);
    const QList<QorvAudioDeviceSource *> sources = m_sources;
    if (state == WillSleep) {
        for (QorvAudioDeviceSource *source : sources)
            source->stopDevice();
    } else if (state == Woke) {
        for (QorvAudioDeviceSource *source : sources)
            source->startDevice();
    }
}
