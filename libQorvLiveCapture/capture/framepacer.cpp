#include "capture/framepacer.h"

#include <chrono>
#include <utility>

FramePacer::FramePacer(double intervalSeconds)
    : m_interval(intervalSeconds)
{
}

FramePacer::~FramePacer()
{
    stop();
}

bool FramePacer::start(std::function<void()> tick)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_thread.joinable())
        return false;
    m_tick = std::move(tick);
    m_stopping = false;
    m_thread = std::thread(&FramePacer::run, this);
    return true;
}

void FramePacer::stop()
{
    std::thread thread;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        thread.swap(m_thread);
    }
    m_wake.notify_all();
    if (thread.joinable())
        thread.join();
}

bool FramePacer::isRunning() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_thread.joinable() && !m_stopping;
}

void FramePacer::run()
{
    using Clock = std::chrono::steady_clock;
    const auto period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_interval));
    auto next = Clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping) {
        lock.unlock();
        m_tick();
        lock.lock();
        next += period;
        const auto now = Clock::now();
        // A tick that came late is not made up by a burst of ticks.
        if (next < now)
            next = now + period;
        m_wake.wait_until(lock, next, [this] { return m_stopping; });
    }
}
