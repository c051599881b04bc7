#pragma once

#include "hid/hidchannel.h"

#include <QByteArray>
#include <QList>
#include <QSharedPointer>

#include <memory>

namespace platform {

class SimulatedCamera;

// The HID channel of a simulated camera. Its answers queue up per channel, as a real hidraw node
// keeps the reports that arrived since it was opened. Once the camera is unplugged, writes fail and
// reads fail when no answer is left.
class SimulatedHidChannel : public HidChannel
{
public:
    static std::unique_ptr<HidChannel> open(quint32 locationId, quint16 vendorId, quint16 productId);

    explicit SimulatedHidChannel(const QSharedPointer<SimulatedCamera> &camera);
    ~SimulatedHidChannel() override;

    int write(const quint8 *data, int length) override;
    int read(quint8 *buffer, int length, int timeoutMs) override;
    QString manufacturer() const override;
    QString product() const override;
    QString serialNumber() const override;

private:
    QSharedPointer<SimulatedCamera> m_camera;
    QList<QByteArray> m_pending;
};

} // namespace platform
