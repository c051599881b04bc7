#include "common/freediskspace.h"

#include "desktop/desktoppaths.h"
#include "desktop/diskspace.h"

quint64 getFreeDiskspace()
{
    const qint64 bytes = platform::DiskSpace::availableBytes(platform::DesktopPaths::lastDocumentsFolder());
    if (bytes < 0)
        return 0;
    return quint64(bytes) >> 10;
}
