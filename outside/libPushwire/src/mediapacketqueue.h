#pragma once

#include "mediapacket.h"
#include "pushwireglobal.h"

#include <QMutex>
#include <QWaitCondition>

#include <deque>

// The hand-over between the encoder threads and the network thread. Pushing never waits on the
// network: when the backlog passes its byte or time bound, media are dropped instead of queued.
// A dropped video frame breaks every frame after it up to the next key frame, so video is then
// dropped up to that key frame. Configurations and faults are never dropped.
class PUSHWIRE_EXPORT MediaPacketQueue
{
public:
    explicit MediaPacketQueue(qint64 maxBytes = 8 * 1024 * 1024, qint64 maxSpanMs = 3000);

    // Accepts packets until close(); returns whether the packet was queued.
    bool push(MediaPacket packet);
    // Waits up to timeoutMs; false when nothing came. After close() the rest is still handed out.
    bool take(MediaPacket *packet, int timeoutMs);
    void open();
    void close();
    void clear();
    bool isOpen() const;

    // Media dropped since the last call, and the time span of what waits now.
    int takeDropCount();
    qint64 backlogMs() const;
    qint64 backlogBytes() const;

private:
    bool overBound(const MediaPacket &packet) const;
    qint64 spanLocked() const;
    const MediaPacket *oldestMedia() const;

    mutable QMutex m_mutex;
    QWaitCondition m_ready;
    std::deque<MediaPacket> m_packets;
    const qint64 m_maxBytes;
    const qint64 m_maxSpanMs;
    qint64 m_bytes = 0;
    int m_dropped = 0;
    bool m_open = false;
    bool m_videoBroken = false;
};
