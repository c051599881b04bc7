#include "screen/screensampler.h"

#include "media/mediaclock.h"

namespace platform {

ScreenSampler::ScreenSampler(ScreenCapture *owner, double framesPerSecond, ScreenCapture::FrameWanted wanted)
    : m_owner(owner), m_periodUs(qMax<qint64>(1000, qint64(1000000.0 / framesPerSecond))), m_wanted(std::move(wanted))
    , m_loop(QStringLiteral("screen sampling"))
{
}

ScreenSampler::~ScreenSampler()
{
    stop();
}

void ScreenSampler::start()
{
    m_loop.start([this](qint64 dueUs) { return tick(dueUs); });
}

void ScreenSampler::stop()
{
    m_loop.stop();
}

qint64 ScreenSampler::tick(qint64 dueUs)
{
    if (!m_wanted || m_wanted())
        m_owner->sampleOnce();
    qint64 next = dueUs + m_periodUs;
    const qint64 now = MediaClock::monotonicNowUs();
    if (next < now) // ticks missed during a long grab are dropped, not made up
        next = now + m_periodUs - (now - next) % m_periodUs;
    return next;
}

} // namespace platform
