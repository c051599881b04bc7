#pragma once

#include <QString>

namespace platform {

// The one door to V4L2 device nodes. Every open, ioctl and close of the Linux camera backends goes
// through it, so that the translation above it can be tested against a recording fake.
class V4l2Io
{
public:
    // The real device calls, shared by the whole process.
    static V4l2Io &system();

    virtual ~V4l2Io() = default;

    // A file descriptor opened for reading and writing without blocking, or a negative errno.
    virtual int open(const QString &node) = 0;
    virtual void close(int fd) = 0;
    // 0 on success, a negative errno on failure.
    virtual int ioctl(int fd, unsigned long request, void *argument) = 0;
};

} // namespace platform
