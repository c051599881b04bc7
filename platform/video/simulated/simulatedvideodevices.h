#pragma once

#include "video/videodevices.h"

namespace platform {

// Video capture devices of the simulated backend.
class SimulatedVideoDevices : public VideoDevices
{
    Q_OBJECT

public:
    explicit SimulatedVideoDevices(QObject *parent = nullptr);
    ~SimulatedVideoDevices() override;

    QList<VideoDeviceInfo> devices() const override;
    QSharedPointer<CaptureDevice> captureDevice(const QString &uniqueId) override;
    void startWatching() override;
};

} // namespace platform
