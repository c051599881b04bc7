#pragma once

#include "video/linux/v4l2io.h"

namespace platform {

// V4l2Io on the kernel's device nodes.
class SystemV4l2Io : public V4l2Io
{
public:
    int open(const QString &node) override;
    void close(int fd) override;
    int ioctl(int fd, unsigned long request, void *argument) override;
    void *mapBuffer(int fd, quint32 length, quint32 offset) override;
    void unmapBuffer(void *address, quint32 length) override;
    int waitForFrame(int fd, int timeoutMs) override;
};

} // namespace platform
