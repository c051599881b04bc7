#include "audio/audiocapturemodule.h"

#include "desktop/installlayout.h"

#include <QMutexLocker>

namespace platform {

QString AudioCaptureModule::installedModule()
{
    return InstallLayout::module(QStringLiteral("audio"));
}

AudioCaptureModule::AudioCaptureModule(const QString &modulePath)
    : m_module(modulePath)
{
}

bool AudioCaptureModule::load()
{
    QMutexLocker locker(&m_mutex);
    if (m_tried)
        return m_create != nullptr;
    m_tried = true;
    if (!m_module.load()) {
        m_error = QStringLiteral("the audio capture module %1 cannot be loaded: %2")
                          .arg(m_module.fileName(), m_module.errorString());
        return false;
    }
    m_create = reinterpret_cast<CreateStreamFunction>(m_module.resolve(CreateStreamEntry));
    if (!m_create) {
        m_error = QStringLiteral("the audio capture module %1 has no entry %2")
                          .arg(m_module.fileName(), QLatin1String(CreateStreamEntry));
        m_module.unload();
        return false;
    }
    return true;
}

QString AudioCaptureModule::errorString() const
{
    QMutexLocker locker(&m_mutex);
    return m_error;
}

AudioInputStream *AudioCaptureModule::createStream(const QString &uniqueId, QObject *parent)
{
    if (!load())
        return nullptr;
    // Once loaded the module stays: the streams' code lives in it.
    return m_create(InterfaceVersion, uniqueId, parent);
}

} // namespace platform
