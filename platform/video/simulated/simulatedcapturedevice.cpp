#include "video/simulated/simulatedcapturedevice.h"

#include "simulated/simulatedcamera.h"

namespace platform {

SimulatedCaptureDevice::SimulatedCaptureDevice(const QSharedPointer<SimulatedCamera> &camera,
                                               QObject *parent)
    : CaptureDevice(parent), m_camera(camera)
{
}

SimulatedCaptureDevice::~SimulatedCaptureDevice() = default;

VideoDeviceInfo SimulatedCaptureDevice::info() const { return m_camera->info(); }
QList<CaptureFormat> SimulatedCaptureDevice::formats() const { return m_camera->formats(); }
int SimulatedCaptureDevice::activeFormatIndex() const { return m_camera->activeFormatIndex(); }

FrameDuration SimulatedCaptureDevice::activeMinFrameDuration() const
{
    return m_camera->activeMinFrameDuration();
}

bool SimulatedCaptureDevice::lockForConfiguration() { return m_camera->lockForConfiguration(); }
void SimulatedCaptureDevice::unlockForConfiguration() { m_camera->unlockForConfiguration(); }
bool SimulatedCaptureDevice::setActiveFormat(int index) { return m_camera->setActiveFormat(index); }

bool SimulatedCaptureDevice::setActiveMinFrameDuration(const FrameDuration &duration)
{
    return m_camera->setActiveMinFrameDuration(duration);
}

} // namespace platform
