#pragma once

#include "qorvlivecaptureglobal.h"

#include <QtGlobal>

// How far one download may go against a server that never stops sending, sends slowly, or announces
// more than it should: the most body bytes it takes, an overall time limit, the least average rate it
// must keep for its size, and the least it must bring in every window of time. Every field is a value
// so that tests can give short ones.
struct QORVLIVECAPTURE_EXPORT DownloadLimits
{
    // The update configuration is a few lines of text.
    static constexpr qint64 ConfigurationMaxBytes = 256 * 1024;
    static constexpr int ConfigurationTimeLimitMsecs = 30 * 1000;
    // Packages and firmware images: a slow link still carries this much per second on average, and
    // the rate is counted after this much time for connecting and the first bytes.
    static constexpr qint64 PackageMinimumBytesPerSecond = 32 * 1024;
    static constexpr int PackageGraceMsecs = 30 * 1000;
    // However much a package announces, after the grace every window of this length must bring this
    // much: a server that drips a byte now and then fails within the grace and one window.
    static constexpr int PackageRateWindowMsecs = 30 * 1000;
    static constexpr qint64 PackageMinimumWindowBytes = 32 * 1024;

    // Body bytes of one answer; an answer that announces or sends more is refused.
    qint64 maxBytes = ConfigurationMaxBytes;
    // The whole download, redirects included; 0 for no fixed limit.
    int timeLimitMsecs = 0;
    // With a rate, the download must end within graceMsecs plus its size at this rate, the size being
    // the announced length or, without one, what has arrived so far; 0 for no rate. This bounds the
    // whole download by the size limit at this rate.
    qint64 minimumBytesPerSecond = 0;
    int graceMsecs = 0;
    // With a window, every window of rateWindowMsecs that begins after graceMsecs must bring at least
    // minimumWindowBytes of what actually arrives; 0 in either for no such check.
    int rateWindowMsecs = 0;
    qint64 minimumWindowBytes = 0;

    static DownloadLimits configuration();
    // Software packages and firmware images; their size limit is a build setting (1 GiB by default).
    static DownloadLimits package();
    static qint64 packageMaxBytes();

    // How long, from its start, a download of this many bytes may take; -1 when nothing limits it.
    qint64 allowedMsecs(qint64 bytes) const;
    bool hasRateWindow() const { return rateWindowMsecs > 0 && minimumWindowBytes > 0; }
};
