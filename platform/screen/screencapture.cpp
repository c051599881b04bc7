#include "screen/screencapture.h"

#include "media/mediaclock.h"
#include "screen/screenbackend.h"
#include "screen/screensampler.h"
#include "screen/simulated/simulatedscreencapture.h"
#include "screen/x11/x11screencapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace platform {

// Frames handed out by the sampling thread; a frame is grabbed into again only once no sample of it
// lives, so that a steady 30 fps stream allocates nothing.
struct ScreenCapture::Buffers
{
    QMutex grabMutex;
    QImage frames[3];
};

ScreenCapture *ScreenCapture::create(QObject *parent)
{
    if (ScreenBackend::isSimulated())
        return new SimulatedScreenCapture(parent);
    return new X11ScreenCapture(parent);
}

ScreenCapture::ScreenCapture(QObject *parent) : QObject(parent), m_buffers(std::make_unique<Buffers>()) {}

ScreenCapture::~ScreenCapture()
{
    // Backends stop sampling in their own destructors, before their members go; this is the last net.
    stopSampling();
}

bool ScreenCapture::grabLocked(QImage &frame)
{
    QMutexLocker locker(&m_buffers->grabMutex);
    return grabInto(frame);
}

QImage ScreenCapture::grabImage()
{
    QImage image;
    return grabLocked(image) ? image : QImage();
}

VideoSample ScreenCapture::grabFrame()
{
    const qint64 time = MediaClock::monotonicNowUs();
    const QImage image = grabImage();
    return image.isNull() ? VideoSample() : VideoSample(image, time);
}

bool ScreenCapture::startSampling(double framesPerSecond, FrameWanted wanted)
{
    if (m_sampler || !(framesPerSecond > 0))
        return false;
    m_sampledFrames = 0;
    m_sampler = std::make_unique<ScreenSampler>(this, framesPerSecond, std::move(wanted));
    m_sampler->start();
    return true;
}

void ScreenCapture::stopSampling()
{
    if (!m_sampler)
        return;
    m_sampler->stop();
    m_sampler.reset();
}

bool ScreenCapture::isSampling() const
{
    return m_sampler != nullptr;
}

void ScreenCapture::sampleOnce()
{
    QImage *slot = nullptr;
    for (QImage &frame : m_buffers->frames) {
        if (frame.isNull() || frame.isDetached()) {
            slot = &frame;
            break;
        }
    }
    QImage spare;
    QImage &target = slot ? *slot : spare;
    const qint64 time = MediaClock::monotonicNowUs();
    if (!grabLocked(target)) {
        emit grabFailed();
        return;
    }
    ++m_sampledFrames;
    emit frameCaptured(VideoSample(target, time));
}

} // namespace platform
