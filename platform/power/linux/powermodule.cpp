#include "power/linux/powermodule.h"

#include "desktop/installlayout.h"

namespace platform {

QString PowerModule::installedModule()
{
    return InstallLayout::module(QStringLiteral("power"));
}

PowerModule::PowerModule(const QString &modulePath) : m_module(modulePath)
{
}

bool PowerModule::load()
{
    if (m_tried)
        return m_create != nullptr;
    m_tried = true;
    if (!m_module.load()) {
        m_error = QStringLiteral("the power module %1 cannot be loaded: %2")
                          .arg(m_module.fileName(), m_module.errorString());
        return false;
    }
    m_create = reinterpret_cast<CreateMonitorFunction>(m_module.resolve(CreateMonitorEntry));
    if (!m_create) {
        m_error = QStringLiteral("the power module %1 has no entry %2")
                          .arg(m_module.fileName(), QLatin1String(CreateMonitorEntry));
        m_module.unload();
        return false;
    }
    return true;
}

PowerMonitor *PowerModule::createMonitor(const QString &busAddress, QObject *parent)
{
    if (!load())
        return nullptr;
    // Once loaded the module stays: the monitor's code lives in it.
    return m_create(InterfaceVersion, busAddress, parent);
}

} // namespace platform
