#pragma once

#include "qorvlivecaptureglobal.h"

#include <QObject>

// Tells when the inputs QorvAudioSource::getAvailableSources lists have changed: a microphone plugged
// in or out or renamed, or the sound server gone or back. The new list is in place when the signal
// comes, so a slot reads it at once; the signal arrives on the watcher's thread. Reading the list is
// cheap, so polling it works as well; the signal saves the poll.
class QORVLIVECAPTURE_EXPORT QorvAudioSourceWatcher : public QObject
{
    Q_OBJECT

public:
    explicit QorvAudioSourceWatcher(QObject *parent = nullptr);

signals:
    void availableSourcesChanged();
};
