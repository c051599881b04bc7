#include "video/linux/usblocation.h"

#include <QRegularExpression>
#include <QStringList>
#include <QVector>

namespace platform {

namespace {

constexpr int MaxPortLevels = 6;
constexpr uint MaxBus = 0xff;
constexpr uint MaxPort = 0xf;

bool composeLocation(uint bus, const QVector<uint> &ports, quint32 *location)
{
    if (bus == 0 || bus > MaxBus || ports.size() > MaxPortLevels)
        return false;
    quint32 value = quint32(bus) << 24;
    for (int level = 0; level < ports.size(); ++level) {
        // Port numbers start at 1; a 0 nibble marks the end of the chain.
        if (ports.at(level) == 0 || ports.at(level) > MaxPort)
            return false;
        value |= quint32(ports.at(level)) << (20 - 4 * level);
    }
    *location = value;
    return true;
}

} // namespace

quint32 UsbLocation::fromSysfsPath(const QString &path, bool *ok)
{
    // A USB device is named "<bus>-<port>[.<port>...]" and its root hub "usb<bus>"; interfaces carry a
    // ":" and lie below the device, so the last name of either form is the device itself.
    static const QRegularExpression deviceName(QStringLiteral("^([0-9]+)-([0-9]+(?:\\.[0-9]+)*)$"));
    static const QRegularExpression rootHubName(QStringLiteral("^usb([0-9]+)$"));

    if (ok)
        *ok = false;
    const QStringList names = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto it = names.crbegin(); it != names.crend(); ++it) {
        QVector<uint> ports;
        uint bus = 0;
        const QRegularExpressionMatch device = deviceName.match(*it);
        if (device.hasMatch()) {
            bus = device.captured(1).toUInt();
            const QStringList chain = device.captured(2).split(QLatin1Char('.'));
            for (const QString &port : chain)
                ports.append(port.size() > 3 ? 1000 : port.toUInt());
        } else {
            const QRegularExpressionMatch root = rootHubName.match(*it);
            if (!root.hasMatch())
                continue;
            bus = root.captured(1).toUInt();
        }
        quint32 location = 0;
        if (!composeLocation(bus, ports, &location))
            return 0;
        if (ok)
            *ok = true;
        return location;
    }
    return 0;
}

QString UsbLocation::uniqueId(quint32 locationId, quint16 vendorId, quint16 productId)
{
    const quint64 id = quint64(locationId) << 32 | quint64(vendorId) << 16 | productId;
    return QStringLiteral("0x%1").arg(id, 16, 16, QLatin1Char('0'));
}

} // namespace platform
