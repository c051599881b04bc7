#include "h264accessunit.h"

namespace {

quint32 readBigEndian32(const uchar *p)
{
    return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
}

void appendBigEndian16(QByteArray *out, int value)
{
    out->append(char((value >> 8) & 0xff));
    out->append(char(value & 0xff));
}

// Length of the start code at p (3 or 4), or 0.
int startCodeAt(const uchar *p, int remaining)
{
    if (remaining >= 3 && p[0] == 0 && p[1] == 0 && p[2] == 1)
        return 3;
    if (remaining >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1)
        return 4;
    return 0;
}

} // namespace

bool H264AccessUnit::parse(const char *data, int len)
{
    *this = H264AccessUnit();
    if (!data || len <= 0)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    // A length-prefixed frame whose first NAL is 256..511 bytes long also begins with 00 00 01, so
    // the length-prefixed reading is tried first: a start-code unit can only pass it by accident if
    // its first "length" fits the buffer exactly, which a header under 256 bytes never does.
    if (splitLengthPrefixed(bytes, len))
        return true;
    *this = H264AccessUnit();
    if (splitStartCodes(bytes, len))
        return true;
    *this = H264AccessUnit();
    return false;
}

bool H264AccessUnit::splitLengthPrefixed(const uchar *data, int len)
{
    int pos = 0;
    int units = 0;
    while (pos < len) {
        if (len - pos < 4)
            return false;
        const quint32 size = readBigEndian32(data + pos);
        pos += 4;
        if (size == 0 || size > quint32(len - pos))
            return false;
        if (!addNal(data + pos, int(size)))
            return false;
        pos += int(size);
        ++units;
    }
    return units > 0;
}

bool H264AccessUnit::splitStartCodes(const uchar *data, int len)
{
    int pos = startCodeAt(data, len);
    if (pos == 0)
        return false;
    int units = 0;
    while (pos < len) {
        int end = pos;
        int next = 0;
        while (end < len && (next = startCodeAt(data + end, len - end)) == 0)
            ++end;
        int size = end - pos;
        // Zero bytes before the next start code belong to no NAL unit.
        while (size > 0 && data[pos + size - 1] == 0)
            --size;
        if (size > 0) {
            if (!addNal(data + pos, size))
                return false;
            ++units;
        }
        pos = end + next;
    }
    return units > 0;
}

bool H264AccessUnit::addNal(const uchar *nal, int size)
{
    if (nal[0] & 0x80)
        return false; // forbidden_zero_bit: not H.264
    const int type = nal[0] & 0x1f;
    const QByteArray unit(reinterpret_cast<const char *>(nal), size);
    switch (type) {
    case NalSps:
        if (size < 4)
            return false;
        m_sps = unit;
        break;
    case NalPps:
        if (size < 2)
            return false;
        m_pps = unit;
        break;
    case NalAccessUnitDelimiter:
        return true;
    case NalSliceIdr:
        m_keyFrame = true;
        m_hasSlices = true;
        break;
    default:
        if (type >= NalSliceNonIdr && type < NalSliceIdr)
            m_hasSlices = true;
        break;
    }
    m_payload.append(lengthPrefix(unit));
    return true;
}

QByteArray H264AccessUnit::decoderConfiguration(const QByteArray &sps, const QByteArray &pps)
{
    if (sps.size() < 4 || pps.isEmpty() || sps.size() > 0xffff || pps.size() > 0xffff)
        return QByteArray();
    QByteArray record;
    record.append(char(1));   // configurationVersion
    record.append(sps.at(1)); // profile_idc
    record.append(sps.at(2)); // constraint flags
    record.append(sps.at(3)); // level_idc
    record.append(char(0xff)); // 4-byte NAL lengths
    record.append(char(0xe1)); // one SPS
    appendBigEndian16(&record, sps.size());
    record.append(sps);
    record.append(char(1)); // one PPS
    appendBigEndian16(&record, pps.size());
    record.append(pps);
    return record;
}

QByteArray H264AccessUnit::lengthPrefix(const QByteArray &nal)
{
    QByteArray out;
    out.reserve(nal.size() + 4);
    const quint32 size = quint32(nal.size());
    out.append(char((size >> 24) & 0xff));
    out.append(char((size >> 16) & 0xff));
    out.append(char((size >> 8) & 0xff));
    out.append(char(size & 0xff));
    out.append(nal);
    return out;
}
