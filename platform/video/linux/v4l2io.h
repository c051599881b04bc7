#pragma once

#include <QString>

namespace platform {

// The one door to V4L2 device nodes. Every open, ioctl and close of the Linux camera backends goes
// through it, so that the translation above it can be tested against a recording fake.
class V4l2Io
{
public:
    // The real device calls, shared by the whole process.
    static V4l2Io &real();

    virtual ~V4l2Io() = default;

    // A file descriptor opened for reading and writing without blocking, or a negative errno.
    virtual int open(const QString &node) = 0;
    virtual void close(int fd) = 0;
    // 0 on success, a negative errno on failure.
    virtual int ioctl(int fd, unsigned long request, void *argument) = 0;

    // Streaming buffers: a driver buffer mapped for reading (null on failure) and its release.
    virtual void *mapBuffer(int fd, quint32 length, quint32 offset)
    {
        Q_UNUSED(fd) Q_UNUSED(length) Q_UNUSED(offset)
        return nullptr;
    }
    virtual void unmapBuffer(void *address, quint32 length) { Q_UNUSED(address) Q_UNUSED(length) }
    // Waits until a filled buffer can be dequeued: 1 when one can, 0 after the timeout, a negative
    // errno when the device failed.
    virtual int waitForFrame(int fd, int timeoutMs)
    {
        Q_UNUSED(fd) Q_UNUSED(timeoutMs)
        return -38; // ENOSYS
    }
};

} // namespace platform
