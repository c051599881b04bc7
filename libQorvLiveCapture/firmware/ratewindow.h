#pragma once

#include "qorvlivecaptureglobal.h"

#include <QVector>
#include <QtGlobal>

// The bytes that arrived over the latest stretch of time, so that a transfer can be held to a least
// rate by what it actually receives rather than by what it announces. Arrivals are summed in a fixed
// number of slices, so a transfer of hours keeps no more than a few numbers. The stretch looked at is
// never shorter than the window (at most a slice longer), so a transfer that keeps the rate is never
// taken for one that does not.
class QORVLIVECAPTURE_EXPORT RateWindow
{
public:
    static constexpr int Slices = 16;

    RateWindow() = default;
    // Counts from startMsecs on; arrivals before it are not counted.
    RateWindow(qint64 startMsecs, int windowMsecs);

    bool isValid() const { return m_sliceMsecs > 0; }
    // True once a whole window lies between the start and nowMsecs: only then does a rate say anything.
    bool isFull(qint64 nowMsecs) const;
    void add(qint64 nowMsecs, qint64 bytes);
    // What arrived in the window that ends at nowMsecs (nowMsecs not before the latest arrival).
    qint64 bytesWithin(qint64 nowMsecs) const;
    // When, with nothing more arriving, the window is first full or next loses bytes: the next moment
    // worth another look.
    qint64 nextChange(qint64 nowMsecs) const;

private:
    qint64 sliceOf(qint64 msecs) const;
    qint64 &slot(qint64 slice);
    qint64 slot(qint64 slice) const;

    qint64 m_start = 0;
    qint64 m_sliceMsecs = 0;
    // Slices + 1 running sums: the window's own slices and the one it is in the middle of leaving.
    QVector<qint64> m_bytes;
    qint64 m_latestSlice = 0;
};
