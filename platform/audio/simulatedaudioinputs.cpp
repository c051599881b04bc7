#include "audio/simulatedaudioinputs.h"

#include "audio/simulatedaudioinputstream.h"

#include <QMutexLocker>

namespace platform {

const QString SimulatedAudioInputs::FirstInputId = QStringLiteral("simulated.input.microphone");
const QString SimulatedAudioInputs::SecondInputId = QStringLiteral("simulated.input.headset");

SimulatedAudioInputs *SimulatedAudioInputs::instance()
{
    static SimulatedAudioInputs *inputs = new SimulatedAudioInputs;
    return inputs;
}

SimulatedAudioInputs::SimulatedAudioInputs(QObject *parent)
    : AudioInputs(parent)
{
    reset();
}

void SimulatedAudioInputs::reset()
{
    {
        QMutexLocker locker(&m_mutex);
        m_inputs.clear();
        m_inputs.append({{FirstInputId, QStringLiteral("Simulated Microphone")}, Tone(), true});
        m_inputs.append({{SecondInputId, QStringLiteral("Simulated Headset")}, Tone{882.0, 8192}, true});
    }
    emit inputsChanged();
}

QList<AudioInputInfo> SimulatedAudioInputs::inputs() const
{
    QMutexLocker locker(&m_mutex);
    QList<AudioInputInfo> result;
    for (const Input &input : m_inputs)
        result.append(input.info);
    return result;
}

AudioInputStream *SimulatedAudioInputs::createStream(const QString &uniqueId, QObject *parent)
{
    if (!contains(uniqueId))
        return nullptr;
    return new SimulatedAudioInputStream(uniqueId, this, parent);
}

void SimulatedAudioInputs::addInput(const AudioInputInfo &input, const Tone &tone)
{
    {
        QMutexLocker locker(&m_mutex);
        for (Input &known : m_inputs) {
            if (known.info.uniqueId == input.uniqueId) {
                known = {input, tone, true};
                return;
            }
        }
        m_inputs.append({input, tone, true});
    }
    emit inputsChanged();
}

void SimulatedAudioInputs::removeInput(const QString &uniqueId)
{
    {
        QMutexLocker locker(&m_mutex);
        for (int i = 0; i < m_inputs.size(); ++i) {
            if (m_inputs.at(i).info.uniqueId == uniqueId) {
                m_inputs.removeAt(i);
                break;
            }
        }
    }
    emit inputsChanged();
}

void SimulatedAudioInputs::setDelivering(const QString &uniqueId, bool delivering)
{
    QMutexLocker locker(&m_mutex);
    for (Input &input : m_inputs) {
        if (input.info.uniqueId == uniqueId)
            input.delivering = delivering;
    }
}

bool SimulatedAudioInputs::isDelivering(const QString &uniqueId, Tone *tone) const
{
    QMutexLocker locker(&m_mutex);
    for (const Input &input : m_inputs) {
        if (input.info.uniqueId == uniqueId) {
            if (tone)
                *tone = input.tone;
            return input.delivering;
        }
    }
    return false;
}

} // namespace platform
