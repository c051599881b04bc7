#include "aacpacket.h"

namespace {

const int sampleRates[] = { 96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050,
                            16000, 12000, 11025, 8000, 7350 };
constexpr int sampleRateCount = int(sizeof(sampleRates) / sizeof(sampleRates[0]));

} // namespace

bool AacPacket::parse(const char *data, int len)
{
    *this = AacPacket();
    if (!data || len <= 0 || len > MaxPacketSize)
        return false;
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    if (len >= 2 && bytes[0] == 0xff && (bytes[1] & 0xf6) == 0xf0)
        return parseAdts(bytes, len);
    m_payload = QByteArray(data, len);
    return true;
}

bool AacPacket::parseAdts(const uchar *data, int len)
{
    if (len < 7)
        return false;
    const bool protectionAbsent = data[1] & 0x01;
    const int headerSize = protectionAbsent ? 7 : 9;
    const int objectType = ((data[2] >> 6) & 0x03) + 1;
    const int rateIndex = (data[2] >> 2) & 0x0f;
    const int channels = ((data[2] & 0x01) << 2) | ((data[3] >> 6) & 0x03);
    const int frameLength = ((data[3] & 0x03) << 11) | (data[4] << 3) | ((data[5] >> 5) & 0x07);
    const int rawBlocks = data[6] & 0x03;
    // One raw block per packet: that is what an FLV audio tag carries.
    if (rateIndex >= sampleRateCount || channels == 0 || rawBlocks != 0
        || frameLength <= headerSize || frameLength > len)
        return false;
    m_adts = true;
    m_objectType = objectType;
    m_sampleRateIndex = rateIndex;
    m_channels = channels;
    m_payload = QByteArray(reinterpret_cast<const char *>(data) + headerSize, frameLength - headerSize);
    return true;
}

QByteArray AacPacket::audioSpecificConfig() const
{
    return audioSpecificConfig(m_objectType, m_sampleRateIndex, m_channels);
}

int AacPacket::sampleRate() const
{
    return sampleRates[m_sampleRateIndex];
}

QByteArray AacPacket::audioSpecificConfig(int objectType, int sampleRateIndex, int channels)
{
    QByteArray config(2, 0);
    config[0] = char(((objectType & 0x1f) << 3) | ((sampleRateIndex >> 1) & 0x07));
    config[1] = char(((sampleRateIndex & 0x01) << 7) | ((channels & 0x0f) << 3));
    return config;
}

int AacPacket::sampleRateIndex(int sampleRate)
{
    for (int i = 0; i < sampleRateCount; ++i) {
        if (sampleRates[i] == sampleRate)
            return i;
    }
    return -1;
}
