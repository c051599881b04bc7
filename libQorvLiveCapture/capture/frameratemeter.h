#pragma once

#include "qorvlivecaptureglobal.h"

// The measured capture frame rate: the mean of the whole parts of the instantaneous rates of 60
// samples, reported once every 60 samples. Rates of 75 or more (bursts) are left out, and so is the
// first sample after a reset, whose interval is unknown.
class QORVLIVECAPTURE_EXPORT FrameRateMeter
{
public:
    static constexpr int SamplesPerReport = 60;

    // A sample at `nowSeconds`; the mean when this sample completes a report, else 0.
    float addSample(double nowSeconds);
    void reset();

private:
    double m_lastSeconds = -1;
    int m_count = 0;
    float m_sum = 0;
};
