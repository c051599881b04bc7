#pragma once

#include <QtGlobal>

#include <functional>

// Whole seconds a recording or a stream has run, pauses left out, as the record and live panel counts
// them: 0 before the start and again once stopped. The toolbar counts for itself when no panel is
// there to ask.
class ElapsedCounter
{
public:
    // Milliseconds on a clock that never goes back; empty: the system's monotonic clock.
    using Clock = std::function<qint64()>;

    // The clock is read where it stands whenever the count needs the time, so its owner may change it.
    explicit ElapsedCounter(const Clock *clock = nullptr)
        : m_clock(clock)
    {
    }

    // From 0, whether or not a count was running.
    void start();
    void pause();
    void resume();
    void stop();

    int seconds() const;

private:
    qint64 now() const;

    const Clock *m_clock;
    qint64 m_countedMs = 0; // before the current run
    qint64 m_runSince = 0;
    bool m_running = false;
};
