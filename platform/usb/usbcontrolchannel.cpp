#include "usb/usbcontrolchannel.h"

#include "core/platformbackend.h"
#include "usb/linux/linuxusbcontrolchannel.h"
#include "usb/simulated/simulatedusbcontrolchannel.h"

namespace platform {

std::unique_ptr<UsbControlChannel> UsbControlChannel::openByLocation(quint32 locationId)
{
    if (PlatformBackend::isSimulated())
        return std::make_unique<SimulatedUsbControlChannel>(locationId);
    return std::make_unique<LinuxUsbControlChannel>(locationId);
}

std::unique_ptr<UsbControlChannel> UsbControlChannel::open(quint16 vendorId, quint16 productId,
                                                           quint32 locationId)
{
    if (PlatformBackend::isSimulated())
        return std::make_unique<SimulatedUsbControlChannel>(vendorId, productId, locationId);
    return std::make_unique<LinuxUsbControlChannel>(vendorId, productId, locationId);
}

} // namespace platform
