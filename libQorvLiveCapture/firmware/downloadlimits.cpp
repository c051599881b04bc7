#include "firmware/downloadlimits.h"

#ifndef LUMIDESK_DOWNLOAD_MAX_BYTES
#define LUMIDESK_DOWNLOAD_MAX_BYTES 1073741824
#endif

DownloadLimits DownloadLimits::configuration()
{
    DownloadLimits limits;
    limits.maxBytes = ConfigurationMaxBytes;
    limits.timeLimitMsecs = ConfigurationTimeLimitMsecs;
    return limits;
}

DownloadLimits DownloadLimits::package()
{
    DownloadLimits limits;
    limits.maxBytes = packageMaxBytes();
    limits.minimumBytesPerSecond = PackageMinimumBytesPerSecond;
    limits.graceMsecs = PackageGraceMsecs;
    limits.rateWindowMsecs = PackageRateWindowMsecs;
    return limits;
}

qint64 DownloadLimits::packageMaxBytes()
{
    return qint64(LUMIDESK_DOWNLOAD_MAX_BYTES);
}

qint64 DownloadLimits::allowedMsecs(qint64 bytes) const
{
    qint64 allowed = timeLimitMsecs > 0 ? timeLimitMsecs : -1;
    if (minimumBytesPerSecond > 0) {
        const qint64 byRate = graceMsecs + qMax<qint64>(0, bytes) / minimumBytesPerSecond * 1000
                              + qMax<qint64>(0, bytes) % minimumBytesPerSecond * 1000 / minimumBytesPerSecond;
        allowed = allowed < 0 ? byRate : qMin(allowed, byRate);
    }
    return allowed;
}

qint64 DownloadLimits::minimumWindowBytes() const
{
    return qMax(0, rateWindowMsecs) * qMax<qint64>(0, minimumBytesPerSecond) / 1000;
}
