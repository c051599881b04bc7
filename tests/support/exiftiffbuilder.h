#pragma once

#include <QByteArray>
#include <QtEndian>

// Hand-made TIFF-structured EXIF data for the reader's tests, byte by byte in either byte order, so
// that every crafted fixture shows exactly the bound or rule it exercises.
class ExifTiffBuilder
{
public:
    explicit ExifTiffBuilder(bool bigEndian = false) : m_bigEndian(bigEndian) {}

    // "II" or "MM", 42, and the offset of IFD0.
    ExifTiffBuilder &header(quint32 ifd0 = 8)
    {
        m_data.append(m_bigEndian ? "MM" : "II");
        return u16(42).u32(ifd0);
    }

    ExifTiffBuilder &u16(quint16 value)
    {
        uchar bytes[2];
        m_bigEndian ? qToBigEndian(value, bytes) : qToLittleEndian(value, bytes);
        m_data.append(reinterpret_cast<const char *>(bytes), 2);
        return *this;
    }

    ExifTiffBuilder &u32(quint32 value)
    {
        uchar bytes[4];
        m_bigEndian ? qToBigEndian(value, bytes) : qToLittleEndian(value, bytes);
        m_data.append(reinterpret_cast<const char *>(bytes), 4);
        return *this;
    }

    ExifTiffBuilder &raw(const QByteArray &bytes)
    {
        m_data.append(bytes);
        return *this;
    }

    // One entry whose 4-byte field is a 32-bit number (an offset or a one-element LONG).
    ExifTiffBuilder &entry(quint16 tag, quint16 type, quint32 count, quint32 field)
    {
        return u16(tag).u16(type).u32(count).u32(field);
    }

    // One entry whose 4-byte field holds bytes as they stand.
    ExifTiffBuilder &entryBytes(quint16 tag, quint16 type, quint32 count, const QByteArray &field)
    {
        return u16(tag).u16(type).u32(count).raw(field.leftJustified(4, '\0', true));
    }

    // One SHORT entry holding up to two values inline.
    ExifTiffBuilder &entryShorts(quint16 tag, quint32 count, quint16 first, quint16 second = 0)
    {
        return u16(tag).u16(3).u32(count).u16(first).u16(second);
    }

    int size() const { return m_data.size(); }
    QByteArray data() const { return m_data; }

private:
    QByteArray m_data;
    bool m_bigEndian;
};
