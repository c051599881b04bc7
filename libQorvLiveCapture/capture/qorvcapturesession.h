#pragma once

#include "capture/qorvcapturesource.h"
#include "qorvlivecaptureglobal.h"

#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QSharedPointer>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class AVFMediaAssetWriter;
class QorvAudioDeviceSource;
class QorvFrameSource;
class QorvFrameSourceImpl;
class QorvRtmpIntf;
class QWidget;

namespace platform {
class CaptureDevice;
}

// The one object through which a program drives a capture pipeline: the sources of one picture (a
// camera or the screen) and of its sound, the preview, start and stop, the live H.264 export to the
// publisher, .mov recordings, JPEG snapshots and raw frames. Only the first frame source and the
// first sound source take part. The session never deletes a source or the publisher.
//
// Operations run on the caller's (GUI) thread. Frame, JPEG, BGR and frame-rate signals come from the
// frame source's capture thread: connect them directly to use the pixels, which are valid only during
// the call. recordingDidEnd comes on the session's thread once the movie file is complete.
class QORVLIVECAPTURE_EXPORT QorvCaptureSession : public QObject
{
    Q_OBJECT

public:
    // 0 sizes the movie with a clean aperture from the crop rectangle; any other value does not.
    enum CaptureSessionRecordingMode {
        CleanApertureRecording = 0,
        PlainRecording = 1
    };

    // Result codes. The error codes also come as receiveError(code); where from, and what a window
    // does about each:
    //   0xE0000002 InputNotCreated  startRunning: the camera cannot be opened. Returned and signalled.
    //   0xE0000004 CameraInUse      startRunning: another program holds the camera. Returned and
    //                               signalled.
    //   0xE0000005 NoBandwidth      startRunning: the USB bus cannot carry the stream. Returned and
    //                               signalled.
    //   0xE0000006 StreamLost       while running, from the capture thread: the running stream broke
    //                               off (camera unplugged, driver failure). No more frames come; a
    //                               recording goes on until it is finished, live export until it is
    //                               switched off. Stop the session; it may be started again.
    //   0xE0300000 WriterFailed     startRecording returns it when no movie can be made at the path
    //                               (WriterNotCreated, not signalled). Signalled, on the session's
    //                               thread, when writing a running recording failed (a full disk, a
    //                               removed drive): the recording has ended and recordingDidEnd(path,
    //                               0xE0300000) follows; what was written up to then stays playable.
    //   0xE0300003 DiskFull         startRecording returns it at 10 MiB free or less (not signalled);
    //                               signalled from the capture thread for every recorded frame while
    //                               less than 11 MiB is free. The recording goes on: finish it.
    static constexpr qint32 Success = 0;
    static constexpr qint32 PreviousRecordingFinishing = 1;
    static constexpr qint32 WriterNotCreated = qint32(0xE0300000);
    static constexpr qint32 WriterFailed = WriterNotCreated;
    static constexpr qint32 DiskFull = qint32(0xE0300003);
    static constexpr qint32 InputNotCreated = qint32(0xE0000002);
    static constexpr qint32 CameraInUse = qint32(0xE0000004);
    static constexpr qint32 NoBandwidth = qint32(0xE0000005);
    static constexpr qint32 StreamLost = qint32(0xE0000006);
    // finishedWritingFrame's second argument when the snapshot file could not be written.
    static constexpr qint32 SnapshotNotWritten = qint32(0xE0300001);
    // Recording is refused at this much free space or less, in MiB.
    static constexpr qint64 MinimumFreeMiB = 10;

    explicit QorvCaptureSession(QObject *parent = nullptr);
    ~QorvCaptureSession() override;

    int addSource(QorvCaptureSource *source);
    int removeSource(QorvCaptureSource *source);
    int setPreviewWidget(QWidget *widget);
    void addRTMPObj(QorvRtmpIntf *publisher);

    // 0; for a camera also 0xE0000002 (input not created), 0xE0000004 (in use elsewhere) or
    // 0xE0000005 (no USB bandwidth). Every failure is also sent as receiveError before this returns
    // (for the screen too, whose start returns 0 whatever happened). Only the first call counts until
    // stopRunning.
    qint32 startRunning();
    void stopRunning();
    bool isRunning() const { return m_running; }

    int enableH264Export(bool on);
    bool isLive() const { return m_live.load(); }
    int enableAudioVolumeLevelExport(bool on);
    // Switching off returns once no BGRFrameReceived is in progress; none comes after it.
    int enableBGRFrameExport(bool on, unsigned interval);
    int getJPGFileAsync(QString path);
    int getJPGFrameAsync();
    int setFrameSourceRect(QorvFrameSource *source, QRect rect, int, bool);

    // 0, or 0xE0300003 (10 MiB or less free in the folder of `path`), 1 (called during a recording:
    // that recording is ended and nothing starts), 0xE0300000 (no movie can be written at `path`).
    // A start right after finishRecording records at once: the previous movie is completed in the
    // background meanwhile, and its recordingDidEnd (with its own path) may come after this returns.
    qint32 startRecording(QString path, QRect movieRect, CaptureSessionRecordingMode mode, QRect cropRect);
    int pauseRecording(bool pause);
    void finishRecording();
    bool isRecording() const { return m_writerActive; }
    QSharedPointer<AVFMediaAssetWriter> writer() const { return m_writer; }
    // Called with every new writer before it is set up (split size, encoder preset).
    void setWriterSetupHook(std::function<void(AVFMediaAssetWriter &)> hook);

    int setDigitalPTZ(QPointF start, float ratio, bool);
    int setFlip(unsigned short degree, bool mirror, bool flip);

    QSharedPointer<platform::CaptureDevice> getDeviceInputByName(QString name);
    QSharedPointer<platform::CaptureDevice> getDeviceInputByUUID(QString uuid);

    QList<QorvFrameSource *> frameSources() const { return m_frameSources; }
    QList<QorvCaptureSource *> audioSources() const { return m_audioSources; }

public Q_SLOTS:
    void audioLevelReported(int8_t level);
    void audioStreamBack(const char *data, qint64 len, qint64 time);
    void onReceiveEncodedExportVideoFrame(char *data, int len, qint64 time);
    void onReceiveEncodedExportAudioFrame(char *data, int len, qint64 time);
    void streamFpsChanged(int fps);

Q_SIGNALS:
    void audioLevelReport(int8_t level);
    void h264FrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void BGRFrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void JPGFileReceived(QString FileName);
    void JPGFrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void captureSessionDidEnd(int32_t reasonCode);
    void finishedWritingFrame(QString filePath, int32_t result);
    // The movie is complete (0) or its writing failed (0xE0300000, also sent as receiveError). A
    // recording that never got a frame (finished at once, or a disk full from the start) leaves no
    // file behind.
    void recordingDidEnd(QString filePath, int32_t result);
    // One of the error codes listed with the result codes above.
    void receiveError(qint32 errorCode);
    void displayedFPSReceived(qint32 fps);
    void recordedFPSReceived(qint32 fps);

private:
    QorvFrameSource *frameSource() const;
    QorvFrameSourceImpl *sourceImpl() const;
    QorvCaptureSource::SourceType frameSourceType() const;
    QorvAudioDeviceSource *audioDeviceSource() const;
    void stopWriter();
    void onWriterFinished(AVFMediaAssetWriter *writer, const QString &path, qint32 result);
    void grabScreenSnapshot(const QString &path);

    QList<QorvFrameSource *> m_frameSources;
    QList<QorvCaptureSource *> m_audioSources;
    QPointer<QWidget> m_previewWidget;
    QorvRtmpIntf *m_publisher = nullptr;
    bool m_audioLevelExport = false;
    std::atomic<bool> m_live{false};
    QSharedPointer<AVFMediaAssetWriter> m_writer;
    // Earlier writers still completing their movies after a new recording started.
    QList<QSharedPointer<AVFMediaAssetWriter>> m_finishingWriters;
    bool m_writerActive = false; // started and not yet stopped
    bool m_writerEndReported = true; // recordingDidEnd sent for m_writer
    bool m_running = false;
    std::function<void(AVFMediaAssetWriter &)> m_writerSetupHook;
};
