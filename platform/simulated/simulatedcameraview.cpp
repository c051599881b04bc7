#include "simulated/simulatedcameraview.h"

#include "media/mediaclock.h"
#include "simulated/simulateduvcdevice.h"

#include <QMutexLocker>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr quint8 ZoomAbsolute = 0x0b;
constexpr quint8 PanTiltAbsolute = 0x0d;
constexpr quint8 PanTiltRelative = 0x0e;
constexpr quint8 RegionUnit = 6;
constexpr quint8 RegionOfInterest = 0x0f;
constexpr quint16 NoRegion = 0xffff;

quint16 u16At(const QByteArray &bytes, int offset)
{
    return bytes.size() < offset + 2 ? 0 : qFromLittleEndian<quint16>(bytes.constData() + offset);
}

qint32 i32At(const QByteArray &bytes, int offset)
{
    return bytes.size() < offset + 4 ? 0 : qFromLittleEndian<qint32>(bytes.constData() + offset);
}

QByteArray i32Pair(qint32 first, qint32 second)
{
    QByteArray bytes(8, '\0');
    qToLittleEndian<qint32>(first, bytes.data());
    qToLittleEndian<qint32>(second, bytes.data() + 4);
    return bytes;
}

int direction(char byte)
{
    switch (quint8(byte)) {
    case 0x01: return 1;
    case 0xff: return -1;
    default: return 0;
    }
}

} // namespace

SimulatedCameraView::SimulatedCameraView(SimulatedUvcDevice &uvc) : m_uvc(uvc) {}

double SimulatedCameraView::magnification(qint64 zoom, qint64 minimum, qint64 maximum)
{
    if (maximum <= minimum)
        return 1.0;
    const double share = std::clamp(double(zoom - minimum) / double(maximum - minimum), 0.0, 1.0);
    return 1.0 + share * (MaxMagnification - 1.0);
}

double SimulatedCameraView::currentMagnification() const
{
    const quint8 terminal = m_uvc.terminalUnitId();
    if (!m_uvc.hasControl(terminal, ZoomAbsolute))
        return 1.0;
    const SimulatedUvcControl zoom = m_uvc.control(terminal, ZoomAbsolute);
    return magnification(SimulatedUvcControl::signedValue(zoom.current),
                         SimulatedUvcControl::signedValue(zoom.minimum),
                         SimulatedUvcControl::signedValue(zoom.maximum));
}

bool SimulatedCameraView::hasRegion() const
{
    if (!m_uvc.hasControl(RegionUnit, RegionOfInterest))
        return false;
    const QByteArray defaults = m_uvc.control(RegionUnit, RegionOfInterest).defaultValue;
    for (int offset = 0; offset < 8; offset += 2) {
        if (u16At(defaults, offset) == NoRegion)
            return false;
    }
    return true;
}

bool SimulatedCameraView::readRegion(Region *current, Region *extent) const
{
    if (!hasRegion())
        return false;
    const SimulatedUvcControl control = m_uvc.control(RegionUnit, RegionOfInterest);
    const auto region = [](const QByteArray &bytes) {
        return Region{u16At(bytes, 0), u16At(bytes, 2), u16At(bytes, 4), u16At(bytes, 6)};
    };
    // The two range records bound the sensor, whichever way round the camera fills them.
    const Region low = region(control.minimum);
    const Region high = region(control.maximum);
    *extent = Region{std::min({low.top, low.bottom, high.top, high.bottom}),
                     std::min({low.left, low.right, high.left, high.right}),
                     std::max({low.top, low.bottom, high.top, high.bottom}),
                     std::max({low.left, low.right, high.left, high.right})};
    *current = region(control.current);
    return extent->bottom > extent->top && extent->right > extent->left;
}

void SimulatedCameraView::fitRegionToZoom()
{
    Region current, extent;
    if (!readRegion(&current, &extent))
        return;
    const double magnification = currentMagnification();
    const bool valid = current.right > current.left && current.bottom > current.top;
    const Region &around = valid ? current : extent;
    // One axis of the region: its new length about its old centre, kept inside the sensor.
    const auto fit = [magnification](int lo, int hi, int extentLo, int extentHi) {
        const int length = std::max(1, int(std::lround((extentHi - extentLo + 1) / magnification)));
        const double centre = (lo + hi + 1) / 2.0;
        const int start = std::clamp(int(std::lround(centre - length / 2.0)), extentLo, extentHi + 1 - length);
        return std::make_pair(start, start + length - 1);
    };
    const auto vertical = fit(around.top, around.bottom, extent.top, extent.bottom);
    const auto horizontal = fit(around.left, around.right, extent.left, extent.right);
    QByteArray bytes(8, '\0');
    qToLittleEndian<quint16>(quint16(vertical.first), bytes.data());
    qToLittleEndian<quint16>(quint16(horizontal.first), bytes.data() + 2);
    qToLittleEndian<quint16>(quint16(vertical.second), bytes.data() + 4);
    qToLittleEndian<quint16>(quint16(horizontal.second), bytes.data() + 6);
    m_uvc.setCurrent(RegionUnit, RegionOfInterest, bytes);
}

QPointF SimulatedCameraView::turnOffset() const
{
    const quint8 terminal = m_uvc.terminalUnitId();
    if (!m_uvc.hasControl(terminal, PanTiltAbsolute))
        return QPointF();
    const SimulatedUvcControl panTilt = m_uvc.control(terminal, PanTiltAbsolute);
    const auto share = [&](int offset) {
        const double reach = std::max(std::abs(double(i32At(panTilt.minimum, offset))),
                                      std::abs(double(i32At(panTilt.maximum, offset))));
        return reach > 0 ? i32At(panTilt.current, offset) / reach * 0.5 : 0.0;
    };
    // Tilting up looks further up the desk: the view moves up the picture.
    return QPointF(share(0), -share(4));
}

void SimulatedCameraView::runTurn()
{
    const quint8 terminal = m_uvc.terminalUnitId();
    const QByteArray motion = m_uvc.current(terminal, PanTiltRelative);
    QMutexLocker lock(&m_turnMutex);
    const qint64 now = MediaClock::monotonicNowUs();
    const qint64 elapsedUs = m_lastTurnUs < 0 ? 0 : now - m_lastTurnUs;
    m_lastTurnUs = now;
    if (motion.size() < 4 || elapsedUs <= 0 || !m_uvc.hasControl(terminal, PanTiltAbsolute))
        return;
    const int panStep = direction(motion.at(0)) * quint8(motion.at(1));
    const int tiltStep = direction(motion.at(2)) * quint8(motion.at(3));
    if (panStep == 0 && tiltStep == 0)
        return;
    const SimulatedUvcControl panTilt = m_uvc.control(terminal, PanTiltAbsolute);
    const auto turned = [&](int offset, int step) {
        const qint64 moved = i32At(panTilt.current, offset)
                             + qint64(step) * TurnRatePerSpeed * elapsedUs / 1000000;
        return qint32(std::clamp<qint64>(moved, i32At(panTilt.minimum, offset), i32At(panTilt.maximum, offset)));
    };
    m_uvc.setCurrent(terminal, PanTiltAbsolute, i32Pair(turned(0, panStep), turned(4, tiltStep)));
}

QRectF SimulatedCameraView::view()
{
    runTurn();
    Region current, extent;
    QRectF seen;
    if (readRegion(&current, &extent) && current.right > current.left && current.bottom > current.top) {
        const double width = extent.right - extent.left + 1;
        const double height = extent.bottom - extent.top + 1;
        seen = QRectF((current.left - extent.left) / width, (current.top - extent.top) / height,
                      (current.right - current.left + 1) / width, (current.bottom - current.top + 1) / height);
    } else {
        const double share = 1.0 / currentMagnification();
        seen = QRectF((1 - share) / 2, (1 - share) / 2, share, share);
    }
    return seen.translated(turnOffset());
}

void SimulatedCameraView::controlChanged(quint8 unit, quint8 selector)
{
    if (unit == m_uvc.terminalUnitId() && selector == ZoomAbsolute) {
        fitRegionToZoom();
    } else if (unit == m_uvc.terminalUnitId() && selector == PanTiltRelative) {
        // A turn runs from the moment it was asked for.
        QMutexLocker lock(&m_turnMutex);
        m_lastTurnUs = MediaClock::monotonicNowUs();
    }
}

} // namespace platform
