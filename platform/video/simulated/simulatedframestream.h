#pragma once

#include "video/simulated/simulatedframegenerator.h"

#include <QImage>
#include <QSize>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class QThread;

namespace platform {

// The capture thread of a virtual camera: draws and delivers one frame per frame duration until it
// is stopped or told to fail.
class SimulatedFrameStream
{
public:
    using FrameHandler = std::function<void(const QImage &frame, qint64 timeUs)>;
    using ErrorHandler = std::function<void(qint32 code)>;
    // Asked before each frame, so that format and rate changes apply from the next frame.
    using Settings = std::function<void(QSize *size, qint64 *frameDurationUs)>;

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
    void run();
    QImage &freeFrame();
    bool waitUntil(qint64 timeUs);

    Settings m_settings;
    FrameHandler m_onFrame;
    ErrorHandler m_onError;
    SimulatedFrameGenerator m_generator;
    QImage m_frames[3];
    QImage m_spare;
    quint64 m_frameNumber = 0;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    qint32 m_failure = 0;
    QThread *m_thread = nullptr;
};

} // namespace platform
