#include "video/linux/udevvideodevices.h"

#include "video/capturedevice.h"

namespace platform {

UdevVideoDevices::UdevVideoDevices(QObject *parent) : VideoDevices(parent) {}
UdevVideoDevices::~UdevVideoDevices() = default;

QList<VideoDeviceInfo> UdevVideoDevices::devices() const { return {}; }
QSharedPointer<CaptureDevice> UdevVideoDevices::captureDevice(const QString &) { return {}; }
void UdevVideoDevices::startWatching() {}

} // namespace platform
