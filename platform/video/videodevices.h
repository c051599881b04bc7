#pragma once

#include "video/videodeviceinfo.h"

#include <QList>
#include <QObject>
#include <QSharedPointer>

namespace platform {

class CaptureDevice;

// The video capture devices of the system and their arrival and removal.
class VideoDevices : public QObject
{
    Q_OBJECT

public:
    // The process-wide instance of the chosen backend (PlatformBackend), made on first use.
    static VideoDevices *instance();

    ~VideoDevices() override = default;

    // Present devices: muxed devices first, then the plain video devices.
    virtual QList<VideoDeviceInfo> devices() const = 0;
    // The device behind an id, shared by everyone who uses it; null when it is not present.
    virtual QSharedPointer<CaptureDevice> captureDevice(const QString &uniqueId) = 0;

    // Starts the arrival and removal notifications. Idempotent. A caller that wants every device
    // exactly once starts watching first and then reads devices().
    virtual void startWatching() = 0;

signals:
    // Emitted on the thread that owns this object.
    void deviceAdded(const platform::VideoDeviceInfo &device);
    void deviceRemoved(const platform::VideoDeviceInfo &device);

protected:
    using QObject::QObject;
};

} // namespace platform
