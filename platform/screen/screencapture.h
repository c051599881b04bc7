#pragma once

#include "media/videosample.h"

#include <QImage>
#include <QObject>
#include <QRect>

#include <atomic>
#include <functional>
#include <memory>

namespace platform {

class ScreenSampler;

// The main display as a picture source: its geometry, one image of it on demand, and BGRA frames of
// it sampled on a thread of its own at a given rate.
class ScreenCapture : public QObject
{
    Q_OBJECT

public:
    // Decides before each grab of the sampling thread whether anyone wants the frame, so that no
    // screen is read while nobody waits. Called on the sampling thread.
    using FrameWanted = std::function<bool()>;

    // A capture of the chosen screen (ScreenBackend); the caller owns it. Create it on the GUI
    // thread.
    static ScreenCapture *create(QObject *parent = nullptr);

    ~ScreenCapture() override;

    // Geometry of the primary screen in desktop pixels; empty when there is none.
    virtual QRect primaryScreenGeometry() const = 0;

    // An image of the primary screen (QImage::Format_RGB32, B G R A in memory); null on failure.
    // Any thread may call it.
    QImage grabImage();
    // The same as a sample stamped with the monotonic media clock; invalid on failure.
    VideoSample grabFrame();

    // Starts the sampling thread: every 1 / framesPerSecond seconds (while the previous grab has
    // ended and `wanted`, when given, says yes) the screen is grabbed and frameCaptured() is emitted
    // on that thread. False when already sampling or the rate is not positive.
    bool startSampling(double framesPerSecond, FrameWanted wanted = FrameWanted());
    // Returns once the sampling thread has ended; no frameCaptured() follows it.
    void stopSampling();
    bool isSampling() const;

    // Grabs made by the sampling thread since sampling started (for pacing checks and benchmarks).
    quint64 sampledFrameCount() const { return m_sampledFrames.load(); }

signals:
    void frameCaptured(const platform::VideoSample &sample);
    // A grab of the sampling thread failed; sampling goes on.
    void grabFailed();

protected:
    explicit ScreenCapture(QObject *parent = nullptr);

    // Fills `frame` with the primary screen, reusing its pixels when it already has the screen's
    // size and format and nobody else holds it; false on failure. Called on any thread, never on two
    // at once.
    virtual bool grabInto(QImage &frame) = 0;

private:
    friend class ScreenSampler;
    bool grabLocked(QImage &frame);
    void sampleOnce();

    std::unique_ptr<ScreenSampler> m_sampler;
    std::atomic<quint64> m_sampledFrames{0};
    struct Buffers;
    std::unique_ptr<Buffers> m_buffers;
};

} // namespace platform
