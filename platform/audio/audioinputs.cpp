#include "audio/audioinputs.h"

#include "audio/pulseaudioinputs.h"
#include "audio/simulatedaudioinputs.h"
#include "core/platformbackend.h"

namespace platform {

AudioInputs *AudioInputs::instance()
{
    static AudioInputs *inputs = PlatformBackend::isSimulated()
                                     ? static_cast<AudioInputs *>(SimulatedAudioInputs::instance())
                                     : static_cast<AudioInputs *>(new PulseAudioInputs);
    return inputs;
}

bool AudioInputs::contains(const QString &uniqueId) const
{
    for (const AudioInputInfo &input : inputs()) {
        if (input.uniqueId == uniqueId)
            return true;
    }
    return false;
}

QString AudioInputs::nameOf(const QString &uniqueId) const
{
    for (const AudioInputInfo &input : inputs()) {
        if (input.uniqueId == uniqueId)
            return input.name;
    }
    return QString();
}

} // namespace platform
