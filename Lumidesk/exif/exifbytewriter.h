#pragma once

#include <QByteArray>
#include <QtEndian>

// Appends numbers in one byte order to a byte array whose final size was reserved beforehand.
class ExifByteWriter
{
public:
    ExifByteWriter(QByteArray *data, bool bigEndian) : m_data(data), m_bigEndian(bigEndian) {}

    bool bigEndian() const { return m_bigEndian; }

    void u8(quint8 value) { m_data->append(char(value)); }

    void u16(quint16 value)
    {
        uchar bytes[2];
        if (m_bigEndian)
            qToBigEndian(value, bytes);
        else
            qToLittleEndian(value, bytes);
        m_data->append(reinterpret_cast<const char *>(bytes), 2);
    }

    void u32(quint32 value)
    {
        uchar bytes[4];
        if (m_bigEndian)
            qToBigEndian(value, bytes);
        else
            qToLittleEndian(value, bytes);
        m_data->append(reinterpret_cast<const char *>(bytes), 4);
    }

    void bytes(const char *data, int size) { m_data->append(data, size); }
    void zeros(int size) { m_data->append(size, '\0'); }

private:
    QByteArray *m_data;
    bool m_bigEndian;
};
