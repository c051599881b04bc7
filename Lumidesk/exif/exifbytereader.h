#pragma once

#include <QByteArray>
#include <QtEndian>

// A bounded view of TIFF-structured EXIF data in one byte order. Every read is checked against the
// bytes present with 64-bit arithmetic, so hostile offsets and counts can never reach past the data;
// a read that does not fit yields zero, as a stream at its end would.
class ExifByteReader
{
public:
    ExifByteReader(const QByteArray &data, bool bigEndian)
        : m_data(data), m_bytes(reinterpret_cast<const uchar *>(data.constData())),
          m_size(quint64(data.size())), m_bigEndian(bigEndian) {}

    quint64 size() const { return m_size; }
    bool bigEndian() const { return m_bigEndian; }
    const QByteArray &data() const { return m_data; }

    bool contains(quint64 offset, quint64 length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }

    const uchar *at(quint64 offset) const { return m_bytes + offset; }

    quint16 u16(quint64 offset) const
    {
        if (!contains(offset, 2))
            return 0;
        return m_bigEndian ? qFromBigEndian<quint16>(m_bytes + offset)
                           : qFromLittleEndian<quint16>(m_bytes + offset);
    }

    quint32 u32(quint64 offset) const
    {
        if (!contains(offset, 4))
            return 0;
        return m_bigEndian ? qFromBigEndian<quint32>(m_bytes + offset)
                           : qFromLittleEndian<quint32>(m_bytes + offset);
    }

    // Unchecked forms for loops whose whole range was checked once beforehand.
    quint16 u16Unchecked(quint64 offset) const
    {
        return m_bigEndian ? qFromBigEndian<quint16>(m_bytes + offset)
                           : qFromLittleEndian<quint16>(m_bytes + offset);
    }

    quint32 u32Unchecked(quint64 offset) const
    {
        return m_bigEndian ? qFromBigEndian<quint32>(m_bytes + offset)
                           : qFromLittleEndian<quint32>(m_bytes + offset);
    }

private:
    const QByteArray m_data;
    const uchar *m_bytes;
    quint64 m_size;
    bool m_bigEndian;
};
