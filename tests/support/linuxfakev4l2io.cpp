#include "linuxfakev4l2io.h"

#include <QHash>
#include <QMutexLocker>
#include <QThread>

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>

namespace {

QString controlName(quint32 id)
{
    static const QHash<quint32, QString> names = {
        {V4L2_CID_BRIGHTNESS, QStringLiteral("brightness")},
        {V4L2_CID_CONTRAST, QStringLiteral("contrast")},
        {V4L2_CID_AUTO_WHITE_BALANCE, QStringLiteral("auto_white_balance")},
        {V4L2_CID_WHITE_BALANCE_TEMPERATURE, QStringLiteral("white_balance_temperature")},
        {V4L2_CID_BLUE_BALANCE, QStringLiteral("blue_balance")},
        {V4L2_CID_RED_BALANCE, QStringLiteral("red_balance")},
        {V4L2_CID_EXPOSURE_AUTO, QStringLiteral("exposure_auto")},
        {V4L2_CID_EXPOSURE_ABSOLUTE, QStringLiteral("exposure_absolute")},
        {V4L2_CID_FOCUS_RELATIVE, QStringLiteral("focus_relative")},
        {V4L2_CID_ZOOM_ABSOLUTE, QStringLiteral("zoom_absolute")},
        {V4L2_CID_ZOOM_CONTINUOUS, QStringLiteral("zoom_continuous")},
        {V4L2_CID_PAN_ABSOLUTE, QStringLiteral("pan_absolute")},
        {V4L2_CID_TILT_ABSOLUTE, QStringLiteral("tilt_absolute")},
        {V4L2_CID_PAN_SPEED, QStringLiteral("pan_speed")},
        {V4L2_CID_TILT_SPEED, QStringLiteral("tilt_speed")},
    };
    return names.value(id, QStringLiteral("0x%1").arg(id, 0, 16));
}

QString queryName(quint8 query)
{
    switch (query) {
    case UVC_SET_CUR: return QStringLiteral("SET_CUR");
    case UVC_GET_CUR: return QStringLiteral("GET_CUR");
    case UVC_GET_MIN: return QStringLiteral("GET_MIN");
    case UVC_GET_MAX: return QStringLiteral("GET_MAX");
    case UVC_GET_RES: return QStringLiteral("GET_RES");
    case UVC_GET_LEN: return QStringLiteral("GET_LEN");
    case UVC_GET_INFO: return QStringLiteral("GET_INFO");
    case UVC_GET_DEF: return QStringLiteral("GET_DEF");
    default: return QStringLiteral("0x%1").arg(query, 0, 16);
    }
}

} // namespace

int LinuxFakeV4l2Io::open(const QString &node)
{
    QMutexLocker locker(m_lock.get());
    if (!nodes.contains(node))
        return -ENOENT;
    if (openErrors.contains(node))
        return -openErrors.value(node);
    ++openCount;
    m_open.insert(m_nextFd, node);
    return m_nextFd++;
}

void LinuxFakeV4l2Io::close(int fd)
{
    QMutexLocker locker(m_lock.get());
    if (m_open.remove(fd))
        ++closeCount;
    // Closing the owner releases the buffers and stops the stream, as the kernel does.
    if (fd == m_ownerFd) {
        m_streamingFd = -1;
        m_ownerFd = -1;
        m_queued.clear();
    }
}

int LinuxFakeV4l2Io::ioctl(int fd, unsigned long request, void *argument)
{
    QMutexLocker locker(m_lock.get());
    return dispatch(fd, request, argument);
}

int LinuxFakeV4l2Io::dispatch(int fd, unsigned long request, void *argument)
{
    if (!m_open.contains(fd))
        return -EBADF;
    // The node belongs to the descriptor that holds its buffers: others may look, not change.
    if ((request == VIDIOC_S_FMT || request == VIDIOC_S_PARM || request == VIDIOC_REQBUFS)
        && m_ownerFd >= 0 && fd != m_ownerFd) {
        log.append(QStringLiteral("busy"));
        return -EBUSY;
    }
    switch (request) {
    case VIDIOC_REQBUFS: return requestBuffers(fd, argument);
    case VIDIOC_QUERYBUF: return queryBuffer(argument);
    case VIDIOC_QBUF: return queueBuffer(argument);
    case VIDIOC_DQBUF: return dequeueBuffer(argument);
    case VIDIOC_STREAMON: return streamOn(fd);
    case VIDIOC_STREAMOFF: return streamOff(fd);
    case VIDIOC_QUERYCAP: return queryCapability(fd, argument);
    case VIDIOC_QUERYCTRL: return queryControl(argument);
    case VIDIOC_G_CTRL: return getControl(argument);
    case VIDIOC_S_CTRL: return setControl(argument);
    case UVCIOC_CTRL_QUERY: return extensionQuery(argument);
    case VIDIOC_ENUM_FMT: return enumerateFormat(argument);
    case VIDIOC_ENUM_FRAMESIZES: return enumerateSizes(argument);
    case VIDIOC_ENUM_FRAMEINTERVALS: return enumerateIntervals(argument);
    case VIDIOC_G_FMT: return getFormat(argument);
    case VIDIOC_S_FMT: return setFormat(argument);
    case VIDIOC_G_PARM: return getParameters(argument);
    case VIDIOC_S_PARM: return setParameters(argument);
    default:
        log.append(QStringLiteral("ioctl 0x%1").arg(request, 0, 16));
        return -ENOTTY;
    }
}

int LinuxFakeV4l2Io::queryCapability(int fd, void *argument)
{
    auto *capability = static_cast<v4l2_capability *>(argument);
    capability->device_caps = nodes.value(m_open.value(fd));
    capability->capabilities = capability->device_caps | V4L2_CAP_DEVICE_CAPS;
    return 0;
}

int LinuxFakeV4l2Io::queryControl(void *argument)
{
    auto *query = static_cast<v4l2_queryctrl *>(argument);
    log.append(QStringLiteral("QUERYCTRL ") + controlName(query->id));
    if (!controls.contains(query->id))
        return -EINVAL;
    const Control &control = controls[query->id];
    query->minimum = control.minimum;
    query->maximum = control.maximum;
    query->step = control.step;
    query->default_value = control.defaultValue;
    query->flags = control.flags;
    return 0;
}

int LinuxFakeV4l2Io::getControl(void *argument)
{
    auto *control = static_cast<v4l2_control *>(argument);
    log.append(QStringLiteral("G_CTRL ") + controlName(control->id));
    if (!controls.contains(control->id))
        return -EINVAL;
    control->value = controls[control->id].value;
    return 0;
}

int LinuxFakeV4l2Io::setControl(void *argument)
{
    auto *control = static_cast<v4l2_control *>(argument);
    log.append(QStringLiteral("S_CTRL %1=%2").arg(controlName(control->id)).arg(control->value));
    if (!controls.contains(control->id))
        return -EINVAL;
    controls[control->id].value = control->value;
    return 0;
}

int LinuxFakeV4l2Io::extensionQuery(void *argument)
{
    auto *query = static_cast<uvc_xu_control_query *>(argument);
    QString entry = QStringLiteral("XU %1:0x%2 %3").arg(query->unit).arg(query->selector, 2, 16, QLatin1Char('0'))
                        .arg(queryName(query->query));
    if (query->query == UVC_SET_CUR)
        entry += QLatin1Char(' ') + QString::fromLatin1(QByteArray(reinterpret_cast<char *>(query->data), query->size).toHex());
    log.append(entry);
    const auto it = extensionControls.find(key(query->unit, query->selector));
    if (it == extensionControls.end())
        return -ENOENT;
    ExtensionControl &control = *it;
    // The driver's own checks: GET_LEN and GET_INFO have fixed sizes, every other query the control's.
    if (query->query == UVC_GET_LEN) {
        if (query->size != 2)
            return -ENOBUFS;
        query->data[0] = quint8(control.length);
        query->data[1] = quint8(control.length >> 8);
        return 0;
    }
    if (query->query == UVC_GET_INFO) {
        if (query->size != 1)
            return -ENOBUFS;
        query->data[0] = control.info;
        return 0;
    }
    if (query->size != control.length)
        return -ENOBUFS;
    if (control.shortReply)
        return -EPIPE; // what uvcvideo makes of a transfer that moved fewer bytes
    QByteArray answer;
    switch (query->query) {
    case UVC_SET_CUR:
        control.current = QByteArray(reinterpret_cast<char *>(query->data), query->size);
        return 0;
    case UVC_GET_CUR: answer = control.current; break;
    case UVC_GET_MIN: answer = control.minimum; break;
    case UVC_GET_MAX: answer = control.maximum; break;
    case UVC_GET_DEF: answer = control.defaultValue; break;
    default: break;
    }
    answer = answer.leftJustified(query->size, '\0', true);
    std::memcpy(query->data, answer.constData(), query->size);
    return 0;
}

int LinuxFakeV4l2Io::enumerateFormat(void *argument)
{
    auto *description = static_cast<v4l2_fmtdesc *>(argument);
    if (description->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || description->index >= quint32(formats.size()))
        return -EINVAL;
    description->pixelformat = formats.at(int(description->index)).pixelFormat;
    return 0;
}

int LinuxFakeV4l2Io::enumerateSizes(void *argument)
{
    auto *size = static_cast<v4l2_frmsizeenum *>(argument);
    for (const Format &format : qAsConst(formats)) {
        if (format.pixelFormat != size->pixel_format)
            continue;
        if (format.stepwiseSizes) {
            if (size->index != 0)
                return -EINVAL;
            size->type = V4L2_FRMSIZE_TYPE_STEPWISE;
            size->stepwise = {format.sizes.at(0).width, format.sizes.at(1).width, 16,
                              format.sizes.at(0).height, format.sizes.at(1).height, 16};
            return 0;
        }
        if (size->index >= quint32(format.sizes.size()))
            return -EINVAL;
        size->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        size->discrete = {format.sizes.at(int(size->index)).width, format.sizes.at(int(size->index)).height};
        return 0;
    }
    return -EINVAL;
}

int LinuxFakeV4l2Io::enumerateIntervals(void *argument)
{
    auto *interval = static_cast<v4l2_frmivalenum *>(argument);
    const Size *size = findSize(interval->pixel_format, interval->width, interval->height);
    if (!size)
        return -EINVAL;
    if (size->stepwiseIntervals) {
        if (interval->index != 0)
            return -EINVAL;
        interval->type = V4L2_FRMIVAL_TYPE_CONTINUOUS;
        interval->stepwise.min = {size->intervals.at(0).numerator, size->intervals.at(0).denominator};
        interval->stepwise.max = {size->intervals.at(1).numerator, size->intervals.at(1).denominator};
        interval->stepwise.step = {1, 1};
        return 0;
    }
    if (interval->index >= quint32(size->intervals.size()))
        return -EINVAL;
    const Interval &discrete = size->intervals.at(int(interval->index));
    interval->type = V4L2_FRMIVAL_TYPE_DISCRETE;
    interval->discrete = {discrete.numerator, discrete.denominator};
    return 0;
}

int LinuxFakeV4l2Io::getFormat(void *argument)
{
    auto *format = static_cast<v4l2_format *>(argument);
    if (currentPixelFormat == 0)
        return -EINVAL;
    format->fmt.pix.pixelformat = currentPixelFormat;
    format->fmt.pix.width = currentWidth;
    format->fmt.pix.height = currentHeight;
    format->fmt.pix.bytesperline = bytesPerLine;
    return 0;
}

int LinuxFakeV4l2Io::setFormat(void *argument)
{
    auto *format = static_cast<v4l2_format *>(argument);
    log.append(QStringLiteral("S_FMT %1x%2").arg(format->fmt.pix.width).arg(format->fmt.pix.height));
    if (setFormatError)
        return -setFormatError;
    if (adjustSetFormat)
        format->fmt.pix.width /= 2;
    currentPixelFormat = format->fmt.pix.pixelformat;
    currentWidth = format->fmt.pix.width;
    currentHeight = format->fmt.pix.height;
    return 0;
}

int LinuxFakeV4l2Io::getParameters(void *argument)
{
    auto *parameters = static_cast<v4l2_streamparm *>(argument);
    parameters->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
    parameters->parm.capture.timeperframe = {currentInterval.numerator, currentInterval.denominator};
    return 0;
}

int LinuxFakeV4l2Io::setParameters(void *argument)
{
    auto *parameters = static_cast<v4l2_streamparm *>(argument);
    const v4l2_fract &wanted = parameters->parm.capture.timeperframe;
    log.append(QStringLiteral("S_PARM %1/%2").arg(wanted.numerator).arg(wanted.denominator));
    currentInterval = {wanted.numerator, wanted.denominator};
    return 0;
}

const LinuxFakeV4l2Io::Size *LinuxFakeV4l2Io::findSize(quint32 pixelFormat, quint32 width, quint32 height) const
{
    for (const Format &format : formats) {
        if (format.pixelFormat != pixelFormat)
            continue;
        for (const Size &size : format.sizes) {
            if (size.width == width && size.height == height)
                return &size;
        }
    }
    return nullptr;
}

namespace {
constexpr quint32 FakeBufferLength = 4 * 1024 * 1024;
}

int LinuxFakeV4l2Io::requestBuffers(int fd, void *argument)
{
    auto *request = static_cast<v4l2_requestbuffers *>(argument);
    log.append(QStringLiteral("REQBUFS %1").arg(request->count));
    if (request->memory != V4L2_MEMORY_MMAP)
        return -EINVAL;
    if (request->count == 0) {
        if (m_streamingFd >= 0)
            return -EBUSY;
        m_buffers.clear();
        m_mapped.clear();
        m_queued.clear();
        m_ownerFd = -1;
        return 0;
    }
    if (requestBuffersError)
        return -requestBuffersError;
    request->count = qMin(request->count, grantedBuffers);
    m_buffers = QVector<QByteArray>(int(request->count), QByteArray(int(FakeBufferLength), '\0'));
    m_mapped = QVector<bool>(int(request->count), false);
    m_queued.clear();
    m_ownerFd = request->count > 0 ? fd : -1;
    return 0;
}

int LinuxFakeV4l2Io::queryBuffer(void *argument)
{
    auto *buffer = static_cast<v4l2_buffer *>(argument);
    if (buffer->index >= quint32(m_buffers.size()))
        return -EINVAL;
    buffer->length = FakeBufferLength;
    buffer->m.offset = buffer->index * FakeBufferLength;
    return 0;
}

int LinuxFakeV4l2Io::queueBuffer(void *argument)
{
    auto *buffer = static_cast<v4l2_buffer *>(argument);
    if (buffer->index >= quint32(m_buffers.size()) || m_queued.contains(buffer->index))
        return -EINVAL;
    m_queued.append(buffer->index);
    return 0;
}

int LinuxFakeV4l2Io::dequeueBuffer(void *argument)
{
    auto *buffer = static_cast<v4l2_buffer *>(argument);
    if (m_streamingFd < 0 || m_queued.isEmpty() || framePayloads.isEmpty())
        return -EAGAIN;
    if (failAfterFrames >= 0 && m_delivered >= failAfterFrames)
        return -ENODEV;
    const quint32 index = m_queued.takeFirst();
    const QByteArray &payload = framePayloads.at(m_delivered % framePayloads.size());
    const int length = qMin(payload.size(), int(FakeBufferLength));
    std::memcpy(m_buffers[int(index)].data(), payload.constData(), size_t(length));
    ++m_delivered;
    buffer->index = index;
    buffer->bytesused = quint32(length);
    buffer->flags = V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC | extraBufferFlags;
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    buffer->timestamp.tv_sec = now.tv_sec;
    buffer->timestamp.tv_usec = now.tv_nsec / 1000;
    return 0;
}

int LinuxFakeV4l2Io::streamOn(int fd)
{
    log.append(QStringLiteral("STREAMON"));
    if (streamOnError)
        return -streamOnError;
    if (fd != m_ownerFd)
        return -EINVAL;
    m_streamingFd = fd;
    return 0;
}

int LinuxFakeV4l2Io::streamOff(int fd)
{
    log.append(QStringLiteral("STREAMOFF"));
    if (fd == m_streamingFd)
        m_streamingFd = -1;
    m_queued.clear();
    return 0;
}

void *LinuxFakeV4l2Io::mapBuffer(int fd, quint32 length, quint32 offset)
{
    QMutexLocker locker(m_lock.get());
    const int index = int(offset / FakeBufferLength);
    if (fd != m_ownerFd || index >= m_buffers.size() || length > FakeBufferLength || m_mapped.at(index))
        return nullptr;
    m_mapped[index] = true;
    return m_buffers[index].data();
}

void LinuxFakeV4l2Io::unmapBuffer(void *address, quint32 length)
{
    Q_UNUSED(length)
    QMutexLocker locker(m_lock.get());
    for (int index = 0; index < m_buffers.size(); ++index) {
        if (m_buffers.at(index).constData() == address)
            m_mapped[index] = false;
    }
}

int LinuxFakeV4l2Io::waitForFrame(int fd, int timeoutMs)
{
    {
        QMutexLocker locker(m_lock.get());
        if (!m_open.contains(fd))
            return -EBADF;
        const bool ready = fd == m_streamingFd && !m_queued.isEmpty() && !framePayloads.isEmpty();
        if (ready && failAfterFrames >= 0 && m_delivered >= failAfterFrames)
            return -ENODEV; // an unplugged camera wakes the wait with an error
        if (!ready) {
            locker.unlock();
            QThread::msleep(ulong(qMin(timeoutMs, 20)));
            return 0;
        }
    }
    QThread::msleep(ulong(frameIntervalMs));
    return 1;
}

int LinuxFakeV4l2Io::mappedBuffers() const
{
    QMutexLocker locker(m_lock.get());
    return int(m_mapped.count(true));
}

bool LinuxFakeV4l2Io::isStreaming() const
{
    QMutexLocker locker(m_lock.get());
    return m_streamingFd >= 0;
}

QStringList LinuxFakeV4l2Io::logSnapshot() const
{
    QMutexLocker locker(m_lock.get());
    return log;
}

int LinuxFakeV4l2Io::deliveredFrames() const
{
    QMutexLocker locker(m_lock.get());
    return m_delivered;
}
