#pragma once

#include "audio/audioinputs.h"

#include <QHash>
#include <QMutex>

namespace platform {

struct SimulatedAudioTone {
    double frequencyHz = 441.0; // 100 samples per period, so the peak sample is exact
    int amplitude = 16384;      // peak sample value at volume 1.0
};

// Sound inputs for users and tests without a microphone: each plays a sine tone. Inputs can be
// added and removed (plugging and unplugging), and one can be told to deliver nothing, as a
// microphone does whose driver stalled. Two inputs are present at first.
class SimulatedAudioInputs : public AudioInputs
{
    Q_OBJECT

public:
    using Tone = SimulatedAudioTone;

    static SimulatedAudioInputs *instance();

    static const QString FirstInputId;
    static const QString SecondInputId;

    QList<AudioInputInfo> inputs() const override;
    AudioInputStream *createStream(const QString &uniqueId, QObject *parent = nullptr) override;

    void addInput(const AudioInputInfo &input, const Tone &tone = Tone());
    void removeInput(const QString &uniqueId);
    void setDelivering(const QString &uniqueId, bool delivering);
    // Back to the two inputs of the start, all delivering.
    void reset();

    // For the streams: whether the input is present and delivering, and its tone.
    bool isDelivering(const QString &uniqueId, Tone *tone) const;

private:
    explicit SimulatedAudioInputs(QObject *parent = nullptr);

    struct Input {
        AudioInputInfo info;
        Tone tone;
        bool delivering = true;
    };

    mutable QMutex m_mutex;
    QList<Input> m_inputs;
};

} // namespace platform
