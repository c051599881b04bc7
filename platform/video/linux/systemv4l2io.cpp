#include "video/linux/systemv4l2io.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace platform {

V4l2Io &V4l2Io::system()
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

} // namespace platform
