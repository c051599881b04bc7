#include "capture/pacedconsumer.h"

#include "capture/framepacer.h"

namespace {

constexpr double DefaultRecordingRate = 3.0;
constexpr double HalfTickSeconds = FramePacer::DefaultInterval / 2;

} // namespace

void PacedConsumer::enable(double rate)
{
    m_rate = rate;
    m_lastRaise = 0;
    m_on = true;
    m_wanted = true;
}

void PacedConsumer::disable()
{
    m_on = false;
    m_wanted = false;
}

void PacedConsumer::tickWholeSeconds(double nowSeconds)
{
    if (!m_on) {
        m_wanted = false;
        return;
    }
    const double rate = m_rate;
    raiseAfter(nowSeconds, rate > 0 ? double(int(1.0 / rate)) : 0.0);
}

void PacedConsumer::tickFraction(double nowSeconds)
{
    if (!m_on) {
        m_wanted = false;
        return;
    }
    if (m_rate.load() == 0)
        m_rate = DefaultRecordingRate;
    // The ticks come every 1/30 s, with jitter either way: waiting for more than 1 / rate would let a
    // rate at or just under the tick rate (a 29 or 30 fps camera) through on every other tick only,
    // halving the recording. Half a tick of slack rounds the wait to the nearest tick instead.
    raiseAfter(nowSeconds, 1.0 / m_rate.load() - HalfTickSeconds);
}

void PacedConsumer::raiseAfter(double nowSeconds, double waitSeconds)
{
    if (nowSeconds - m_lastRaise.load() > waitSeconds) {
        m_wanted = true;
        m_lastRaise = nowSeconds;
    }
}
