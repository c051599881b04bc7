#pragma once

#include "video/capturedevice.h"

#include <QSharedPointer>

namespace platform {

class SimulatedCamera;

// The capture side of one virtual camera.
class SimulatedCaptureDevice : public CaptureDevice
{
    Q_OBJECT

public:
    explicit SimulatedCaptureDevice(const QSharedPointer<SimulatedCamera> &camera,
                                    QObject *parent = nullptr);
    ~SimulatedCaptureDevice() override;

    QSharedPointer<SimulatedCamera> camera() const { return m_camera; }

    VideoDeviceInfo info() const override;
    QList<CaptureFormat> formats() const override;
    int activeFormatIndex() const override;
    FrameDuration activeMinFrameDuration() const override;
    bool lockForConfiguration() override;
    void unlockForConfiguration() override;
    bool setActiveFormat(int index) override;
    bool setActiveMinFrameDuration(const FrameDuration &duration) override;

private:
    const QSharedPointer<SimulatedCamera> m_camera;
};

} // namespace platform
