#include "video/linux/systemv4l2io.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

V4l2Io &V4l2Io::real()
{
    static SystemV4l2Io io;
    return io;
}

int SystemV4l2Io::open(const QString &node)
{
    // Non-blocking, so that a device that stopped answering can never hang the GUI thread.
    const int fd = ::open(QFile::encodeName(node).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    return fd < 0 ? -errno : fd;
}

void SystemV4l2Io::close(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

int SystemV4l2Io::ioctl(int fd, unsigned long request, void *argument)
{
    int result;
    do {
        result = ::ioctl(fd, request, argument);
    } while (result == -1 && errno == EINTR);
    return result == -1 ? -errno : 0;
}

void *SystemV4l2Io::mapBuffer(int fd, quint32 length, quint32 offset)
{
    void *address = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, off_t(offset));
    return address == MAP_FAILED ? nullptr : address;
}

void SystemV4l2Io::unmapBuffer(void *address, quint32 length)
{
    if (address)
        ::munmap(address, length);
}

int SystemV4l2Io::waitForFrame(int fd, int timeoutMs)
{
    pollfd descriptor = {fd, POLLIN, 0};
    int result;
    do {
        result = ::poll(&descriptor, 1, timeoutMs);
    } while (result == -1 && errno == EINTR);
    if (result < 0)
        return -errno;
    if (result == 0)
        return 0;
    // An unplugged camera wakes the poll with an error instead of a frame.
    if (descriptor.revents & (POLLERR | POLLHUP | POLLNVAL))
        return -ENODEV;
    return 1;
}

} // namespace platform
