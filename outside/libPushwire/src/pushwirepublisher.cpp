#include "pushwirepublisher.h"

#include "aacpacket.h"
#include "h264accessunit.h"
#include "publishworker.h"
#include "streamregistry.h"

#include <QMutexLocker>
#include <QThread>

PushwirePublisher::PushwirePublisher(QObject *parent)
    : QorvRtmpIntf(parent)
{
    StreamRegistry::add(this);
}

PushwirePublisher::~PushwirePublisher()
{
    stopPublish();
    StreamRegistry::remove(this);
}

int PushwirePublisher::getUrl(QString *url) const
{
    if (!url)
        return -1;
    QMutexLocker locker(&m_settingsMutex);
    *url = m_url;
    return 0;
}

int PushwirePublisher::setUrl(QString url)
{
    QMutexLocker locker(&m_settingsMutex);
    m_url = url.trimmed();
    return 0;
}

int PushwirePublisher::getStreamKey(QString *key) const
{
    if (!key)
        return -1;
    QMutexLocker locker(&m_settingsMutex);
    *key = m_key;
    return 0;
}

int PushwirePublisher::setStreamKey(QString key)
{
    QMutexLocker locker(&m_settingsMutex);
    m_key = key.trimmed();
    return 0;
}

int PushwirePublisher::setFpsLevel(int fps)
{
    if (fps < UploadMonitor::MinimumFps || fps > 60)
        return -1;
    QMutexLocker locker(&m_settingsMutex);
    m_levelFps = fps;
    m_exportFps = fps;
    return 0;
}

int PushwirePublisher::setResolutionLevel(int level)
{
    if (levelSize(level).isEmpty())
        return -1;
    QMutexLocker locker(&m_settingsMutex);
    m_level = level;
    return 0;
}

int PushwirePublisher::getResolutionLevel(int *level) const
{
    if (!level)
        return -1;
    QMutexLocker locker(&m_settingsMutex);
    *level = m_level;
    return 0;
}

int PushwirePublisher::getFpsLevel(int *fps) const
{
    if (!fps)
        return -1;
    *fps = m_exportFps;
    return 0;
}

int PushwirePublisher::startPublish()
{
    if (calledFromNetworkThread())
        return -1; // the running stream cannot be joined from inside itself
    if (m_worker && m_worker->isRunning() && m_queue.isOpen())
        return 0; // already publishing
    stopPublish();

    PublishWorker::Settings settings;
    {
        QMutexLocker locker(&m_settingsMutex);
        settings.url = streamAddress(m_url, m_key);
        const QSize size = levelSize(m_level);
        settings.width = size.width();
        settings.height = size.height();
        settings.hasAudio = m_hasAudio;
        settings.levelFps = m_levelFps;
        m_exportFps = m_levelFps;
    }
    const qint64 now = StreamRegistry::nowMs();
    settings.reconnectAttempt = m_lastReconnectMs > 0 && now - m_lastReconnectMs < ReconnectWindowMs;
    if (!settings.reconnectAttempt)
        m_reconnects = 0;
    settings.reconnectAllowed = m_reconnects < MaxReconnects;
    settings.owner = this;

    {
        QMutexLocker locker(&m_sendMutex);
        m_videoConfig.clear();
        m_audioConfigSent = false;
    }
    m_lastNotification = 0;
    m_queue.open();
    StreamRegistry::setStreaming(this, true);
    m_worker = std::make_unique<PublishWorker>(settings, &m_queue);
    connectWorker();
    m_worker->start();
    return 0;
}

void PushwirePublisher::connectWorker()
{
    PublishWorker *worker = m_worker.get();
    // Direct: the signals leave from the network thread; receivers connect to them queued.
    connect(worker, &PublishWorker::notification, this, [this](int code) {
        m_lastNotification = code;
        emit rtmpNotification(code);
    }, Qt::DirectConnection);
    connect(worker, &PublishWorker::connected, this, &QorvRtmpIntf::streamConnected, Qt::DirectConnection);
    connect(worker, &PublishWorker::uploadWarning, this, &QorvRtmpIntf::showUploadWarning,
            Qt::DirectConnection);
    connect(worker, &PublishWorker::status, this, &QorvRtmpIntf::liveStatus, Qt::DirectConnection);
    connect(worker, &PublishWorker::reconnectNeeded, this, [this]() {
        ++m_reconnects;
        m_lastReconnectMs = StreamRegistry::nowMs();
        emit reconnectServer();
    }, Qt::DirectConnection);
    connect(worker, &PublishWorker::exportFpsChanged, this, [this](int fps) {
        m_exportFps = fps;
        emit streamFpsChanged(fps);
    }, Qt::DirectConnection);
    connect(worker, &PublishWorker::healthy, this, [this]() {
        m_reconnects = 0;
        m_lastReconnectMs = 0;
    }, Qt::DirectConnection);
}

int PushwirePublisher::stopPublish()
{
    if (!m_worker)
        return 0;
    m_queue.close();
    m_worker->requestStop();
    if (calledFromNetworkThread()) {
        // A receiver connected directly reacts to a notice: the stream ends by itself, and the
        // next start or stop from the owner's thread joins it.
        StreamRegistry::setStreaming(this, false);
        return 0;
    }
    if (!m_worker->wait(PublishWorker::StopGraceMs + 500)) {
        m_worker->abortConnection();
        m_worker->wait();
    }
    m_worker.reset();
    m_queue.clear();
    StreamRegistry::setStreaming(this, false);
    return 0;
}

bool PushwirePublisher::calledFromNetworkThread() const
{
    return m_worker && QThread::currentThread() == m_worker.get();
}

int PushwirePublisher::lastNotification() const
{
    return m_lastNotification;
}

bool PushwirePublisher::isStreaming() const
{
    return StreamRegistry::anyStreaming();
}

void PushwirePublisher::setStreamPending(bool pending)
{
    StreamRegistry::setPending(this, pending);
}

bool PushwirePublisher::isStreamPending() const
{
    return StreamRegistry::anyPending();
}

void PushwirePublisher::setHasAudio(bool hasAudio)
{
    QMutexLocker locker(&m_settingsMutex);
    m_hasAudio = hasAudio;
}

int PushwirePublisher::sendAudioFrame(char *data, int len, qint64 timestampMs, int flags)
{
    Q_UNUSED(flags)
    if (!m_queue.isOpen())
        return -1;
    AacPacket packet;
    if (!packet.parse(data, len)) {
        fault(DataFormatError);
        return DataFormatError;
    }
    QMutexLocker locker(&m_sendMutex);
    if (!m_audioConfigSent) {
        MediaPacket config;
        config.kind = MediaPacket::AudioConfig;
        config.data = packet.audioSpecificConfig();
        config.code = packet.sampleRate();
        config.channels = packet.channels();
        config.timestampMs = timestampMs;
        m_audioConfigSent = m_queue.push(config);
    }
    MediaPacket audio;
    audio.kind = MediaPacket::Audio;
    audio.data = packet.payload();
    audio.timestampMs = timestampMs;
    return m_queue.push(std::move(audio)) ? 0 : 1;
}

int PushwirePublisher::sendVideoFrame(char *data, int len, qint64 timestampMs, int flags)
{
    Q_UNUSED(flags)
    if (!m_queue.isOpen())
        return -1;
    H264AccessUnit unit;
    const bool parsed = unit.parse(data, len);
    // A lone SPS or PPS is a header that lost half of itself.
    if (!parsed || (!unit.hasSlices() && !unit.hasParameterSets()
                    && (!unit.sps().isEmpty() || !unit.pps().isEmpty()))) {
        fault(DataFormatError);
        return DataFormatError;
    }
    QMutexLocker locker(&m_sendMutex);
    if (unit.hasParameterSets()) {
        const QByteArray record = H264AccessUnit::decoderConfiguration(unit.sps(), unit.pps());
        if (record.isEmpty()) {
            locker.unlock();
            fault(DataFormatError);
            return DataFormatError;
        }
        if (record != m_videoConfig) {
            MediaPacket config;
            config.kind = MediaPacket::VideoConfig;
            config.data = record;
            config.timestampMs = timestampMs;
            config.extra = H264AccessUnit::lengthPrefix(unit.sps()) + H264AccessUnit::lengthPrefix(unit.pps());
            if (m_queue.push(config))
                m_videoConfig = record;
        }
    }
    if (!unit.hasSlices())
        return 0;
    if (m_videoConfig.isEmpty())
        return 1; // no header yet: nothing a viewer could decode
    MediaPacket video;
    video.kind = MediaPacket::Video;
    video.data = unit.lengthPrefixed();
    video.timestampMs = timestampMs;
    video.keyFrame = unit.isKeyFrame();
    return m_queue.push(std::move(video)) ? 0 : 1;
}

void PushwirePublisher::fault(int code)
{
    MediaPacket packet;
    packet.kind = MediaPacket::Fault;
    packet.code = code;
    if (m_queue.push(packet))
        m_queue.close(); // one notice per stream; later data are refused
}

QSize PushwirePublisher::levelSize(int level)
{
    switch (level) {
    case Resolution1080p:
        return QSize(1920, 1080);
    case Resolution720p:
        return QSize(1280, 720);
    case Resolution480p:
        return QSize(640, 480);
    case Resolution360p:
        return QSize(640, 360);
    default:
        return QSize();
    }
}

QString PushwirePublisher::streamAddress(const QString &url, const QString &key)
{
    QString address = url;
    if (key.isEmpty())
        return address;
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    QString name = key;
    while (name.startsWith(QLatin1Char('/')))
        name.remove(0, 1);
    return address + QLatin1Char('/') + name;
}
