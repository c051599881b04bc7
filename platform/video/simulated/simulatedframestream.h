#pragma once

#include "core/pacedloop.h"
#include "simulated/simulatedframegenerator.h"

#include <QImage>
#include <QRectF>
#include <QSize>

#include <functional>

namespace platform {

// The capture thread of a virtual camera: draws and delivers one frame per frame duration until it
// is stopped or told to fail.
class SimulatedFrameStream
{
public:
    using FrameHandler = std::function<void(const QImage &frame, qint64 timeUs)>;
    using ErrorHandler = std::function<void(qint32 code)>;
    // Asked before each frame, so that format, rate, view and image-control changes apply from the
    // next frame.
    using Settings = std::function<void(QSize *size, qint64 *frameDurationUs, QRectF *view,
                                        SimulatedImageControls *controls)>;

    SimulatedFrameStream(Settings settings, FrameHandler onFrame, ErrorHandler onError);
    ~SimulatedFrameStream();
    SimulatedFrameStream(const SimulatedFrameStream &) = delete;
    SimulatedFrameStream &operator=(const SimulatedFrameStream &) = delete;

    void start();
    // Returns once the thread has delivered its last frame.
    void stop();
    // The thread reports `code` and ends.
    void fail(qint32 code);

private:
    qint64 tick(qint64 dueUs);
    QImage &freeFrame();

    Settings m_settings;
    FrameHandler m_onFrame;
    ErrorHandler m_onError;
    SimulatedFrameGenerator m_generator;
    QImage m_frames[3];
    QImage m_spare;
    quint64 m_frameNumber = 0;
    PacedLoop m_loop;
};

} // namespace platform
