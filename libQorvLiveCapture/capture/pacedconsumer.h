#pragma once

#include "qorvlivecaptureglobal.h"

#include <atomic>

// The pacing state of one consumer of frames (BGR export, H.264 export, recording): the pacing
// thread raises the frame-wanted flag at the consumer's rate, the capture thread takes a frame only
// while the flag is raised and lowers it. Both threads touch it without a lock: every field is atomic,
// and a raise lost to a race costs one frame at most.
class QORVLIVECAPTURE_EXPORT PacedConsumer
{
public:
    // Switches the consumer on with the flag raised at once, so that the next frame is taken.
    void enable(double rate);
    void disable();
    bool isOn() const { return m_on.load(); }

    double rate() const { return m_rate.load(); }
    void setRate(double rate) { m_rate.store(rate); }

    // A pacing tick at `nowSeconds`. Whole-second pacing (BGR and H.264 export) waits the whole
    // part of 1 / rate seconds: a second at rate 1, nothing (every tick) at rate 2 or more.
    // Fractional pacing (recording) waits 1 / rate seconds rounded to the nearest 1/30 s tick, a rate
    // of 0 taken as 3: at the camera's own rate every tick raises the flag.
    void tickWholeSeconds(double nowSeconds);
    void tickFraction(double nowSeconds);

    bool isWanted() const { return m_wanted.load(); }
    // Lowers the flag; true when it was raised (the frame is the consumer's).
    bool take() { return m_wanted.exchange(false); }

private:
    void raiseAfter(double nowSeconds, double waitSeconds);

    std::atomic<bool> m_on{false};
    std::atomic<bool> m_wanted{false};
    std::atomic<double> m_rate{0};
    std::atomic<double> m_lastRaise{0};
};
