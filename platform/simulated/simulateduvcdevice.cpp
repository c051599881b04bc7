#include "simulated/simulateduvcdevice.h"

#include <QMutexLocker>

namespace platform {

namespace {

constexpr quint8 SetRequestType = 0x21;
constexpr quint8 GetRequestType = 0xA1;
constexpr quint8 InterfaceDescriptor = 0x04;
constexpr quint8 ClassSpecificInterface = 0x24;
constexpr quint8 VideoClass = 0x0e;

void append(QByteArray &to, std::initializer_list<int> bytes)
{
    for (int b : bytes)
        to.append(char(b & 0xff));
}

} // namespace

SimulatedUvcDevice::SimulatedUvcDevice() = default;

void SimulatedUvcDevice::addControl(const SimulatedUvcControl &control)
{
    QMutexLocker lock(&m_mutex);
    m_controls.insert(key(control.unit, control.selector), control);
}

void SimulatedUvcDevice::removeControl(quint8 unit, quint8 selector)
{
    QMutexLocker lock(&m_mutex);
    m_controls.remove(key(unit, selector));
}

bool SimulatedUvcDevice::hasControl(quint8 unit, quint8 selector) const
{
    QMutexLocker lock(&m_mutex);
    return m_controls.contains(key(unit, selector));
}

SimulatedUvcControl SimulatedUvcDevice::control(quint8 unit, quint8 selector) const
{
    QMutexLocker lock(&m_mutex);
    return m_controls.value(key(unit, selector));
}

QByteArray SimulatedUvcDevice::current(quint8 unit, quint8 selector) const
{
    QMutexLocker lock(&m_mutex);
    return m_controls.value(key(unit, selector)).current;
}

void SimulatedUvcDevice::setCurrent(quint8 unit, quint8 selector, const QByteArray &value)
{
    QMutexLocker lock(&m_mutex);
    auto it = m_controls.find(key(unit, selector));
    if (it != m_controls.end())
        it->current = value.leftJustified(it->length, '\0', true);
}

quint8 SimulatedUvcDevice::terminalUnitId() const
{
    QMutexLocker lock(&m_mutex);
    return m_terminalUnitId;
}

quint8 SimulatedUvcDevice::processingUnitId() const
{
    QMutexLocker lock(&m_mutex);
    return m_processingUnitId;
}

void SimulatedUvcDevice::setProcessingUnitId(quint8 unitId)
{
    QMutexLocker lock(&m_mutex);
    QMap<int, SimulatedUvcControl> moved;
    for (SimulatedUvcControl control : qAsConst(m_controls)) {
        if (control.unit == m_processingUnitId)
            control.unit = unitId;
        moved.insert(key(control.unit, control.selector), control);
    }
    m_controls = moved;
    m_processingUnitId = unitId;
}

QList<quint8> SimulatedUvcDevice::extensionUnitIds() const
{
    QMutexLocker lock(&m_mutex);
    return m_extensionUnitIds;
}

int SimulatedUvcDevice::processingControlBit(quint8 selector)
{
    // The processing unit's bmControls bit of each selector, in the order of the UVC class.
    static const int bits[] = {-1, 8, 0, 1, 9, 10, 2, 3, 4, 5, 6, 12, 7, 13, 14, 15, 11};
    return selector < sizeof(bits) / sizeof(bits[0]) ? bits[selector] : -1;
}

quint16 SimulatedUvcDevice::processingControlsMask() const
{
    QMutexLocker lock(&m_mutex);
    if (m_maskForced)
        return m_forcedMask;
    quint16 mask = 0;
    for (const SimulatedUvcControl &control : m_controls) {
        const int bit = control.unit == m_processingUnitId ? processingControlBit(control.selector) : -1;
        if (bit >= 0)
            mask |= quint16(1u << bit);
    }
    return mask;
}

void SimulatedUvcDevice::forceProcessingControlsMask(quint16 mask)
{
    QMutexLocker lock(&m_mutex);
    m_maskForced = true;
    m_forcedMask = mask;
}

QByteArray SimulatedUvcDevice::configurationDescriptor() const
{
    {
        QMutexLocker lock(&m_mutex);
        if (m_descriptorSet)
            return m_descriptor;
    }
    return builtDescriptor();
}

void SimulatedUvcDevice::setConfigurationDescriptor(const QByteArray &descriptor)
{
    QMutexLocker lock(&m_mutex);
    m_descriptorSet = true;
    m_descriptor = descriptor;
}

QByteArray SimulatedUvcDevice::builtDescriptor() const
{
    const quint16 mask = processingControlsMask();
    QMutexLocker lock(&m_mutex);
    QByteArray body;
    // Interface association, then the video-control interface and its class-specific descriptors.
    append(body, {8, 0x0b, 0, 2, VideoClass, 3, 0, 0});
    append(body, {9, InterfaceDescriptor, 0, 0, 1, VideoClass, 1, 0, 0});
    append(body, {13, ClassSpecificInterface, 1, 0x10, 0x01, 0, 0, 0x80, 0x8d, 0x5b, 0, 1, 1});
    append(body, {18, ClassSpecificInterface, 2, m_terminalUnitId, 0x01, 0x02, 0, 0, 0, 0, 0, 0, 0, 0,
                  3, 0x0e, 0xfe, 0x03});
    append(body, {11, ClassSpecificInterface, 5, m_processingUnitId, m_terminalUnitId, 0, 0, 2,
                  mask & 0xff, mask >> 8, 0});
    quint8 source = m_processingUnitId;
    for (quint8 unit : m_extensionUnitIds) {
        QByteArray extension;
        append(extension, {ClassSpecificInterface, 6, unit});
        extension.append(QByteArray(16, char(unit))); // the unit's GUID
        append(extension, {24, 1, source, 2, 0xff, 0xff, 0});
        body.append(char(extension.size() + 1)).append(extension);
        source = unit;
    }
    append(body, {9, ClassSpecificInterface, 3, 7, 0x01, 0x01, 0, source, 0});
    // The video-streaming interface ends the video-control part.
    append(body, {9, InterfaceDescriptor, 1, 0, 1, VideoClass, 2, 0, 0});

    QByteArray descriptor;
    const int total = body.size() + 9;
    append(descriptor, {9, 0x02, total & 0xff, total >> 8, 2, 1, 0, 0x80, 250});
    return descriptor + body;
}

bool SimulatedUvcDevice::handle(UsbControlRequest &request)
{
    ChangeObserver observer;
    bool accepted = false;
    {
        QMutexLocker lock(&m_mutex);
        if (m_allFailing) {
            accepted = false;
        } else if (m_failNext > 0 && m_passBeforeFailing == 0) {
            --m_failNext;
        } else if (!m_failingControls.contains(key(request.wIndex >> 8, request.wValue >> 8))) {
            accepted = answer(request);
            if (m_passBeforeFailing > 0)
                --m_passBeforeFailing;
        }
        if (!accepted && request.isDeviceToHost())
            request.data.clear();
        m_log.append({request, accepted});
        if (accepted && request.bmRequestType == SetRequestType)
            observer = m_changeObserver;
    }
    // Outside the lock: the observer reads and writes other controls.
    if (observer)
        observer(quint8(request.wIndex >> 8), quint8(request.wValue >> 8));
    return accepted;
}

void SimulatedUvcDevice::setChangeObserver(ChangeObserver observer)
{
    QMutexLocker lock(&m_mutex);
    m_changeObserver = std::move(observer);
}

bool SimulatedUvcDevice::answer(UsbControlRequest &request)
{
    auto it = m_controls.find(key(request.wIndex >> 8, request.wValue >> 8));
    if (it == m_controls.end() || (request.wValue & 0xff) != 0)
        return false;
    SimulatedUvcControl &control = *it;

    if (request.bmRequestType == SetRequestType && request.bRequest == SetCur)
        return answerSet(control, request);
    if (request.bmRequestType != GetRequestType)
        return false;

    QByteArray reply;
    switch (request.bRequest) {
    case GetCur: reply = control.current; break;
    case GetMin: reply = control.minimum; break;
    case GetMax: reply = control.maximum; break;
    case GetRes: reply = control.resolution; break;
    case GetDef: reply = control.defaultValue; break;
    case GetLen: reply = SimulatedUvcControl::bytes(control.length, 2); break;
    case GetInfo: reply = QByteArray(1, char(control.info)); break;
    default: return false;
    }
    if (!(control.info & 0x01) && request.bRequest == GetCur)
        return false;
    if (request.wLength != reply.size())
        return false;
    request.data = reply;
    return true;
}

bool SimulatedUvcDevice::answerSet(SimulatedUvcControl &control, const UsbControlRequest &request)
{
    if (!(control.info & 0x02) || request.wLength != control.length
        || request.data.size() != control.length)
        return false;
    if (control.scalar) {
        const qint64 value = SimulatedUvcControl::signedValue(request.data);
        if (value < SimulatedUvcControl::signedValue(control.minimum)
            || value > SimulatedUvcControl::signedValue(control.maximum))
            return false;
    }
    control.current = request.data;
    return true;
}

QList<SimulatedUvcDevice::LoggedRequest> SimulatedUvcDevice::requestLog() const
{
    QMutexLocker lock(&m_mutex);
    return m_log;
}

void SimulatedUvcDevice::clearRequestLog()
{
    QMutexLocker lock(&m_mutex);
    m_log.clear();
}

void SimulatedUvcDevice::failNextRequests(int count, int after)
{
    QMutexLocker lock(&m_mutex);
    m_failNext = count;
    m_passBeforeFailing = after;
}

void SimulatedUvcDevice::setControlFailing(quint8 unit, quint8 selector, bool failing)
{
    QMutexLocker lock(&m_mutex);
    m_failingControls.removeAll(key(unit, selector));
    if (failing)
        m_failingControls.append(key(unit, selector));
}

void SimulatedUvcDevice::setAllFailing(bool failing)
{
    QMutexLocker lock(&m_mutex);
    m_allFailing = failing;
}

} // namespace platform
