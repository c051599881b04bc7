#include "writer/avfmediaassetwriter.h"

#include "capturelog.h"
#include "media/moviefilewriter.h"

#include <QFileInfo>
#include <QMutexLocker>

#include <cmath>

using platform::MovieFileWriter;

namespace {

// Key frames every 10 frames, so a movie can be cut and seeked finely and each fragment of about a
// second starts with one.
constexpr int MaxKeyFrameInterval = 10;
// Numbered continuation files stop somewhere; a recording that needs more fails visibly instead.
constexpr int MaxFileNumber = 9999;

bool isOpen(MovieFileWriter::Status status)
{
    return status == MovieFileWriter::Writing || status == MovieFileWriter::Failed;
}

} // namespace

AVFMediaAssetWriter::AVFMediaAssetWriter(QObject *parent)
    : QObject(parent)
{
    // One finishing thread: the files of a split complete in order, so the last file's completion
    // means the whole recording is complete.
    m_finishPool.setMaxThreadCount(1);
}

AVFMediaAssetWriter::~AVFMediaAssetWriter()
{
    {
        QMutexLocker locker(&m_lock);
        if (m_startedRecording)
            stopLocked(false);
    }
    m_finishPool.waitForDone();
}

bool AVFMediaAssetWriter::setupWithFileURL(const QUrl &fileURL, const QRect &movieRect, int mode,
                                           const QRect &cropRect, const QString &filePath,
                                           bool isDesktopRecording)
{
    // Screen and camera recordings are written alike.
    Q_UNUSED(isDesktopRecording)
    QMutexLocker locker(&m_lock);
    if (filePath.isEmpty() || movieRect.width() < 2 || movieRect.height() < 2) {
        qCWarning(lcCapture, "AVFMediaAssetWriter: no movie can be made for \"%s\"", qUtf8Printable(filePath));
        return false;
    }
    if (QFileInfo::exists(filePath)) {
        qCWarning(lcCapture, "AVFMediaAssetWriter: %s already exists", qUtf8Printable(filePath));
        return false;
    }
    fileCoount = 1;
    currentfileURL = fileURL;
    currentMovieRect = movieRect;
    recordingMode = mode;
    currentCropRect = cropRect;
    recordingFileName_ = filePath;
    currentFilePath_ = filePath;

    qCInfo(lcCapture, " x = %d, y = %d, width = %d, height = %d", cropRect.x(), cropRect.y(),
           cropRect.width(), cropRect.height());
    m_assetWriter = makeAssetWriter(currentFilePath_);
    isFileFinished = false;
    pause_start_TimeStamp = pause_stop_TimeStamp = pause_offset = InvalidTime;
    videoSampleCount_ = 0;
    audioSampleCount_ = 0;
    return true;
}

platform::MovieSettings AVFMediaAssetWriter::movieSettings() const
{
    platform::MovieSettings settings;
    settings.width = currentMovieRect.width();
    settings.height = currentMovieRect.height();
    const qint64 pixelRate = qint64(settings.width) * settings.height * 60;
    settings.videoBitRate = qint64(double(pixelRate) * 0.07);
    settings.maxKeyFrameInterval = MaxKeyFrameInterval;
    settings.x264Preset = m_x264Preset;
    // A clean aperture shows only the crop rect of the picture: encoding just that part gives the
    // same movie to every player.
    if (recordingMode == 0 && currentCropRect.width() >= 2 && currentCropRect.height() >= 2) {
        settings.sourceCrop = currentCropRect;
        settings.width = currentCropRect.width();
        settings.height = currentCropRect.height();
    }
    return settings;
}

AVFMediaAssetWriter::MovieWriterPtr AVFMediaAssetWriter::makeAssetWriter(const QString &path) const
{
    const platform::MovieSettings settings = movieSettings();
    qCInfo(lcCapture, "width = %d, height = %d", settings.width, settings.height);
    return std::make_shared<MovieFileWriter>(path, settings);
}

bool AVFMediaAssetWriter::start()
{
    QMutexLocker locker(&m_lock);
    return startLocked();
}

bool AVFMediaAssetWriter::startLocked()
{
    m_setStartTime = true;
    m_startedRecording = true;
    m_recording = !m_paused;
    isFileFinished = false;
    m_lastRateUs = m_clock->nowUs();
    count = 0;
    m_rateSum = 0;
    avFps = 0;
    videoSampleCount_ = 0;
    audioSampleCount_ = 0;
    m_audiostartTime = m_audiolastTimeStamp = InvalidTime;
    if (!m_assetWriter) {
        failLocked(QStringLiteral("the writer was not set up"));
        return false;
    }
    if (!m_assetWriter->startWriting()) {
        failLocked(m_assetWriter->errorString());
        return false;
    }
    return true;
}

void AVFMediaAssetWriter::pause()
{
    QMutexLocker locker(&m_lock);
    if (m_paused)
        return; // a second pause must not lose the time already paused
    m_paused = true;
    m_recording = false;
    pause_start_TimeStamp = m_clock->nowUs();
    videoSampleCount_ = 0;
    audioSampleCount_ = 0;
}

void AVFMediaAssetWriter::resume()
{
    QMutexLocker locker(&m_lock);
    if (!m_paused)
        return;
    m_paused = false;
    pause_stop_TimeStamp = m_clock->nowUs();
    const qint64 paused = pause_stop_TimeStamp - pause_start_TimeStamp;
    pause_offset = pause_offset == InvalidTime ? paused : pause_offset + paused;
    m_recording = m_startedRecording;
}

void AVFMediaAssetWriter::stop()
{
    QMutexLocker locker(&m_lock);
    stopLocked(false);
}

void AVFMediaAssetWriter::stopLocked(bool failed)
{
    m_recording = false;
    if (!m_startedRecording) {
        if (!m_assetWriter)
            qCInfo(lcCapture, "m_assetWriter == NULL, file Name is %s", qUtf8Printable(recordingFileName_));
        // Set up but never started: there is no file, and nothing may keep the next recording waiting.
        m_assetWriter.reset();
        if (m_filesFinishing == 0)
            isFileFinished = true;
        return;
    }
    m_startedRecording = false;
    MovieWriterPtr writer = std::move(m_assetWriter);
    if (writer && isOpen(writer->status())) {
        writer->endSession(m_clock->nowUs());
        if (!failed)
            qCInfo(lcCapture, "Finish recording, file Name is %s", qUtf8Printable(recordingFileName_));
    }
    finishInBackground(writer, true);
}

void AVFMediaAssetWriter::abort()
{
    QMutexLocker locker(&m_lock);
    m_aborted = true;
    m_recording = false;
    if (m_assetWriter)
        m_assetWriter->cancelWriting();
    stopLocked(false);
}

void AVFMediaAssetWriter::finishInBackground(const MovieWriterPtr &writer, bool lastFile)
{
    ++m_filesFinishing;
    m_finishPool.start([this, writer, lastFile]() {
        bool ok = true;
        if (writer && writer->status() != MovieFileWriter::Cancelled) {
            ok = writer->finishWriting();
            if (!ok)
                qCWarning(lcCapture, "Error: cannot complete %s: %s", qUtf8Printable(writer->path()),
                          qUtf8Printable(writer->errorString()));
        }
        QString name;
        QString failure;
        qint32 result = 0;
        {
            QMutexLocker locker(&m_lock);
            --m_filesFinishing;
            if (!ok) {
                m_finishFailed = true;
                if (m_failureMessage.isEmpty())
                    m_failureMessage = writer->errorString();
            }
            if (!lastFile)
                return;
            name = recordingFileName_;
            result = m_finishFailed ? WriterFailedError : 0;
            failure.swap(m_failureMessage);
            m_finishFailed = false;
            isFileFinished = true;
        }
        if (result != 0)
            Q_EMIT recordingFailed(result, failure);
        qCInfo(lcCapture, "Send finish recording message, file Name is %s", qUtf8Printable(name));
        Q_EMIT writingFinished(name, result);
    });
}

void AVFMediaAssetWriter::failLocked(const QString &message)
{
    qCWarning(lcCapture, "Error: %s", qUtf8Printable(message));
    m_finishFailed = true;
    if (m_failureMessage.isEmpty())
        m_failureMessage = message;
    stopLocked(true);
}

bool AVFMediaAssetWriter::writeVideoSampleBuffer(const platform::VideoSample &sample)
{
    QMutexLocker locker(&m_lock);
    const MovieWriterPtr writer = m_assetWriter;
    if (!writer)
        return false;
    const MovieFileWriter::Status status = writer->status();
    if (status == MovieFileWriter::Unknown || m_aborted || !m_recording)
        return false;
    if (status != MovieFileWriter::Writing) {
        qCWarning(lcCapture, "Warning: writer status is %d", int(status));
        if (status == MovieFileWriter::Failed) {
            qCWarning(lcCapture, "Error: %s --------------------Video", qUtf8Printable(writer->errorString()));
            failLocked(writer->errorString());
        }
        return false;
    }
    if (!writer->isReadyForMoreMediaData())
        return false;

    // Every frame keeps the time it was captured (on the writer's clock), minus the paused time. A
    // frame stamped when the saving queue gets to it would carry the queue's hold-ups into the movie:
    // frames written in a burst after a slow one would play in a burst.
    const qint64 timeUs = newTimeStamp(sample.presentationTimeUs());
    if (m_setStartTime) {
        // The session starts at the first frame's own time: after a pause the stamps run behind the
        // host clock, and a session started at the clock would cut every frame off.
        setStartTimeFrom(timeUs);
        writer->startSession(timeUs);
        m_setStartTime = false;
    }
    if (m_videostartTime == InvalidTime)
        m_videostartTime = timeUs;
    if (timeUs > m_lastTimeStamp) {
        m_lastTimeStamp = timeUs;
        m_videolastTimeStamp = timeUs;
        updateDuration(timeUs);
    }

    // Encoding runs without the lock, so that a stop on the caller's thread never waits for it.
    locker.unlock();
    const bool appended = writer->appendVideo(sample.withPresentationTime(timeUs));
    locker.relock();
    if (writer != m_assetWriter)
        return appended; // stopped meanwhile; the file is being finished
    if (appended) {
        ++videoSampleCount_;
        measureRate();
    } else if (writer->status() == MovieFileWriter::Failed) {
        qCWarning(lcCapture, "Error: %s --------------------Video", qUtf8Printable(writer->errorString()));
        failLocked(writer->errorString());
        return false;
    }
    checkFileSize();
    return appended;
}

void AVFMediaAssetWriter::writeAudioSampleBuffer(const platform::AudioSample &sample)
{
    QMutexLocker locker(&m_lock);
    const MovieWriterPtr writer = m_assetWriter;
    if (!writer)
        return;
    const MovieFileWriter::Status status = writer->status();
    if (status == MovieFileWriter::Unknown || m_aborted || !m_recording)
        return;
    if (status != MovieFileWriter::Writing) {
        qCWarning(lcCapture, "Warning: writer status is %d", int(status));
        if (status == MovieFileWriter::Failed) {
            qCWarning(lcCapture, "Error: %s----------------Audio", qUtf8Printable(writer->errorString()));
            failLocked(writer->errorString());
        }
        return;
    }
    if (m_setStartTime)
        return; // sound never opens a movie: the first frame does
    if (m_audiostartTime == InvalidTime)
        setAudioStartTimeFrom(sample.presentationTimeUs());
    if (!writer->isReadyForMoreMediaData())
        return;
    const qint64 timeUs = newTimeStamp(sample.presentationTimeUs());
    updateAudioDuration(timeUs);

    locker.unlock();
    const bool appended = writer->appendAudio(sample.withPresentationTime(timeUs));
    locker.relock();
    if (writer != m_assetWriter)
        return;
    if (appended) {
        ++audioSampleCount_;
    } else if (writer->status() == MovieFileWriter::Failed) {
        qCWarning(lcCapture, "Error: %s----------------Audio", qUtf8Printable(writer->errorString()));
        failLocked(writer->errorString());
    }
}

void AVFMediaAssetWriter::checkFileSize()
{
    if (!m_assetWriter)
        return;
    const QFileInfo file(currentFilePath_);
    if (file.exists() && file.size() >= m_splitThresholdBytes) {
        qCInfo(lcCapture, "file size is to Big !!!!!");
        changeFile();
    }
}

void AVFMediaAssetWriter::changeFile()
{
    m_recording = false;
    MovieWriterPtr writer = std::move(m_assetWriter);
    if (writer && isOpen(writer->status())) {
        writer->endSession(m_clock->nowUs());
        finishInBackground(writer, false);
    }
    changeFileName();
}

void AVFMediaAssetWriter::changeFileName()
{
    // The text before the last 4 characters (".mov") takes the file number; a number whose file
    // already exists is skipped, so that no earlier movie is ever replaced.
    const QByteArray base = recordingFileName_.left(recordingFileName_.size() - 4).toUtf8();
    do {
        ++fileCoount;
        currentFilePath_ = QString::asprintf("%s-%02d.mov", base.constData(), fileCoount);
    } while (QFileInfo::exists(currentFilePath_) && fileCoount < MaxFileNumber);
    m_assetWriter = makeAssetWriter(currentFilePath_);
    startLocked();
}

void AVFMediaAssetWriter::setStartTimeFrom(qint64 timeUs)
{
    m_startTime = m_lastTimeStamp = timeUs;
    m_videostartTime = m_videolastTimeStamp = timeUs;
    m_durationInMs = m_videoDurationInMs = m_audioDurationInMs = 0;
}

void AVFMediaAssetWriter::setAudioStartTimeFrom(qint64 timeUs)
{
    m_audiostartTime = m_audiolastTimeStamp = timeUs;
}

void AVFMediaAssetWriter::updateDuration(qint64 timeUs)
{
    if (m_videostartTime != InvalidTime && timeUs > m_videostartTime)
        m_videoDurationInMs = double(timeUs - m_videostartTime) / 1000.0;
    if (m_startTime != InvalidTime)
        m_durationInMs = double(m_lastTimeStamp - m_startTime) / 1000.0;
}

void AVFMediaAssetWriter::updateAudioDuration(qint64 timeUs)
{
    if (m_audiolastTimeStamp == InvalidTime || timeUs > m_audiolastTimeStamp)
        m_audiolastTimeStamp = timeUs;
    if (m_audiostartTime != InvalidTime)
        m_audioDurationInMs = double(m_audiolastTimeStamp - newTimeStamp(m_audiostartTime)) / 1000.0;
}

qint64 AVFMediaAssetWriter::newTimeStamp(qint64 timeUs) const
{
    return pause_offset == InvalidTime ? timeUs : timeUs - pause_offset;
}

void AVFMediaAssetWriter::measureRate()
{
    // Whole microseconds, so that frames exactly 1/25 s apart measure 25 and not 24.999.
    const qint64 now = m_clock->nowUs();
    const qint64 elapsedUs = now - m_lastRateUs;
    if (elapsedUs > 0) {
        const double rate = 1e6 / double(elapsedUs);
        if (rate < 75) {
            ++count;
            m_rateSum += float(std::abs(std::trunc(rate)));
            avFps = m_rateSum / float(count);
        }
    }
    m_lastRateUs = now;
    // The mean of the last 30 intervals is readable right after every 30th frame, and 0 otherwise:
    // the frame source adapts its pace only then.
    if (count == 30) {
        count = 0;
        m_rateSum = 0;
    } else {
        avFps = 0;
    }
}

bool AVFMediaAssetWriter::waitForFinished(int msecs)
{
    return m_finishPool.waitForDone(msecs);
}

bool AVFMediaAssetWriter::isFinishWriting() const
{
    return isFileFinished;
}

bool AVFMediaAssetWriter::isRecording() const
{
    return m_recording;
}

float AVFMediaAssetWriter::getRecordingFps() const
{
    return avFps;
}

QString AVFMediaAssetWriter::recordingFileName() const
{
    QMutexLocker locker(&m_lock);
    return recordingFileName_;
}

QString AVFMediaAssetWriter::currentFilePath() const
{
    QMutexLocker locker(&m_lock);
    return currentFilePath_;
}

int AVFMediaAssetWriter::fileCount() const
{
    QMutexLocker locker(&m_lock);
    return fileCoount;
}

qint64 AVFMediaAssetWriter::videoSampleCount() const
{
    return videoSampleCount_;
}

qint64 AVFMediaAssetWriter::audioSampleCount() const
{
    return audioSampleCount_;
}

void AVFMediaAssetWriter::setClock(const platform::MediaClock *clock)
{
    QMutexLocker locker(&m_lock);
    m_clock = clock ? clock : platform::MediaClock::monotonic();
}

void AVFMediaAssetWriter::setSplitThresholdBytes(qint64 bytes)
{
    QMutexLocker locker(&m_lock);
    m_splitThresholdBytes = qMax<qint64>(1, bytes);
}

void AVFMediaAssetWriter::setX264Preset(const QString &preset)
{
    QMutexLocker locker(&m_lock);
    m_x264Preset = preset;
}
