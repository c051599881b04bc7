#pragma once

#include "audio/audioinputstream.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>

class QAudioInput;

namespace platform {

// Capture through a Qt Multimedia audio input. When the device cannot give 44.1 kHz mono 16-bit,
// its nearest format is used (as a capture program must take what the device offers). Lives in the
// audio capture module, the one place that links Qt Multimedia.
class PulseAudioInputStream : public AudioInputStream
{
    Q_OBJECT

public:
    PulseAudioInputStream(const QAudioDeviceInfo &device, QObject *parent = nullptr);
    ~PulseAudioInputStream() override;

    // The stream of the input Qt's PulseAudio plug-in names `uniqueId` (by source name); null when
    // there is none.
    static PulseAudioInputStream *create(const QString &uniqueId, QObject *parent);

    AudioFormat format() const override;

    void start(QIODevice *sink) override;
    void stop() override;
    void suspend() override;
    void resume() override;
    State state() const override;
    void setVolume(qreal volume) override;
    qreal volume() const override;

private:
    QAudioDeviceInfo m_device;
    QAudioFormat m_format;
    QAudioInput *m_input = nullptr;
};

} // namespace platform
