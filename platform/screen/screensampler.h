#pragma once

#include "screen/screencapture.h"

#include <condition_variable>
#include <mutex>

class QThread;

namespace platform {

// The sampling thread of a ScreenCapture: a tick every frame period; a tick that comes while the
// previous grab still runs is skipped rather than queued, so a slow grab lowers the rate instead of
// building a backlog.
class ScreenSampler
{
public:
    ScreenSampler(ScreenCapture *owner, double framesPerSecond, ScreenCapture::FrameWanted wanted);
    ~ScreenSampler();
    ScreenSampler(const ScreenSampler &) = delete;
    ScreenSampler &operator=(const ScreenSampler &) = delete;

    void start();
    void stop();

private:
    void run();
    bool waitUntil(qint64 timeUs);

    ScreenCapture *const m_owner;
    const qint64 m_periodUs;
    const ScreenCapture::FrameWanted m_wanted;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    QThread *m_thread = nullptr;
};

} // namespace platform
