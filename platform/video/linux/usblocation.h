#pragma once

#include <QString>

namespace platform {

// Our USB location id: the bus number in the top byte, then one nibble per port level from the root
// hub down, like the location ids of the platforms the cameras' software came from. It keeps a camera's
// identity stable for as long as it stays in the same socket.
class UsbLocation
{
public:
    // The location of the USB device named in a sysfs path ("…/usb1/1-2/1-2.3/1-2.3.1" or anything
    // below it, such as its interfaces and video nodes). 0 with ok false when the path names no USB
    // device, or one the layout cannot hold (bus above 255, port above 15, more than six levels).
    static quint32 fromSysfsPath(const QString &path, bool *ok = nullptr);

    // "0x" and 16 hexadecimal digits: location << 32 | vendor << 16 | product.
    static QString uniqueId(quint32 locationId, quint16 vendorId, quint16 productId);

private:
    UsbLocation() = delete;
};

} // namespace platform
