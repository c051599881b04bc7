#include "video/linux/v4l2capturedevice.h"

#include "video/linux/v4l2handle.h"
#include "video/linux/v4l2stream.h"

#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <linux/videodev2.h>

#include <cstring>

namespace platform {

namespace {

// Nodes locked for configuration by some object of this process.
QMutex lockedNodesMutex;
QSet<QString> lockedNodes;

// A guard against a driver that never ends a list.
constexpr quint32 MaxEnumeration = 1024;

FrameRateRange rangeFor(const v4l2_fract &shortest, const v4l2_fract &longest)
{
    FrameRateRange range;
    range.minFrameDuration = {shortest.numerator, shortest.denominator};
    range.maxFrameDuration = {longest.numerator, longest.denominator};
    if (range.minFrameDuration.isValid())
        range.maxFrameRate = 1.0 / range.minFrameDuration.seconds();
    if (range.maxFrameDuration.isValid())
        range.minFrameRate = 1.0 / range.maxFrameDuration.seconds();
    return range;
}

QList<FrameRateRange> frameRateRanges(V4l2Handle &node, quint32 pixelFormat, quint32 width, quint32 height)
{
    QList<FrameRateRange> ranges;
    for (quint32 index = 0; index < MaxEnumeration; ++index) {
        v4l2_frmivalenum interval;
        std::memset(&interval, 0, sizeof interval);
        interval.index = index;
        interval.pixel_format = pixelFormat;
        interval.width = width;
        interval.height = height;
        if (node.ioctl(VIDIOC_ENUM_FRAMEINTERVALS, &interval) != 0)
            break;
        if (interval.type == V4L2_FRMIVAL_TYPE_DISCRETE) {
            ranges.append(rangeFor(interval.discrete, interval.discrete));
        } else {
            // A stepwise or continuous span is one range, and the only entry of the list.
            ranges.append(rangeFor(interval.stepwise.min, interval.stepwise.max));
            break;
        }
    }
    return ranges;
}

QList<QPair<quint32, quint32>> frameSizes(V4l2Handle &node, quint32 pixelFormat)
{
    QList<QPair<quint32, quint32>> sizes;
    for (quint32 index = 0; index < MaxEnumeration; ++index) {
        v4l2_frmsizeenum size;
        std::memset(&size, 0, sizeof size);
        size.index = index;
        size.pixel_format = pixelFormat;
        if (node.ioctl(VIDIOC_ENUM_FRAMESIZES, &size) != 0)
            break;
        if (size.type == V4L2_FRMSIZE_TYPE_DISCRETE) {
            sizes.append({size.discrete.width, size.discrete.height});
        } else {
            // A span of sizes is offered as its two ends: the list is for choosing, and every size in
            // between would drown the choice.
            sizes.append({size.stepwise.max_width, size.stepwise.max_height});
            if (size.stepwise.min_width != size.stepwise.max_width
                || size.stepwise.min_height != size.stepwise.max_height)
                sizes.append({size.stepwise.min_width, size.stepwise.min_height});
            break;
        }
    }
    return sizes;
}

bool readStreamParameters(V4l2Handle &node, v4l2_streamparm *parameters)
{
    std::memset(parameters, 0, sizeof *parameters);
    parameters->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    return node.ioctl(VIDIOC_G_PARM, parameters) == 0
           && (parameters->parm.capture.capability & V4L2_CAP_TIMEPERFRAME);
}

} // namespace

V4l2CaptureDevice::V4l2CaptureDevice(const VideoDeviceInfo &info, V4l2Io &io, QObject *parent)
    : CaptureDevice(parent), m_info(info), m_io(io)
{}

V4l2CaptureDevice::~V4l2CaptureDevice()
{
    stopStreaming();
    unlockForConfiguration();
}

QByteArray V4l2CaptureDevice::subtypeFor(quint32 pixelFormat)
{
    switch (pixelFormat) {
    case V4L2_PIX_FMT_MJPEG:
    case V4L2_PIX_FMT_JPEG:
        return QByteArrayLiteral("jpeg");
    case V4L2_PIX_FMT_YUYV:
        return QByteArrayLiteral("yuvs");
    case V4L2_PIX_FMT_UYVY:
        return QByteArrayLiteral("2vuy");
    case V4L2_PIX_FMT_NV12:
        return QByteArrayLiteral("420v");
    case V4L2_PIX_FMT_H264:
        return QByteArrayLiteral("avc1");
    case V4L2_PIX_FMT_ABGR32:
    case V4L2_PIX_FMT_XBGR32:
    case V4L2_PIX_FMT_BGR32:
        return QByteArrayLiteral("BGRA"); // all three lay their bytes out as B, G, R, A
    default: {
        const char code[4] = {char(pixelFormat & 0xff), char(pixelFormat >> 8 & 0xff),
                              char(pixelFormat >> 16 & 0xff), char(pixelFormat >> 24 & 0xff)};
        return QByteArray(code, 4);
    }
    }
}

QList<CaptureFormat> V4l2CaptureDevice::formats() const
{
    QList<CaptureFormat> result;
    for (const NodeFormat &format : nodeFormats())
        result.append(format.format);
    return result;
}

int V4l2CaptureDevice::activeFormatIndex() const
{
    V4l2Handle node(m_io, m_info.node);
    v4l2_format active;
    std::memset(&active, 0, sizeof active);
    active.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    if (node.ioctl(VIDIOC_G_FMT, &active) != 0)
        return -1;
    const QList<NodeFormat> &formats = nodeFormats();
    for (int index = 0; index < formats.size(); ++index) {
        const NodeFormat &format = formats.at(index);
        if (format.pixelFormat == active.fmt.pix.pixelformat
            && quint32(format.format.width) == active.fmt.pix.width
            && quint32(format.format.height) == active.fmt.pix.height)
            return index;
    }
    return -1;
}

FrameDuration V4l2CaptureDevice::activeMinFrameDuration() const
{
    V4l2Handle node(m_io, m_info.node);
    v4l2_streamparm parameters;
    if (!readStreamParameters(node, &parameters))
        return FrameDuration();
    return {parameters.parm.capture.timeperframe.numerator, parameters.parm.capture.timeperframe.denominator};
}

bool V4l2CaptureDevice::lockForConfiguration()
{
    if (m_locked)
        return true;
    QMutexLocker locker(&lockedNodesMutex);
    if (m_info.node.isEmpty() || lockedNodes.contains(m_info.node))
        return false;
    // A node that can no longer be opened is gone; locking it would only promise a change that fails.
    if (!V4l2Handle(m_io, m_info.node).isOpen())
        return false;
    lockedNodes.insert(m_info.node);
    m_locked = true;
    return true;
}

void V4l2CaptureDevice::unlockForConfiguration()
{
    if (!m_locked)
        return;
    QMutexLocker locker(&lockedNodesMutex);
    lockedNodes.remove(m_info.node);
    m_locked = false;
}

bool V4l2CaptureDevice::setActiveFormat(int index)
{
    if (!m_locked || index < 0 || index >= nodeFormats().size())
        return false;
    return applyBetweenStreams([this, index] { return applyFormat(index); });
}

bool V4l2CaptureDevice::setActiveMinFrameDuration(const FrameDuration &duration)
{
    if (!m_locked || !duration.isValid())
        return false;
    return applyBetweenStreams([this, &duration] { return applyFrameDuration(duration); });
}

bool V4l2CaptureDevice::applyBetweenStreams(const std::function<bool()> &apply)
{
    if (!isStreaming())
        return apply();
    stopStreaming();
    const bool applied = apply();
    const qint32 restarted = startStreaming();
    if (restarted != StreamOk)
        emit streamError(restarted);
    return applied;
}

qint32 V4l2CaptureDevice::startStreaming()
{
    if (isStreaming())
        return StreamOk;
    auto stream = std::make_unique<V4l2Stream>(m_io);
    const quint64 generation = ++m_streamGeneration;
    const qint32 result = stream->start(
        m_info.node, [this] { return outputSize(); },
        [this](const QImage &frame, qint64 timeUs) { emit frameCaptured(VideoSample(frame, timeUs)); },
        [this, generation](qint32 code) {
            emit streamError(code);
            QMetaObject::invokeMethod(this, [this, generation] { streamFailed(generation); },
                                      Qt::QueuedConnection);
        });
    if (result == StreamOk)
        m_stream = std::move(stream);
    return result;
}

void V4l2CaptureDevice::streamFailed(quint64 generation)
{
    if (generation == m_streamGeneration)
        stopStreaming();
}

void V4l2CaptureDevice::stopStreaming()
{
    if (!m_stream)
        return;
    m_stream->stop();
    m_stream.reset();
}

bool V4l2CaptureDevice::isStreaming() const
{
    return m_stream != nullptr;
}

bool V4l2CaptureDevice::applyFormat(int index)
{
    const QList<NodeFormat> &formats = nodeFormats();
    if (!m_locked || index < 0 || index >= formats.size())
        return false;
    const NodeFormat &wanted = formats.at(index);
    V4l2Handle node(m_io, m_info.node);
    v4l2_format format;
    std::memset(&format, 0, sizeof format);
    format.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
    format.fmt.pix.pixelformat = wanted.pixelFormat;
    format.fmt.pix.width = quint32(wanted.format.width);
    format.fmt.pix.height = quint32(wanted.format.height);
    format.fmt.pix.field = V4L2_FIELD_ANY;
    if (node.ioctl(VIDIOC_S_FMT, &format) != 0)
        return false; // EBUSY while another process streams from the node
    // Drivers adjust what they cannot do instead of refusing it; an adjusted format is not the one asked.
    return format.fmt.pix.pixelformat == wanted.pixelFormat
           && format.fmt.pix.width == quint32(wanted.format.width)
           && format.fmt.pix.height == quint32(wanted.format.height);
}

bool V4l2CaptureDevice::applyFrameDuration(const FrameDuration &duration)
{
    if (!m_locked || !duration.isValid())
        return false;
    V4l2Handle node(m_io, m_info.node);
    v4l2_streamparm parameters;
    if (!readStreamParameters(node, &parameters))
        return false;
    parameters.parm.capture.timeperframe.numerator = duration.numerator;
    parameters.parm.capture.timeperframe.denominator = duration.denominator;
    return node.ioctl(VIDIOC_S_PARM, &parameters) == 0;
}

const QList<V4l2CaptureDevice::NodeFormat> &V4l2CaptureDevice::nodeFormats() const
{
    // Read once: format indexes are handed out and must keep naming the same format.
    if (!m_formatsRead) {
        m_formats = enumerateFormats();
        m_formatsRead = !m_formats.isEmpty();
    }
    return m_formats;
}

QList<V4l2CaptureDevice::NodeFormat> V4l2CaptureDevice::enumerateFormats() const
{
    QList<NodeFormat> result;
    V4l2Handle node(m_io, m_info.node);
    if (!node.isOpen())
        return result;
    for (quint32 index = 0; index < MaxEnumeration; ++index) {
        v4l2_fmtdesc description;
        std::memset(&description, 0, sizeof description);
        description.index = index;
        description.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (node.ioctl(VIDIOC_ENUM_FMT, &description) != 0)
            break;
        const auto sizes = frameSizes(node, description.pixelformat);
        for (const auto &size : sizes) {
            NodeFormat format;
            format.pixelFormat = description.pixelformat;
            format.format.subtype = subtypeFor(description.pixelformat);
            format.format.width = int(size.first);
            format.format.height = int(size.second);
            format.format.frameRateRanges = frameRateRanges(node, description.pixelformat, size.first, size.second);
            result.append(format);
        }
    }
    return result;
}

} // namespace platform
