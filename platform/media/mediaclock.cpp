#include "media/mediaclock.h"

#include <chrono>

namespace platform {

qint64 MediaClock::nowUs() const
{
    return monotonicNowUs();
}

MediaClock *MediaClock::monotonic()
{
    static MediaClock clock;
    return &clock;
}

qint64 MediaClock::monotonicNowUs()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace platform
