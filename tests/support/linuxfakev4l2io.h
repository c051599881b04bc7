#pragma once

#include "video/linux/v4l2io.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QStringList>
#include <QVector>

#include <memory>

// A V4L2 device without a device: answers the ioctls of the Linux camera backends from tables and
// writes each one into a log ("S_CTRL brightness=-5", "XU 5:0x14 GET_LEN"), so that tests can check
// what would have reached a camera. It also streams: mmap buffers in memory, filled in turn with the
// payloads of `framePayloads` every `frameIntervalMs`. Calls may come from a capture thread; read the
// public fields only while no stream runs, or through the locked accessors.
class LinuxFakeV4l2Io : public platform::V4l2Io
{
public:
    struct Control
    {
        qint32 minimum = 0;
        qint32 maximum = 255;
        qint32 step = 1;
        qint32 defaultValue = 0;
        qint32 value = 0;
        quint32 flags = 0;
    };

    struct ExtensionControl
    {
        quint16 length = 1;
        quint8 info = 0x03; // GET and SET
        QByteArray current, minimum, maximum, defaultValue;
        bool shortReply = false; // the device answers data queries with fewer bytes than asked
    };

    struct Interval
    {
        quint32 numerator = 1;
        quint32 denominator = 30;
    };

    struct Size
    {
        quint32 width = 0;
        quint32 height = 0;
        QList<Interval> intervals;
        bool stepwiseIntervals = false; // intervals[0] is the shortest, intervals[1] the longest
    };

    struct Format
    {
        quint32 pixelFormat = 0;
        QList<Size> sizes;
        bool stepwiseSizes = false; // sizes[0] is the smallest, sizes[1] the largest
    };

    // Nodes that open, with the device_caps they report.
    QMap<QString, quint32> nodes;
    QMap<quint32, Control> controls;
    QMap<quint16, ExtensionControl> extensionControls; // key: unit << 8 | selector
    QList<Format> formats;
    quint32 currentPixelFormat = 0;
    quint32 currentWidth = 0;
    quint32 currentHeight = 0;
    Interval currentInterval;
    int setFormatError = 0; // errno S_FMT fails with, e.g. EBUSY
    bool adjustSetFormat = false; // S_FMT answers another size than asked, as drivers do

    QStringList log;
    int openCount = 0;
    int closeCount = 0;

    // Streaming.
    QMap<QString, int> openErrors; // errno open() fails with per node, e.g. EBUSY
    int requestBuffersError = 0;   // errno of REQBUFS with a count
    int streamOnError = 0;         // errno of STREAMON, e.g. ENOSPC
    quint32 grantedBuffers = 4;    // REQBUFS answers at most this many
    quint32 bytesPerLine = 0;      // G_FMT's bytesperline (0: the driver leaves it out)
    QList<QByteArray> framePayloads; // delivered in turn, cycling
    int frameIntervalMs = 5;
    int failAfterFrames = -1;      // DQBUF fails with ENODEV after this many frames
    quint32 extraBufferFlags = 0;  // added to every dequeued buffer, e.g. V4L2_BUF_FLAG_ERROR

    int deliveredFrames() const;
    int mappedBuffers() const;     // mapped now
    bool isStreaming() const;
    QStringList logSnapshot() const;

    static quint16 key(quint8 unit, quint8 selector) { return quint16(unit << 8 | selector); }

    int open(const QString &node) override;
    void close(int fd) override;
    int ioctl(int fd, unsigned long request, void *argument) override;
    void *mapBuffer(int fd, quint32 length, quint32 offset) override;
    void unmapBuffer(void *address, quint32 length) override;
    int waitForFrame(int fd, int timeoutMs) override;

private:
    int dispatch(int fd, unsigned long request, void *argument);
    int requestBuffers(int fd, void *argument);
    int queryBuffer(void *argument);
    int queueBuffer(void *argument);
    int dequeueBuffer(void *argument);
    int streamOn(int fd);
    int streamOff(int fd);

    int queryCapability(int fd, void *argument);
    int queryControl(void *argument);
    int getControl(void *argument);
    int setControl(void *argument);
    int extensionQuery(void *argument);
    int enumerateFormat(void *argument);
    int enumerateSizes(void *argument);
    int enumerateIntervals(void *argument);
    int getFormat(void *argument);
    int setFormat(void *argument);
    int getParameters(void *argument);
    int setParameters(void *argument);
    const Size *findSize(quint32 pixelFormat, quint32 width, quint32 height) const;

    QMap<int, QString> m_open;
    int m_nextFd = 3;

    // Shared, so that the fake stays assignable (tests reset it with a fresh one).
    std::shared_ptr<QMutex> m_lock = std::make_shared<QMutex>();
    QVector<QByteArray> m_buffers;
    QVector<bool> m_mapped;
    QList<quint32> m_queued;
    int m_ownerFd = -1;     // the descriptor that holds the buffers
    int m_streamingFd = -1;
    int m_delivered = 0;
};
