#pragma once

#include "media/mediaclock.h"

#include <atomic>

// A media clock the test moves by hand, so that recordings of seconds take no seconds.
class WriterManualClock : public platform::MediaClock
{
public:
    explicit WriterManualClock(qint64 startUs = 1000000000) : m_nowUs(startUs) {}
    qint64 nowUs() const override { return m_nowUs; }
    void advanceUs(qint64 us) { m_nowUs += us; }

private:
    std::atomic<qint64> m_nowUs;
};
