#include "capture/qorvframesourceimpl.h"

#include "audio/audioinputs.h"
#include "audio/audiosamplecapture.h"
#include "camera/generalcamera.h"
#include "camera/lcgeneralcamera.h"
#include "capture/framepacer.h"
#include "capture/liveexportsink.h"
#include "capture/qorvcapturesession.h"
#include "capturelog.h"
#include "desktop/diskspace.h"
#include "media/jpegencoder.h"
#include "media/mediaclock.h"
#include "screen/screencapture.h"
#include "video/capturedevice.h"
#include "writer/avfmediaassetwriter.h"

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>

namespace {

constexpr double JpegQuality = 1.0;
constexpr int DefaultBgrRate = 2;
constexpr int DefaultH264Rate = 10;
constexpr float DefaultRecordingRate = 3.0f;
// Measured rates above this are glitches of the measurement, never a camera's rate.
constexpr int MaxPlausibleRate = 90;

QString existingFolderOf(const QString &path)
{
    const QFileInfo info(path);
    QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).path();
        if (parent == folder)
            break;
        folder = parent;
    }
    return folder;
}

QorvFrameSourceImpl::DiskSpaceReader &diskSpaceReader()
{
    static QorvFrameSourceImpl::DiskSpaceReader reader;
    return reader;
}

// The reader is replaced on one thread while the capture threads ask it.
QBasicMutex diskSpaceReaderMutex;

} // namespace

QorvFrameSourceImpl::QorvFrameSourceImpl(GeneralCamera *camera, SourceType type, QObject *parent)
    : QorvCaptureSource(parent),
      m_camera(camera),
      m_type(type),
      m_pacer(std::make_unique<FramePacer>()),
      m_clock(platform::MediaClock::monotonic())
{
    // The saving queue is serial: the writer sees the frames in the order they were captured.
    m_savingQueue.setMaxThreadCount(1);
    m_savingQueue.setExpiryTimeout(-1);
    if (m_camera) {
        connect(m_camera, &GeneralCamera::srouceResolutionChanged, this,
                &QorvFrameSourceImpl::setVideoOutputResolution);
    }
    if (m_type == Screen)
        m_screen = platform::ScreenCapture::create(this);
    m_audioCapture = new platform::AudioSampleCapture(this);
    connect(m_audioCapture, &platform::AudioSampleCapture::sampleCaptured, this,
            &QorvFrameSourceImpl::appendAudioSample, Qt::DirectConnection);
}

QorvFrameSourceImpl::~QorvFrameSourceImpl()
{
    stopRunning();
    m_savingQueue.waitForDone();
    delete m_previewLayer.data();
}

void QorvFrameSourceImpl::setOwnerSession(QorvCaptureSession *session)
{
    m_owner = session;
}

void QorvFrameSourceImpl::setPreviewWidget(QWidget *widget)
{
    if (widget)
        m_previewView = widget;
}

void QorvFrameSourceImpl::makePreviewLayer()
{
    if (!m_previewView)
        return;
    if (m_previewLayer && m_previewLayer->parentWidget() == m_previewView)
        return;
    delete m_previewLayer.data();
    m_previewLayer = new PreviewLayer(m_previewView);
    QMutexLocker locker(&m_previewMutex);
    m_previewFeed = m_previewLayer->feed();
}

qint32 QorvFrameSourceImpl::startRunning()
{
    if (m_running)
        return 0;
    const qint32 result = m_type == Screen ? startScreen() : startCamera();
    if (result != 0)
        return result;
    m_rateMeter.reset();
    m_running = true;
    m_pacer->start([this] {
        enableSendRGBFrameSlot();
        enableSendH264FrameSlot();
        enableAddRecordingFrameSlot();
    });
    if (m_screen) {
        m_screen->startSampling(1.0 / FramePacer::DefaultInterval, [this] { return screenFrameWanted(); });
    }
    restartAudioCapture();
    return 0;
}

qint32 QorvFrameSourceImpl::startScreen()
{
    makePreviewLayer();
    if (!m_screen) {
        qCWarning(lcCapture, "MACQorvFrameSource error: %s, code: %i", "no screen input", int(InputNotCreated));
        emitError(InputNotCreated);
        return InputNotCreated;
    }
    connect(m_screen, &platform::ScreenCapture::frameCaptured, this, &QorvFrameSourceImpl::captureOutputFrame,
            Qt::DirectConnection);
    return 0;
}

qint32 QorvFrameSourceImpl::startCamera()
{
    auto *camera = qobject_cast<LCGeneralCamera *>(m_camera);
    m_device = camera ? camera->getAVCaptureDevice() : QSharedPointer<platform::CaptureDevice>();
    if (!m_device) {
        qCWarning(lcCapture, "MACQorvFrameSource error: %s, code: %i", "no capture device", int(InputNotCreated));
        emitError(InputNotCreated);
        return InputNotCreated;
    }

    const QList<platform::CaptureFormat> formats = m_device->formats();
    const int active = m_device->activeFormatIndex();
    if (active >= 0 && active < formats.size())
        qCInfo(lcCapture, "MACQorvFrameSource initSession: dim.width: %d, dim.height: %d",
               formats.at(active).width, formats.at(active).height);
    const QRect rect = captureRect();
    m_device->setOutputSize(rect.width() >= 1 && rect.height() >= 1 ? rect.size() : QSize());

    connect(m_device.data(), &platform::CaptureDevice::frameCaptured, this,
            &QorvFrameSourceImpl::captureOutputFrame, Qt::DirectConnection);
    connect(m_device.data(), &platform::CaptureDevice::streamError, this,
            [this](qint32 code) { emitError(code); }, Qt::DirectConnection);
    makePreviewLayer();

    const qint32 result = m_device->startStreaming();
    if (result == 0)
        return 0;
    qCWarning(lcCapture, "MACQorvFrameSource error: %s, code: %i", "the capture input could not start", int(result));
    m_device->disconnect(this);
    m_device.clear();
    // Every failed start is told both ways before the call returns: the windows read whichever they
    // look at first.
    emitError(result);
    return result;
}

void QorvFrameSourceImpl::stopRunning()
{
    {
        QMutexLocker locker(&m_mutex);
        m_pendingPaths.clear();
    }
    m_jpegRequests = 0;
    disableBgrExport();
    setFileOutput(QSharedPointer<AVFMediaAssetWriter>());
    if (m_h264.isOn())
        enableH264Export(false, 0, 0, 0);
    if (m_running.exchange(false))
        stopCapture();
    qCInfo(lcCapture, " stopRunning finish");
}

void QorvFrameSourceImpl::stopCapture()
{
    m_audioCapture->stop();
    m_pacer->stop();
    if (m_screen) {
        m_screen->stopSampling();
        disconnect(m_screen, &platform::ScreenCapture::frameCaptured, this, nullptr);
    }
    if (m_device) {
        m_device->stopStreaming();
        m_device->disconnect(this);
        m_device.clear();
        qCInfo(lcCapture, "sessionStopped");
    }
    m_savingQueue.waitForDone();
}

void QorvFrameSourceImpl::setClock(const platform::MediaClock *clock)
{
    m_clock = clock ? clock : platform::MediaClock::monotonic();
}

double QorvFrameSourceImpl::nowSeconds() const
{
    return double(m_clock.load()->nowUs()) / 1e6;
}

void QorvFrameSourceImpl::emitError(qint32 code)
{
    if (QorvCaptureSession *owner = m_owner.load())
        Q_EMIT owner->receiveError(code);
}

void QorvFrameSourceImpl::setFileOutput(const QSharedPointer<AVFMediaAssetWriter> &writer)
{
    if (writer) {
        m_freeSpaceShort = false; // a new recording says it again
        {
            QMutexLocker locker(&m_mutex);
            m_writer = writer;
        }
        // Without a measured rate yet (a recording started right after the start, or the screen,
        // which is only grabbed for its consumers) the recording starts at the pacing rate: starting
        // low would leave the first seconds of the movie nearly still.
        const int measured = m_measuredRate;
        m_recording.enable(measured > 0 ? double(measured) : 1.0 / FramePacer::DefaultInterval);
        return;
    }
    bool hadWriter = false;
    {
        QMutexLocker locker(&m_mutex);
        hadWriter = !m_writer.isNull();
        m_writer.clear();
    }
    m_recording.disable();
    if (!hadWriter)
        return;
    qCInfo(lcCapture, "Stop Recording");
    // Frames already queued belong to the recording: they are written before it is finished.
    m_savingQueue.waitForDone();
}

QSharedPointer<AVFMediaAssetWriter> QorvFrameSourceImpl::fileOutput() const
{
    QMutexLocker locker(&m_mutex);
    return m_writer;
}

void QorvFrameSourceImpl::getRGBA32FrameAsync(const QString &path, QorvCaptureSession *session)
{
    {
        QMutexLocker locker(&m_mutex);
        m_pendingPaths.append(path);
    }
    if (session)
        m_owner = session;
}

void QorvFrameSourceImpl::requestJPGFrame()
{
    ++m_jpegRequests;
}

void QorvFrameSourceImpl::enableSendRGBFrame(bool on, int interval)
{
    if (on)
        m_bgr.enable(interval == 0 ? DefaultBgrRate : interval);
    else
        disableBgrExport();
}

void QorvFrameSourceImpl::disableBgrExport()
{
    m_bgr.disable();
    // A frame routine that saw the export still on may be delivering a frame right now: once this
    // returns the receiver gets no frame any more, so wait for that delivery to end. A receiver
    // switching the export off from inside its own slot already holds the lock.
    QMutexLocker locker(&m_bgrDelivery);
}

void QorvFrameSourceImpl::enableH264Export(bool on, int width, int height, int fps)
{
    LiveExportSink *sink = liveExport();
    if (!on) {
        const bool wasOn = m_h264.isOn();
        m_h264.disable();
        if (sink && wasOn)
            sink->disable();
        return;
    }
    {
        QMutexLocker locker(&m_mutex);
        m_h264Size = QSize(width, height);
    }
    if (sink && !sink->enable(width, height, fps)) {
        qCWarning(lcCapture, " compression create fail");
        return;
    }
    m_h264.enable(fps == 0 ? DefaultH264Rate : fps);
}

void QorvFrameSourceImpl::setH264ExportFrameRate(int fps)
{
    m_h264.setRate(fps == 0 ? DefaultH264Rate : fps);
    if (LiveExportSink *sink = liveExport())
        sink->setFrameRate(fps);
}

void QorvFrameSourceImpl::setLiveExport(LiveExportSink *sink)
{
    QMutexLocker locker(&m_mutex);
    m_liveExport = sink;
}

LiveExportSink *QorvFrameSourceImpl::liveExport() const
{
    QMutexLocker locker(&m_mutex);
    return m_liveExport;
}

QSize QorvFrameSourceImpl::h264ExportSize() const
{
    QMutexLocker locker(&m_mutex);
    return m_h264Size;
}

void QorvFrameSourceImpl::setH264FrameHandler(H264FrameHandler handler)
{
    QMutexLocker locker(&m_mutex);
    m_h264Handler = std::move(handler);
}

void QorvFrameSourceImpl::setAudioCaptureInputUUID(const QString &uuid)
{
    qCInfo(lcCapture, "uuuid %s", qUtf8Printable(uuid));
    bool present = false;
    for (const platform::AudioInputInfo &input : platform::AudioInputs::instance()->inputs())
        present = present || (!uuid.isEmpty() && input.uniqueId == uuid);
    if (!present)
        return;
    qCInfo(lcCapture, " begin initAudioSession");
    {
        QMutexLocker locker(&m_mutex);
        m_audioInputUuid = uuid;
    }
    restartAudioCapture();
}

void QorvFrameSourceImpl::restartAudioCapture()
{
    m_audioCapture->stop();
    const QString uuid = audioCaptureInputUUID();
    if (!m_running || uuid.isEmpty())
        return;
    if (!m_audioCapture->start(uuid))
        qCWarning(lcCapture, "the sound input %s cannot be captured", qUtf8Printable(uuid));
}

bool QorvFrameSourceImpl::isCapturingAudio() const
{
    return m_audioCapture->isCapturing();
}

void QorvFrameSourceImpl::setAudioCaptureInputName(const QString &name)
{
    if (!name.isEmpty())
        return;
    {
        QMutexLocker locker(&m_mutex);
        m_audioInputUuid.clear();
    }
    m_audioCapture->stop();
    if (m_type == Screen)
        qCInfo(lcCapture, "MACQorvFrameSource::setAudioCaptureInputName is NULL, remvoe audio source from preview session");
    else
        qCInfo(lcCapture, "MACQorvFrameSource::setAudioCaptureInputName is NULL, remvoe audio source from camera session");
}

QString QorvFrameSourceImpl::audioCaptureInputUUID() const
{
    QMutexLocker locker(&m_mutex);
    return m_audioInputUuid;
}

void QorvFrameSourceImpl::appendAudioSample(const platform::AudioSample &sample)
{
    if (!m_running || !sample.isValid())
        return;
    const QSharedPointer<AVFMediaAssetWriter> writer = fileOutput();
    if (writer && writer->isRecording()) {
        m_savingQueue.start([writer, sample] { writer->writeAudioSampleBuffer(sample); });
    }
    if (m_h264.isOn()) {
        if (LiveExportSink *sink = liveExport())
            sink->appendAudioSample(sample);
    }
}

int QorvFrameSourceImpl::setDigitalPTZ(const QPointF &start, float ratio, bool)
{
    m_imageProcessor.setZoomAttributes(ratio, start);
    return 1;
}

int QorvFrameSourceImpl::setFlip(unsigned short degree, bool mirror, bool flip)
{
    m_imageProcessor.setRotationAttributes(mirror, flip, degree);
    return 1;
}

QImage QorvFrameSourceImpl::grabScreenImage()
{
    return m_screen ? m_screen->grabImage() : QImage();
}

void QorvFrameSourceImpl::setCaptureRect(const QRect &rect)
{
    QMutexLocker locker(&m_mutex);
    m_captureRect = rect;
}

QRect QorvFrameSourceImpl::captureRect() const
{
    QMutexLocker locker(&m_mutex);
    return m_captureRect;
}

QSize QorvFrameSourceImpl::outputSize() const
{
    QMutexLocker locker(&m_mutex);
    return m_outputSize;
}

void QorvFrameSourceImpl::setDiskSpaceReader(DiskSpaceReader reader)
{
    QMutexLocker locker(&diskSpaceReaderMutex);
    diskSpaceReader().swap(reader);
}

qint64 QorvFrameSourceImpl::availableBytes(const QString &path)
{
    const QString folder = existingFolderOf(path);
    DiskSpaceReader reader;
    {
        QMutexLocker locker(&diskSpaceReaderMutex);
        reader = diskSpaceReader();
    }
    return reader ? reader(folder) : platform::DiskSpace::availableBytes(folder);
}

qint64 QorvFrameSourceImpl::getFreeDiskspace(const QString &path)
{
    const qint64 bytes = availableBytes(path);
    return bytes < 0 ? 0 : bytes >> 20;
}

QString QorvFrameSourceImpl::currentSourceID()
{
    return m_camera ? m_camera->getName() : QString();
}

int QorvFrameSourceImpl::getFrameSourceType(SourceType *type)
{
    if (type)
        *type = m_type;
    return 0;
}

void QorvFrameSourceImpl::enableSendRGBFrameSlot()
{
    m_bgr.tickWholeSeconds(nowSeconds());
}

void QorvFrameSourceImpl::enableSendH264FrameSlot()
{
    m_h264.tickWholeSeconds(nowSeconds());
}

void QorvFrameSourceImpl::enableAddRecordingFrameSlot()
{
    m_recording.tickFraction(nowSeconds());
}

void QorvFrameSourceImpl::setVideoOutputResolution(void *, int32_t width, int32_t height)
{
    qCInfo(lcCapture, "set new width %d, height %d", width, height);
    if (m_device)
        m_device->setOutputSize(QSize(width, height));
}

bool QorvFrameSourceImpl::screenFrameWanted() const
{
    if (m_h264.isOn() && m_h264.isWanted())
        return true;
    if (m_recording.isOn() && m_recording.isWanted())
        return true;
    if (m_bgr.isOn() && m_bgr.isWanted())
        return true;
    if (m_jpegRequests > 0)
        return true;
    QMutexLocker locker(&m_mutex);
    return m_running && !m_pendingPaths.isEmpty();
}

void QorvFrameSourceImpl::captureOutputFrame(const platform::VideoSample &sample)
{
    measureFrameRate();
    processFrame(sample);
}

void QorvFrameSourceImpl::measureFrameRate()
{
    const float mean = m_rateMeter.addSample(nowSeconds());
    const int rate = int(mean);
    if (mean == 0 || rate > MaxPlausibleRate)
        return;
    m_measuredRate = rate;
    QorvCaptureSession *owner = m_owner.load();
    if (!owner)
        return;
    if (m_recording.isOn())
        Q_EMIT owner->recordedFPSReceived(rate);
    Q_EMIT owner->displayedFPSReceived(rate);
}

void QorvFrameSourceImpl::processFrame(const platform::VideoSample &captured)
{
    if (!m_running || !captured.isValid())
        return;
    {
        QMutexLocker locker(&m_mutex);
        m_outputSize = QSize(captured.width(), captured.height());
    }
    const platform::VideoSample sample = previewStep(captured);
    jpegStep(sample);
    bgrStep(sample);
    h264Step(sample);
    recordingStep(sample);
}

platform::VideoSample QorvFrameSourceImpl::previewStep(const platform::VideoSample &sample)
{
    // Zoom, mirror and rotation are what the user chose to see: every consumer gets the processed
    // frame, with the captured frame's time.
    const QImage processed = m_imageProcessor.process(sample.image());
    const platform::VideoSample result = processed.constBits() == sample.constBits()
                                             ? sample
                                             : platform::VideoSample(processed, sample.presentationTimeUs());
    std::shared_ptr<PreviewLayer::Feed> feed;
    {
        QMutexLocker locker(&m_previewMutex);
        feed = m_previewFeed;
    }
    if (feed)
        feed->showFrame(result.image());
    return result;
}

void QorvFrameSourceImpl::jpegStep(const platform::VideoSample &sample)
{
    bool pathPending = false;
    {
        QMutexLocker locker(&m_mutex);
        pathPending = !m_pendingPaths.isEmpty();
    }
    if (!pathPending && m_jpegRequests <= 0)
        return;
    if (m_jpegBusy.exchange(true))
        return;

    QByteArray jpeg;
    if (!platform::JpegEncoder::encode(sample, JpegQuality, &jpeg)) {
        qCWarning(lcCapture, "JPEG encoding of a %dx%d frame failed", sample.width(), sample.height());
        m_jpegBusy = false;
        return;
    }
    QString path;
    {
        QMutexLocker locker(&m_mutex);
        if (!m_pendingPaths.isEmpty())
            path = m_pendingPaths.takeFirst();
    }
    if (!path.isEmpty())
        writeSnapshot(path, jpeg);
    // The buffer handed out is the encoded frame itself: sized from this frame, whatever size the
    // frames before it had.
    if (m_jpegRequests.fetch_sub(1) > 0) {
        if (QorvCaptureSession *owner = m_owner.load())
            Q_EMIT owner->JPGFrameReceived(jpeg.data(), uint32_t(jpeg.size()), uint16_t(sample.width()),
                                           uint16_t(sample.height()));
    } else {
        ++m_jpegRequests;
    }
    m_jpegBusy = false;
}

void QorvFrameSourceImpl::writeSnapshot(const QString &path, const QByteArray &jpeg)
{
    QorvCaptureSession *owner = m_owner.load();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() || !file.commit()) {
        // No snapshot file: the caller must not be told one was written.
        qCWarning(lcCapture, "cannot write the snapshot %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        if (owner)
            Q_EMIT owner->finishedWritingFrame(path, QorvCaptureSession::SnapshotNotWritten);
        return;
    }
    if (owner) {
        Q_EMIT owner->finishedWritingFrame(path, 0);
        Q_EMIT owner->JPGFileReceived(path);
    }
}

void QorvFrameSourceImpl::bgrStep(const platform::VideoSample &sample)
{
    if (!m_bgr.isOn())
        return;
    // Held from the check to the end of the delivery, so that switching the export off waits for it.
    QMutexLocker locker(&m_bgrDelivery);
    if (!m_bgr.isOn() || !m_bgr.take())
        return;
    QorvCaptureSession *owner = m_owner.load();
    if (!owner)
        return;
    const QImage &image = sample.image();
    Q_EMIT owner->BGRFrameReceived(const_cast<uchar *>(image.constBits()), uint32_t(image.sizeInBytes()),
                                   uint16_t(image.width()), uint16_t(image.height()));
}

void QorvFrameSourceImpl::h264Step(const platform::VideoSample &sample)
{
    if (!m_h264.isOn())
        return;
    H264FrameHandler handler;
    LiveExportSink *sink = nullptr;
    {
        QMutexLocker locker(&m_mutex);
        handler = m_h264Handler;
        sink = m_liveExport;
    }
    if ((sink && sink->framesInEncoder() >= MaxFramesInEncoder) || !m_h264.take())
        return;
    ++m_h264Frames;
    if (sink)
        sink->submitFrame(sample);
    if (handler)
        handler(sample);
}

void QorvFrameSourceImpl::recordingStep(const platform::VideoSample &sample)
{
    const QSharedPointer<AVFMediaAssetWriter> writer = fileOutput();
    // A paused recording takes no frames; the raised flag waits for the first frame after resume.
    if (!writer || !writer->isRecording() || !m_recording.take())
        return;
    if (m_pendingRecordingFrames >= MaxPendingRecordingFrames) {
        qCWarning(lcCapture, "the writer is behind: a recorded frame is dropped");
    } else {
        ++m_pendingRecordingFrames;
        m_savingQueue.start([this, writer, sample] {
            const bool appended = writer->writeVideoSampleBuffer(sample);
            // A frame refused because the recording was paused meanwhile says nothing about the pace
            // the writer can take: only a refusal while recording slows the pace down.
            if (appended || writer->isRecording())
                adaptRecordingRate(appended, writer->getRecordingFps());
            --m_pendingRecordingFrames;
        });
    }
    checkFreeSpace(writer->currentFilePath());
}

void QorvFrameSourceImpl::adaptRecordingRate(bool appended, float writerRate)
{
    double rate = m_recording.rate();
    if (appended) {
        if (writerRate > rate)
            rate += (writerRate - rate) / 3;
        else
            rate += 0.1;
        if (rate == 0)
            rate = DefaultRecordingRate;
    } else {
        rate = qMax(double(writerRate), double(DefaultRecordingRate));
    }
    m_recording.setRate(rate);
}

void QorvFrameSourceImpl::checkFreeSpace(const QString &recordingPath)
{
    const qint64 bytes = availableBytes(recordingPath);
    const bool enough = bytes > MinimumFreeBytes;
    // Every recorded frame tells the owner while the space is short; the log says it once when the
    // space runs short and once when there is enough again, not 30 times a second.
    const bool wasShort = m_freeSpaceShort.exchange(!enough);
    const int freeMiB = int(qMax<qint64>(bytes, 0) >> 20);
    if (enough) {
        if (wasShort)
            qCInfo(lcCapture, "HD Free Space is enough again, free size is %d M", freeMiB);
        return;
    }
    if (!wasShort)
        qCWarning(lcCapture, "HD Free Space is not enough , free size is %d M!!!!!", freeMiB);
    emitError(DiskFull);
}
