#include "simulated/simulatedcameras.h"

#include <QMutexLocker>

namespace platform {

SimulatedCameras *SimulatedCameras::instance()
{
    static SimulatedCameras *cameras = new SimulatedCameras;
    return cameras;
}

SimulatedCameras::SimulatedCameras()
{
    qRegisterMetaType<platform::VideoDeviceInfo>();
    m_cameras = defaultCameras();
}

QList<QSharedPointer<SimulatedCamera>> SimulatedCameras::defaultCameras() const
{
    return {SimulatedCamera::makeStandard(FirstProductId, FirstLocationId,
                                          QStringLiteral("Qorv ZQ40 Document Camera")),
            SimulatedCamera::makeStandard(SecondProductId, SecondLocationId,
                                          QStringLiteral("Qorv ZQ15 Document Camera"))};
}

QList<QSharedPointer<SimulatedCamera>> SimulatedCameras::cameras() const
{
    QMutexLocker lock(&m_mutex);
    return m_cameras;
}

QSharedPointer<SimulatedCamera> SimulatedCameras::camera(const QString &uniqueId) const
{
    QMutexLocker lock(&m_mutex);
    for (const auto &camera : m_cameras) {
        if (camera->info().uniqueId == uniqueId)
            return camera;
    }
    return {};
}

QSharedPointer<SimulatedCamera> SimulatedCameras::cameraAt(quint32 locationId) const
{
    QMutexLocker lock(&m_mutex);
    for (const auto &camera : m_cameras) {
        if (camera->info().locationId == locationId)
            return camera;
    }
    return {};
}

QSharedPointer<SimulatedCamera> SimulatedCameras::plugStandard(quint16 productId, quint32 locationId,
                                                               const QString &name)
{
    auto camera = SimulatedCamera::makeStandard(productId, locationId, name);
    return plug(camera) ? camera : QSharedPointer<SimulatedCamera>();
}

bool SimulatedCameras::plug(const QSharedPointer<SimulatedCamera> &camera)
{
    if (!camera)
        return false;
    {
        QMutexLocker lock(&m_mutex);
        for (const auto &present : qAsConst(m_cameras)) {
            if (present->info().uniqueId == camera->info().uniqueId)
                return false;
        }
        camera->setConnected(true);
        m_cameras.append(camera);
    }
    emit plugged(camera->info());
    return true;
}

bool SimulatedCameras::unplug(const QString &uniqueId)
{
    QSharedPointer<SimulatedCamera> gone;
    {
        QMutexLocker lock(&m_mutex);
        for (int i = 0; i < m_cameras.size(); ++i) {
            if (m_cameras.at(i)->info().uniqueId == uniqueId) {
                gone = m_cameras.takeAt(i);
                break;
            }
        }
    }
    if (!gone)
        return false;
    gone->setConnected(false);
    emit unplugged(gone->info());
    return true;
}

void SimulatedCameras::suspendComputer()
{
    emit aboutToSleep();
}

void SimulatedCameras::resumeComputer()
{
    emit woke();
}

void SimulatedCameras::reset()
{
    const auto fresh = defaultCameras();
    QMutexLocker lock(&m_mutex);
    for (const auto &camera : qAsConst(m_cameras))
        camera->setConnected(false);
    m_cameras = fresh;
    m_hooks[BeforeListing] = nullptr;
    m_hooks[AfterListing] = nullptr;
}

void SimulatedCameras::setEnumerationHook(HookPoint point, std::function<void()> hook)
{
    QMutexLocker lock(&m_mutex);
    m_hooks[point] = std::move(hook);
}

void SimulatedCameras::runEnumerationHook(HookPoint point)
{
    std::function<void()> hook;
    {
        QMutexLocker lock(&m_mutex);
        std::swap(hook, m_hooks[point]);
    }
    if (hook)
        hook();
}

} // namespace platform
