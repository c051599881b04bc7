#include "hid/simulated/simulatedhidchannel.h"

#include "simulated/simulatedcameras.h"

#include <QThread>

#include <cstring>

namespace platform {

std::unique_ptr<HidChannel> SimulatedHidChannel::open(quint32 locationId, quint16 vendorId,
                                                      quint16 productId)
{
    const QSharedPointer<SimulatedCamera> camera = SimulatedCameras::instance()->cameraAt(locationId);
    if (!camera || !camera->isConnected())
        return nullptr;
    if ((vendorId && camera->info().vendorId != vendorId)
        || (productId && camera->info().productId != productId)) {
        return nullptr;
    }
    return std::make_unique<SimulatedHidChannel>(camera);
}

SimulatedHidChannel::SimulatedHidChannel(const QSharedPointer<SimulatedCamera> &camera)
    : m_camera(camera)
{
}

SimulatedHidChannel::~SimulatedHidChannel() = default;

int SimulatedHidChannel::write(const quint8 *data, int length)
{
    if (!data || length <= 0 || !m_camera->isConnected())
        return -1;
    const SimulatedHidDevice::Outcome outcome =
        m_camera->hid().handle(QByteArray(reinterpret_cast<const char *>(data), length));
    if (!outcome.answer.isEmpty())
        m_pending.append(outcome.answer);
    if (outcome.unplug)
        SimulatedCameras::instance()->unplug(m_camera->info().uniqueId);
    return length;
}

int SimulatedHidChannel::read(quint8 *buffer, int length, int timeoutMs)
{
    if (!buffer || length <= 0)
        return -1;
    if (m_pending.isEmpty()) {
        if (!m_camera->isConnected())
            return -1;
        // Nothing will arrive: a camera that does not answer lets the wait run out, as a real one does.
        if (timeoutMs > 0)
            QThread::msleep(ulong(timeoutMs));
        return 0;
    }
    const QByteArray report = m_pending.takeFirst();
    const int copied = qMin(length, report.size());
    std::memcpy(buffer, report.constData(), size_t(copied));
    return copied;
}

QString SimulatedHidChannel::manufacturer() const
{
    return QStringLiteral("Qorv");
}

QString SimulatedHidChannel::product() const
{
    return m_camera->info().name;
}

QString SimulatedHidChannel::serialNumber() const
{
    return m_camera->info().uniqueId;
}

} // namespace platform
