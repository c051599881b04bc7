#include "video/simulated/simulatedframestream.h"

#include "media/mediaclock.h"

#include <QThread>

#include <chrono>

namespace platform {

SimulatedFrameStream::SimulatedFrameStream(Settings settings, FrameHandler onFrame, ErrorHandler onError)
    : m_settings(std::move(settings)), m_onFrame(std::move(onFrame)), m_onError(std::move(onError))
{
}

SimulatedFrameStream::~SimulatedFrameStream()
{
    stop();
}

void SimulatedFrameStream::start()
{
    if (m_thread)
        return;
    m_stop = false;
    m_failure = 0;
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("simulated capture"));
    m_thread->start();
}

void SimulatedFrameStream::stop()
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

void SimulatedFrameStream::fail(qint32 code)
{
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_failure = code;
    }
    m_wake.notify_all();
}

bool SimulatedFrameStream::waitUntil(qint64 timeUs)
{
    std::unique_lock<std::mutex> locker(m_mutex);
    const auto deadline = std::chrono::steady_clock::time_point(std::chrono::microseconds(timeUs));
    m_wake.wait_until(locker, deadline, [this] { return m_stop || m_failure != 0; });
    return !m_stop && m_failure == 0;
}

QImage &SimulatedFrameStream::freeFrame()
{
    // A frame is drawn again only after every sample made of it is gone.
    for (QImage &frame : m_frames) {
        if (frame.isNull() || frame.isDetached())
            return frame;
    }
    m_spare = QImage();
    return m_spare;
}

void SimulatedFrameStream::run()
{
    qint64 next = MediaClock::monotonicNowUs();
    while (waitUntil(next)) {
        QSize size;
        qint64 durationUs = 33333;
        m_settings(&size, &durationUs);
        const qint64 now = MediaClock::monotonicNowUs();
        QImage &frame = freeFrame();
        m_generator.render(frame, size, m_frameNumber++);
        if (!frame.isNull())
            m_onFrame(frame, now);
        next += qMax<qint64>(1000, durationUs);
        // A stalled consumer makes frames late; the camera drops them rather than catching up.
        if (next < MediaClock::monotonicNowUs())
            next = MediaClock::monotonicNowUs();
    }
    qint32 failure;
    {
        std::lock_guard<std::mutex> locker(m_mutex);
        failure = m_stop ? 0 : m_failure;
    }
    if (failure != 0)
        m_onError(failure);
}

} // namespace platform
