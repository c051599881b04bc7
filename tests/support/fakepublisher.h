#pragma once

#include "qorvrtmpintf.h"

#include <QByteArray>
#include <QMutex>
#include <QStringList>
#include <QVector>

// A live publisher that publishes nothing: it records every call in order (frames with a copy of
// their bytes, since the caller's buffer is only valid during the call) and answers the queries with
// values the test sets. Frames may arrive on any thread.
class FakePublisher : public QorvRtmpIntf
{
    Q_OBJECT

public:
    struct Frame {
        QByteArray data;
        qint64 timestampMs = 0;
        int flags = 0;
    };

    explicit FakePublisher(QObject *parent = nullptr);

    // "setUrl(rtmp://x)", "startPublish()", ...; frames are not listed here but in the frame lists.
    QStringList calls() const;
    QVector<Frame> videoFrames() const;
    QVector<Frame> audioFrames() const;
    void clear();

    // Answers of the queries.
    bool streaming = false;
    bool pending = false;
    int fpsLevel = 30;
    int resolutionLevel = 1;
    QString url;
    QString streamKey;
    bool hasAudio = false;

    int getUrl(QString *value) const override;
    int setUrl(QString value) override;
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
    void setStreamPending(bool value) override;
    bool isStreamPending() const override;
    void setHasAudio(bool value) override;
    int sendAudioFrame(char *data, int len, qint64 timestampMs, int flags) override;
    int sendVideoFrame(char *data, int len, qint64 timestampMs, int flags) override;

private:
    void record(const QString &call) const;

    mutable QMutex m_mutex;
    mutable QStringList m_calls;
    QVector<Frame> m_video;
    QVector<Frame> m_audio;
};
