#include "video/simulated/simulatedframestream.h"

#include "media/mediaclock.h"

namespace platform {

SimulatedFrameStream::SimulatedFrameStream(Settings settings, FrameHandler onFrame, ErrorHandler onError)
    : m_settings(std::move(settings)), m_onFrame(std::move(onFrame)), m_onError(std::move(onError))
    , m_loop(QStringLiteral("simulated capture"))
{
}

SimulatedFrameStream::~SimulatedFrameStream()
{
    stop();
}

void SimulatedFrameStream::start()
{
    m_loop.start([this](qint64 dueUs) { return tick(dueUs); },
                 [this](qint32 failure) {
                     if (failure != 0)
                         m_onError(failure);
                 });
}

void SimulatedFrameStream::stop()
{
    m_loop.stop();
}

void SimulatedFrameStream::fail(qint32 code)
{
    m_loop.fail(code);
}

QImage &SimulatedFrameStream::freeFrame()
{
    // A frame is drawn again only after every sample made of it is gone.
    for (QImage &frame : m_frames) {
        if (frame.isNull() || frame.isDetached())
            return frame;
    }
    m_spare = QImage();
    return m_spare;
}

qint64 SimulatedFrameStream::tick(qint64 dueUs)
{
    QSize size;
    qint64 durationUs = 33333;
    QRectF view = SimulatedFrameGenerator::wholeView();
    SimulatedImageControls controls;
    m_settings(&size, &durationUs, &view, &controls);
    const qint64 now = MediaClock::monotonicNowUs();
    QImage &frame = freeFrame();
    m_generator.render(frame, size, m_frameNumber++, view, controls);
    if (!frame.isNull())
        m_onFrame(frame, now);
    qint64 next = dueUs + qMax<qint64>(1000, durationUs);
    // A stalled consumer makes frames late; the camera drops them rather than catching up.
    if (next < MediaClock::monotonicNowUs())
        next = MediaClock::monotonicNowUs();
    return next;
}

} // namespace platform
