#include "screen/screensampler.h"

#include "media/mediaclock.h"

#include <QThread>

#include <chrono>

namespace platform {

ScreenSampler::ScreenSampler(ScreenCapture *owner, double framesPerSecond, ScreenCapture::FrameWanted wanted)
    : m_owner(owner), m_periodUs(qMax<qint64>(1000, qint64(1000000.0 / framesPerSecond))), m_wanted(std::move(wanted))
{
}

ScreenSampler::~ScreenSampler()
{
    stop();
}

void ScreenSampler::start()
{
    if (m_thread)
        return;
    m_stop = false;
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("screen sampling"));
    m_thread->start();
}

void ScreenSampler::stop()
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

bool ScreenSampler::waitUntil(qint64 timeUs)
{
    std::unique_lock<std::mutex> locker(m_mutex);
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(timeUs));
    m_wake.wait_until(locker, deadline, [this] { return m_stop; });
    return !m_stop;
}

void ScreenSampler::run()
{
    qint64 next = MediaClock::monotonicNowUs();
    while (waitUntil(next)) {
        if (!m_wanted || m_wanted())
            m_owner->sampleOnce();
        next += m_periodUs;
        const qint64 now = MediaClock::monotonicNowUs();
        if (next < now) // ticks missed during a long grab are dropped, not made up
            next = now + m_periodUs - (now - next) % m_periodUs;
    }
}

} // namespace platform
