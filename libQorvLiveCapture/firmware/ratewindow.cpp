#include "firmware/ratewindow.h"

RateWindow::RateWindow(qint64 startMsecs, int windowMsecs)
    : m_start(startMsecs),
      m_sliceMsecs(windowMsecs > 0 ? (qint64(windowMsecs) + Slices - 1) / Slices : 0),
      m_bytes(Slices + 1, 0)
{
}

bool RateWindow::isFull(qint64 nowMsecs) const
{
    return isValid() && nowMsecs - m_start >= Slices * m_sliceMsecs;
}

void RateWindow::add(qint64 nowMsecs, qint64 bytes)
{
    if (!isValid() || nowMsecs < m_start || bytes <= 0)
        return;
    // An arrival noted out of order counts with the latest one rather than in a slot reused since.
    const qint64 slice = qMax(sliceOf(nowMsecs), m_latestSlice);
    // The slices passed over since the latest arrival got nothing; their slots are reused.
    for (qint64 passed = m_latestSlice + 1; passed <= slice && passed <= m_latestSlice + Slices + 1; ++passed)
        slot(passed) = 0;
    m_latestSlice = slice;
    slot(slice) += bytes;
}

qint64 RateWindow::bytesWithin(qint64 nowMsecs) const
{
    if (!isValid() || nowMsecs < m_start)
        return 0;
    const qint64 newest = sliceOf(nowMsecs);
    qint64 sum = 0;
    for (qint64 slice = qMax<qint64>(0, newest - Slices); slice <= qMin(newest, m_latestSlice); ++slice) {
        if (slice >= m_latestSlice - Slices)
            sum += slot(slice);
    }
    return sum;
}

qint64 RateWindow::nextChange(qint64 nowMsecs) const
{
    if (!isFull(nowMsecs))
        return m_start + Slices * m_sliceMsecs;
    // The oldest slice counted now leaves when the next slice begins.
    return m_start + (sliceOf(nowMsecs) + 1) * m_sliceMsecs;
}

qint64 RateWindow::sliceOf(qint64 msecs) const
{
    return (msecs - m_start) / m_sliceMsecs;
}

qint64 &RateWindow::slot(qint64 slice)
{
    return m_bytes[int(slice % (Slices + 1))];
}

qint64 RateWindow::slot(qint64 slice) const
{
    return m_bytes.at(int(slice % (Slices + 1)));
}
