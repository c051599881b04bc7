#pragma once

#include "pushwireglobal.h"

#include <QByteArray>

// One AAC packet handed to the publisher: raw (as the live audio path delivers it) or with an ADTS
// header, which is removed and whose fields then describe the stream.
class PUSHWIRE_EXPORT AacPacket
{
public:
    // The live audio path's format: AAC-LC, 44100 Hz, mono.
    static constexpr int DefaultSampleRate = 44100;
    static constexpr int DefaultChannels = 1;
    // Far above any real packet (6144 bits per channel), so only garbage is refused.
    static constexpr int MaxPacketSize = 8192;

    bool parse(const char *data, int len);

    QByteArray payload() const { return m_payload; }
    bool hadAdtsHeader() const { return m_adts; }
    // The AudioSpecificConfig of the packet's stream (the default one for a raw packet).
    QByteArray audioSpecificConfig() const;
    int sampleRate() const;
    int channels() const { return m_channels; }

    static QByteArray audioSpecificConfig(int objectType, int sampleRateIndex, int channels);
    static int sampleRateIndex(int sampleRate);

private:
    bool parseAdts(const uchar *data, int len);

    QByteArray m_payload;
    bool m_adts = false;
    int m_objectType = 2; // AAC-LC
    int m_sampleRateIndex = 4; // 44100 Hz
    int m_channels = DefaultChannels;
};
