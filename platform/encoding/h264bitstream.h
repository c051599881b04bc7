#pragma once

#include <QByteArray>
#include <QList>

namespace platform {

// Conversions between the two ways H.264 NAL units are framed: Annex-B start codes (what libx264
// writes) and 4-byte big-endian length prefixes (what the live publisher takes for frames), and the
// parameter-set header the publisher takes before the first key frame of a stream.
class H264Bitstream
{
public:
    enum NalType {
        NalSliceNonIdr = 1,
        NalSliceIdr = 5,
        NalSei = 6,
        NalSps = 7,
        NalPps = 8,
        NalAccessUnitDelimiter = 9
    };

    // The NAL units between the start codes (3 or 4 bytes), without them. Trailing zero bytes before
    // a start code belong to no unit and are dropped.
    static QList<QByteArray> splitAnnexB(const QByteArray &data);
    static int nalType(const QByteArray &nal);

    // Every unit of an Annex-B access unit behind its 4-byte length, leaving out the parameter sets
    // and delimiters (they travel in the header).
    static QByteArray toLengthPrefixed(const QByteArray &annexB);

    // 00 00 01 SPS 00 00 01 PPS 00 00 01, sized from the parameter sets; empty when either is empty.
    static QByteArray parameterSetHeader(const QByteArray &sps, const QByteArray &pps);
    // The first SPS and PPS of an Annex-B buffer (an encoder's global header).
    static bool findParameterSets(const QByteArray &annexB, QByteArray *sps, QByteArray *pps);
};

} // namespace platform
