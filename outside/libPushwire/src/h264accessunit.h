#pragma once

#include "pushwireglobal.h"

#include <QByteArray>

// One unit handed to the publisher by the encoder: either a parameter-set header in start-code form
// ("00 00 01 SPS 00 00 01 PPS [00 00 01]") or a frame of length-prefixed NAL units. Both forms are
// accepted for both kinds, since encoders differ in what they deliver.
class PUSHWIRE_EXPORT H264AccessUnit
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

    // False when the bytes are neither a well-formed length-prefixed unit nor a start-code unit.
    bool parse(const char *data, int len);

    bool hasSlices() const { return m_hasSlices; }
    bool isKeyFrame() const { return m_keyFrame; }
    bool hasParameterSets() const { return !m_sps.isEmpty() && !m_pps.isEmpty(); }
    QByteArray sps() const { return m_sps; }
    QByteArray pps() const { return m_pps; }
    // Every NAL unit but the delimiters, each behind a 4-byte big-endian length, as FLV carries them.
    QByteArray lengthPrefixed() const { return m_payload; }

    // The AVCDecoderConfigurationRecord FLV sends as the sequence header; empty for an SPS under
    // 4 bytes, which cannot carry profile and level.
    static QByteArray decoderConfiguration(const QByteArray &sps, const QByteArray &pps);
    static QByteArray lengthPrefix(const QByteArray &nal);

private:
    bool splitLengthPrefixed(const uchar *data, int len);
    bool splitStartCodes(const uchar *data, int len);
    bool addNal(const uchar *nal, int size);

    QByteArray m_sps;
    QByteArray m_pps;
    QByteArray m_payload;
    bool m_hasSlices = false;
    bool m_keyFrame = false;
};
