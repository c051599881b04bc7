#pragma once

#include "video/videodevices.h"

#include <QHash>
#include <QWeakPointer>

namespace platform {

class SimulatedCaptureDevice;

// Video capture devices of the simulated backend: the cameras of SimulatedCameras.
class SimulatedVideoDevices : public VideoDevices
{
    Q_OBJECT

public:
    explicit SimulatedVideoDevices(QObject *parent = nullptr);
    ~SimulatedVideoDevices() override;

    QList<VideoDeviceInfo> devices() const override;
    QSharedPointer<CaptureDevice> captureDevice(const QString &uniqueId) override;
    void startWatching() override;

private:
    bool m_watching = false;
    QHash<QString, QWeakPointer<SimulatedCaptureDevice>> m_devices;
};

} // namespace platform
