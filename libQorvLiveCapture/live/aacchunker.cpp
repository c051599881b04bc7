#include "live/aacchunker.h"

QVector<AacChunker::Chunk> AacChunker::append(const QByteArray &pcm, qint64 timeMs)
{
    QVector<Chunk> chunks;
    QByteArray joined = m_carry + pcm;
    const int count = joined.size() / ChunkBytes;
    chunks.reserve(count);
    for (int i = 0; i < count; ++i)
        chunks.append({joined.mid(i * ChunkBytes, ChunkBytes), qint64(i * ChunkMs + double(timeMs))});
    m_carry = joined.mid(count * ChunkBytes);
    return chunks;
}
