#pragma once

#include "qorvlivecaptureglobal.h"

#include <QtGlobal>

// How far one download may go against a server that never stops sending, sends slowly, or announces
// more than it should: the most body bytes it takes, an overall time limit, and the least rate it must
// keep, both on average for its size and in every window of time. Every field is a value so that
// tests can give short ones.
struct QORVLIVECAPTURE_EXPORT DownloadLimits
{
    // The update configuration is a few lines of text.
    static constexpr qint64 ConfigurationMaxBytes = 256 * 1024;
    static constexpr int ConfigurationTimeLimitMsecs = 30 * 1000;
    // Packages and firmware images: a slow link still carries this much per second, and the rate is
    // counted after this much time for connecting and the first bytes.
    static constexpr qint64 PackageMinimumBytesPerSecond = 32 * 1024;
    static constexpr int PackageGraceMsecs = 30 * 1000;
    // However much a package announces, after the grace every window of this length must bring the
    // rate's worth (960 KiB): a server that sends less fails within the grace and one window, rather
    // than being allowed the hours that a large announced size at that rate would give it.
    static constexpr int PackageRateWindowMsecs = 30 * 1000;

    // Body bytes of one answer; an answer that announces or sends more is refused.
    qint64 maxBytes = ConfigurationMaxBytes;
    // The whole download, redirects included; 0 for no fixed limit.
    int timeLimitMsecs = 0;
    // With a rate, the download must end within graceMsecs plus its size at this rate, the size being
    // the announced length or, without one, what has arrived so far; 0 for no rate. This bounds the
    // whole download by the size limit at this rate.
    qint64 minimumBytesPerSecond = 0;
    int graceMsecs = 0;
    // With a window and a rate, every window of rateWindowMsecs that begins after graceMsecs must
    // bring, of what actually arrives, what the rate asks for in that time (minimumWindowBytes()); 0 for
    // no such check. The floor follows from the rate, so the window never lets pass a download slower
    // than the one the overall limit assumes.
    int rateWindowMsecs = 0;

    static DownloadLimits configuration();
    // Software packages and firmware images; their size limit is a build setting (1 GiB by default).
    static DownloadLimits package();
    static qint64 packageMaxBytes();

    // How long, from its start, a download of this many bytes may take; -1 when nothing limits it.
    qint64 allowedMsecs(qint64 bytes) const;
    // What every window must bring: the rate's worth over the window's length.
    qint64 minimumWindowBytes() const;
    bool hasRateWindow() const { return minimumWindowBytes() > 0; }
};
