#pragma once

#include <QString>

namespace platform {

// The programs' short sounds (the capture click), played without waiting. Both backends play them
// for real: a simulated camera's snapshot clicks like a real one's.
class SoundPlayer
{
public:
    // False when the file is no sound this can play; a missing sound server only keeps it silent.
    static bool play(const QString &path);

private:
    SoundPlayer() = delete;
};

} // namespace platform
