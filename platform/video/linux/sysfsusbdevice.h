#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// One USB device as sysfs shows it: its ids, product name, raw descriptors and the video nodes of its
// interfaces. The folder it searches is a parameter so that tests can hand in a tree of fixtures.
class SysfsUsbDevice
{
public:
    static QString defaultRoot(); // /sys/bus/usb/devices

    // The device at a location id; invalid when none is plugged there.
    static SysfsUsbDevice findByLocation(quint32 locationId, const QString &root = defaultRoot());

    explicit SysfsUsbDevice(const QString &path = QString());

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    quint32 locationId() const;
    quint16 vendorId() const;
    quint16 productId() const;
    QString product() const;
    // Configuration descriptor 0 with all its interface and class descriptors; empty when the
    // "descriptors" file is missing or does not hold a whole one.
    QByteArray configurationDescriptor() const;
    // "/dev/videoN" for every video4linux node of the device's interfaces, in interface order.
    QStringList videoNodes() const;

private:
    QByteArray attribute(const QString &name) const;
    quint16 hexAttribute(const QString &name) const;

    QString m_path;
};

} // namespace platform
