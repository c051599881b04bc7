#pragma once

#include "media/videosample.h"
#include "video/captureformat.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QSize>

namespace platform {

// One video capture device: its formats and the active format and frame rate, and the stream of its
// frames. Changing the configuration needs the lock, as on every platform whose devices are shared
// between processes.
class CaptureDevice : public QObject
{
    Q_OBJECT

public:
    // Result codes of startStreaming() and of streamError(); they are the codes the capture library
    // passes on to its callers unchanged.
    enum StreamResult : qint32 {
        StreamOk = 0,
        InputNotCreated = qint32(0xE0000002), // the device cannot be opened or set up
        DeviceInUse = qint32(0xE0000004),     // another process holds the device
        NoBandwidth = qint32(0xE0000005),     // the USB bus cannot carry the stream
        DeviceLost = qint32(0xE0000006),      // the stream broke off (unplugged, driver failure)
    };

    using QObject::QObject;
    ~CaptureDevice() override = default;

    virtual VideoDeviceInfo info() const = 0;
    virtual QList<CaptureFormat> formats() const = 0;
    virtual int activeFormatIndex() const = 0; // -1 when the device reports none
    virtual FrameDuration activeMinFrameDuration() const = 0;

    virtual bool lockForConfiguration() = 0;
    virtual void unlockForConfiguration() = 0;
    // Both need the lock; false when the device refused or is gone. While streaming, a change
    // restarts the stream in the new configuration.
    virtual bool setActiveFormat(int index) = 0;
    virtual bool setActiveMinFrameDuration(const FrameDuration &duration) = 0;

    // Streaming. startStreaming() sets the device up and starts its capture thread; every failure is
    // known before it returns (a StreamResult other than StreamOk), so that the caller can report it
    // synchronously. Frames then arrive through frameCaptured() on the capture thread, as BGRA
    // samples stamped with the monotonic media clock. stopStreaming() returns after the capture
    // thread has delivered its last frame. Both are called from the thread that owns the device.
    virtual qint32 startStreaming() { return InputNotCreated; }
    virtual void stopStreaming() {}
    virtual bool isStreaming() const { return false; }

    // The size frames are delivered in; an empty size delivers the format's own size. Takes effect
    // from the next frame, also while streaming; any thread may call it.
    void setOutputSize(const QSize &size)
    {
        QMutexLocker locker(&m_outputSizeMutex);
        m_outputSize = size;
    }
    QSize outputSize() const
    {
        QMutexLocker locker(&m_outputSizeMutex);
        return m_outputSize;
    }

signals:
    // Emitted on the capture thread: connect with Qt::DirectConnection to use the pixels before the
    // next frame, or queued (the pixels are shared, never reused while a copy of the sample lives).
    void frameCaptured(const platform::VideoSample &sample);
    // Emitted on the capture thread when a running stream fails; the stream has stopped by then
    // (isStreaming() is false once the owner's thread has processed it).
    void streamError(qint32 code);

private:
    mutable QMutex m_outputSizeMutex;
    QSize m_outputSize;
};

} // namespace platform

Q_DECLARE_METATYPE(platform::VideoSample)
