#include "audio/pulseaudioinputs.h"

#include "audio/pulseaudioinputstream.h"
#include "audio/pulseaudiosourcemonitor.h"

#include <QAudioDeviceInfo>
#include <QCoreApplication>
#include <QMutexLocker>

namespace platform {

PulseAudioInputs::PulseAudioInputs(QObject *parent)
    : AudioInputs(parent)
{
    // Change signals are delivered through the event loop of this object's thread: made on a worker
    // thread without one, the process-wide list would never report a change.
    if (!parent && QCoreApplication::instance() && thread() != QCoreApplication::instance()->thread())
        moveToThread(QCoreApplication::instance()->thread());
    QByteArray clientName = QCoreApplication::applicationName().toUtf8();
    if (clientName.isEmpty())
        clientName = QByteArrayLiteral("Lumidesk");
    m_monitor = std::make_unique<PulseAudioSourceMonitor>(
        clientName, [this](const QList<AudioInputInfo> &inputs) { takeInputs(inputs); });
    if (m_monitor->start())
        m_monitor->waitUntilSettled(FirstListWaitMs);
}

PulseAudioInputs::~PulseAudioInputs()
{
    // The monitor's thread must be gone before this object is.
    m_monitor.reset();
}

void PulseAudioInputs::stopMonitoring()
{
    m_monitor->stop();
    QMutexLocker locker(&m_mutex);
    m_inputs.clear();
}

QList<AudioInputInfo> PulseAudioInputs::inputs() const
{
    QMutexLocker locker(&m_mutex);
    return m_inputs;
}

void PulseAudioInputs::takeInputs(const QList<AudioInputInfo> &inputs)
{
    {
        QMutexLocker locker(&m_mutex);
        m_inputs = inputs;
    }
    // One signal for a burst of changes: receivers read the list, which is already the newest.
    if (!m_changePending.exchange(true)) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_changePending = false;
                emit inputsChanged();
            },
            Qt::QueuedConnection);
    }
}

AudioInputStream *PulseAudioInputs::createStream(const QString &uniqueId, QObject *parent)
{
    // Only a listed input: a monitor of an output, or a name from an old settings file, is none.
    if (!contains(uniqueId))
        return nullptr;
    // Qt names the devices of its PulseAudio plug-in by source name.
    const QList<QAudioDeviceInfo> devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &device : devices) {
        if (device.deviceName() == uniqueId)
            return new PulseAudioInputStream(device, parent);
    }
    return nullptr;
}

} // namespace platform
