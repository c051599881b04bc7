#include "usb/simulated/simulatedusbcontrolchannel.h"

#include "simulated/simulatedcameras.h"

namespace platform {

SimulatedUsbControlChannel::SimulatedUsbControlChannel(quint32 locationId)
    : m_camera(SimulatedCameras::instance()->cameraAt(locationId))
{
}

SimulatedUsbControlChannel::SimulatedUsbControlChannel(quint16 vendorId, quint16 productId,
                                                       quint32 locationId)
{
    QSharedPointer<SimulatedCamera> camera = SimulatedCameras::instance()->cameraAt(locationId);
    if (camera && camera->info().vendorId == vendorId && camera->info().productId == productId)
        m_camera = camera;
}

SimulatedUsbControlChannel::~SimulatedUsbControlChannel() = default;

bool SimulatedUsbControlChannel::hasInterface() const { return !m_camera.isNull(); }

quint8 SimulatedUsbControlChannel::interfaceNumber() const
{
    return m_camera ? m_camera->uvc().interfaceNumber() : 0;
}

quint16 SimulatedUsbControlChannel::vendorId() const
{
    return m_camera ? m_camera->info().vendorId : 0;
}

quint16 SimulatedUsbControlChannel::productId() const
{
    return m_camera ? m_camera->info().productId : 0;
}

QByteArray SimulatedUsbControlChannel::configurationDescriptor() const
{
    return m_camera ? m_camera->uvc().configurationDescriptor() : QByteArray();
}

bool SimulatedUsbControlChannel::sendControlRequest(UsbControlRequest &request)
{
    return m_camera && m_camera->uvc().handle(request);
}

} // namespace platform
