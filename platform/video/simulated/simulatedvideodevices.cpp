#include "video/simulated/simulatedvideodevices.h"

#include "video/capturedevice.h"

namespace platform {

SimulatedVideoDevices::SimulatedVideoDevices(QObject *parent) : VideoDevices(parent) {}
SimulatedVideoDevices::~SimulatedVideoDevices() = default;

QList<VideoDeviceInfo> SimulatedVideoDevices::devices() const { return {}; }
QSharedPointer<CaptureDevice> SimulatedVideoDevices::captureDevice(const QString &) { return {}; }
void SimulatedVideoDevices::startWatching() {}

} // namespace platform
