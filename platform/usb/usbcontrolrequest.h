#pragma once

#include <QByteArray>

namespace platform {

// One USB control request on the default pipe. For an IN request (bmRequestType bit 7 set) the
// backend fills data with the bytes the device answered; a request is only successful when exactly
// wLength bytes moved.
struct UsbControlRequest
{
    quint8 bmRequestType = 0;
    quint8 bRequest = 0;
    quint16 wValue = 0;
    quint16 wIndex = 0;
    quint16 wLength = 0;
    QByteArray data;

    bool isDeviceToHost() const { return bmRequestType & 0x80; }
};

} // namespace platform
