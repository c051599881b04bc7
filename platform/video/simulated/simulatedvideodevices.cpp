#include "video/simulated/simulatedvideodevices.h"

#include "simulated/simulatedcameras.h"
#include "video/simulated/simulatedcapturedevice.h"

namespace platform {

SimulatedVideoDevices::SimulatedVideoDevices(QObject *parent) : VideoDevices(parent) {}
SimulatedVideoDevices::~SimulatedVideoDevices() = default;

QList<VideoDeviceInfo> SimulatedVideoDevices::devices() const
{
    SimulatedCameras *cameras = SimulatedCameras::instance();
    cameras->runEnumerationHook(SimulatedCameras::BeforeListing);
    QList<VideoDeviceInfo> muxed;
    QList<VideoDeviceInfo> video;
    for (const auto &camera : cameras->cameras())
        (camera->info().muxed ? muxed : video).append(camera->info());
    cameras->runEnumerationHook(SimulatedCameras::AfterListing);
    return muxed + video;
}

QSharedPointer<CaptureDevice> SimulatedVideoDevices::captureDevice(const QString &uniqueId)
{
    const QSharedPointer<SimulatedCamera> camera = SimulatedCameras::instance()->camera(uniqueId);
    if (!camera)
        return {};
    QSharedPointer<SimulatedCaptureDevice> device = m_devices.value(uniqueId).toStrongRef();
    if (!device || device->camera() != camera) {
        device = QSharedPointer<SimulatedCaptureDevice>::create(camera);
        m_devices.insert(uniqueId, device);
    }
    return device;
}

void SimulatedVideoDevices::startWatching()
{
    if (m_watching)
        return;
    m_watching = true;
    SimulatedCameras *cameras = SimulatedCameras::instance();
    connect(cameras, &SimulatedCameras::plugged, this, &VideoDevices::deviceAdded);
    connect(cameras, &SimulatedCameras::unplugged, this, &VideoDevices::deviceRemoved);
}

} // namespace platform
