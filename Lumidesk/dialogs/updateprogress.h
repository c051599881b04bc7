#pragma once

#include "analytics/bigdata.h"

#include <QtGlobal>

// What the start-up update dialog and the update page share about a download: the progress bar's
// scale and the analytics event of a finished download.
namespace UpdateProgress {

// The bar counts in these steps, so a package of more than 2 GiB cannot overflow it.
constexpr int Steps = 1000;
constexpr int DownloadCompletedEvent = BigData::Event_updateSWVersion;

// Bytes read as steps of a known, positive total.
inline int scaled(qint64 bytesRead, qint64 totalBytes)
{
    return int(qBound<qint64>(0, bytesRead, totalBytes) * Steps / totalBytes);
}

} // namespace UpdateProgress
