#pragma once

#include "video/capturedevice.h"

#include <atomic>
#include <functional>
#include <memory>

namespace platform {

class V4l2Io;
class V4l2Stream;

// Formats, active format and frame rate of one V4L2 capture node, and its stream of frames.
// Configuration needs the lock; the lock is held per node within this process, and a node that another
// process is streaming from refuses the change on its own. The node refuses changes while it streams,
// so a change made while streaming stops the stream, applies and starts it again.
class V4l2CaptureDevice : public CaptureDevice
{
    Q_OBJECT

public:
    V4l2CaptureDevice(const VideoDeviceInfo &info, V4l2Io &io, QObject *parent = nullptr);
    ~V4l2CaptureDevice() override;

    // The four-character media subtype of a V4L2 pixel format.
    static QByteArray subtypeFor(quint32 pixelFormat);

    VideoDeviceInfo info() const override { return m_info; }
    QList<CaptureFormat> formats() const override;
    int activeFormatIndex() const override;
    FrameDuration activeMinFrameDuration() const override;

    bool lockForConfiguration() override;
    void unlockForConfiguration() override;
    bool setActiveFormat(int index) override;
    bool setActiveMinFrameDuration(const FrameDuration &duration) override;

    qint32 startStreaming() override;
    void stopStreaming() override;
    bool isStreaming() const override;

private:
    struct NodeFormat
    {
        quint32 pixelFormat = 0;
        CaptureFormat format;
    };

    bool applyFormat(int index);
    bool applyFrameDuration(const FrameDuration &duration);
    // A running stream is stopped around `apply` and started again, as the driver refuses format
    // changes while buffers are queued; a failed restart is reported as a stream error.
    bool applyBetweenStreams(const std::function<bool()> &apply);
    void streamFailed(quint64 generation);
    const QList<NodeFormat> &nodeFormats() const;
    QList<NodeFormat> enumerateFormats() const;

    VideoDeviceInfo m_info;
    V4l2Io &m_io;
    mutable QList<NodeFormat> m_formats;
    mutable bool m_formatsRead = false;
    bool m_locked = false;
    std::unique_ptr<V4l2Stream> m_stream;
    // Counts the starts, so that the report of a failed stream never stops its successor.
    std::atomic<quint64> m_streamGeneration{0};
};

} // namespace platform
