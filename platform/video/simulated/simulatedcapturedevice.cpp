#include "video/simulated/simulatedcapturedevice.h"

#include "simulated/simulatedcamera.h"
#include "video/simulated/simulatedframestream.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace platform {

namespace {

QMutex injectedErrorsMutex;
QHash<QString, qint32> injectedStartErrors;

qint32 injectedStartError(const QString &uniqueId)
{
    QMutexLocker locker(&injectedErrorsMutex);
    return injectedStartErrors.value(uniqueId, CaptureDevice::StreamOk);
}

} // namespace

SimulatedCaptureDevice::SimulatedCaptureDevice(const QSharedPointer<SimulatedCamera> &camera,
                                               QObject *parent)
    : CaptureDevice(parent), m_camera(camera)
{
}

SimulatedCaptureDevice::~SimulatedCaptureDevice()
{
    stopStreaming();
}

VideoDeviceInfo SimulatedCaptureDevice::info() const { return m_camera->info(); }
QList<CaptureFormat> SimulatedCaptureDevice::formats() const { return m_camera->formats(); }
int SimulatedCaptureDevice::activeFormatIndex() const { return m_camera->activeFormatIndex(); }

FrameDuration SimulatedCaptureDevice::activeMinFrameDuration() const
{
    return m_camera->activeMinFrameDuration();
}

bool SimulatedCaptureDevice::lockForConfiguration() { return m_camera->lockForConfiguration(); }
void SimulatedCaptureDevice::unlockForConfiguration() { m_camera->unlockForConfiguration(); }
// The stream reads the configuration at every frame, so a change needs no restart here.
bool SimulatedCaptureDevice::setActiveFormat(int index) { return m_camera->setActiveFormat(index); }

bool SimulatedCaptureDevice::setActiveMinFrameDuration(const FrameDuration &duration)
{
    return m_camera->setActiveMinFrameDuration(duration);
}

void SimulatedCaptureDevice::injectStartError(const QString &uniqueId, qint32 code)
{
    QMutexLocker locker(&injectedErrorsMutex);
    if (code == StreamOk)
        injectedStartErrors.remove(uniqueId);
    else
        injectedStartErrors.insert(uniqueId, code);
}

QSize SimulatedCaptureDevice::streamSize() const
{
    const QSize wanted = outputSize();
    if (!wanted.isEmpty())
        return wanted;
    const QList<CaptureFormat> formats = m_camera->formats();
    const int index = m_camera->activeFormatIndex();
    if (index < 0 || index >= formats.size())
        return formats.isEmpty() ? QSize(1280, 720) : QSize(formats.first().width, formats.first().height);
    return QSize(formats.at(index).width, formats.at(index).height);
}

FrameDuration SimulatedCaptureDevice::streamFrameDuration() const
{
    const FrameDuration duration = m_camera->activeMinFrameDuration();
    return duration.isValid() ? duration : FrameDuration{1, 30};
}

qint32 SimulatedCaptureDevice::startStreaming()
{
    if (m_stream)
        return StreamOk;
    const qint32 injected = injectedStartError(m_camera->info().uniqueId);
    if (injected != StreamOk)
        return injected;
    if (!m_camera->isConnected())
        return InputNotCreated;
    // Another program's hold on the camera shows as a refused lock (the camera is shared that way).
    if (!m_camera->isLocked()) {
        if (!m_camera->lockForConfiguration())
            return DeviceInUse;
        m_camera->unlockForConfiguration();
    }

    const quint64 generation = ++m_streamGeneration;
    m_stream = std::make_unique<SimulatedFrameStream>(
        [this](QSize *size, qint64 *durationUs, QRectF *view, SimulatedImageControls *controls) {
            *size = streamSize();
            const FrameDuration duration = streamFrameDuration();
            *durationUs = qint64(duration.numerator) * 1000000 / duration.denominator;
            *view = m_camera->view();
            *controls = m_camera->imageControls();
        },
        [this](const QImage &frame, qint64 timeUs) { emit frameCaptured(VideoSample(frame, timeUs)); },
        [this, generation](qint32 code) {
            emit streamError(code);
            QMetaObject::invokeMethod(this, [this, generation] { streamFailed(generation); },
                                      Qt::QueuedConnection);
        });
    m_stream->start();
    return StreamOk;
}

void SimulatedCaptureDevice::streamFailed(quint64 generation)
{
    if (generation == m_streamGeneration)
        stopStreaming();
}

void SimulatedCaptureDevice::stopStreaming()
{
    if (!m_stream)
        return;
    m_stream->stop();
    m_stream.reset();
}

bool SimulatedCaptureDevice::isStreaming() const
{
    return m_stream != nullptr;
}

void SimulatedCaptureDevice::injectStreamError(qint32 code)
{
    if (m_stream)
        m_stream->fail(code);
}

} // namespace platform
