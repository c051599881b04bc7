#include "desktop/diskspace.h"

#include <QFile>

#include <sys/statvfs.h>

namespace platform {

qint64 DiskSpace::availableBytes(const QString &path)
{
    if (path.isEmpty())
        return -1;
    struct statvfs info;
    if (::statvfs(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    // f_bavail, not f_bfree: the blocks kept for root are no use to the user's recordings.
    return qint64(info.f_bavail) * qint64(info.f_frsize);
}

} // namespace platform
