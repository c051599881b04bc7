#include "audio/audioinputs.h"

#include "audio/pulseaudioinputs.h"
#include "audio/simulatedaudioinputs.h"
#include "core/platformbackend.h"

#include <QCoreApplication>

namespace platform {

namespace {

PulseAudioInputs *g_pulseInputs = nullptr;

// The server's thread stops with the application object, not during the static clean-up after it.
void stopPulseInputs()
{
    g_pulseInputs->stopMonitoring();
}

AudioInputs *makeInputs()
{
    if (PlatformBackend::isSimulated())
        return SimulatedAudioInputs::instance();
    g_pulseInputs = new PulseAudioInputs;
    qAddPostRoutine(stopPulseInputs);
    return g_pulseInputs;
}

} // namespace

AudioInputs *AudioInputs::instance()
{
    static AudioInputs *inputs = makeInputs();
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
