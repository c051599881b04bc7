#pragma once

#include "capture/frameratemeter.h"
#include "capture/pacedconsumer.h"
#include "capture/previewlayer.h"
#include "capture/qorvcapturesource.h"
#include "imageprocess/imageprocessor.h"
#include "media/audiosample.h"
#include "media/videosample.h"
#include "qorvlivecaptureglobal.h"

#include <QMutex>
#include <QPointer>
#include <QRecursiveMutex>
#include <QRect>
#include <QSharedPointer>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <functional>
#include <memory>

class AVFMediaAssetWriter;
class FramePacer;
class LiveExportSink;
class GeneralCamera;
class QorvCaptureSession;

namespace platform {
class AudioSampleCapture;
class CaptureDevice;
class MediaClock;
class ScreenCapture;
}

// The working part of a frame source: it streams one picture source (a camera or the main display),
// paces the consumers that want frames and hands each frame through the frame routine: image
// processor and preview, JPEG snapshots and frames, BGR export, the H.264 hand-off and the movie
// writer. Results and frames reach the callers through the owner session's signals.
//
// Threads: the operations are called on the owner's (GUI) thread. Frames arrive on the camera's
// capture thread or the screen's sampling thread and run the frame routine there; the pacing thread
// raises the consumers' frame-wanted flags; the saving queue feeds the writer in frame order.
class QORVLIVECAPTURE_EXPORT QorvFrameSourceImpl : public QorvCaptureSource
{
    Q_OBJECT

public:
    // The stream result codes of the capture device are passed on as they are.
    static constexpr qint32 InputNotCreated = qint32(0xE0000002);
    static constexpr qint32 CameraInUse = qint32(0xE0000004);
    static constexpr qint32 NoBandwidth = qint32(0xE0000005);
    static constexpr qint32 DiskFull = qint32(0xE0300003);
    // Recording goes on while more than this is free on the file system being written.
    static constexpr qint64 MinimumFreeBytes = 0xAFFFFF;
    // Frames waiting for the writer beyond this are dropped rather than piled up in memory.
    static constexpr int MaxPendingRecordingFrames = 8;
    // The H.264 hand-off takes a new frame only while fewer than this are inside the encoder.
    static constexpr int MaxFramesInEncoder = 11;

    using H264FrameHandler = std::function<void(const platform::VideoSample &)>;

    QorvFrameSourceImpl(GeneralCamera *camera, SourceType type, QObject *parent = nullptr);
    ~QorvFrameSourceImpl() override;

    // 0, or InputNotCreated / CameraInUse / NoBandwidth; every failure is also sent as receiveError
    // through the owner before this returns. A source stopped before can be started again.
    qint32 startRunning();
    void stopRunning();
    bool isRunning() const { return m_running.load(); }

    void setOwnerSession(QorvCaptureSession *session);
    QorvCaptureSession *ownerSession() const { return m_owner.load(); }
    // The widget the preview is drawn into from the next start on; null is ignored.
    void setPreviewWidget(QWidget *widget);
    PreviewLayer *previewLayer() const { return m_previewLayer.data(); }

    // Attaches a writer (recording starts with the next frame) or, with null, detaches the current
    // one and returns once every frame already handed to it has been written.
    void setFileOutput(const QSharedPointer<AVFMediaAssetWriter> &writer);
    QSharedPointer<AVFMediaAssetWriter> fileOutput() const;

    // Snapshot of the next frame into `path`; with a session, it becomes the owner.
    void getRGBA32FrameAsync(const QString &path, QorvCaptureSession *session);
    void requestJPGFrame();
    // Off returns once no BGR frame is being delivered: no frame reaches the receivers after it.
    void enableSendRGBFrame(bool on, int interval);
    void enableH264Export(bool on, int width, int height, int fps);
    void setH264ExportFrameRate(int fps);
    bool isH264ExportOn() const { return m_h264.isOn(); }
    QSize h264ExportSize() const;
    // The live encoders: switched with the export, fed the paced frames and the recorded sound. Not
    // owned; detach it (null) before it goes. Set while export is off.
    void setLiveExport(LiveExportSink *sink);
    // Also called with every paced H.264 frame (tests, diagnostics). Set while export is off.
    void setH264FrameHandler(H264FrameHandler handler);
    // Frames handed to H.264 encoding by this source since it was made.
    quint64 h264FrameCount() const { return m_h264Frames.load(); }

    // The sound input recorded and streamed with the picture, by unique id; captured while running.
    // An id no input has changes nothing.
    void setAudioCaptureInputUUID(const QString &uuid);
    // Only the empty name is taken: no sound is captured until a new input is set.
    void setAudioCaptureInputName(const QString &name);
    QString audioCaptureInputUUID() const;
    bool isCapturingAudio() const;
    // A block of the recorded sound: to the writer while recording, to live encoding while exporting.
    // Called on the thread the sound arrives on.
    void appendAudioSample(const platform::AudioSample &sample);

    int setDigitalPTZ(const QPointF &start, float ratio, bool unused);
    int setFlip(unsigned short degree, bool mirror, bool flip);
    ImageProcessor *imageProcessor() { return &m_imageProcessor; }

    // An image of the main display at once (screen sources only); null on failure.
    QImage grabScreenImage();
    platform::ScreenCapture *screenCapture() const { return m_screen; }

    void setCaptureRect(const QRect &rect);
    QRect captureRect() const;
    QSize outputSize() const;
    int measuredFrameRate() const { return m_measuredRate.load(); }

    // Free MiB of the file system holding `path` (or its nearest existing folder); 0 when unreadable.
    static qint64 getFreeDiskspace(const QString &path);
    // Free bytes of the file system holding a folder, -1 when unreadable. The platform's by default;
    // tests put a full disk in its place. Process-wide; set it while no source records.
    using DiskSpaceReader = std::function<qint64(const QString &folder)>;
    static void setDiskSpaceReader(DiskSpaceReader reader);
    static qint64 availableBytes(const QString &path);

    QString currentSourceID() override;
    int getFrameSourceType(SourceType *type) override;

    // The clock the pacing ticks and the frame-rate measurement read: the process's monotonic clock
    // unless another is set (null sets that one back). Tests drive the recording pace by hand with it.
    // Not owned; it must outlive the source.
    void setClock(const platform::MediaClock *clock);

    // One captured frame: frame-rate measurement, then the frame routine. Called on the capture
    // thread (or by benchmarks and tests directly).
    void captureOutputFrame(const platform::VideoSample &sample);

public Q_SLOTS:
    void enableSendRGBFrameSlot() override;
    void enableSendH264FrameSlot() override;
    void enableAddRecordingFrameSlot() override;
    void setVideoOutputResolution(void *camera, int32_t width, int32_t height) override;

private:
    qint32 startCamera();
    qint32 startScreen();
    void stopCapture();
    void emitError(qint32 code);
    double nowSeconds() const;
    bool screenFrameWanted() const;
    void measureFrameRate();
    void processFrame(const platform::VideoSample &sample);
    platform::VideoSample previewStep(const platform::VideoSample &sample);
    void jpegStep(const platform::VideoSample &sample);
    void bgrStep(const platform::VideoSample &sample);
    void disableBgrExport();
    void h264Step(const platform::VideoSample &sample);
    void recordingStep(const platform::VideoSample &sample);
    void adaptRecordingRate(bool appended, float writerRate);
    void checkFreeSpace(const QString &recordingPath);
    void writeSnapshot(const QString &path, const QByteArray &jpeg);
    void makePreviewLayer();
    void restartAudioCapture();
    LiveExportSink *liveExport() const;

    GeneralCamera *const m_camera;
    const SourceType m_type;
    std::atomic<QorvCaptureSession *> m_owner{nullptr};

    QSharedPointer<platform::CaptureDevice> m_device;
    platform::ScreenCapture *m_screen = nullptr;
    std::unique_ptr<FramePacer> m_pacer;
    QThreadPool m_savingQueue;
    std::atomic<int> m_pendingRecordingFrames{0};
    std::atomic<bool> m_freeSpaceShort{false}; // as the last recorded frame found it

    QPointer<QWidget> m_previewView;
    QPointer<PreviewLayer> m_previewLayer;
    std::shared_ptr<PreviewLayer::Feed> m_previewFeed;
    mutable QMutex m_previewMutex;

    mutable QMutex m_mutex; // pending paths, writer, sizes, audio input
    QStringList m_pendingPaths;
    QSharedPointer<AVFMediaAssetWriter> m_writer;
    QRect m_captureRect;
    QSize m_outputSize{1024, 768};
    QSize m_h264Size;
    QString m_audioInputUuid;
    H264FrameHandler m_h264Handler;
    LiveExportSink *m_liveExport = nullptr;
    platform::AudioSampleCapture *m_audioCapture = nullptr;

    std::atomic<int> m_jpegRequests{0};
    std::atomic<bool> m_jpegBusy{false};
    PacedConsumer m_bgr;
    QRecursiveMutex m_bgrDelivery; // held while a BGR frame is being delivered
    PacedConsumer m_h264;
    PacedConsumer m_recording;
    std::atomic<quint64> m_h264Frames{0};
    std::atomic<int> m_measuredRate{0};
    FrameRateMeter m_rateMeter; // capture thread only

    ImageProcessor m_imageProcessor;
    std::atomic<bool> m_running{false};
    std::atomic<const platform::MediaClock *> m_clock; // read on the pacing and capture threads
};
