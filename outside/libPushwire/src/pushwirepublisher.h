#pragma once

#include "mediapacketqueue.h"
#include "qorvrtmpintf.h"

#include <QMutex>
#include <QSize>

#include <atomic>
#include <memory>

class PublishWorker;

// The publisher behind acquireQorvRtmpImpl. Control calls come from the GUI thread; video and audio
// arrive on the encoder threads, are checked and copied there and go through a bounded queue to the
// stream's own network thread, so no caller ever waits for the network.
class PushwirePublisher : public QorvRtmpIntf
{
    Q_OBJECT

public:
    static constexpr int DefaultFps = 30;
    static constexpr int MaxReconnects = 3;
    // A start within this time of a reconnect request continues the same run of attempts.
    static constexpr int ReconnectWindowMs = 15000;

    explicit PushwirePublisher(QObject *parent = nullptr);
    ~PushwirePublisher() override;

    int getUrl(QString *url) const override;
    int setUrl(QString url) override;
    int getStreamKey(QString *key) const override;
    int setStreamKey(QString key) override;
    int setFpsLevel(int fps) override;
    int setResolutionLevel(int level) override;
    int getResolutionLevel(int *level) const override;
    int getFpsLevel(int *fps) const override;
    int startPublish() override;
    int stopPublish() override;
    int lastNotification() const override;
    bool isStreaming() const override;
    void setStreamPending(bool pending) override;
    bool isStreamPending() const override;
    void setHasAudio(bool hasAudio) override;
    int sendAudioFrame(char *data, int len, qint64 timestampMs, int flags) override;
    int sendVideoFrame(char *data, int len, qint64 timestampMs, int flags) override;

    static QSize levelSize(int level);
    // The address with the key as its last path element.
    static QString streamAddress(const QString &url, const QString &key);

private:
    void connectWorker();
    void fault(int code);
    bool calledFromNetworkThread() const;

    mutable QMutex m_settingsMutex;
    QString m_url;
    QString m_key;
    int m_level = Resolution720p;
    int m_levelFps = DefaultFps;
    bool m_hasAudio = false;

    MediaPacketQueue m_queue;
    std::unique_ptr<PublishWorker> m_worker;

    // Sender side, shared by the video and the audio thread.
    QMutex m_sendMutex;
    QByteArray m_videoConfig;
    bool m_audioConfigSent = false;

    std::atomic<int> m_exportFps { DefaultFps };
    std::atomic<int> m_reconnects { 0 };
    std::atomic<qint64> m_lastReconnectMs { 0 };
    std::atomic<int> m_lastNotification { 0 };
};
