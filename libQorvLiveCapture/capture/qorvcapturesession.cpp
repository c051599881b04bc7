#include "capture/qorvcapturesession.h"

#include "audio/qorvaudiodevicesource.h"
#include "audio/qorvaudiosource.h"
#include "capture/qorvframesource.h"
#include "capture/qorvframesourceimpl.h"
#include "capturelog.h"
#include "media/jpegencoder.h"
#include "qorvrtmpintf.h"
#include "video/capturedevice.h"
#include "video/videodevices.h"
#include "writer/avfmediaassetwriter.h"

#include <QSaveFile>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int DefaultFpsLevel = 25;
constexpr unsigned DefaultBgrInterval = 2;

QSize exportSize(int level)
{
    switch (level) {
    case 0:
        return QSize(1920, 1080);
    case 1:
        return QSize(1280, 720);
    case 2:
        return QSize(640, 480);
    case 3:
        return QSize(640, 360);
    default:
        return QSize(-1, -1);
    }
}

void registerSignalTypes()
{
    // The signals use the fixed-width names; queued connections and spies need them known.
    qRegisterMetaType<int8_t>("int8_t");
    qRegisterMetaType<uint16_t>("uint16_t");
    qRegisterMetaType<uint32_t>("uint32_t");
    qRegisterMetaType<int32_t>("int32_t");
}

} // namespace

QorvCaptureSession::QorvCaptureSession(QObject *parent)
    : QObject(parent)
{
    registerSignalTypes();
}

QorvCaptureSession::~QorvCaptureSession()
{
    m_publisher = nullptr;
    if (m_writerActive)
        stopWriter();
    m_finishingWriters.clear(); // each waits for its movie to be complete
    // Sources outlive the session: none may report to it any more.
    for (QorvFrameSource *source : qAsConst(m_frameSources)) {
        if (QorvFrameSourceImpl *impl = source->getSourceImpl()) {
            if (impl->ownerSession() == this)
                impl->setOwnerSession(nullptr);
        }
    }
    m_writer.clear();
}

QorvFrameSource *QorvCaptureSession::frameSource() const
{
    return m_frameSources.isEmpty() ? nullptr : m_frameSources.first();
}

QorvFrameSourceImpl *QorvCaptureSession::sourceImpl() const
{
    QorvFrameSource *source = frameSource();
    return source ? source->getSourceImpl() : nullptr;
}

QorvCaptureSource::SourceType QorvCaptureSession::frameSourceType() const
{
    QorvCaptureSource::SourceType type = QorvCaptureSource::Camera;
    if (QorvFrameSource *source = frameSource())
        source->getFrameSourceType(&type);
    return type;
}

int QorvCaptureSession::addSource(QorvCaptureSource *source)
{
    if (!source)
        return 0;
    QorvCaptureSource::SourceType type = QorvCaptureSource::Camera;
    source->getFrameSourceType(&type);
    if (type == QorvCaptureSource::Audio) {
        if (QorvFrameSourceImpl *impl = sourceImpl())
            impl->setAudioCaptureInputUUID(source->currentUuid());
        m_audioSources.append(source);
        return 0;
    }
    auto *frameSource = qobject_cast<QorvFrameSource *>(source);
    if (!frameSource) {
        qCWarning(lcCapture, "addSource: a picture source must be a frame source");
        return 0;
    }
    m_frameSources.append(frameSource);
    if (QorvFrameSourceImpl *impl = frameSource->getSourceImpl()) {
        impl->setOwnerSession(this);
        if (!m_audioSources.isEmpty())
            impl->setAudioCaptureInputUUID(m_audioSources.first()->currentUuid());
    }
    return 0;
}

int QorvCaptureSession::removeSource(QorvCaptureSource *source)
{
    if (!source)
        return 0;
    QorvCaptureSource::SourceType type = QorvCaptureSource::Camera;
    source->getFrameSourceType(&type);
    if (type == QorvCaptureSource::Audio) {
        if (QorvFrameSourceImpl *impl = sourceImpl())
            impl->setAudioCaptureInputName(QString());
        m_audioSources.removeAll(source);
        return 0;
    }
    QorvFrameSource *removed = nullptr;
    auto *frameSource = qobject_cast<QorvFrameSource *>(source);
    if (frameSource && m_frameSources.contains(frameSource)) {
        removed = frameSource;
    } else if (frameSource) {
        // Another object for the same camera stands for the listed one.
        const uint64_t uuid = frameSource->getCameraUUID();
        for (QorvFrameSource *listed : qAsConst(m_frameSources)) {
            if (listed->getCameraUUID() == uuid) {
                removed = listed;
                break;
            }
        }
    }
    if (!removed)
        return 0;
    m_frameSources.removeOne(removed);
    if (QorvFrameSourceImpl *impl = removed->getSourceImpl()) {
        if (impl->ownerSession() == this)
            impl->setOwnerSession(nullptr);
    }
    return 0;
}

int QorvCaptureSession::setPreviewWidget(QWidget *widget)
{
    QorvFrameSourceImpl *impl = sourceImpl();
    if (!frameSource())
        return 0;
    m_previewWidget = widget;
    const QorvCaptureSource::SourceType type = frameSourceType();
    if (impl && (type == QorvCaptureSource::Screen || type == QorvCaptureSource::Camera))
        impl->setPreviewWidget(widget);
    return 0;
}

void QorvCaptureSession::addRTMPObj(QorvRtmpIntf *publisher)
{
    m_publisher = publisher;
}

qint32 QorvCaptureSession::startRunning()
{
    if (m_running)
        return 0;
    m_running = true;
    QorvFrameSourceImpl *impl = sourceImpl();
    if (!impl)
        return 0;
    const qint32 result = impl->startRunning();
    return frameSourceType() == QorvCaptureSource::Camera ? result : 0;
}

void QorvCaptureSession::stopRunning()
{
    if (!m_running)
        return;
    if (m_live) {
        qCInfo(lcCapture, "stop live stream !");
        enableH264Export(false);
    }
    if (m_writerActive)
        finishRecording();
    m_running = false;
    if (QorvAudioDeviceSource *device = audioDeviceSource()) {
        device->stopAudioStream();
        disconnect(device, &QorvAudioDeviceSource::audioStreamBack, this, &QorvCaptureSession::audioStreamBack);
    }
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->stopRunning();
}

int QorvCaptureSession::enableH264Export(bool on)
{
    if (on == m_live) {
        qCInfo(lcCapture, "h264Export status not change!! Do nothing!!");
        return 0;
    }
    m_live = on;
    QorvFrameSourceImpl *impl = sourceImpl();
    if (on) {
        if (!m_publisher)
            return 0;
        int fps = DefaultFpsLevel;
        m_publisher->getFpsLevel(&fps);
        qCInfo(lcCapture, "fps level %d", fps);
        int level = -1;
        m_publisher->getResolutionLevel(&level);
        const QSize size = exportSize(level);
        m_publisher->startPublish();
        if (impl)
            impl->enableH264Export(true, size.width(), size.height(), fps);
        connect(m_publisher, &QorvRtmpIntf::streamFpsChanged, this, &QorvCaptureSession::streamFpsChanged);
        return 0;
    }
    if (m_publisher)
        disconnect(m_publisher, &QorvRtmpIntf::streamFpsChanged, this, &QorvCaptureSession::streamFpsChanged);
    if (impl)
        impl->enableH264Export(false, 1027, 768, 1);
    if (m_publisher)
        m_publisher->stopPublish();
    return 0;
}

int QorvCaptureSession::enableAudioVolumeLevelExport(bool on)
{
    m_audioLevelExport = on;
    QorvAudioDeviceSource *device = audioDeviceSource();
    if (!device)
        return 0;
    if (on) {
        connect(device, &QorvAudioDeviceSource::audioLevelReport, this, &QorvCaptureSession::audioLevelReported,
                Qt::UniqueConnection);
        device->startAudioReport();
    } else {
        disconnect(device, &QorvAudioDeviceSource::audioLevelReport, this, &QorvCaptureSession::audioLevelReported);
        device->stopAudioReport();
    }
    return 0;
}

QorvAudioDeviceSource *QorvCaptureSession::audioDeviceSource() const
{
    auto *audio = m_audioSources.isEmpty() ? nullptr : qobject_cast<QorvAudioSource *>(m_audioSources.first());
    return audio ? audio->deviceSource() : nullptr;
}

int QorvCaptureSession::enableBGRFrameExport(bool on, unsigned interval)
{
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->enableSendRGBFrame(on, int(interval == 0 ? DefaultBgrInterval : interval));
    return 0;
}

int QorvCaptureSession::getJPGFileAsync(QString path)
{
    QorvFrameSourceImpl *impl = sourceImpl();
    if (!impl)
        return 0;
    if (frameSourceType() == QorvCaptureSource::Screen && !m_running)
        grabScreenSnapshot(path);
    else
        impl->getRGBA32FrameAsync(path, this);
    return 0;
}

void QorvCaptureSession::grabScreenSnapshot(const QString &path)
{
    const QImage screen = sourceImpl()->grabScreenImage();
    QByteArray jpeg;
    if (screen.isNull() || !platform::JpegEncoder::encode(screen, 1.0, &jpeg)) {
        qCWarning(lcCapture, "Get Screen image error");
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size() || !file.commit()) {
        qCWarning(lcCapture, "cannot write the snapshot %s: %s", qUtf8Printable(path), qUtf8Printable(file.errorString()));
        return;
    }
    Q_EMIT finishedWritingFrame(path, 0);
    Q_EMIT JPGFileReceived(path);
}

int QorvCaptureSession::getJPGFrameAsync()
{
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->requestJPGFrame();
    return 0;
}

int QorvCaptureSession::setFrameSourceRect(QorvFrameSource *source, QRect rect, int, bool)
{
    if (m_frameSources.size() == 1) {
        if (QorvFrameSourceImpl *impl = m_frameSources.first()->getSourceImpl())
            impl->setCaptureRect(rect);
    } else if (source && m_frameSources.contains(source) && source->getSourceImpl()) {
        source->getSourceImpl()->setCaptureRect(rect);
    }
    return 0;
}

void QorvCaptureSession::setWriterSetupHook(std::function<void(AVFMediaAssetWriter &)> hook)
{
    m_writerSetupHook = std::move(hook);
}

qint32 QorvCaptureSession::startRecording(QString path, QRect movieRect, CaptureSessionRecordingMode mode,
                                          QRect cropRect)
{
    const qint64 freeMiB = QorvFrameSourceImpl::getFreeDiskspace(path);
    if (freeMiB <= MinimumFreeMiB) {
        qCWarning(lcCapture, "HD Free Space is not enough , free size is %lld M!!!!!", static_cast<long long>(freeMiB));
        return DiskFull;
    }
    qCInfo(lcCapture, " Start Recording");
    if (m_writerActive) {
        stopWriter();
        return PreviousRecordingFinishing;
    }
    if (m_writer) {
        if (QorvFrameSourceImpl *impl = sourceImpl())
            impl->setFileOutput(QSharedPointer<AVFMediaAssetWriter>());
        if (m_writerEndReported) {
            qCInfo(lcCapture, " Start Recording -- [writer isFinishWriting]");
        } else {
            // The previous movie is still being completed in the background (or its end is still on
            // its way to this thread); it no longer takes frames, so the new recording need not wait
            // for it. Its end is still reported.
            qCInfo(lcCapture, " Start Recording -- the previous movie is still being completed");
            m_finishingWriters.append(m_writer);
        }
        m_writer.clear();
    }

    const bool desktop = frameSource() && frameSourceType() == QorvCaptureSource::Screen;
    QSharedPointer<AVFMediaAssetWriter> writer = QSharedPointer<AVFMediaAssetWriter>::create();
    if (m_writerSetupHook)
        m_writerSetupHook(*writer);
    if (!writer->setupWithFileURL(QUrl::fromLocalFile(path), movieRect, int(mode), cropRect, path, desktop))
        return WriterNotCreated;
    if (!writer->start())
        return WriterNotCreated; // the writer has finished by itself: nothing is left waiting

    AVFMediaAssetWriter *raw = writer.data();
    connect(raw, &AVFMediaAssetWriter::writingFinished, this,
            [this, raw](const QString &name, qint32 result) { onWriterFinished(raw, name, result); },
            Qt::QueuedConnection);
    m_writer = writer;
    m_writerActive = true;
    m_writerEndReported = false;
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->setFileOutput(writer);
    return Success;
}

void QorvCaptureSession::stopWriter()
{
    m_writerActive = false;
    // Detaching returns once the frames already queued are written: they belong to this movie.
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->setFileOutput(QSharedPointer<AVFMediaAssetWriter>());
    if (m_writer)
        m_writer->stop();
}

void QorvCaptureSession::onWriterFinished(AVFMediaAssetWriter *writer, const QString &path, qint32 result)
{
    if (writer == m_writer.data()) {
        if (m_writerEndReported)
            return;
        m_writerEndReported = true;
        if (m_writerActive) {
            // The writer ended the recording by itself (a failure): the frame source stops feeding it.
            m_writerActive = false;
            if (QorvFrameSourceImpl *impl = sourceImpl())
                impl->setFileOutput(QSharedPointer<AVFMediaAssetWriter>());
        }
    } else {
        const auto finishing = std::find_if(m_finishingWriters.begin(), m_finishingWriters.end(),
                                            [writer](const QSharedPointer<AVFMediaAssetWriter> &w) { return w.data() == writer; });
        if (finishing == m_finishingWriters.end())
            return;
        m_finishingWriters.erase(finishing);
    }
    if (result != 0)
        Q_EMIT receiveError(result);
    qCInfo(lcCapture, "Send finish recording message, file Name is %s", qUtf8Printable(path));
    Q_EMIT recordingDidEnd(path, result);
}

int QorvCaptureSession::pauseRecording(bool pause)
{
    qCInfo(lcCapture, "Pause Recording");
    if (m_writer) {
        if (pause)
            m_writer->pause();
        else
            m_writer->resume();
    }
    return 0;
}

void QorvCaptureSession::finishRecording()
{
    if (!m_writer || !m_writerActive) {
        qCInfo(lcCapture, " not in Recording status, finishRecording(void) do nothing ");
        return;
    }
    qCInfo(lcCapture, "Finish Recording");
    stopWriter();
}

int QorvCaptureSession::setDigitalPTZ(QPointF start, float ratio, bool unused)
{
    QorvFrameSourceImpl *impl = sourceImpl();
    return impl ? impl->setDigitalPTZ(start, ratio, unused) : 0;
}

int QorvCaptureSession::setFlip(unsigned short degree, bool mirror, bool flip)
{
    QorvFrameSourceImpl *impl = sourceImpl();
    return impl ? impl->setFlip(degree, mirror, flip) : 0;
}

QSharedPointer<platform::CaptureDevice> QorvCaptureSession::getDeviceInputByName(QString name)
{
    platform::VideoDevices *devices = platform::VideoDevices::instance();
    for (const platform::VideoDeviceInfo &device : devices->devices()) {
        qCInfo(lcCapture, "Device: %s", qUtf8Printable(device.name));
        if (device.name == name)
            return devices->captureDevice(device.uniqueId);
    }
    return QSharedPointer<platform::CaptureDevice>();
}

QSharedPointer<platform::CaptureDevice> QorvCaptureSession::getDeviceInputByUUID(QString uuid)
{
    platform::VideoDevices *devices = platform::VideoDevices::instance();
    for (const platform::VideoDeviceInfo &device : devices->devices()) {
        if (device.uniqueId == uuid) {
            qCInfo(lcCapture, "Current input Device: %s", qUtf8Printable(device.name));
            return devices->captureDevice(device.uniqueId);
        }
    }
    return QSharedPointer<platform::CaptureDevice>();
}

void QorvCaptureSession::audioLevelReported(int8_t level)
{
    Q_EMIT audioLevelReport(level);
}

void QorvCaptureSession::audioStreamBack(const char *, qint64, qint64)
{
}

void QorvCaptureSession::onReceiveEncodedExportVideoFrame(char *data, int len, qint64 time)
{
    QorvRtmpIntf *publisher = m_publisher;
    if (m_live && data && publisher)
        publisher->sendVideoFrame(data, len, time, 0);
}

void QorvCaptureSession::onReceiveEncodedExportAudioFrame(char *data, int len, qint64 time)
{
    QorvRtmpIntf *publisher = m_publisher;
    if (m_live && data && publisher)
        publisher->sendAudioFrame(data, len, time, 0);
}

void QorvCaptureSession::streamFpsChanged(int fps)
{
    if (QorvFrameSourceImpl *impl = sourceImpl())
        impl->setH264ExportFrameRate(fps);
}
