#pragma once

#include "media/ffmpeglibrary.h"

#include <QByteArray>
#include <QString>

#include <atomic>

// One RTMP connection carrying an FLV stream, on libavformat. Used by the network thread only;
// abort() may be called from any thread and ends a blocked connect or write within ~100 ms.
class RtmpConnection
{
public:
    enum Result {
        Ok,
        Failed,       // network or server
        BadStreamData // the muxer refused the data (wrong parameters, not H.264 or AAC)
    };

    RtmpConnection();
    ~RtmpConnection();
    RtmpConnection(const RtmpConnection &) = delete;
    RtmpConnection &operator=(const RtmpConnection &) = delete;

    // Only rtmp:// and rtmps:// addresses: anything else could make the muxer write a local file.
    static bool isAcceptedUrl(const QString &url);

    Result open(const QString &url, int timeoutMs);
    Result writeHeader(const QByteArray &videoConfig, int width, int height,
                       const QByteArray &audioConfig, int sampleRate, int channels);
    Result writeVideo(const QByteArray &data, qint64 timestampMs, bool keyFrame, int timeoutMs);
    Result writeAudio(const QByteArray &data, qint64 timestampMs, int timeoutMs);
    // Ends the stream; with graceful, the trailer and the closing RTMP messages are sent first,
    // within timeoutMs.
    void close(bool graceful, int timeoutMs);

    bool headerWritten() const { return m_headerWritten; }
    bool hasAudio() const { return m_audio != nullptr; }
    QString errorString() const { return m_error; }

    void abort();

private:
    bool loadFfmpeg(); // false with the error when FFmpeg cannot be loaded
    static int interruptCallback(void *opaque);
    Result writePacket(AVStream *stream, const QByteArray &data, qint64 timestampMs, bool keyFrame,
                       qint64 *lastTimestamp, int timeoutMs);
    void setDeadline(int timeoutMs);
    void setError(const char *what, int err);

    // libavutil, libavcodec and libavformat, loaded for the first connection.
    const platform::FfmpegLibrary::Util *m_avutil = nullptr;
    const platform::FfmpegLibrary::Codec *m_avcodec = nullptr;
    const platform::FfmpegLibrary::Format *m_avformat = nullptr;
    AVFormatContext *m_context = nullptr;
    AVStream *m_video = nullptr;
    AVStream *m_audio = nullptr;
    bool m_headerWritten = false;
    qint64 m_lastVideoMs = -1;
    qint64 m_lastAudioMs = -1;
    std::atomic<bool> m_aborted { false };
    std::atomic<qint64> m_deadlineMs { 0 };
    QString m_error;
};
