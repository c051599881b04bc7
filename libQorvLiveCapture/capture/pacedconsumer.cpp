#include "capture/pacedconsumer.h"

namespace {

constexpr double DefaultRecordingRate = 3.0;

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
    raiseAfter(nowSeconds, 1.0 / m_rate.load());
}

void PacedConsumer::raiseAfter(double nowSeconds, double waitSeconds)
{
    if (nowSeconds - m_lastRaise.load() > waitSeconds) {
        m_wanted = true;
        m_lastRaise = nowSeconds;
    }
}
