#pragma once

#include "qorvlivecaptureglobal.h"

#include <QByteArray>
#include <QVector>

// Cuts the recorded sound into blocks of one AAC frame (1024 samples, 2048 bytes): what is left
// over from one block of sound is carried into the next. Each block's time is the time of the
// sound block it was cut from plus 23.22 ms per earlier block of the cut, as the live stream has it.
class QORVLIVECAPTURE_EXPORT AacChunker
{
public:
    static constexpr int ChunkBytes = 2048;
    static constexpr double ChunkMs = 23.22;

    struct Chunk {
        QByteArray pcm;
        qint64 timeMs = 0;
    };

    QVector<Chunk> append(const QByteArray &pcm, qint64 timeMs);
    int carryOverBytes() const { return m_carry.size(); }
    void reset() { m_carry.clear(); }

private:
    QByteArray m_carry;
};
