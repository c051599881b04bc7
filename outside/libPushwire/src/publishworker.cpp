#include "publishworker.h"

#include "aacpacket.h"
#include "mediapacketqueue.h"
#include "rtmpconnection.h"
#include "streamregistry.h"

#include <QMutexLocker>

PublishWorker::PublishWorker(const Settings &settings, MediaPacketQueue *queue, QObject *parent)
    : QThread(parent)
    , m_settings(settings)
    , m_queue(queue)
    , m_monitor(settings.levelFps)
    , m_audioConfig(AacPacket::audioSpecificConfig(2, AacPacket::sampleRateIndex(AacPacket::DefaultSampleRate),
                                                   AacPacket::DefaultChannels))
    , m_sampleRate(AacPacket::DefaultSampleRate)
    , m_channels(AacPacket::DefaultChannels)
{
    setObjectName(QStringLiteral("pushwire-network"));
}

PublishWorker::~PublishWorker()
{
    abortConnection();
    wait();
}

void PublishWorker::requestStop()
{
    m_stopAtMs = StreamRegistry::nowMs();
    m_stopRequested = true;
}

void PublishWorker::abortConnection()
{
    m_stopRequested = true;
    QMutexLocker locker(&m_connectionMutex);
    if (m_connection)
        m_connection->abort();
}

void PublishWorker::run()
{
    RtmpConnection connection;
    {
        QMutexLocker locker(&m_connectionMutex);
        m_connection = &connection;
    }
    Outcome outcome = Continue;
    if (connection.open(m_settings.url, ConnectTimeoutMs) != RtmpConnection::Ok) {
        qWarning("pushwire: %s", qPrintable(connection.errorString()));
        outcome = m_stopRequested ? Stopped : Lost;
        if (outcome == Lost && !m_settings.reconnectAttempt) {
            m_queue->close();
            StreamRegistry::setStreaming(m_settings.owner, false);
            emit notification(-1);
            outcome = Stopped;
        }
    } else {
        emit connected();
    }
    m_lastReportMs = StreamRegistry::nowMs();
    while (outcome == Continue) {
        MediaPacket packet;
        const bool got = m_queue->take(&packet, 100);
        if (got)
            outcome = handle(&connection, packet);
        else if (m_stopRequested)
            outcome = Stopped;
        else if (!m_queue->isOpen())
            outcome = Stopped; // closed by the owner without a stop: nothing more will come
        if (outcome == Continue)
            report(false);
    }
    if (outcome == Stopped)
        connection.close(true, qMax<qint64>(1, StopGraceMs - (StreamRegistry::nowMs() - m_stopAtMs)));
    else
        connection.close(false, 0);
    {
        QMutexLocker locker(&m_connectionMutex);
        m_connection = nullptr;
    }
    if (outcome != Stopped)
        fail(outcome);
    if (m_monitor.warning())
        emit uploadWarning(false);
}

PublishWorker::Outcome PublishWorker::handle(RtmpConnection *connection, const MediaPacket &packet)
{
    if (m_stopRequested && StreamRegistry::nowMs() - m_stopAtMs > StopGraceMs)
        return Stopped;
    switch (packet.kind) {
    case MediaPacket::VideoConfig:
        if (m_videoConfig.isEmpty()) {
            m_videoConfig = packet.data;
        } else if (packet.data != m_videoConfig) {
            // FLV has one sequence header per stream; later parameter sets travel in the key frame.
            m_inbandParameterSets = packet.extra;
            m_parameterSetsChanged = true;
        }
        return Continue;
    case MediaPacket::AudioConfig:
        if (!connection->headerWritten()) {
            m_audioConfig = packet.data;
            m_sampleRate = packet.code;
            m_channels = packet.channels;
        }
        return Continue;
    case MediaPacket::Video:
        return writeVideo(connection, packet);
    case MediaPacket::Audio:
        return writeAudio(connection, packet);
    case MediaPacket::Fault:
        emit notification(packet.code);
        StreamRegistry::setStreaming(m_settings.owner, false);
        return Stopped;
    case MediaPacket::None:
        break;
    }
    return Continue;
}

PublishWorker::Outcome PublishWorker::writeVideo(RtmpConnection *connection, const MediaPacket &packet)
{
    if (!connection->headerWritten()) {
        // The stream begins with the sequence header and a key frame; anything earlier cannot be
        // decoded by a viewer.
        if (m_videoConfig.isEmpty() || !packet.keyFrame)
            return Continue;
        const int result = connection->writeHeader(m_videoConfig, m_settings.width, m_settings.height,
                                                   m_settings.hasAudio ? m_audioConfig : QByteArray(),
                                                   m_sampleRate, m_channels);
        if (result != RtmpConnection::Ok) {
            qWarning("pushwire: %s", qPrintable(connection->errorString()));
            return outcomeOf(result);
        }
        m_baseMs = packet.timestampMs;
        m_headerAtMs = StreamRegistry::nowMs();
    }
    QByteArray data = packet.data;
    if (packet.keyFrame && m_parameterSetsChanged) {
        data.prepend(m_inbandParameterSets);
        m_parameterSetsChanged = false;
    }
    const int result = connection->writeVideo(data, qMax<qint64>(0, packet.timestampMs - m_baseMs),
                                              packet.keyFrame, writeTimeout());
    if (result != RtmpConnection::Ok)
        return outcomeOf(result);
    m_bytesThisSecond += data.size();
    ++m_framesThisSecond;
    return Continue;
}

PublishWorker::Outcome PublishWorker::writeAudio(RtmpConnection *connection, const MediaPacket &packet)
{
    if (!connection->headerWritten() || !connection->hasAudio() || packet.timestampMs < m_baseMs)
        return Continue;
    const int result = connection->writeAudio(packet.data, packet.timestampMs - m_baseMs, writeTimeout());
    if (result != RtmpConnection::Ok)
        return outcomeOf(result);
    m_bytesThisSecond += packet.data.size();
    return Continue;
}

PublishWorker::Outcome PublishWorker::outcomeOf(int result) const
{
    if (m_stopRequested)
        return Stopped;
    return result == RtmpConnection::BadStreamData ? BadData : Lost;
}

void PublishWorker::report(bool force)
{
    const qint64 now = StreamRegistry::nowMs();
    if (!force && now - m_lastReportMs < 1000)
        return;
    m_lastReportMs = now;
    const UploadMonitor::Report figures = m_monitor.second(m_bytesThisSecond, m_framesThisSecond,
                                                           m_queue->takeDropCount(), m_queue->backlogMs());
    m_bytesThisSecond = 0;
    m_framesThisSecond = 0;
    emit status(figures.kbps, figures.fps);
    if (figures.warningChanged)
        emit uploadWarning(figures.warning);
    if (figures.fpsChanged)
        emit exportFpsChanged(figures.exportFps);
    if (!m_healthySent && m_headerAtMs > 0 && now - m_headerAtMs >= HealthyAfterMs) {
        m_healthySent = true;
        emit healthy();
    }
}

void PublishWorker::fail(Outcome outcome)
{
    m_queue->close();
    StreamRegistry::setStreaming(m_settings.owner, false);
    if (outcome == BadData) {
        emit notification(-2);
    } else if (m_settings.reconnectAllowed) {
        StreamRegistry::holdUntil(m_settings.owner, StreamRegistry::nowMs() + ReconnectHoldMs);
        emit reconnectNeeded();
    } else {
        emit notification(-3);
    }
}

int PublishWorker::writeTimeout() const
{
    if (!m_stopRequested)
        return WriteTimeoutMs;
    return int(qMax<qint64>(1, StopGraceMs - (StreamRegistry::nowMs() - m_stopAtMs)));
}
