#pragma once

#include "video/videodeviceinfo.h"

#include <QObject>

// Listens to the platform's device and power notifications and passes them to the camera manager.
// Made once, by sharedInstance, and kept for the whole process.
class CameraNotificationCenter : public QObject
{
    Q_OBJECT

public:
    static CameraNotificationCenter *sharedInstance();

private slots:
    void deviceAdded(const platform::VideoDeviceInfo &device);
    void deviceRemoved(const platform::VideoDeviceInfo &device);
    void receiveSleepNote();
    void receiveWakeNote();

private:
    CameraNotificationCenter();
    void sleepNotificationsRegister();
    // Only capture devices of the video kind whose ids can be read are followed on hot-plug.
    static bool isFollowed(const platform::VideoDeviceInfo &device);
};
