#pragma once

#include "usb/usbcontrolrequest.h"

#include <QByteArray>

#include <memory>

namespace platform {

// The USB video-control channel of one camera: UVC class requests and the configuration descriptor.
class UsbControlChannel
{
public:
    // The camera at a USB location (the maker's cameras are opened by location alone).
    static std::unique_ptr<UsbControlChannel> openByLocation(quint32 locationId);
    // The camera with these ids at this location.
    static std::unique_ptr<UsbControlChannel> open(quint16 vendorId, quint16 productId, quint32 locationId);

    virtual ~UsbControlChannel() = default;

    // False when no device or no video-control interface was found; every request then fails.
    virtual bool hasInterface() const = 0;
    virtual quint8 interfaceNumber() const = 0;
    virtual quint16 vendorId() const = 0;
    virtual quint16 productId() const = 0;
    // The bytes of configuration descriptor 0 (wTotalLength of them); empty when unreadable.
    virtual QByteArray configurationDescriptor() const = 0;
    // Sends one request and blocks until the device answered. False on any failure.
    virtual bool sendControlRequest(UsbControlRequest &request) = 0;
};

} // namespace platform
