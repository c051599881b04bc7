#pragma once

#include <QMetaType>
#include <QString>

namespace platform {

// Identity of one video capture device as the platform reports it.
struct VideoDeviceInfo
{
    // "0x" followed by 16 hexadecimal digits: the USB location id in the high 32 bits, and
    // vendorId << 16 | productId in the low 32 bits.
    QString uniqueId;
    QString name;         // the localized name a user sees
    quint16 vendorId = 0;
    quint16 productId = 0;
    quint32 locationId = 0; // bus number in the top byte, then one nibble per port level
    QString node;           // the device node (/dev/videoN); empty for simulated devices
    bool muxed = false;     // delivers muxed audio and video (listed before plain video devices)
};

} // namespace platform

Q_DECLARE_METATYPE(platform::VideoDeviceInfo)
