#include "manager/lccameramanager.h"

#include "camera/cameraidentity.h"
#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "capturelog.h"
#include "manager/cameranotificationcenter.h"
#include "manager/destroyer.h"
#include "video/videodevices.h"

namespace {

LCCameraManager *s_instance = nullptr;
// Once the exit guard ended the manager, late notifications must not make a new one.
bool s_destroyed = false;
Destroyer<DocCamManager> s_destroyer;

} // namespace

LCCameraManager *LCCameraManager::instance()
{
    if (!s_instance && !s_destroyed) {
        s_instance = new LCCameraManager;
        s_destroyer.setDoomed(s_instance);
        s_instance->updateCameraStatus();
    }
    return s_instance;
}

LCCameraManager::LCCameraManager() = default;

LCCameraManager::~LCCameraManager()
{
    s_instance = nullptr;
    s_destroyed = true;
}

QList<GeneralCamera *> LCCameraManager::queryCameras(bool) const
{
    return m_cameras;
}

bool LCCameraManager::asyncSearchQorvWirelessCamera(QString)
{
    return true;
}

void LCCameraManager::updateCameraStatus()
{
    // Listen first, then read the list: a camera plugged in between is then reported rather than
    // lost, and the wait list below keeps it from being listed twice.
    m_enumerating = true;
    m_notificationCenter = CameraNotificationCenter::sharedInstance();
    const QList<platform::VideoDeviceInfo> devices = platform::VideoDevices::instance()->devices();
    for (const platform::VideoDeviceInfo &device : devices) {
        const quint64 id = CameraIdentity::fromUniqueId(device.uniqueId).uniqueId;
        if (id != 0 && isListed(id))
            continue;
        appendCamera(device);
        qCDebug(lcCapture, "ptr size %ld", long(sizeof(void *)));
    }
    m_enumerating = false;

    const QList<PendingEvent> pending = std::move(m_pending);
    m_pending.clear();
    for (const PendingEvent &event : pending) {
        if (event.added)
            deviceConnected(event.device);
        else
            deviceDisconnected(event.device);
    }
}

bool LCCameraManager::isListed(quint64 uniqueId) const
{
    for (GeneralCamera *camera : m_cameras) {
        if (static_cast<LCGeneralCamera *>(camera)->getUniqueID() == uniqueId)
            return true;
    }
    return false;
}

void LCCameraManager::appendCamera(const platform::VideoDeviceInfo &device)
{
    addCamera(new LCGeneralCamera(new LCGeneralCameraImpl(device)));
}

void LCCameraManager::addCamera(LCGeneralCamera *camera)
{
    m_cameras.append(camera);
    emit nonQorvCameraDetected(camera);
}

void LCCameraManager::deviceConnected(const platform::VideoDeviceInfo &device)
{
    if (m_enumerating) {
        m_pending.append({true, device});
        return;
    }
    if (isListed(CameraIdentity::fromUniqueId(device.uniqueId).uniqueId)) {
        qCDebug(lcCapture, "device %s is already listed", qUtf8Printable(device.uniqueId));
        return;
    }
    appendCamera(device);
}

void LCCameraManager::deviceDisconnected(const platform::VideoDeviceInfo &device)
{
    if (m_enumerating) {
        m_pending.append({false, device});
        return;
    }
    removeCamera(CameraIdentity::fromUniqueId(device.uniqueId).uniqueId);
}

void LCCameraManager::removeCamera(quint64 uniqueId)
{
    for (GeneralCamera *listed : qAsConst(m_cameras)) {
        auto *camera = static_cast<LCGeneralCamera *>(listed);
        if (camera->getUniqueID() != uniqueId)
            continue;
        // The list's reference is kept: receivers may still compare or use the pointer.
        m_cameras.removeOne(listed);
        emit nonQorvCameraRemoved(camera);
        qCDebug(lcCapture, " remove id %llu, current Id %llu", static_cast<unsigned long long>(uniqueId),
                static_cast<unsigned long long>(camera->getUniqueID()));
        qCDebug(lcCapture, " remove id %llu, location Id  %d", static_cast<unsigned long long>(uniqueId),
                int(camera->getLocationID()));
        return;
    }
}

void LCCameraManager::updatePowerState(int state)
{
    qCDebug(lcCapture, "LCCameraManager::updatePowerState emit powerStateChanged state =%d", state);
    emit powerStateChanged(state);
    emit DocCamManager::powerStateChanged(state);
}

void LCCameraManager::powerStateChange(int state)
{
    LCCameraManager *manager = s_instance;
    if (!manager)
        return;
    qCDebug(lcCapture, "LCCameraManager::powerStateChange state =%d", state);
    manager->updatePowerState(state);
}

void LCCameraManager::avCaptureDeivceConnected(const platform::VideoDeviceInfo &device)
{
    if (LCCameraManager *manager = s_instance)
        manager->deviceConnected(device);
}

void LCCameraManager::avCaptureDeivceDisConnected(const platform::VideoDeviceInfo &device)
{
    if (LCCameraManager *manager = s_instance)
        manager->deviceDisconnected(device);
}
