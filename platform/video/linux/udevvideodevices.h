#pragma once

#include "video/videodevices.h"

namespace platform {

// Video capture devices through libudev (video4linux capture nodes).
class UdevVideoDevices : public VideoDevices
{
    Q_OBJECT

public:
    explicit UdevVideoDevices(QObject *parent = nullptr);
    ~UdevVideoDevices() override;

    QList<VideoDeviceInfo> devices() const override;
    QSharedPointer<CaptureDevice> captureDevice(const QString &uniqueId) override;
    void startWatching() override;
};

} // namespace platform
