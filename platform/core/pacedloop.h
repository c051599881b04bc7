#pragma once

#include "media/mediaclock.h"

#include <QString>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace platform {

// A thread that runs a tick at the times the tick itself asks for, until it is stopped or failed.
// Between ticks the thread waits on a condition rather than sleeping, so stop() and fail() end the
// wait at once instead of at the next due time. How late ticks are caught up is the tick's choice.
class PacedLoop
{
public:
    // Runs at `dueUs` on the monotonic clock (MediaClock) and returns when it is due next.
    using Tick = std::function<qint64(qint64 dueUs)>;
    // Runs on the thread once it leaves the loop: `failure` is the code given to fail(), 0 when
    // stop() ended it.
    using Finished = std::function<void(qint32 failure)>;

    explicit PacedLoop(const QString &threadName)
        : m_threadName(threadName)
    {
    }
    ~PacedLoop() { stop(); }
    PacedLoop(const PacedLoop &) = delete;
    PacedLoop &operator=(const PacedLoop &) = delete;

    // The first tick is due at once. Does nothing while the thread runs.
    void start(Tick tick, Finished finished = Finished())
    {
        if (m_thread)
            return;
        m_stop = false;
        m_failure = 0;
        m_thread = QThread::create([this, tick = std::move(tick), finished = std::move(finished)] {
            run(tick, finished);
        });
        m_thread->setObjectName(m_threadName);
        m_thread->start();
    }

    // Returns once the thread has ended.
    void stop()
    {
        if (!m_thread)
            return;
        {
            std::lock_guard<std::mutex> locker(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }

    // The thread leaves the loop and hands `code` to its Finished; does not wait for it.
    void fail(qint32 code)
    {
        {
            std::lock_guard<std::mutex> locker(m_mutex);
            m_failure = code;
        }
        m_wake.notify_all();
    }

private:
    void run(const Tick &tick, const Finished &finished)
    {
        qint64 next = MediaClock::monotonicNowUs();
        while (waitUntil(next))
            next = tick(next);
        qint32 failure;
        {
            std::lock_guard<std::mutex> locker(m_mutex);
            failure = m_stop ? 0 : m_failure;
        }
        if (finished)
            finished(failure);
    }

    bool waitUntil(qint64 timeUs)
    {
        std::unique_lock<std::mutex> locker(m_mutex);
        const auto deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(timeUs));
        m_wake.wait_until(locker, deadline, [this] { return m_stop || m_failure != 0; });
        return !m_stop && m_failure == 0;
    }

    const QString m_threadName;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    qint32 m_failure = 0;
    QThread *m_thread = nullptr;
};

} // namespace platform
