#include "audio/qorvaudiosourcewatcher.h"

#include "audio/audioinputs.h"

QorvAudioSourceWatcher::QorvAudioSourceWatcher(QObject *parent)
    : QObject(parent)
{
    connect(platform::AudioInputs::instance(), &platform::AudioInputs::inputsChanged, this,
            &QorvAudioSourceWatcher::availableSourcesChanged);
}
