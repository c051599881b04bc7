#include "audio/soundplayer.h"

#include "audio/pulseaudiosoundplayer.h"

namespace platform {

bool SoundPlayer::play(const QString &path)
{
    return PulseAudioSoundPlayer::instance().play(path);
}

} // namespace platform
