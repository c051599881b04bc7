#include "video/linux/v4l2stream.h"

#include "media/mediaclock.h"
#include "video/capturedevice.h"
#include "video/linux/v4l2io.h"

#include <QThread>

#include <linux/videodev2.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

qint32 openFailure(int error)
{
    return error == -EBUSY ? CaptureDevice::DeviceInUse : CaptureDevice::InputNotCreated;
}

} // namespace

V4l2Stream::V4l2Stream(V4l2Io &io) : m_io(io) {}

V4l2Stream::~V4l2Stream()
{
    stop();
}

qint32 V4l2Stream::start(const QString &node, SizeSource outputSize, FrameHandler onFrame,
                         ErrorHandler onError)
{
    if (isRunning())
        return CaptureDevice::StreamOk;
    const qint32 result = setUp(node);
    if (result != CaptureDevice::StreamOk) {
        tearDown();
        return result;
    }
    m_outputSize = std::move(outputSize);
    m_onFrame = std::move(onFrame);
    m_onError = std::move(onError);
    m_stopRequested = false;
    m_thread = QThread::create([this] { run(); });
    m_thread->setObjectName(QStringLiteral("v4l2 capture"));
    m_thread->start(QThread::TimeCriticalPriority);
    return CaptureDevice::StreamOk;
}

void V4l2Stream::stop()
{
    if (m_thread) {
        m_stopRequested = true;
        m_thread->wait();
        delete m_thread;
        m_thread = nullptr;
    }
    tearDown();
}

qint32 V4l2Stream::setUp(const QString &node)
{
    m_fd = m_io.open(node);
    if (m_fd < 0)
        return openFailure(m_fd);
    qint32 result = claimFormat();
    if (result == CaptureDevice::StreamOk)
        result = mapBuffers();
    if (result != CaptureDevice::StreamOk)
        return result;
    int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    const int started = m_io.ioctl(m_fd, VIDIOC_STREAMON, &type);
    if (started == -ENOSPC)
        return CaptureDevice::NoBandwidth; // the bus has no room for this format at this rate
    if (started != 0)
        return openFailure(started);
    m_streaming = true;
    return CaptureDevice::StreamOk;
}

qint32 V4l2Stream::claimFormat()
{
    // Setting the format the node already has makes this descriptor the node's owner, so that a
    // camera another program streams from is refused here and not half-way through.
    v4l2_format format;
    std::memset(&format, 0, sizeof format);
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (m_io.ioctl(m_fd, VIDIOC_G_FMT, &format) != 0)
        return CaptureDevice::InputNotCreated;
    const int set = m_io.ioctl(m_fd, VIDIOC_S_FMT, &format);
    if (set != 0)
        return openFailure(set);
    m_pixelFormat = format.fmt.pix.pixelformat;
    m_width = int(format.fmt.pix.width);
    m_height = int(format.fmt.pix.height);
    int bytesPerLine = int(format.fmt.pix.bytesperline);
    if (bytesPerLine <= 0)
        bytesPerLine = m_pixelFormat == V4L2_PIX_FMT_NV12 ? m_width
                       : (m_pixelFormat == V4L2_PIX_FMT_BGR32 || m_pixelFormat == V4L2_PIX_FMT_ABGR32
                          || m_pixelFormat == V4L2_PIX_FMT_XBGR32) ? m_width * 4 : m_width * 2;
    if (!m_decoder.configure(m_pixelFormat, m_width, m_height, bytesPerLine))
        return CaptureDevice::InputNotCreated;
    return CaptureDevice::StreamOk;
}

qint32 V4l2Stream::mapBuffers()
{
    v4l2_requestbuffers request;
    std::memset(&request, 0, sizeof request);
    request.count = BufferCount;
    request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    request.memory = V4L2_MEMORY_MMAP;
    const int requested = m_io.ioctl(m_fd, VIDIOC_REQBUFS, &request);
    if (requested != 0)
        return openFailure(requested);
    if (request.count == 0)
        return CaptureDevice::InputNotCreated;
    for (quint32 index = 0; index < request.count; ++index) {
        v4l2_buffer buffer;
        std::memset(&buffer, 0, sizeof buffer);
        buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        buffer.memory = V4L2_MEMORY_MMAP;
        buffer.index = index;
        if (m_io.ioctl(m_fd, VIDIOC_QUERYBUF, &buffer) != 0)
            return CaptureDevice::InputNotCreated;
        Buffer mapped;
        mapped.length = buffer.length;
        mapped.address = m_io.mapBuffer(m_fd, buffer.length, buffer.m.offset);
        if (!mapped.address)
            return CaptureDevice::InputNotCreated;
        m_buffers.append(mapped);
        if (m_io.ioctl(m_fd, VIDIOC_QBUF, &buffer) != 0)
            return CaptureDevice::InputNotCreated;
    }
    return CaptureDevice::StreamOk;
}

void V4l2Stream::tearDown()
{
    if (m_fd < 0)
        return;
    if (m_streaming) {
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_io.ioctl(m_fd, VIDIOC_STREAMOFF, &type);
        m_streaming = false;
    }
    for (const Buffer &buffer : qAsConst(m_buffers))
        m_io.unmapBuffer(buffer.address, buffer.length);
    if (!m_buffers.isEmpty()) {
        // Freeing the buffers gives the node back, so that another program can take it.
        v4l2_requestbuffers request;
        std::memset(&request, 0, sizeof request);
        request.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        request.memory = V4L2_MEMORY_MMAP;
        m_io.ioctl(m_fd, VIDIOC_REQBUFS, &request);
        m_buffers.clear();
    }
    m_io.close(m_fd);
    m_fd = -1;
}

void V4l2Stream::run()
{
    int quietMs = 0;
    while (!m_stopRequested) {
        const int ready = m_io.waitForFrame(m_fd, WaitSliceMs);
        int handled = ready;
        if (ready > 0)
            handled = handleOneBuffer();
        if (handled > 0) {
            quietMs = 0;
            continue;
        }
        if (handled == 0 && ready == 0)
            quietMs += WaitSliceMs;
        if (handled < 0 || quietMs >= StallTimeoutMs) {
            if (m_onError && !m_stopRequested)
                m_onError(CaptureDevice::DeviceLost);
            return;
        }
    }
}

int V4l2Stream::handleOneBuffer()
{
    v4l2_buffer buffer;
    std::memset(&buffer, 0, sizeof buffer);
    buffer.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    buffer.memory = V4L2_MEMORY_MMAP;
    const int dequeued = m_io.ioctl(m_fd, VIDIOC_DQBUF, &buffer);
    if (dequeued == -EAGAIN)
        return 0;
    if (dequeued != 0)
        return dequeued;
    if (buffer.index >= quint32(m_buffers.size()))
        return -EIO;
    const Buffer &mapped = m_buffers.at(int(buffer.index));
    // A buffer the driver flags as damaged, or one that claims more bytes than it has, is skipped.
    if (!(buffer.flags & V4L2_BUF_FLAG_ERROR) && buffer.bytesused > 0 && buffer.bytesused <= mapped.length) {
        const QImage frame = m_decoder.decode(static_cast<const uchar *>(mapped.address), int(buffer.bytesused),
                                              m_outputSize ? m_outputSize() : QSize());
        if (!frame.isNull() && m_onFrame)
            m_onFrame(frame, frameTime(buffer.timestamp, buffer.flags));
    }
    const int queued = m_io.ioctl(m_fd, VIDIOC_QBUF, &buffer);
    return queued == 0 ? 1 : queued;
}

qint64 V4l2Stream::frameTime(const timeval &stamp, quint32 flags) const
{
    const qint64 now = MediaClock::monotonicNowUs();
    // The driver's time of capture is on the same clock when it says so; anything else (or a time
    // that cannot be right) falls back to the time of arrival.
    if ((flags & V4L2_BUF_FLAG_TIMESTAMP_MASK) != V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC)
        return now;
    const qint64 captured = qint64(stamp.tv_sec) * 1000000 + stamp.tv_usec;
    return captured > 0 && captured <= now && now - captured < 1000000 ? captured : now;
}

} // namespace platform
