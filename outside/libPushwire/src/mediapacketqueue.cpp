#include "mediapacketqueue.h"

#include <QMutexLocker>

MediaPacketQueue::MediaPacketQueue(qint64 maxBytes, qint64 maxSpanMs)
    : m_maxBytes(maxBytes)
    , m_maxSpanMs(maxSpanMs)
{
}

bool MediaPacketQueue::push(MediaPacket packet)
{
    QMutexLocker locker(&m_mutex);
    if (!m_open)
        return false;
    if (packet.kind == MediaPacket::Fault) {
        // Nothing queued before bad data is worth sending: the stream ends with it.
        m_packets.clear();
        m_bytes = 0;
    }
    const bool media = packet.kind == MediaPacket::Video || packet.kind == MediaPacket::Audio;
    if (media) {
        if (packet.kind == MediaPacket::Video && m_videoBroken) {
            if (!packet.keyFrame) {
                ++m_dropped;
                return false;
            }
            m_videoBroken = false;
        }
        if (overBound(packet)) {
            ++m_dropped;
            if (packet.kind == MediaPacket::Video)
                m_videoBroken = true;
            return false;
        }
    }
    m_bytes += packet.data.size();
    m_packets.push_back(std::move(packet));
    m_ready.wakeOne();
    return true;
}

bool MediaPacketQueue::overBound(const MediaPacket &packet) const
{
    if (m_packets.empty())
        return false;
    if (m_bytes + packet.data.size() > m_maxBytes)
        return true;
    const MediaPacket *oldest = oldestMedia();
    return oldest && packet.timestampMs - oldest->timestampMs > m_maxSpanMs;
}

const MediaPacket *MediaPacketQueue::oldestMedia() const
{
    // Configurations carry no time of their own: the span is that of the media waiting.
    for (const MediaPacket &packet : m_packets) {
        if (packet.kind == MediaPacket::Video || packet.kind == MediaPacket::Audio)
            return &packet;
    }
    return nullptr;
}

bool MediaPacketQueue::take(MediaPacket *packet, int timeoutMs)
{
    QMutexLocker locker(&m_mutex);
    if (m_packets.empty() && m_open)
        m_ready.wait(&m_mutex, timeoutMs);
    if (m_packets.empty())
        return false;
    *packet = std::move(m_packets.front());
    m_packets.pop_front();
    m_bytes -= packet->data.size();
    return true;
}

void MediaPacketQueue::open()
{
    QMutexLocker locker(&m_mutex);
    m_packets.clear();
    m_bytes = 0;
    m_dropped = 0;
    m_videoBroken = false;
    m_open = true;
}

void MediaPacketQueue::close()
{
    QMutexLocker locker(&m_mutex);
    m_open = false;
    m_ready.wakeAll();
}

void MediaPacketQueue::clear()
{
    QMutexLocker locker(&m_mutex);
    m_packets.clear();
    m_bytes = 0;
}

bool MediaPacketQueue::isOpen() const
{
    QMutexLocker locker(&m_mutex);
    return m_open;
}

int MediaPacketQueue::takeDropCount()
{
    QMutexLocker locker(&m_mutex);
    const int dropped = m_dropped;
    m_dropped = 0;
    return dropped;
}

qint64 MediaPacketQueue::backlogMs() const
{
    QMutexLocker locker(&m_mutex);
    return spanLocked();
}

qint64 MediaPacketQueue::backlogBytes() const
{
    QMutexLocker locker(&m_mutex);
    return m_bytes;
}

qint64 MediaPacketQueue::spanLocked() const
{
    const MediaPacket *oldest = oldestMedia();
    if (!oldest)
        return 0;
    return qMax<qint64>(0, m_packets.back().timestampMs - oldest->timestampMs);
}
