#pragma once

#include "qorvlivecaptureglobal.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// The pacing thread of a frame source: calls its tick at once and then every 1/30 s until stopped.
class QORVLIVECAPTURE_EXPORT FramePacer
{
public:
    static constexpr double DefaultInterval = 0.03333333333333333;

    explicit FramePacer(double intervalSeconds = DefaultInterval);
    ~FramePacer(); // stops

    // False when already running.
    bool start(std::function<void()> tick);
    // Returns once the thread has ended; no tick follows it.
    void stop();
    bool isRunning() const;

private:
    void run();

    const double m_interval;
    std::function<void()> m_tick;
    std::thread m_thread;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stopping = false;
};
