#include "manager/cameranotificationcenter.h"

#include "camera/cameraidentity.h"
#include "capturelog.h"
#include "manager/lccameramanager.h"
#include "power/powermonitor.h"
#include "video/videodevices.h"

CameraNotificationCenter *CameraNotificationCenter::sharedInstance()
{
    static CameraNotificationCenter *center = new CameraNotificationCenter;
    return center;
}

CameraNotificationCenter::CameraNotificationCenter()
{
    qRegisterMetaType<platform::VideoDeviceInfo>();
    platform::VideoDevices *devices = platform::VideoDevices::instance();
    connect(devices, &platform::VideoDevices::deviceAdded, this,
            &CameraNotificationCenter::deviceAdded);
    connect(devices, &platform::VideoDevices::deviceRemoved, this,
            &CameraNotificationCenter::deviceRemoved);
    devices->startWatching();
    sleepNotificationsRegister();
}

void CameraNotificationCenter::sleepNotificationsRegister()
{
    platform::PowerMonitor *power = platform::PowerMonitor::instance();
    connect(power, &platform::PowerMonitor::aboutToSleep, this,
            &CameraNotificationCenter::receiveSleepNote);
    connect(power, &platform::PowerMonitor::woke, this, &CameraNotificationCenter::receiveWakeNote);
}

bool CameraNotificationCenter::isFollowed(const platform::VideoDeviceInfo &device)
{
    return !device.muxed && CameraIdentity::fromUniqueId(device.uniqueId).isFollowable();
}

void CameraNotificationCenter::deviceAdded(const platform::VideoDeviceInfo &device)
{
    if (!isFollowed(device))
        return;
    qCDebug(lcCapture, "receive device add");
    LCCameraManager::avCaptureDeivceConnected(device);
}

void CameraNotificationCenter::deviceRemoved(const platform::VideoDeviceInfo &device)
{
    if (!isFollowed(device))
        return;
    qCDebug(lcCapture, "receive device remove");
    LCCameraManager::avCaptureDeivceDisConnected(device);
}

void CameraNotificationCenter::receiveSleepNote()
{
    qCDebug(lcCapture, "receiveSleepNote: aboutToSleep");
    LCCameraManager::powerStateChange(0);
}

void CameraNotificationCenter::receiveWakeNote()
{
    qCDebug(lcCapture, "receiveWakeNote: woke");
    LCCameraManager::powerStateChange(1);
}
