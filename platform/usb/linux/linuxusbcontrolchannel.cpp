#include "usb/linux/linuxusbcontrolchannel.h"

#include "usb/linux/uvcrequestbridge.h"
#include "video/linux/v4l2handle.h"

#include <linux/videodev2.h>

#include <cstring>

namespace platform {

LinuxUsbControlChannel::LinuxUsbControlChannel(quint32 locationId)
    : LinuxUsbControlChannel(SysfsUsbDevice::findByLocation(locationId), V4l2Io::real())
{}

LinuxUsbControlChannel::LinuxUsbControlChannel(quint16 vendorId, quint16 productId, quint32 locationId)
    : LinuxUsbControlChannel(deviceWithIds(vendorId, productId, locationId), V4l2Io::real())
{}

LinuxUsbControlChannel::LinuxUsbControlChannel(const SysfsUsbDevice &device, V4l2Io &io)
    : m_device(device), m_io(io)
{
    if (!m_device.isValid())
        return;
    m_vendorId = m_device.vendorId();
    m_productId = m_device.productId();
    m_descriptor = m_device.configurationDescriptor();
    m_units = UvcUnitIds::fromConfigurationDescriptor(m_descriptor);
    m_node = findCaptureNode();
}

LinuxUsbControlChannel::~LinuxUsbControlChannel() = default;

bool LinuxUsbControlChannel::hasInterface() const
{
    return !m_node.isEmpty();
}

quint8 LinuxUsbControlChannel::interfaceNumber() const
{
    return m_units.interfaceNumber;
}

quint16 LinuxUsbControlChannel::vendorId() const
{
    return m_vendorId;
}

quint16 LinuxUsbControlChannel::productId() const
{
    return m_productId;
}

QByteArray LinuxUsbControlChannel::configurationDescriptor() const
{
    return m_descriptor;
}

bool LinuxUsbControlChannel::sendControlRequest(UsbControlRequest &request)
{
    if (!hasInterface())
        return false;
    return UvcRequestBridge(m_io, m_node, m_units).send(request);
}

SysfsUsbDevice LinuxUsbControlChannel::deviceWithIds(quint16 vendorId, quint16 productId, quint32 locationId)
{
    const SysfsUsbDevice device = SysfsUsbDevice::findByLocation(locationId);
    if (device.vendorId() != vendorId || device.productId() != productId)
        return SysfsUsbDevice();
    return device;
}

QString LinuxUsbControlChannel::findCaptureNode() const
{
    // The driver's control calls are served by the capture node; its metadata node refuses them.
    const QStringList nodes = m_device.videoNodes();
    for (const QString &node : nodes) {
        V4l2Handle handle(m_io, node);
        v4l2_capability capability;
        std::memset(&capability, 0, sizeof capability);
        if (handle.ioctl(VIDIOC_QUERYCAP, &capability) != 0)
            continue;
        const quint32 caps = (capability.capabilities & V4L2_CAP_DEVICE_CAPS) ? capability.device_caps
                                                                               : capability.capabilities;
        if (caps & V4L2_CAP_VIDEO_CAPTURE)
            return node;
    }
    return QString();
}

} // namespace platform
