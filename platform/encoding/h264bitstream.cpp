#include "encoding/h264bitstream.h"

namespace platform {

namespace {

// Length of the start code at `pos` (3 or 4), or 0.
int startCodeAt(const QByteArray &data, int pos)
{
    const int remaining = data.size() - pos;
    const char *p = data.constData() + pos;
    if (remaining >= 3 && p[0] == 0 && p[1] == 0 && p[2] == 1)
        return 3;
    if (remaining >= 4 && p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1)
        return 4;
    return 0;
}

void appendBigEndian32(QByteArray *out, quint32 value)
{
    out->append(char((value >> 24) & 0xff));
    out->append(char((value >> 16) & 0xff));
    out->append(char((value >> 8) & 0xff));
    out->append(char(value & 0xff));
}

const char StartCode[] = {0, 0, 1};

} // namespace

QList<QByteArray> H264Bitstream::splitAnnexB(const QByteArray &data)
{
    QList<QByteArray> units;
    int pos = 0;
    // Skip anything before the first start code: it belongs to no unit.
    while (pos < data.size() && startCodeAt(data, pos) == 0)
        ++pos;
    while (pos < data.size()) {
        pos += startCodeAt(data, pos);
        int end = pos;
        while (end < data.size() && startCodeAt(data, end) == 0)
            ++end;
        int size = end - pos;
        while (size > 0 && data.at(pos + size - 1) == 0)
            --size;
        if (size > 0)
            units.append(data.mid(pos, size));
        pos = end;
    }
    return units;
}

int H264Bitstream::nalType(const QByteArray &nal)
{
    return nal.isEmpty() ? -1 : (uchar(nal.at(0)) & 0x1f);
}

QByteArray H264Bitstream::toLengthPrefixed(const QByteArray &annexB)
{
    QByteArray out;
    out.reserve(annexB.size() + 16);
    for (const QByteArray &nal : splitAnnexB(annexB)) {
        const int type = nalType(nal);
        if (type == NalSps || type == NalPps || type == NalAccessUnitDelimiter)
            continue;
        appendBigEndian32(&out, quint32(nal.size()));
        out.append(nal);
    }
    return out;
}

QByteArray H264Bitstream::parameterSetHeader(const QByteArray &sps, const QByteArray &pps)
{
    if (sps.isEmpty() || pps.isEmpty())
        return QByteArray();
    QByteArray header;
    header.reserve(sps.size() + pps.size() + 9);
    header.append(StartCode, 3).append(sps).append(StartCode, 3).append(pps).append(StartCode, 3);
    return header;
}

bool H264Bitstream::findParameterSets(const QByteArray &annexB, QByteArray *sps, QByteArray *pps)
{
    QByteArray foundSps;
    QByteArray foundPps;
    for (const QByteArray &nal : splitAnnexB(annexB)) {
        if (foundSps.isEmpty() && nalType(nal) == NalSps)
            foundSps = nal;
        else if (foundPps.isEmpty() && nalType(nal) == NalPps)
            foundPps = nal;
    }
    if (foundSps.isEmpty() || foundPps.isEmpty())
        return false;
    *sps = foundSps;
    *pps = foundPps;
    return true;
}

} // namespace platform
