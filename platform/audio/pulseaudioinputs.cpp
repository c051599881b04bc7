#include "audio/pulseaudioinputs.h"

#include "audio/pulseaudiosourcemonitor.h"

#include <QCoreApplication>
#include <QMutexLocker>

namespace platform {

PulseAudioInputs::PulseAudioInputs(QObject *parent, const QString &capturePath)
    : AudioInputs(parent),
      m_capture(capturePath)
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
    // An input listed must be one that can be recorded from.
    if (!m_capture.load()) {
        qCWarning(lcPulseAudio, "%s: no microphones are listed.", qUtf8Printable(m_capture.errorString()));
        return;
    }
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
    return m_capture.createStream(uniqueId, parent);
}

} // namespace platform
