#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Free space of the file system that holds a path.
class DiskSpace
{
public:
    // Bytes available to the calling user on the file system of path, or -1 when it cannot be read.
    static qint64 availableBytes(const QString &path);

private:
    DiskSpace() = delete;
};

} // namespace platform
