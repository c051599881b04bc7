#pragma once

#include <QString>

namespace platform {

// One sound input as the user picks it: a unique id that stays the same across restarts and
// re-plugging (on Linux the PulseAudio source name) and a name to show.
struct AudioInputInfo {
    QString uniqueId;
    QString name;

    bool operator==(const AudioInputInfo &other) const
    {
        return uniqueId == other.uniqueId && name == other.name;
    }
};

} // namespace platform
