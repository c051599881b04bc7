#pragma once

#include "video/linux/v4l2io.h"

namespace platform {

// An open device node that closes itself, so that no early return leaks a descriptor.
class V4l2Handle
{
public:
    V4l2Handle(V4l2Io &io, const QString &node) : m_io(io), m_fd(io.open(node)) {}
    ~V4l2Handle() { m_io.close(m_fd); }
    V4l2Handle(const V4l2Handle &) = delete;
    V4l2Handle &operator=(const V4l2Handle &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    int ioctl(unsigned long request, void *argument) { return isOpen() ? m_io.ioctl(m_fd, request, argument) : m_fd; }

private:
    V4l2Io &m_io;
    int m_fd;
};

} // namespace platform
