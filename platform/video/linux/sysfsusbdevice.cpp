#include "video/linux/sysfsusbdevice.h"

#include "video/linux/usblocation.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace platform {

namespace {

constexpr int DeviceDescriptorSize = 18;
constexpr int ConfigurationHeaderSize = 9;
constexpr quint8 ConfigurationDescriptorType = 2;
// sysfs attributes are at most a page; "descriptors" holds every configuration, each below 64 KiB.
constexpr qint64 MaxAttributeSize = 1024 * 1024;

// Names such as "video10" or "1-2:1.10" in the order of their trailing number, so that video2 comes
// before video10 (QCollator's numeric mode needs ICU, which a C locale lacks).
QStringList naturallySorted(QStringList names)
{
    auto split = [](const QString &name) {
        int digits = name.size();
        while (digits > 0 && name.at(digits - 1).isDigit())
            --digits;
        return qMakePair(name.left(digits), name.mid(digits).toULongLong());
    };
    std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) { return split(a) < split(b); });
    return names;
}

} // namespace

QString SysfsUsbDevice::defaultRoot()
{
    return QStringLiteral("/sys/bus/usb/devices");
}

SysfsUsbDevice SysfsUsbDevice::findByLocation(quint32 locationId, const QString &root)
{
    const QStringList names = QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : names) {
        if (name.contains(QLatin1Char(':'))) // an interface, not a device
            continue;
        bool ok = false;
        if (UsbLocation::fromSysfsPath(name, &ok) == locationId && ok)
            return SysfsUsbDevice(root + QLatin1Char('/') + name);
    }
    return SysfsUsbDevice();
}

SysfsUsbDevice::SysfsUsbDevice(const QString &path) : m_path(path) {}

quint32 SysfsUsbDevice::locationId() const
{
    return UsbLocation::fromSysfsPath(m_path);
}

quint16 SysfsUsbDevice::vendorId() const
{
    return hexAttribute(QStringLiteral("idVendor"));
}

quint16 SysfsUsbDevice::productId() const
{
    return hexAttribute(QStringLiteral("idProduct"));
}

QString SysfsUsbDevice::product() const
{
    return QString::fromUtf8(attribute(QStringLiteral("product")).trimmed());
}

QByteArray SysfsUsbDevice::configurationDescriptor() const
{
    // The file is the device descriptor followed by the configurations, each as wTotalLength bytes.
    const QByteArray all = attribute(QStringLiteral("descriptors"));
    if (all.size() < DeviceDescriptorSize + ConfigurationHeaderSize)
        return QByteArray();
    const QByteArray configuration = all.mid(DeviceDescriptorSize);
    if (quint8(configuration.at(1)) != ConfigurationDescriptorType)
        return QByteArray();
    const int totalLength = quint8(configuration.at(2)) | quint8(configuration.at(3)) << 8;
    if (totalLength < ConfigurationHeaderSize || totalLength > configuration.size())
        return QByteArray();
    return configuration.left(totalLength);
}

QStringList SysfsUsbDevice::videoNodes() const
{
    QStringList nodes;
    if (!isValid())
        return nodes;
    const QDir device(m_path);
    const QString interfacePrefix = device.dirName() + QLatin1Char(':');
    const QStringList interfaces = naturallySorted(
        device.entryList({interfacePrefix + QLatin1Char('*')}, QDir::Dirs | QDir::NoDotAndDotDot));
    for (const QString &interface : interfaces) {
        const QDir v4l(device.filePath(interface + QStringLiteral("/video4linux")));
        const QStringList names = naturallySorted(
            v4l.entryList({QStringLiteral("video*")}, QDir::Dirs | QDir::NoDotAndDotDot));
        for (const QString &name : names)
            nodes.append(QStringLiteral("/dev/") + name);
    }
    return nodes;
}

QByteArray SysfsUsbDevice::attribute(const QString &name) const
{
    if (!isValid())
        return QByteArray();
    QFile file(m_path + QLatin1Char('/') + name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(MaxAttributeSize);
}

quint16 SysfsUsbDevice::hexAttribute(const QString &name) const
{
    bool ok = false;
    const uint value = attribute(name).trimmed().toUInt(&ok, 16);
    return ok && value <= 0xffff ? quint16(value) : 0;
}

} // namespace platform
