// The audio capture module's entry: the one way into the module, declared in audiocapturemodule.h.
#include "audio/audiocapturemodule.h"
#include "audio/pulseaudioinputstream.h"

#include <type_traits>

extern "C" __attribute__((visibility("default"))) platform::AudioInputStream *
lumideskCreateAudioInputStream(int version, const QString &uniqueId, QObject *parent)
{
    if (version != platform::AudioCaptureModule::InterfaceVersion)
        return nullptr;
    return platform::PulseAudioInputStream::create(uniqueId, parent);
}

static_assert(std::is_same<decltype(&lumideskCreateAudioInputStream),
                           platform::AudioCaptureModule::CreateStreamFunction>::value,
              "the entry is what the loader calls");
