#include "video/videodevices.h"

#include "core/platformbackend.h"
#include "video/linux/udevvideodevices.h"
#include "video/simulated/simulatedvideodevices.h"

namespace platform {

VideoDevices *VideoDevices::instance()
{
    static VideoDevices *devices = PlatformBackend::isSimulated()
                                       ? static_cast<VideoDevices *>(new SimulatedVideoDevices)
                                       : static_cast<VideoDevices *>(new UdevVideoDevices);
    return devices;
}

} // namespace platform
