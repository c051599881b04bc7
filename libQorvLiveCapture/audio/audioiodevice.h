#pragma once

#include "qorvlivecaptureglobal.h"

#include "audio/audioformat.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QTimer>

// The write-only sink an audio input writes its blocks into: measures the peak level of every
// second block while the report is on, passes the blocks on while the stream is on, and asks for a
// reset when no data arrived during a whole check period.
class QORVLIVECAPTURE_EXPORT AudioIODevice : public QIODevice
{
    Q_OBJECT

public:
    static constexpr int DefaultLiveTimeoutMs = 3000;

    explicit AudioIODevice(const platform::AudioFormat &format, QObject *parent = nullptr);

    // The largest sample value of a format; 0 for formats the level cannot be read from.
    static quint32 maximumAmplitude(const platform::AudioFormat &format);
    // Level 0..100 of a block: the largest sample magnitude against the format's maximum.
    static qint8 peakLevel(const platform::AudioFormat &format, const char *data, qint64 len);

    // The check period of sinks made from now on (tests shorten it); 0 or less restores 3000 ms.
    static void setDefaultLiveTimeoutMs(int ms);
    int liveTimeoutMs() const { return m_liveTimer.interval(); }

    void startReport();
    void stopReport();
    void startStream();
    void stopStream();
    bool isReportOn() const { return m_reportOn; }
    bool isStreamOn() const { return m_streamOn; }
    qint64 elapsedMs() const { return m_elapsed.elapsed(); }

    bool open(OpenMode mode) override;
    void close() override;

signals:
    void audioLevelReport(qint8 level);
    void audioStreamBack(const char *data, qint64 len, qint64 time);
    void resetDevice();

public slots:
    void checkLiveTimeout();

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *data, qint64 len) override;

private:
    void armTimer();
    void disarmIfIdle();

    platform::AudioFormat m_format;
    quint32 m_maxAmplitude = 0;
    qint8 m_lastLevel = 0;
    bool m_reportOn = false;
    bool m_streamOn = false;
    QElapsedTimer m_elapsed;
    int m_writeCounter = 0;
    QTimer m_liveTimer;
    bool m_dataSeen = false;
};
