#pragma once

namespace platform {

// How captured PCM sound is laid out. Capture asks for 44.1 kHz, one channel, signed 16-bit
// little-endian; a device that cannot give it may give its nearest format, which this
// also describes, so that a level meter can still read it.
class AudioFormat
{
public:
    enum SampleType { Unknown, SignedInt, UnSignedInt, Float };
    enum Endian { BigEndian, LittleEndian };

    // No format: nothing is known of the sound.
    constexpr AudioFormat() = default;
    constexpr AudioFormat(int sampleRate, int channelCount, int sampleSize, SampleType sampleType,
                          Endian byteOrder = LittleEndian)
        : m_sampleRate(sampleRate),
          m_channelCount(channelCount),
          m_sampleSize(sampleSize),
          m_sampleType(sampleType),
          m_byteOrder(byteOrder)
    {
    }

    constexpr int sampleRate() const { return m_sampleRate; }
    constexpr int channelCount() const { return m_channelCount; }
    // In bits.
    constexpr int sampleSize() const { return m_sampleSize; }
    constexpr SampleType sampleType() const { return m_sampleType; }
    constexpr Endian byteOrder() const { return m_byteOrder; }

    constexpr bool operator==(const AudioFormat &other) const
    {
        return m_sampleRate == other.m_sampleRate && m_channelCount == other.m_channelCount
               && m_sampleSize == other.m_sampleSize && m_sampleType == other.m_sampleType
               && m_byteOrder == other.m_byteOrder;
    }
    constexpr bool operator!=(const AudioFormat &other) const { return !(*this == other); }

private:
    int m_sampleRate = 0;
    int m_channelCount = 0;
    int m_sampleSize = 0;
    SampleType m_sampleType = Unknown;
    Endian m_byteOrder = LittleEndian;
};

} // namespace platform
