#pragma once

#include <QtGlobal>

namespace platform {

// The host clock samples are stamped with: monotonic, in microseconds. Code that reads "now" takes a
// MediaClock so that tests can drive time by hand instead of sleeping.
class MediaClock
{
public:
    virtual ~MediaClock() = default;
    virtual qint64 nowUs() const;

    // The process-wide monotonic clock.
    static MediaClock *monotonic();
    static qint64 monotonicNowUs();
};

} // namespace platform
