#include "hid/hidchannel.h"

#include "core/platformbackend.h"
#include "hid/linux/linuxhidchannel.h"
#include "hid/simulated/simulatedhidchannel.h"

namespace platform {

std::unique_ptr<HidChannel> HidChannel::openByLocation(quint32 locationId, quint16 vendorId,
                                                       quint16 productId)
{
    if (locationId == 0)
        return nullptr;
    if (PlatformBackend::isSimulated())
        return SimulatedHidChannel::open(locationId, vendorId, productId);
    return LinuxHidChannel::open(locationId, vendorId, productId);
}

} // namespace platform
