#pragma once

#include "video/capturedevice.h"

namespace platform {

class V4l2Io;

// Formats, active format and frame rate of one V4L2 capture node. Streaming is not its business.
// Configuration needs the lock; the lock is held per node within this process, and a node that another
// process is streaming from refuses the change on its own.
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

private:
    struct NodeFormat
    {
        quint32 pixelFormat = 0;
        CaptureFormat format;
    };

    const QList<NodeFormat> &nodeFormats() const;
    QList<NodeFormat> enumerateFormats() const;

    VideoDeviceInfo m_info;
    V4l2Io &m_io;
    mutable QList<NodeFormat> m_formats;
    mutable bool m_formatsRead = false;
    bool m_locked = false;
};

} // namespace platform
