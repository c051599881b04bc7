#include "video/linux/udevvideodevices.h"

#include "video/linux/usblocation.h"
#include "video/linux/v4l2capturedevice.h"
#include "video/linux/v4l2handle.h"

#include <QSocketNotifier>

#include <libudev.h>
#include <linux/videodev2.h>

#include <cstring>

namespace platform {

namespace {

QString text(const char *value)
{
    return value ? QString::fromUtf8(value).trimmed() : QString();
}

quint16 hexAttribute(udev_device *device, const char *name)
{
    bool ok = false;
    const uint value = text(udev_device_get_sysattr_value(device, name)).toUInt(&ok, 16);
    return ok && value <= 0xffff ? quint16(value) : 0;
}

} // namespace

UdevVideoDevices::UdevVideoDevices(QObject *parent) : UdevVideoDevices(V4l2Io::real(), parent) {}

UdevVideoDevices::UdevVideoDevices(V4l2Io &io, QObject *parent)
    : VideoDevices(parent), m_io(io), m_udev(udev_new())
{}

UdevVideoDevices::~UdevVideoDevices()
{
    delete m_notifier;
    if (m_monitor)
        udev_monitor_unref(m_monitor);
    if (m_udev)
        udev_unref(m_udev);
}

QList<VideoDeviceInfo> UdevVideoDevices::devices() const
{
    const QList<Entry> entries = m_watching ? m_present : enumerate();
    QList<VideoDeviceInfo> result;
    for (const Entry &entry : entries)
        result.append(entry.info);
    return result;
}

QSharedPointer<CaptureDevice> UdevVideoDevices::captureDevice(const QString &uniqueId)
{
    const QList<VideoDeviceInfo> present = devices();
    for (const VideoDeviceInfo &info : present) {
        if (info.uniqueId != uniqueId)
            continue;
        QSharedPointer<CaptureDevice> device = m_captureDevices.value(uniqueId).toStrongRef();
        if (!device || device->info().node != info.node) {
            device = QSharedPointer<CaptureDevice>(new V4l2CaptureDevice(info, m_io));
            m_captureDevices.insert(uniqueId, device);
        }
        return device;
    }
    return QSharedPointer<CaptureDevice>();
}

void UdevVideoDevices::startWatching()
{
    if (m_watching || !m_udev)
        return;
    // The monitor listens before the list is read, so that a device arriving in between is seen by
    // one of the two; deviceArrived() drops the one seen by both.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (m_monitor && udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "video4linux", nullptr) >= 0
        && udev_monitor_enable_receiving(m_monitor) >= 0) {
        m_notifier = new QSocketNotifier(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
        connect(m_notifier, &QSocketNotifier::activated, this, &UdevVideoDevices::readMonitor);
    } else {
        qWarning("UdevVideoDevices: no udev monitor; cameras plugged later will not be seen");
    }
    m_present = enumerate();
    m_watching = true;
}

QList<UdevVideoDevices::Entry> UdevVideoDevices::enumerate() const
{
    QList<Entry> entries;
    if (!m_udev)
        return entries;
    udev_enumerate *enumeration = udev_enumerate_new(m_udev);
    if (!enumeration)
        return entries;
    udev_enumerate_add_match_subsystem(enumeration, "video4linux");
    udev_enumerate_scan_devices(enumeration);
    udev_list_entry *item;
    udev_list_entry_foreach(item, udev_enumerate_get_list_entry(enumeration))
    {
        udev_device *device = udev_device_new_from_syspath(m_udev, udev_list_entry_get_name(item));
        if (!device)
            continue;
        Entry entry;
        entry.sysPath = text(udev_device_get_syspath(device));
        if (describe(device, &entry.info) && !containsId(entries, entry.info.uniqueId))
            entries.append(entry);
        udev_device_unref(device);
    }
    udev_enumerate_unref(enumeration);
    return entries;
}

bool UdevVideoDevices::describe(udev_device *device, VideoDeviceInfo *info) const
{
    const QString node = text(udev_device_get_devnode(device));
    if (node.isEmpty() || !isCaptureNode(device, node))
        return false;
    // The parent is owned by the child; it must not be unreferenced.
    udev_device *usb = udev_device_get_parent_with_subsystem_devtype(device, "usb", "usb_device");
    if (!usb)
        return false;
    info->node = node;
    info->vendorId = hexAttribute(usb, "idVendor");
    info->productId = hexAttribute(usb, "idProduct");
    info->locationId = UsbLocation::fromSysfsPath(text(udev_device_get_syspath(usb)));
    info->uniqueId = UsbLocation::uniqueId(info->locationId, info->vendorId, info->productId);
    info->name = text(udev_device_get_sysattr_value(usb, "product"));
    if (info->name.isEmpty())
        info->name = text(udev_device_get_sysattr_value(device, "name"));
    if (info->name.isEmpty())
        info->name = node;
    info->muxed = false;
    return true;
}

bool UdevVideoDevices::isCaptureNode(udev_device *device, const QString &node) const
{
    // Metadata nodes of the same camera sit beside the capture node; only device_caps tells them apart.
    V4l2Handle handle(m_io, node);
    v4l2_capability capability;
    std::memset(&capability, 0, sizeof capability);
    if (handle.ioctl(VIDIOC_QUERYCAP, &capability) == 0) {
        const quint32 caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                               : capability.capabilities;
        return caps & V4L2_CAP_VIDEO_CAPTURE;
    }
    // A node we may not open now (in use, or still being set up) is judged by udev's own probe.
    return text(udev_device_get_property_value(device, "ID_V4L_CAPABILITIES")).contains(QLatin1String(":capture:"));
}

bool UdevVideoDevices::containsId(const QList<Entry> &entries, const QString &uniqueId)
{
    for (const Entry &entry : entries) {
        if (entry.info.uniqueId == uniqueId)
            return true;
    }
    return false;
}

void UdevVideoDevices::readMonitor()
{
    udev_device *device = udev_monitor_receive_device(m_monitor);
    if (!device)
        return;
    const QString action = text(udev_device_get_action(device));
    if (action == QLatin1String("add"))
        deviceArrived(device);
    else if (action == QLatin1String("remove"))
        deviceLeft(device);
    udev_device_unref(device);
}

void UdevVideoDevices::deviceArrived(udev_device *device)
{
    Entry entry;
    entry.sysPath = text(udev_device_get_syspath(device));
    for (const Entry &present : qAsConst(m_present)) {
        if (present.sysPath == entry.sysPath)
            return;
    }
    if (!describe(device, &entry.info) || containsId(m_present, entry.info.uniqueId))
        return;
    m_present.append(entry);
    emit deviceAdded(entry.info);
}

void UdevVideoDevices::deviceLeft(udev_device *device)
{
    // The device is gone, so what it was is taken from the list rather than from sysfs.
    const QString sysPath = text(udev_device_get_syspath(device));
    for (int index = 0; index < m_present.size(); ++index) {
        if (m_present.at(index).sysPath != sysPath)
            continue;
        const VideoDeviceInfo info = m_present.takeAt(index).info;
        m_captureDevices.remove(info.uniqueId);
        emit deviceRemoved(info);
        return;
    }
}

} // namespace platform
