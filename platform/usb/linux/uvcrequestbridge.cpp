#include "usb/linux/uvcrequestbridge.h"

#include "video/linux/v4l2handle.h"

#include <linux/usb/video.h>
#include <linux/uvcvideo.h>
#include <linux/videodev2.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

constexpr quint8 ClassInterfaceOut = 0x21;
constexpr quint8 ClassInterfaceIn = 0xa1;

// GET_INFO bits.
constexpr quint8 InfoSupportsGet = 0x01;
constexpr quint8 InfoSupportsSet = 0x02;
constexpr quint8 InfoDisabled = 0x04;

qint64 readField(const QByteArray &data, int offset, int size, bool isSigned)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value |= quint64(quint8(data.at(offset + i))) << (8 * i);
    if (isSigned && size < 8 && (value & (quint64(1) << (8 * size - 1))))
        value |= ~quint64(0) << (8 * size);
    return qint64(value);
}

void writeField(QByteArray *data, int offset, int size, qint64 value)
{
    for (int i = 0; i < size; ++i)
        (*data)[offset + i] = char(quint64(value) >> (8 * i) & 0xff);
}

void writeDirectionSpeed(QByteArray *data, const UvcV4l2Mapping::Field &field, qint64 value)
{
    (*data)[field.offset] = char(value > 0 ? 0x01 : value < 0 ? 0xff : 0x00);
    (*data)[field.speedOffset] = char(qMin<qint64>(std::llabs(value), 0xff));
}

qint32 readDirectionSpeed(const QByteArray &data, const UvcV4l2Mapping::Field &field)
{
    const qint8 direction = qint8(data.at(field.offset));
    if (direction == 0)
        return 0;
    // A move without a speed is still a move: the slowest one, rather than the stop that 0 means
    // to V4L2.
    const qint32 speed = qMax(1, int(quint8(data.at(field.speedOffset))));
    return direction > 0 ? speed : -speed;
}

bool queryControl(V4l2Handle &node, quint32 id, v4l2_queryctrl *control)
{
    std::memset(control, 0, sizeof *control);
    control->id = id;
    return node.ioctl(VIDIOC_QUERYCTRL, control) == 0 && !(control->flags & V4L2_CTRL_FLAG_DISABLED);
}

bool valueFromRange(const v4l2_queryctrl &control, quint8 query, qint64 *value)
{
    switch (query) {
    case UVC_GET_MIN:
        *value = control.minimum;
        return true;
    case UVC_GET_MAX:
        *value = control.maximum;
        return true;
    case UVC_GET_DEF:
        *value = control.default_value;
        return true;
    case UVC_GET_RES:
        *value = control.step;
        return true;
    default:
        return false;
    }
}

bool isKnownQuery(quint8 request)
{
    switch (request) {
    case UVC_GET_CUR:
    case UVC_GET_MIN:
    case UVC_GET_MAX:
    case UVC_GET_RES:
    case UVC_GET_LEN:
    case UVC_GET_INFO:
    case UVC_GET_DEF:
        return true;
    default:
        return false;
    }
}

} // namespace

UvcRequestBridge::UvcRequestBridge(V4l2Io &io, const QString &node, const UvcUnitIds &units)
    : m_io(io), m_node(node), m_units(units)
{}

bool UvcRequestBridge::send(UsbControlRequest &request)
{
    const bool isSet = request.bmRequestType == ClassInterfaceOut && request.bRequest == UVC_SET_CUR;
    const bool isGet = request.bmRequestType == ClassInterfaceIn && isKnownQuery(request.bRequest);
    if ((!isSet && !isGet) || request.wLength == 0)
        return false;
    // Never send bytes the caller did not give.
    if (isSet && request.data.size() < request.wLength)
        return false;

    V4l2Handle node(m_io, m_node);
    if (!node.isOpen())
        return false;
    // The driver owns the interface, so its number in wIndex's low byte has no say here.
    const quint8 unit = quint8(request.wIndex >> 8);
    const quint8 selector = quint8(request.wValue >> 8);
    if (unit == m_units.processingUnitId || unit == m_units.cameraTerminalId) {
        const auto kind = unit == m_units.processingUnitId ? UvcV4l2Mapping::ProcessingUnit
                                                           : UvcV4l2Mapping::CameraTerminal;
        const UvcV4l2Mapping *mapping = UvcV4l2Mapping::find(kind, selector);
        return mapping && sendTranslated(node, *mapping, request);
    }
    return sendToExtensionUnit(node, unit, selector, request);
}

bool UvcRequestBridge::sendTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, UsbControlRequest &request)
{
    if (request.bRequest == UVC_GET_LEN) {
        if (request.wLength != 2)
            return false;
        request.data = QByteArray(2, '\0');
        writeField(&request.data, 0, 2, mapping.length);
        return true;
    }
    if (request.bRequest == UVC_GET_INFO)
        return request.wLength == 1 && readInfo(node, mapping, &request.data);
    if (request.wLength != mapping.length)
        return false;
    if (request.bRequest == UVC_SET_CUR)
        return writeTranslated(node, mapping, request.data.left(request.wLength));
    return readTranslated(node, mapping, request.bRequest, &request.data);
}

bool UvcRequestBridge::readTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, quint8 query, QByteArray *data)
{
    QByteArray bytes(mapping.length, '\0');
    for (int i = 0; i < mapping.fieldCount; ++i) {
        const UvcV4l2Mapping::Field &field = mapping.fields[i];
        qint64 value = 0;
        if (query == UVC_GET_CUR) {
            v4l2_control control{field.controlId, 0};
            if (node.ioctl(VIDIOC_G_CTRL, &control) != 0)
                return false;
            value = control.value;
        } else {
            // A menu's bounds and step say nothing about UVC's mode bits; only its default maps.
            if (mapping.encoding == UvcV4l2Mapping::ExposureMode && query != UVC_GET_DEF)
                return false;
            v4l2_queryctrl control;
            if (!queryControl(node, field.controlId, &control) || !valueFromRange(control, query, &value))
                return false;
        }
        switch (mapping.encoding) {
        case UvcV4l2Mapping::Plain:
            writeField(&bytes, field.offset, field.size, value);
            break;
        case UvcV4l2Mapping::DirectionSpeed:
            writeDirectionSpeed(&bytes, field, value);
            break;
        case UvcV4l2Mapping::ExposureMode: {
            quint8 mode = 0;
            if (!UvcV4l2Mapping::exposureModeFromV4l2(qint32(value), &mode))
                return false;
            bytes[field.offset] = char(mode);
            break;
        }
        }
    }
    *data = bytes;
    return true;
}

bool UvcRequestBridge::writeTranslated(V4l2Handle &node, const UvcV4l2Mapping &mapping, const QByteArray &data)
{
    // Every value is converted before the first one is sent, so a bad one changes nothing.
    qint32 values[2] = {0, 0};
    for (int i = 0; i < mapping.fieldCount; ++i) {
        const UvcV4l2Mapping::Field &field = mapping.fields[i];
        switch (mapping.encoding) {
        case UvcV4l2Mapping::Plain:
            values[i] = qint32(readField(data, field.offset, field.size, field.isSigned));
            break;
        case UvcV4l2Mapping::DirectionSpeed:
            values[i] = readDirectionSpeed(data, field);
            break;
        case UvcV4l2Mapping::ExposureMode:
            if (!UvcV4l2Mapping::exposureModeToV4l2(quint8(data.at(field.offset)), &values[i]))
                return false;
            break;
        }
    }
    for (int i = 0; i < mapping.fieldCount; ++i) {
        v4l2_control control{mapping.fields[i].controlId, values[i]};
        if (node.ioctl(VIDIOC_S_CTRL, &control) != 0)
            return false;
    }
    return true;
}

bool UvcRequestBridge::readInfo(V4l2Handle &node, const UvcV4l2Mapping &mapping, QByteArray *data)
{
    v4l2_queryctrl control;
    if (!queryControl(node, mapping.fields[0].controlId, &control))
        return false;
    quint8 info = 0;
    if (!(control.flags & V4L2_CTRL_FLAG_WRITE_ONLY))
        info |= InfoSupportsGet;
    if (!(control.flags & V4L2_CTRL_FLAG_READ_ONLY))
        info |= InfoSupportsSet;
    if (control.flags & V4L2_CTRL_FLAG_INACTIVE)
        info |= InfoDisabled;
    *data = QByteArray(1, char(info));
    return true;
}

bool UvcRequestBridge::sendToExtensionUnit(V4l2Handle &node, quint8 unit, quint8 selector, UsbControlRequest &request)
{
    auto query = [&](quint8 code, QByteArray *bytes) {
        uvc_xu_control_query xu;
        std::memset(&xu, 0, sizeof xu);
        xu.unit = unit;
        xu.selector = selector;
        xu.query = code;
        xu.size = quint16(bytes->size());
        xu.data = reinterpret_cast<quint8 *>(bytes->data());
        return node.ioctl(UVCIOC_CTRL_QUERY, &xu) == 0;
    };

    if (request.bRequest == UVC_GET_LEN || request.bRequest == UVC_GET_INFO) {
        if (request.wLength != (request.bRequest == UVC_GET_LEN ? 2 : 1))
            return false;
        QByteArray bytes(request.wLength, '\0');
        if (!query(request.bRequest, &bytes))
            return false;
        request.data = bytes;
        return true;
    }

    // The control's own length and capabilities first: a request of another length would be cut or
    // padded by nobody, and one the control does not support must not reach the device.
    QByteArray length(2, '\0');
    if (!query(UVC_GET_LEN, &length) || readField(length, 0, 2, false) != request.wLength)
        return false;
    QByteArray info(1, '\0');
    if (!query(UVC_GET_INFO, &info))
        return false;
    const quint8 needed = request.bRequest == UVC_SET_CUR ? InfoSupportsSet : InfoSupportsGet;
    if (!(quint8(info.at(0)) & needed))
        return false;

    QByteArray bytes = request.bRequest == UVC_SET_CUR ? request.data.left(request.wLength)
                                                      : QByteArray(request.wLength, '\0');
    // The driver fails a transfer that moved fewer bytes than asked, so success means a whole reply.
    if (!query(request.bRequest, &bytes))
        return false;
    if (request.isDeviceToHost())
        request.data = bytes;
    return true;
}

} // namespace platform
