#include "simulated/simulatedcamera.h"

#include "media/jpegencoder.h"
#include "simulated/simulatedframegenerator.h"

#include <QMutexLocker>
#include <QSharedPointer>

namespace platform {

namespace {

constexpr quint8 Terminal = 1;
constexpr quint8 Processing = 2;
constexpr quint8 ExtensionA = 5;
constexpr quint8 ExtensionB = 6;

FrameRateRange discreteRate(quint32 fps)
{
    FrameRateRange range;
    range.minFrameRate = range.maxFrameRate = fps;
    range.minFrameDuration = range.maxFrameDuration = FrameDuration{1, fps};
    return range;
}

QByteArray int32Pair(qint32 first, qint32 second)
{
    return SimulatedUvcControl::bytes(first, 4) + SimulatedUvcControl::bytes(second, 4);
}

QByteArray roi(quint16 top, quint16 left, quint16 bottom, quint16 right)
{
    return SimulatedUvcControl::bytes(top, 2) + SimulatedUvcControl::bytes(left, 2)
           + SimulatedUvcControl::bytes(bottom, 2) + SimulatedUvcControl::bytes(right, 2);
}

} // namespace

SimulatedCamera::SimulatedCamera(const VideoDeviceInfo &info) : m_info(info), m_view(m_uvc)
{
    m_uvc.setChangeObserver([this](quint8 unit, quint8 selector) { m_view.controlChanged(unit, selector); });
    m_hid.setSnapshotSource([this] { return highQualityPicture(); });
    m_formats = standardFormats();
    m_activeMinFrameDuration = m_formats.first().frameRateRanges.last().minFrameDuration;
}

QString SimulatedCamera::uniqueIdFor(quint32 locationId, quint16 vendorId, quint16 productId)
{
    const quint64 id = quint64(locationId) << 32 | quint32(vendorId) << 16 | productId;
    return QStringLiteral("0x%1").arg(id, 16, 16, QLatin1Char('0'));
}

QSharedPointer<SimulatedCamera> SimulatedCamera::makeStandard(quint16 productId, quint32 locationId,
                                                              const QString &name)
{
    VideoDeviceInfo info;
    info.uniqueId = uniqueIdFor(locationId, MakerVendorId, productId);
    info.name = name;
    info.vendorId = MakerVendorId;
    info.productId = productId;
    info.locationId = locationId;
    auto camera = QSharedPointer<SimulatedCamera>::create(info);
    addStandardControls(camera->uvc(), productId == 0x0701);
    return camera;
}

QList<CaptureFormat> SimulatedCamera::standardFormats()
{
    static const QList<QPair<int, int>> sizes{{640, 480}, {1280, 720}, {1920, 1080}, {3840, 2160}};
    QList<CaptureFormat> formats;
    for (const QByteArray &subtype : {QByteArray("jpeg"), QByteArray("yuvs")}) {
        for (const auto &size : sizes) {
            CaptureFormat format;
            format.subtype = subtype;
            format.width = size.first;
            format.height = size.second;
            for (quint32 fps : {5u, 15u, 30u, 60u})
                format.frameRateRanges.append(discreteRate(fps));
            formats.append(format);
        }
    }
    return formats;
}

void SimulatedCamera::addStandardControls(SimulatedUvcDevice &device, bool hqSnapshot)
{
    using C = SimulatedUvcControl;
    // Processing unit.
    device.addControl(C::number(Processing, 0x01, 2, 0, 2, 1));        // backlight compensation
    device.addControl(C::number(Processing, 0x02, 2, -64, 64, 0));     // brightness
    device.addControl(C::number(Processing, 0x03, 2, 0, 100, 50));     // contrast
    device.addControl(C::number(Processing, 0x04, 2, 0, 100, 0));      // gain
    device.addControl(C::number(Processing, 0x05, 1, 0, 2, 1));        // power-line frequency
    device.addControl(C::number(Processing, 0x06, 2, -180, 180, 0));   // hue
    device.addControl(C::number(Processing, 0x07, 2, 0, 100, 60));     // saturation
    device.addControl(C::number(Processing, 0x08, 2, 0, 7, 3));        // sharpness
    device.addControl(C::number(Processing, 0x09, 2, 100, 500, 300));  // gamma
    device.addControl(C::number(Processing, 0x0a, 2, 2800, 6500, 4600, 10)); // white-balance temperature
    device.addControl(C::number(Processing, 0x0b, 1, 0, 1, 1));        // white-balance temperature auto
    device.addControl(C::fields(Processing, 0x0c, 4)); // white-balance component
    device.addControl(C::number(Processing, 0x0d, 1, 0, 1, 1));        // white-balance component auto
    device.addControl(C::number(Processing, 0x0e, 2, 100, 400, 100));  // digital multiplier
    device.addControl(C::number(Processing, 0x0f, 2, 100, 400, 400));  // digital multiplier limit
    device.addControl(C::number(Processing, 0x10, 1, 0, 1, 0));        // hue auto
    device.addControl(C::number(Processing, 0x11, 1, 0, 1, 0));        // analog video standard
    device.addControl(C::number(Processing, 0x12, 1, 0, 1, 0));        // analog lock status

    // Camera terminal.
    device.addControl(C::number(Terminal, 0x01, 1, 0, 1, 0));          // scanning mode
    SimulatedUvcControl autoExposure = C::number(Terminal, 0x02, 1, 1, 8, 8);
    autoExposure.resolution = C::bytes(0x09, 1); // manual and aperture priority modes
    device.addControl(autoExposure);
    device.addControl(C::number(Terminal, 0x03, 1, 0, 1, 0));          // auto-exposure priority
    device.addControl(C::number(Terminal, 0x04, 4, 3, 2047, 156));     // exposure time absolute
    device.addControl(C::fields(Terminal, 0x05, 1));                   // exposure time relative
    device.addControl(C::number(Terminal, 0x06, 2, 0, 1023, 68));      // focus absolute
    device.addControl(C::fields(Terminal, 0x07, 2));                   // focus relative
    device.addControl(C::number(Terminal, 0x08, 1, 0, 1, 1));          // focus auto
    device.addControl(C::number(Terminal, 0x09, 2, 16, 160, 16));      // iris absolute
    device.addControl(C::fields(Terminal, 0x0a, 1));                   // iris relative
    device.addControl(C::number(Terminal, 0x0b, 2, 0, 30, 0));         // zoom absolute
    device.addControl(C::fields(Terminal, 0x0c, 3));                   // zoom relative
    SimulatedUvcControl panTilt = C::fields(Terminal, 0x0d, 8, int32Pair(0, 0));
    panTilt.minimum = int32Pair(-36000, -36000);
    panTilt.maximum = int32Pair(36000, 36000);
    panTilt.resolution = int32Pair(3600, 3600);
    panTilt.defaultValue = int32Pair(0, 0);
    device.addControl(panTilt);                                        // pan-tilt absolute
    device.addControl(C::fields(Terminal, 0x0e, 4));                   // pan-tilt relative
    device.addControl(C::number(Terminal, 0x0f, 2, 0, 359, 0));        // roll absolute
    device.addControl(C::fields(Terminal, 0x10, 2));                   // roll relative
    device.addControl(C::number(Terminal, 0x11, 1, 0, 1, 0));          // privacy

    // The maker's extension units.
    device.addControl(C::number(ExtensionB, 0x0e, 1, 0, 2, 0));        // sensor mode
    device.addControl(C::number(ExtensionA, 0x10, 1, 0, 3, 0));        // image orientation, mirror
    device.addControl(C::number(ExtensionA, 0x0f, 1, 0, 1, 0));        // flip
    device.addControl(C::number(ExtensionA, 0x0e, 1, 0, 1, 0));        // noise reduction
    // The region of interest of a 3840 x 2160 sensor. Both range records are the whole sensor: the
    // window's pan rules bound the region's low edges by either record and its high edges by either,
    // depending on the picture's rotation.
    SimulatedUvcControl region = C::fields(ExtensionB, 0x0f, 8, roi(0, 0, 2159, 3839));
    region.maximum = roi(0, 0, 2159, 3839);
    region.minimum = roi(0, 0, 2159, 3839);
    region.defaultValue = roi(0, 0, 2159, 3839);
    device.addControl(region);                                         // region of interest
    device.addControl(C::number(ExtensionB, 0x10, 1, 0, 1, 0));        // ceiling
    device.addControl(C::number(ExtensionB, 0x11, 1, 0, 1, 1));        // microphone
    device.addControl(C::number(ExtensionB, 0x12, 1, 0, 1, 0));
    device.addControl(C::number(ExtensionB, 0x13, 1, 0, 1, 0));        // HDMI audio out
    device.addControl(C::fields(ExtensionA, 0x14, 32, "1.0.7"));      // firmware version
    for (quint8 selector = 0x01; selector <= 0x06; ++selector)
        device.addControl(C::fields(ExtensionA, selector, 60));
    device.addControl(C::fields(ExtensionA, 0x07, 32));
    device.addControl(C::fields(ExtensionA, 0x0d, 12, "SPK-2.1"));    // peripheral version
    device.addControl(C::fields(ExtensionA, 0x91, 4));
    device.addControl(C::fields(ExtensionA, 0x92, 508));
    device.addControl(C::number(ExtensionB, 0x15, 1, 0, 1, hqSnapshot ? 1 : 0)); // HQ snapshot support
}

SimulatedImageControls SimulatedCamera::imageControls() const
{
    return SimulatedImageControls::read(m_uvc);
}

QByteArray SimulatedCamera::highQualityPicture()
{
    QSize largest;
    for (const CaptureFormat &format : formats()) {
        if (qint64(format.width) * format.height > qint64(largest.width()) * largest.height())
            largest = QSize(format.width, format.height);
    }
    if (largest.isEmpty())
        return QByteArray();
    SimulatedFrameGenerator generator;
    QImage picture;
    generator.render(picture, largest, 0, view(), imageControls());
    QByteArray jpeg;
    JpegEncoder::encode(picture, 0.9, &jpeg);
    return jpeg;
}

bool SimulatedCamera::isConnected() const
{
    QMutexLocker lock(&m_mutex);
    return m_connected;
}

void SimulatedCamera::setConnected(bool connected)
{
    {
        QMutexLocker lock(&m_mutex);
        m_connected = connected;
    }
    // A camera that is gone answers nothing.
    m_uvc.setAllFailing(!connected);
}

QList<CaptureFormat> SimulatedCamera::formats() const
{
    QMutexLocker lock(&m_mutex);
    return m_formats;
}

void SimulatedCamera::setFormats(const QList<CaptureFormat> &formats)
{
    QMutexLocker lock(&m_mutex);
    m_formats = formats;
    m_activeFormat = formats.isEmpty() ? -1 : 0;
    m_activeMinFrameDuration = formats.isEmpty() || formats.first().frameRateRanges.isEmpty()
                                   ? FrameDuration()
                                   : formats.first().frameRateRanges.last().minFrameDuration;
}

int SimulatedCamera::activeFormatIndex() const
{
    QMutexLocker lock(&m_mutex);
    return m_activeFormat;
}

FrameDuration SimulatedCamera::activeMinFrameDuration() const
{
    QMutexLocker lock(&m_mutex);
    return m_activeMinFrameDuration;
}

bool SimulatedCamera::lockForConfiguration()
{
    QMutexLocker lock(&m_mutex);
    if (!m_connected || m_lockRefused)
        return false;
    m_locked = true;
    return true;
}

void SimulatedCamera::unlockForConfiguration()
{
    QMutexLocker lock(&m_mutex);
    m_locked = false;
}

bool SimulatedCamera::isLocked() const
{
    QMutexLocker lock(&m_mutex);
    return m_locked;
}

void SimulatedCamera::setLockRefused(bool refused)
{
    QMutexLocker lock(&m_mutex);
    m_lockRefused = refused;
}

bool SimulatedCamera::setActiveFormat(int index)
{
    QMutexLocker lock(&m_mutex);
    if (!m_connected || !m_locked || index < 0 || index >= m_formats.size())
        return false;
    m_activeFormat = index;
    // A device keeps its rate when the new format offers it, else it falls back to the fastest one.
    const QList<FrameRateRange> &ranges = m_formats.at(index).frameRateRanges;
    for (const FrameRateRange &range : ranges) {
        if (range.minFrameDuration == m_activeMinFrameDuration)
            return true;
    }
    m_activeMinFrameDuration = ranges.isEmpty() ? FrameDuration() : ranges.last().minFrameDuration;
    return true;
}

bool SimulatedCamera::setActiveMinFrameDuration(const FrameDuration &duration)
{
    QMutexLocker lock(&m_mutex);
    if (!m_connected || !m_locked || m_activeFormat < 0)
        return false;
    for (const FrameRateRange &range : m_formats.at(m_activeFormat).frameRateRanges) {
        if (range.minFrameDuration == duration) {
            m_activeMinFrameDuration = duration;
            return true;
        }
    }
    return false;
}

} // namespace platform
