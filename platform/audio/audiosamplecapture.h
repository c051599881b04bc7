#pragma once

#include "media/audiosample.h"

#include <QIODevice>
#include <QString>

namespace platform {

class AudioInputStream;

// Captures one input as time-stamped AudioSample blocks for recording and the live stream. Lives on
// the thread that calls start; sampleCaptured is emitted there for every block.
class AudioSampleCapture : public QIODevice
{
    Q_OBJECT

public:
    explicit AudioSampleCapture(QObject *parent = nullptr);
    ~AudioSampleCapture() override;

    // False when no input has this unique id or it cannot give 44.1 kHz mono 16-bit sound.
    bool start(const QString &uniqueId);
    void stop();
    bool isCapturing() const { return m_stream != nullptr; }
    QString uniqueId() const { return m_uniqueId; }

signals:
    void sampleCaptured(const platform::AudioSample &sample);

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 size) override;

private:
    AudioInputStream *m_stream = nullptr;
    QString m_uniqueId;
    QByteArray m_oddByte; // a block may end inside a sample
};

} // namespace platform

Q_DECLARE_METATYPE(platform::AudioSample)
