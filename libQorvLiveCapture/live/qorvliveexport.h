#pragma once

#include "capture/liveexportsink.h"
#include "live/aacchunker.h"
#include "media/audiosample.h"
#include "media/videosample.h"
#include "qorvlivecaptureglobal.h"

#include <QMutex>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

class QorvCaptureSession;
class QorvFrameSourceImpl;

namespace platform {
class AacLiveEncoder;
class H264LiveEncoder;
}

// The live export of one frame source. Paced frames are encoded to H.264 on the source's own encoder
// queue; before the first key frame of every export the parameter-set header of the encoder's own
// SPS and PPS goes out, sent from the encoder queue itself (nothing waits on the GUI thread). The
// recorded sound is cut into AAC frames and encoded on the audio thread that delivers it. Both go
// to the outputs with millisecond time stamps: by default the owner session's
// onReceiveEncodedExportVideoFrame / onReceiveEncodedExportAudioFrame.
class QORVLIVECAPTURE_EXPORT QorvLiveExport : public LiveExportSink
{
public:
    using Output = std::function<void(char *data, int len, qint64 timeMs)>;

    // Frames are taken only while fewer than this are waiting for or inside the encoder.
    static constexpr int MaxFramesInEncoder = 11;

    // With a source: attached to it at once (see attach).
    explicit QorvLiveExport(QorvFrameSourceImpl *source = nullptr);
    ~QorvLiveExport() override;

    QorvLiveExport(const QorvLiveExport &) = delete;
    QorvLiveExport &operator=(const QorvLiveExport &) = delete;

    // Becomes the source's live export (switched with it, fed its paced frames and sound) and sends
    // to whichever session owns the source at the time of sending. Call while export is off; the
    // destructor detaches again.
    void attach(QorvFrameSourceImpl *source);
    void setVideoOutput(Output output);
    void setAudioOutput(Output output);

    // Switch on: a new encoder of width x height (fps 0: the default rate), a fresh header before
    // the next key frame, empty sound staging. False when the encoder cannot be made (the size is
    // not a valid picture size, e.g. -1 x -1 for an unknown level); export then stays off.
    bool enable(int width, int height, int fps) override;
    // Switch off: frames inside the encoder are completed (and still sent) and the encoder released.
    void disable() override;
    bool isOn() const { return m_on.load(); }
    void setFrameRate(int fps) override;

    // Any thread (the capture thread): queues the frame on the encoder queue.
    void submitFrame(const platform::VideoSample &sample) override;
    // The audio thread: cut, encode and send while export is on.
    void appendAudioSample(const platform::AudioSample &sample) override;

    int framesInEncoder() const override { return m_framesInEncoder.load(); }
    int audioCarryOverBytes() const;
    // Waits until every queued frame went through the encoder.
    void waitForEncoder();
    // Level and size of the current encoder (0 when off).
    int encoderLevel() const;

private:
    void encodeFrame(const platform::VideoSample &sample);
    void sendVideo(const QByteArray &data, qint64 timeMs);
    void sendAudio(const QByteArray &data, qint64 timeMs);

    QorvFrameSourceImpl *m_source = nullptr;
    QThreadPool m_encoderQueue;

    mutable QMutex m_outputMutex;
    Output m_videoOutput;
    Output m_audioOutput;

    // Touched on the encoder queue; replaced only while the queue is idle.
    std::unique_ptr<platform::H264LiveEncoder> m_encoder;
    std::atomic<bool> m_headerPending{false};
    std::atomic<bool> m_on{false};
    std::atomic<int> m_framesInEncoder{0};
    std::atomic<int> m_pendingRate{-1};

    mutable QMutex m_audioMutex; // the audio thread against switching on and off
    std::unique_ptr<platform::AacLiveEncoder> m_aac;
    AacChunker m_chunker;
};
