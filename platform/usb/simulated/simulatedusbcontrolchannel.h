#pragma once

#include "usb/usbcontrolchannel.h"

#include <QSharedPointer>

namespace platform {

class SimulatedCamera;

// UVC requests answered by the simulated camera at the location. The camera is found once, when the
// channel is opened, as a real channel opens its device once; after an unplug every request fails.
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

private:
    QSharedPointer<SimulatedCamera> m_camera;
};

} // namespace platform
