#pragma once

#include "core/pacedloop.h"
#include "screen/screencapture.h"

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
    qint64 tick(qint64 dueUs);

    ScreenCapture *const m_owner;
    const qint64 m_periodUs;
    const ScreenCapture::FrameWanted m_wanted;
    PacedLoop m_loop;
};

} // namespace platform
