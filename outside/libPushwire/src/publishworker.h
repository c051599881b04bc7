#pragma once

#include "mediapacket.h"
#include "uploadmonitor.h"

#include <QByteArray>
#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>

class MediaPacketQueue;
class RtmpConnection;

// The network side of one stream: connects, writes the FLV stream from the queue, measures the
// upload and reports. Runs from startPublish to stopPublish, or until the stream fails.
class PublishWorker : public QThread
{
    Q_OBJECT

public:
    struct Settings {
        QString url;
        int width = 0;
        int height = 0;
        bool hasAudio = false;
        int levelFps = 30;
        // This start follows a dropped connection; whether another drop may ask for a restart.
        bool reconnectAttempt = false;
        bool reconnectAllowed = true;
        const void *owner = nullptr;
    };

    static constexpr int ConnectTimeoutMs = 10000;
    static constexpr int WriteTimeoutMs = 10000;
    static constexpr int StopGraceMs = 2000;
    static constexpr int HealthyAfterMs = 30000;
    static constexpr int ReconnectHoldMs = 8000;

    PublishWorker(const Settings &settings, MediaPacketQueue *queue, QObject *parent = nullptr);
    ~PublishWorker() override;

    // Sends what is queued (within StopGraceMs), then closes.
    void requestStop();
    // Ends a blocked connect or write at once.
    void abortConnection();

signals:
    void notification(int code);
    void connected();
    void uploadWarning(bool show);
    void status(int kbps, int fps);
    void reconnectNeeded();
    void exportFpsChanged(int fps);
    void healthy();

protected:
    void run() override;

private:
    enum Outcome { Continue, Stopped, Lost, BadData };

    Outcome handle(RtmpConnection *connection, const MediaPacket &packet);
    Outcome writeVideo(RtmpConnection *connection, const MediaPacket &packet);
    Outcome writeAudio(RtmpConnection *connection, const MediaPacket &packet);
    Outcome outcomeOf(int result) const;
    void report(bool force);
    void fail(Outcome outcome);
    int writeTimeout() const;

    const Settings m_settings;
    MediaPacketQueue *m_queue;
    UploadMonitor m_monitor;

    QMutex m_connectionMutex;
    RtmpConnection *m_connection = nullptr;
    std::atomic<bool> m_stopRequested { false };
    std::atomic<qint64> m_stopAtMs { 0 };

    QByteArray m_videoConfig;
    QByteArray m_inbandParameterSets;
    bool m_parameterSetsChanged = false;
    QByteArray m_audioConfig;
    int m_sampleRate = 0;
    int m_channels = 0;
    qint64 m_baseMs = -1;

    qint64 m_lastReportMs = 0;
    qint64 m_headerAtMs = 0;
    bool m_healthySent = false;
    qint64 m_bytesThisSecond = 0;
    int m_framesThisSecond = 0;
};
