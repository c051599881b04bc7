#pragma once

#include "usb/linux/uvcunitids.h"
#include "usb/usbcontrolchannel.h"
#include "video/linux/sysfsusbdevice.h"

namespace platform {

class V4l2Io;

// UVC requests on Linux, where uvcvideo owns the interface: extension units through
// UVCIOC_CTRL_QUERY, processing-unit and camera-terminal selectors through V4L2 controls, both on the
// camera's capture node. The device is found in sysfs by its location id.
class LinuxUsbControlChannel : public UsbControlChannel
{
public:
    explicit LinuxUsbControlChannel(quint32 locationId);
    LinuxUsbControlChannel(quint16 vendorId, quint16 productId, quint32 locationId);
    // The device of a sysfs folder, reached through io; a null device has no interface.
    LinuxUsbControlChannel(const SysfsUsbDevice &device, V4l2Io &io);
    ~LinuxUsbControlChannel() override;

    bool hasInterface() const override;
    quint8 interfaceNumber() const override;
    quint16 vendorId() const override;
    quint16 productId() const override;
    QByteArray configurationDescriptor() const override;
    bool sendControlRequest(UsbControlRequest &request) override;

    QString captureNode() const { return m_node; }
    UvcUnitIds unitIds() const { return m_units; }

private:
    static SysfsUsbDevice deviceWithIds(quint16 vendorId, quint16 productId, quint32 locationId);
    QString findCaptureNode() const;

    SysfsUsbDevice m_device;
    V4l2Io &m_io;
    quint16 m_vendorId = 0;
    quint16 m_productId = 0;
    QByteArray m_descriptor;
    UvcUnitIds m_units;
    QString m_node;
};

} // namespace platform
