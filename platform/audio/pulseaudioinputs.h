#pragma once

#include "audio/audiocapturemodule.h"
#include "audio/audioinputs.h"

#include <QMutex>

#include <atomic>
#include <memory>

namespace platform {

class PulseAudioSourceMonitor;

// The capture inputs of the PulseAudio server: every source but the monitors of outputs, by source
// name (which stays the same across restarts and re-plugging) with its description as the name. The
// list is kept current from the server's change events on a thread of its own, so reading it costs a
// copy and never waits on the server; inputsChanged follows every change, on this object's thread.
// Without a server the list is empty until one appears. Capture goes through the audio capture
// module, loaded when the list is first made; without it no input is listed.
class PulseAudioInputs : public AudioInputs
{
    Q_OBJECT

public:
    // How long the constructor waits for the first list, so that the first reader sees the inputs.
    static constexpr int FirstListWaitMs = 1000;

    explicit PulseAudioInputs(QObject *parent = nullptr,
                              const QString &capturePath = AudioCaptureModule::installedModule());
    ~PulseAudioInputs() override;

    QList<AudioInputInfo> inputs() const override;
    AudioInputStream *createStream(const QString &uniqueId, QObject *parent = nullptr) override;

    // Stops following the server (the list empties): before the application object goes.
    void stopMonitoring();

private:
    // On the monitor's thread, with a list that differs from the last one.
    void takeInputs(const QList<AudioInputInfo> &inputs);

    mutable QMutex m_mutex;
    QList<AudioInputInfo> m_inputs;
    std::atomic_bool m_changePending{false};
    AudioCaptureModule m_capture;
    std::unique_ptr<PulseAudioSourceMonitor> m_monitor;
};

} // namespace platform
