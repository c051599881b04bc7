#pragma once

#include "video/linux/v4l2framedecoder.h"

#include <QImage>
#include <QString>
#include <QVector>

#include <atomic>
#include <functional>
#include <memory>

class QThread;

namespace platform {

class V4l2Io;

// One running V4L2 mmap stream of a capture node: sets the node up in its current format, then
// dequeues, decodes and requeues its buffers on a thread of its own. Every set-up failure is known
// when start() returns; a failure while running ends the thread and is reported once.
class V4l2Stream
{
public:
    // Called on the stream thread with each decoded frame and its monotonic time in microseconds.
    using FrameHandler = std::function<void(const QImage &frame, qint64 timeUs)>;
    using ErrorHandler = std::function<void(qint32 code)>;
    using SizeSource = std::function<QSize()>;

    static constexpr quint32 BufferCount = 4;

    explicit V4l2Stream(V4l2Io &io);
    ~V4l2Stream();
    V4l2Stream(const V4l2Stream &) = delete;
    V4l2Stream &operator=(const V4l2Stream &) = delete;

    // A CaptureDevice::StreamResult. On failure nothing stays open.
    qint32 start(const QString &node, SizeSource outputSize, FrameHandler onFrame, ErrorHandler onError);
    // Returns after the thread has ended and the node is closed; harmless when not running.
    void stop();
    bool isRunning() const { return m_thread != nullptr; }

    quint32 pixelFormat() const { return m_pixelFormat; }
    int width() const { return m_width; }
    int height() const { return m_height; }

    // How long the thread waits for a frame before it checks for a stop again.
    static constexpr int WaitSliceMs = 100;
    // A device that sends nothing for this long while streaming is taken as lost.
    static constexpr int StallTimeoutMs = 5000;

private:
    struct Buffer
    {
        void *address = nullptr;
        quint32 length = 0;
    };

    qint32 setUp(const QString &node);
    qint32 claimFormat();
    qint32 mapBuffers();
    void tearDown();
    void run();
    // 1 a frame was handled, 0 nothing to do, a negative errno when the stream broke.
    int handleOneBuffer();
    qint64 frameTime(const struct timeval &stamp, quint32 flags) const;

    V4l2Io &m_io;
    int m_fd = -1;
    bool m_streaming = false;
    QVector<Buffer> m_buffers;
    quint32 m_pixelFormat = 0;
    int m_width = 0;
    int m_height = 0;
    V4l2FrameDecoder m_decoder;
    SizeSource m_outputSize;
    FrameHandler m_onFrame;
    ErrorHandler m_onError;
    std::atomic<bool> m_stopRequested{false};
    QThread *m_thread = nullptr;
};

} // namespace platform
