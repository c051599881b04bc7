#pragma once

#include "manager/doccammanager.h"
#include "video/videodeviceinfo.h"

#include <QList>

class CameraNotificationCenter;
class GeneralCamera;
class LCGeneralCamera;

// The only camera manager: wraps every video capture device as a camera object (reference count 1,
// held by the list for good) and follows plug, unplug, sleep and wake.
class QORVLIVECAPTURE_EXPORT LCCameraManager : public DocCamManager
{
    Q_OBJECT

public:
    // The process-wide manager, made and enumerated on first use.
    static LCCameraManager *instance();
    ~LCCameraManager() override;

    QList<GeneralCamera *> queryCameras(bool refresh) const override;
    bool asyncSearchQorvWirelessCamera(QString address) override;

    void updateCameraStatus();
    void addCamera(LCGeneralCamera *camera);
    void removeCamera(quint64 uniqueId);
    void updatePowerState(int state);

    // Entry points of the notification centre; each reaches the manager through getDocCamManager.
    static void powerStateChange(int state);
    static void avCaptureDeivceConnected(const platform::VideoDeviceInfo &device);
    static void avCaptureDeivceDisConnected(const platform::VideoDeviceInfo &device);

signals:
    void cameraDetected(LCGeneralCamera *camera);
    void cameraRemoved(LCGeneralCamera *camera);
    // Hides DocCamManager's signal of the same signature, so that a connection by the string
    // "powerStateChanged(int)" on the manager reaches this one. The base signal is emitted with it,
    // for receivers connected through DocCamManager's member pointer.
    void powerStateChanged(int state);

private:
    struct PendingEvent
    {
        bool added;
        platform::VideoDeviceInfo device;
    };

    LCCameraManager();
    bool isListed(quint64 uniqueId) const;
    void deviceConnected(const platform::VideoDeviceInfo &device);
    void deviceDisconnected(const platform::VideoDeviceInfo &device);
    void appendCamera(const platform::VideoDeviceInfo &device);

    QList<GeneralCamera *> m_cameras;
    CameraNotificationCenter *m_notificationCenter = nullptr;
    // While the start-up list is read, hot-plug news wait here, so that a camera plugged meanwhile
    // is listed once, after the cameras that were already there.
    bool m_enumerating = false;
    QList<PendingEvent> m_pending;
};
