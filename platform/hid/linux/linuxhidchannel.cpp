#include "hid/linux/linuxhidchannel.h"

#include "video/linux/usblocation.h"

#include <QFileInfo>
#include <QLoggingCategory>

#include <hidapi.h>

#include <cwchar>

namespace platform {

namespace {

Q_LOGGING_CATEGORY(lcHid, "lumidesk.platform.hid", QtWarningMsg)

constexpr int MaxStringLength = 256;

bool initialiseHidapi()
{
    // hid_init is idempotent; it only fails when the backend cannot start at all.
    static const bool ready = hid_init() == 0;
    return ready;
}

using StringGetter = int (*)(hid_device *, wchar_t *, size_t);

QString deviceString(hid_device *device, StringGetter getter)
{
    wchar_t text[MaxStringLength] = {};
    if (!device || getter(device, text, MaxStringLength) != 0)
        return QString();
    text[MaxStringLength - 1] = L'\0';
    return QString::fromWCharArray(text);
}

} // namespace

quint32 LinuxHidChannel::locationOfNode(const QString &devicePath, const QString &sysfsRoot)
{
    const QString node = QFileInfo(devicePath).fileName();
    if (!node.startsWith(QLatin1String("hidraw")))
        return 0;
    // The class entry links into the device tree, below the USB interface that carries the node.
    const QString real =
        QFileInfo(sysfsRoot + QLatin1String("/class/hidraw/") + node).canonicalFilePath();
    if (real.isEmpty())
        return 0;
    return UsbLocation::fromSysfsPath(real);
}

std::unique_ptr<HidChannel> LinuxHidChannel::open(quint32 locationId, quint16 vendorId,
                                                  quint16 productId)
{
    if (!initialiseHidapi())
        return nullptr;
    hid_device_info *devices = hid_enumerate(vendorId, productId);
    hid_device *opened = nullptr;
    for (hid_device_info *info = devices; info && !opened; info = info->next) {
        if (!info->path || locationOfNode(QString::fromLocal8Bit(info->path)) != locationId)
            continue;
        opened = hid_open_path(info->path);
        if (!opened)
            qCWarning(lcHid, "Cannot open %s (is the udev rule installed?)", info->path);
    }
    hid_free_enumeration(devices);
    if (!opened)
        return nullptr;
    return std::unique_ptr<HidChannel>(new LinuxHidChannel(opened));
}

LinuxHidChannel::LinuxHidChannel(hid_device *device) : m_device(device) {}

LinuxHidChannel::~LinuxHidChannel()
{
    hid_close(m_device);
}

int LinuxHidChannel::write(const quint8 *data, int length)
{
    if (!data || length <= 0)
        return -1;
    return hid_write(m_device, data, size_t(length));
}

int LinuxHidChannel::read(quint8 *buffer, int length, int timeoutMs)
{
    if (!buffer || length <= 0)
        return -1;
    return hid_read_timeout(m_device, buffer, size_t(length), qMax(0, timeoutMs));
}

QString LinuxHidChannel::manufacturer() const
{
    return deviceString(m_device, hid_get_manufacturer_string);
}

QString LinuxHidChannel::product() const
{
    return deviceString(m_device, hid_get_product_string);
}

QString LinuxHidChannel::serialNumber() const
{
    return deviceString(m_device, hid_get_serial_number_string);
}

} // namespace platform
