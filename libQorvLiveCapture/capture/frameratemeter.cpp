#include "capture/frameratemeter.h"

#include <cmath>

float FrameRateMeter::addSample(double nowSeconds)
{
    if (m_lastSeconds < 0) {
        m_lastSeconds = nowSeconds;
        return 0;
    }
    const double elapsed = nowSeconds - m_lastSeconds;
    const double rate = elapsed > 0 ? 1.0 / elapsed : 1000.0;
    float mean = 0;
    if (rate < 75) {
        ++m_count;
        m_sum += std::fabs(std::trunc(float(rate)));
        mean = m_sum / m_count;
    }
    m_lastSeconds = nowSeconds;
    if (m_count >= SamplesPerReport) {
        m_count = 0;
        m_sum = 0;
        return mean;
    }
    return 0;
}

void FrameRateMeter::reset()
{
    m_lastSeconds = -1;
    m_count = 0;
    m_sum = 0;
}
