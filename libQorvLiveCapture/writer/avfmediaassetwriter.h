#pragma once

#include "qorvlivecaptureglobal.h"

#include "media/audiosample.h"
#include "media/mediaclock.h"
#include "media/moviesettings.h"
#include "media/videosample.h"

#include <QMutex>
#include <QObject>
#include <QRect>
#include <QString>
#include <QThreadPool>
#include <QUrl>

#include <atomic>
#include <limits>
#include <memory>

namespace platform {
class MovieFileWriter;
}

// Writes one recording as QuickTime movies: H.264 video and AAC audio, with pause and resume, the
// recording rate measured over every 30 frames, and continuation in a new numbered file when the
// current one reaches the split size.
//
// The capture session creates, starts, pauses and stops it on its own thread; the frame source feeds
// it samples on its saving queue. Files are finished on a background thread: writingFinished() comes
// once the last file of the recording is complete, and only then does isFinishWriting() turn true.
class QORVLIVECAPTURE_EXPORT AVFMediaAssetWriter : public QObject
{
    Q_OBJECT

public:
    // Reported when the movie could not be written (the file could not be created, or writing or
    // completing it failed).
    static constexpr qint32 WriterFailedError = qint32(0xE0300000);
    // Files are continued in a new one at 1945 MiB.
    static constexpr qint64 DefaultSplitThresholdBytes = qint64(1945) * 1024 * 1024;

    explicit AVFMediaAssetWriter(QObject *parent = nullptr);
    ~AVFMediaAssetWriter() override; // waits for the files still being finished

    // False when no movie can be made for the path (empty, already existing, or a movie rect too
    // small to encode).
    bool setupWithFileURL(const QUrl &fileURL, const QRect &movieRect, int mode, const QRect &cropRect,
                          const QString &filePath, bool isDesktopRecording);

    bool start();
    void pause();
    void resume();
    void stop();
    // Cancels writing; what was written up to the last fragment stays readable.
    void abort();

    bool isFinishWriting() const;
    bool isRecording() const;
    float getRecordingFps() const;

    // Called on the saving queue. Samples carry their capture time on the writer's clock.
    bool writeVideoSampleBuffer(const platform::VideoSample &sample);
    void writeAudioSampleBuffer(const platform::AudioSample &sample);

    // Waits until every file handed to the background is complete; false on timeout.
    bool waitForFinished(int msecs = -1);

    QString recordingFileName() const;
    QString currentFilePath() const;
    int fileCount() const;
    qint64 videoSampleCount() const;
    qint64 audioSampleCount() const;

    // Test and tuning hooks; set before setupWithFileURL().
    void setClock(const platform::MediaClock *clock);
    void setSplitThresholdBytes(qint64 bytes);
    void setX264Preset(const QString &preset);

Q_SIGNALS:
    // A writer failure ended the recording; emitted on the finishing thread just before
    // writingFinished(), so receivers see the two in order.
    void recordingFailed(qint32 errorCode, const QString &message);
    // The last file of the recording is complete (0) or could not be completed (WriterFailedError);
    // emitted on the finishing thread.
    void writingFinished(const QString &recordingFileName, qint32 result);

private:
    using MovieWriterPtr = std::shared_ptr<platform::MovieFileWriter>;
    static constexpr qint64 InvalidTime = std::numeric_limits<qint64>::min();

    MovieWriterPtr makeAssetWriter(const QString &path) const;
    platform::MovieSettings movieSettings() const;
    bool startLocked();
    void stopLocked(bool failed);
    void finishInBackground(const MovieWriterPtr &writer, bool lastFile);
    void changeFile();
    void changeFileName();
    void failLocked(const QString &message);
    void setStartTimeFrom(qint64 timeUs);
    void setAudioStartTimeFrom(qint64 timeUs);
    void updateDuration(qint64 timeUs);
    void updateAudioDuration(qint64 timeUs);
    qint64 newTimeStamp(qint64 timeUs) const; // time minus the pause offset
    void measureRate();
    void checkFileSize();

    mutable QMutex m_lock;

    MovieWriterPtr m_assetWriter;
    QThreadPool m_finishPool;
    int m_filesFinishing = 0;
    bool m_finishFailed = false;
    QString m_failureMessage;
    bool m_startedRecording = false;

    QUrl currentfileURL;
    QRect currentMovieRect;
    int recordingMode = 0;
    QRect currentCropRect;
    QString recordingFileName_;
    QString currentFilePath_;
    int fileCoount = 0;

    qint64 m_startTime = InvalidTime;
    qint64 m_lastTimeStamp = InvalidTime;
    qint64 m_videostartTime = InvalidTime;
    qint64 m_videolastTimeStamp = InvalidTime;
    qint64 m_audiostartTime = InvalidTime;
    qint64 m_audiolastTimeStamp = InvalidTime;
    qint64 pause_start_TimeStamp = InvalidTime;
    qint64 pause_stop_TimeStamp = InvalidTime;
    qint64 pause_offset = InvalidTime;

    bool m_setStartTime = false;
    std::atomic<bool> m_aborted{false};
    std::atomic<bool> m_recording{false};
    std::atomic<bool> isFileFinished{false};
    bool m_paused = false;

    double m_durationInMs = 0;
    double m_videoDurationInMs = 0;
    double m_audioDurationInMs = 0;

    qint64 m_lastRateUs = 0; // time of the last appended frame
    int count = 0;
    float m_rateSum = 0;
    std::atomic<float> avFps{0};

    std::atomic<qint64> videoSampleCount_{0};
    std::atomic<qint64> audioSampleCount_{0};

    const platform::MediaClock *m_clock = platform::MediaClock::monotonic();
    qint64 m_splitThresholdBytes = DefaultSplitThresholdBytes;
    QString m_x264Preset = QStringLiteral("veryfast");
};
