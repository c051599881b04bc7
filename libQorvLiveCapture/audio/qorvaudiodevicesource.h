#pragma once

#include "qorvlivecaptureglobal.h"

#include "audio/audioformat.h"

#include <QObject>
#include <QString>

namespace platform {
class AudioInputStream;
}
class AudioIODevice;

// One microphone behind an audio source: its own capture stream into an AudioIODevice, which meters
// the level and offers the raw sound; restarts through the device manager when the input stalls.
// The sound that is recorded is captured apart, by the frame source.
class QORVLIVECAPTURE_EXPORT QorvAudioDeviceSource : public QObject
{
    Q_OBJECT

public:
    static constexpr int Success = 0;
    static constexpr int BadArgument = -1000;
    static constexpr int NoAudioInput = -1003;

    // The input is the one at `index` of the platform's list when it has exactly this name, else the
    // first with this name, else the one with this unique id. Without one every operation returns
    // NoAudioInput.
    QorvAudioDeviceSource(const QString &name, const QString &uuid, int index, QObject *parent = nullptr);
    ~QorvAudioDeviceSource() override;

    // 0..100; anything else is refused with BadArgument and changes nothing.
    int setVolume(qint8 volume);
    int getVolume(qint8 *volume);

    int startAudioReport();
    int stopAudioReport();
    int startAudioStream();
    int stopAudioStream();

    void startDevice();
    void stopDevice();
    bool hasDevice() const { return !m_deviceId.isEmpty(); }
    bool hasInput() const { return m_input != nullptr; }
    AudioIODevice *sink() const { return m_sink; }

    QString currentSourceID() const { return m_name; }
    QString currentUuid() const { return m_uuid; }
    QString currentObjectUuid() const { return m_objectId; }
    // Milliseconds since the sink was made; 0 without one.
    qint64 getAudioTime() const;

signals:
    void audioLevelReport(qint8 level);
    void audioStreamBack(const char *data, qint64 len, qint64 time);

public slots:
    void resetDevice();

private:
    void chooseDevice(int index);
    bool makeInput();
    void resumeIfWanted();
    void suspendIfIdle();

    QString m_name;
    QString m_uuid;
    QString m_objectId;
    int m_index = -1;
    QString m_deviceId; // unique id of the chosen platform input; empty when none matched
    platform::AudioInputStream *m_input = nullptr;
    AudioIODevice *m_sink = nullptr;
    platform::AudioFormat m_format;
    qreal m_volume = 1.0;
};
