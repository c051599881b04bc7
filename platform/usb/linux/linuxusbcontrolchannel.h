#pragma once

#include "usb/usbcontrolchannel.h"

namespace platform {

// UVC requests on Linux, where uvcvideo owns the interface: extension units through
// UVCIOC_CTRL_QUERY, processing-unit and camera-terminal selectors through V4L2 controls.
class LinuxUsbControlChannel : public UsbControlChannel
{
public:
    explicit LinuxUsbControlChannel(quint32 locationId);
    LinuxUsbControlChannel(quint16 vendorId, quint16 productId, quint32 locationId);
    ~LinuxUsbControlChannel() override;

    bool hasInterface() const override;
    quint8 interfaceNumber() const override;
    quint16 vendorId() const override;
    quint16 productId() const override;
    QByteArray configurationDescriptor() const override;
    bool sendControlRequest(UsbControlRequest &request) override;
};

} // namespace platform
