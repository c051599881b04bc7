#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

namespace platform {

// The maker's HID interface of one camera: 512-byte output reports out, input reports in. The
// interface is found through the USB device that also carries the camera's video interface (its
// location), so two identical cameras each reach their own; vendor and product ids only narrow the
// match, they never make it.
class HidChannel
{
public:
    static constexpr int ReportSize = 512;

    // The HID interface below the USB device at the location; with non-zero ids the device must
    // carry them as well. Null when there is none or it cannot be opened.
    static std::unique_ptr<HidChannel> openByLocation(quint32 locationId, quint16 vendorId = 0,
                                                      quint16 productId = 0);

    virtual ~HidChannel() = default;

    // Writes one report whose first byte is the report id. The number of bytes written, -1 on failure.
    virtual int write(const quint8 *data, int length) = 0;
    // Waits at most timeoutMs for the next input report and copies at most length bytes of it. The
    // number of bytes copied, 0 when the time ran out, -1 when the device is gone or failed.
    virtual int read(quint8 *buffer, int length, int timeoutMs) = 0;

    virtual QString manufacturer() const = 0;
    virtual QString product() const = 0;
    virtual QString serialNumber() const = 0;
};

} // namespace platform
