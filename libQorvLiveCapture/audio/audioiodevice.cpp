#include "audio/audioiodevice.h"

#include <QtEndian>

#include <atomic>
#include <cmath>
#include <cstring>

namespace {

std::atomic<int> g_defaultLiveTimeoutMs{AudioIODevice::DefaultLiveTimeoutMs};

// Magnitude of one sample as an unsigned number; 64 bits so that the most negative value of a
// signed format has a magnitude too.
quint64 sampleMagnitude(const platform::AudioFormat &format, const uchar *p)
{
    const bool little = format.byteOrder() == platform::AudioFormat::LittleEndian;
    const platform::AudioFormat::SampleType type = format.sampleType();
    switch (format.sampleSize()) {
    case 8:
        if (type == platform::AudioFormat::UnSignedInt)
            return p[0];
        return quint64(std::llabs(qint8(p[0])));
    case 16: {
        const quint16 raw = little ? qFromLittleEndian<quint16>(p) : qFromBigEndian<quint16>(p);
        if (type == platform::AudioFormat::UnSignedInt)
            return raw;
        return quint64(std::llabs(qint16(raw)));
    }
    case 32: {
        const quint32 raw = little ? qFromLittleEndian<quint32>(p) : qFromBigEndian<quint32>(p);
        if (type == platform::AudioFormat::UnSignedInt)
            return raw;
        if (type == platform::AudioFormat::Float) {
            float value;
            std::memcpy(&value, &raw, sizeof(value));
            const double magnitude = std::fabs(double(value)) * 2147483648.0;
            // NaN and values beyond full scale count as full scale.
            return !(magnitude < 4294967295.0) ? quint64(4294967295u) : quint64(magnitude);
        }
        return quint64(std::llabs(qint64(qint32(raw))));
    }
    default:
        return 0;
    }
}

} // namespace

AudioIODevice::AudioIODevice(const platform::AudioFormat &format, QObject *parent)
    : QIODevice(parent),
      m_format(format),
      m_maxAmplitude(maximumAmplitude(format))
{
    m_elapsed.start();
    m_liveTimer.setInterval(g_defaultLiveTimeoutMs.load());
    connect(&m_liveTimer, &QTimer::timeout, this, &AudioIODevice::checkLiveTimeout);
}

void AudioIODevice::setDefaultLiveTimeoutMs(int ms)
{
    g_defaultLiveTimeoutMs = ms > 0 ? ms : DefaultLiveTimeoutMs;
}

quint32 AudioIODevice::maximumAmplitude(const platform::AudioFormat &format)
{
    const bool isUnsigned = format.sampleType() == platform::AudioFormat::UnSignedInt;
    switch (format.sampleSize()) {
    case 8:
        if (format.sampleType() == platform::AudioFormat::Float)
            return 0;
        return isUnsigned ? 255 : 127;
    case 16:
        if (format.sampleType() == platform::AudioFormat::Float)
            return 0;
        return isUnsigned ? 65535 : 32767;
    case 32:
        return isUnsigned ? 4294967295u : 2147483647u;
    default:
        return 0;
    }
}

qint8 AudioIODevice::peakLevel(const platform::AudioFormat &format, const char *data, qint64 len)
{
    const quint32 maximum = maximumAmplitude(format);
    if (!maximum || !data || format.sampleSize() % 8)
        return 0;
    const int bytesPerSample = format.sampleSize() / 8;
    const auto *p = reinterpret_cast<const uchar *>(data);
    quint64 peak = 0;
    // Every sample of every channel counts; a trailing partial sample does not.
    for (qint64 pos = 0; pos + bytesPerSample <= len; pos += bytesPerSample)
        peak = qMax(peak, sampleMagnitude(format, p + pos));
    const quint64 clamped = qMin<quint64>(peak, maximum);
    return qint8(int(double(clamped) / double(maximum) * 100.0));
}

bool AudioIODevice::open(OpenMode mode)
{
    const bool opened = QIODevice::open(mode);
    if (opened && (m_reportOn || m_streamOn))
        armTimer();
    return opened;
}

void AudioIODevice::close()
{
    m_liveTimer.stop();
    m_dataSeen = false;
    QIODevice::close();
}

void AudioIODevice::armTimer()
{
    if (!m_liveTimer.isActive())
        m_liveTimer.start();
}

void AudioIODevice::disarmIfIdle()
{
    if (m_reportOn || m_streamOn)
        return;
    m_liveTimer.stop();
    m_dataSeen = false;
}

void AudioIODevice::startReport()
{
    m_reportOn = true;
    m_writeCounter = 0;
    armTimer();
}

void AudioIODevice::stopReport()
{
    m_reportOn = false;
    disarmIfIdle();
}

void AudioIODevice::startStream()
{
    m_streamOn = true;
    armTimer();
}

void AudioIODevice::stopStream()
{
    m_streamOn = false;
    disarmIfIdle();
}

void AudioIODevice::checkLiveTimeout()
{
    if (!m_dataSeen)
        emit resetDevice();
    else
        m_dataSeen = false;
}

qint64 AudioIODevice::readData(char *, qint64)
{
    return 0;
}

qint64 AudioIODevice::writeData(const char *data, qint64 len)
{
    m_dataSeen = true;
    if (m_reportOn) {
        ++m_writeCounter;
        if (m_writeCounter % 2 == 0 && m_maxAmplitude) {
            m_lastLevel = peakLevel(m_format, data, len);
            emit audioLevelReport(m_lastLevel);
        }
    }
    if (m_streamOn)
        emit audioStreamBack(data, len, m_elapsed.elapsed());
    return len;
}
