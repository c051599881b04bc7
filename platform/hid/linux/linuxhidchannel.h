#pragma once

#include "hid/hidchannel.h"

#include <memory>

struct hid_device_;

namespace platform {

// The HID channel on hidapi's hidraw backend. Every hidraw node of the system is tried, and the one
// whose USB device sits at the camera's location is opened.
class LinuxHidChannel : public HidChannel
{
public:
    static std::unique_ptr<HidChannel> open(quint32 locationId, quint16 vendorId, quint16 productId);
    // The USB location of a hidraw node ("/dev/hidraw3"), read from the sysfs tree at sysfsRoot;
    // 0 when the node is not on a USB device.
    static quint32 locationOfNode(const QString &devicePath,
                                  const QString &sysfsRoot = QStringLiteral("/sys"));

    ~LinuxHidChannel() override;
    LinuxHidChannel(const LinuxHidChannel &) = delete;
    LinuxHidChannel &operator=(const LinuxHidChannel &) = delete;

    int write(const quint8 *data, int length) override;
    int read(quint8 *buffer, int length, int timeoutMs) override;
    QString manufacturer() const override;
    QString product() const override;
    QString serialNumber() const override;

private:
    explicit LinuxHidChannel(hid_device_ *device);

    hid_device_ *m_device;
};

} // namespace platform
