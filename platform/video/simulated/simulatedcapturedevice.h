#pragma once

#include "video/capturedevice.h"

#include <QSharedPointer>

#include <atomic>
#include <memory>

namespace platform {

class SimulatedCamera;
class SimulatedFrameStream;

// The capture side of one virtual camera. Its frames are drawn (SimulatedFrameGenerator) at the active
// format's size and frame rate, through the camera's view of the desk. The failures of a real camera
// can be injected per camera: a start refused with any StreamResult, and a running stream that breaks
// off.
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

    // A camera that is gone fails with InputNotCreated and one whose lock another process holds
    // (SimulatedCamera::setLockRefused) with DeviceInUse, as a real one does.
    qint32 startStreaming() override;
    void stopStreaming() override;
    bool isStreaming() const override;

    // Makes every later start of the camera with this unique id fail with `code` (StreamOk clears
    // it). Kept by id, so that it holds for device objects made after the call.
    static void injectStartError(const QString &uniqueId, qint32 code);
    // Breaks the running stream: streamError(code) comes from the capture thread and the stream ends.
    void injectStreamError(qint32 code);

    // The frame size and frame duration the stream uses now.
    QSize streamSize() const;
    FrameDuration streamFrameDuration() const;

private:
    void streamFailed(quint64 generation);

    const QSharedPointer<SimulatedCamera> m_camera;
    std::unique_ptr<SimulatedFrameStream> m_stream;
    std::atomic<quint64> m_streamGeneration{0};
};

} // namespace platform
