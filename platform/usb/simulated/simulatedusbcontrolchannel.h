#pragma once

#include "usb/usbcontrolchannel.h"

namespace platform {

// UVC requests answered by the simulated camera at the location.
class SimulatedUsbControlChannel : public UsbControlChannel
{
public:
    explicit SimulatedUsbControlChannel(quint32 locationId);
    SimulatedUsbControlChannel(quint16 vendorId, quint16 productId, quint32 locationId);
    ~SimulatedUsbControlChannel() override;

    bool hasInterface() const override;
    quint8 interfaceNumber() const override;
    quint16 vendorId() const override;
    quint16 productId() const override;
    QByteArray configurationDescriptor() const override;
    bool sendControlRequest(UsbControlRequest &request) override;
};

} // namespace platform
