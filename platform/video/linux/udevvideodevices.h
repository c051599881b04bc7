#pragma once

#include "video/videodevices.h"

#include <QHash>
#include <QWeakPointer>

struct udev;
struct udev_device;
struct udev_monitor;

class QSocketNotifier;

namespace platform {

class V4l2Io;

// Video capture devices through libudev: the video4linux nodes that capture video and sit on a USB
// device, whose ids and location they carry. A USB camera that offers several capture nodes is listed
// once, by its first node, since its unique id names the USB device.
class UdevVideoDevices : public VideoDevices
{
    Q_OBJECT

public:
    explicit UdevVideoDevices(QObject *parent = nullptr);
    explicit UdevVideoDevices(V4l2Io &io, QObject *parent = nullptr);
    ~UdevVideoDevices() override;

    QList<VideoDeviceInfo> devices() const override;
    QSharedPointer<CaptureDevice> captureDevice(const QString &uniqueId) override;
    void startWatching() override;

private:
    struct Entry
    {
        QString sysPath;
        VideoDeviceInfo info;
    };

    QList<Entry> enumerate() const;
    bool describe(udev_device *device, VideoDeviceInfo *info) const;
    bool isCaptureNode(udev_device *device, const QString &node) const;
    static bool containsId(const QList<Entry> &entries, const QString &uniqueId);
    void readMonitor();
    void deviceArrived(udev_device *device);
    void deviceLeft(udev_device *device);

    V4l2Io &m_io;
    udev *m_udev = nullptr;
    udev_monitor *m_monitor = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    bool m_watching = false;
    QList<Entry> m_present; // kept up to date while watching
    QHash<QString, QWeakPointer<CaptureDevice>> m_captureDevices;
};

} // namespace platform
