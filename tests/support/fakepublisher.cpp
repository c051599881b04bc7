#include "fakepublisher.h"

#include <QMutexLocker>

FakePublisher::FakePublisher(QObject *parent)
    : QorvRtmpIntf(parent)
{
}

QStringList FakePublisher::calls() const
{
    QMutexLocker locker(&m_mutex);
    return m_calls;
}

QVector<FakePublisher::Frame> FakePublisher::videoFrames() const
{
    QMutexLocker locker(&m_mutex);
    return m_video;
}

QVector<FakePublisher::Frame> FakePublisher::audioFrames() const
{
    QMutexLocker locker(&m_mutex);
    return m_audio;
}

void FakePublisher::clear()
{
    QMutexLocker locker(&m_mutex);
    m_calls.clear();
    m_video.clear();
    m_audio.clear();
}

void FakePublisher::record(const QString &call) const
{
    QMutexLocker locker(&m_mutex);
    m_calls.append(call);
}

int FakePublisher::getUrl(QString *value) const
{
    record(QStringLiteral("getUrl()"));
    if (value)
        *value = url;
    return 0;
}

int FakePublisher::setUrl(QString value)
{
    record(QStringLiteral("setUrl(%1)").arg(value));
    url = value;
    return 0;
}

int FakePublisher::getStreamKey(QString *key) const
{
    record(QStringLiteral("getStreamKey()"));
    if (key)
        *key = streamKey;
    return 0;
}

int FakePublisher::setStreamKey(QString key)
{
    record(QStringLiteral("setStreamKey(%1)").arg(key));
    streamKey = key;
    return 0;
}

int FakePublisher::setFpsLevel(int fps)
{
    record(QStringLiteral("setFpsLevel(%1)").arg(fps));
    fpsLevel = fps;
    return 0;
}

int FakePublisher::setResolutionLevel(int level)
{
    record(QStringLiteral("setResolutionLevel(%1)").arg(level));
    resolutionLevel = level;
    return 0;
}

int FakePublisher::getResolutionLevel(int *level) const
{
    record(QStringLiteral("getResolutionLevel()"));
    if (level)
        *level = resolutionLevel;
    return 0;
}

int FakePublisher::getFpsLevel(int *fps) const
{
    record(QStringLiteral("getFpsLevel()"));
    if (fps)
        *fps = fpsLevel;
    return 0;
}

int FakePublisher::startPublish()
{
    record(QStringLiteral("startPublish()"));
    return 0;
}

int FakePublisher::stopPublish()
{
    record(QStringLiteral("stopPublish()"));
    return 0;
}

int FakePublisher::lastNotification() const
{
    return 0;
}

bool FakePublisher::isStreaming() const
{
    record(QStringLiteral("isStreaming()"));
    return streaming;
}

void FakePublisher::setStreamPending(bool value)
{
    record(QStringLiteral("setStreamPending(%1)").arg(value ? "true" : "false"));
    pending = value;
}

bool FakePublisher::isStreamPending() const
{
    record(QStringLiteral("isStreamPending()"));
    return pending;
}

void FakePublisher::setHasAudio(bool value)
{
    record(QStringLiteral("setHasAudio(%1)").arg(value ? "true" : "false"));
    hasAudio = value;
}

int FakePublisher::sendAudioFrame(char *data, int len, qint64 timestampMs, int flags)
{
    QMutexLocker locker(&m_mutex);
    m_audio.append(Frame { QByteArray(data, data ? len : 0), timestampMs, flags });
    return 0;
}

int FakePublisher::sendVideoFrame(char *data, int len, qint64 timestampMs, int flags)
{
    QMutexLocker locker(&m_mutex);
    m_video.append(Frame { QByteArray(data, data ? len : 0), timestampMs, flags });
    return 0;
}
