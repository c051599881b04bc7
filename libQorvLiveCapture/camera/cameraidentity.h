#pragma once

#include "qorvlivecaptureglobal.h"

#include <QString>

#include <cstdint>

// The numbers a camera's unique-id string carries: "0x" and 16 hexadecimal digits, the USB location
// id in the high 32 bits and vendor << 16 | product in the low 32 bits.
struct QORVLIVECAPTURE_EXPORT CameraIdentity
{
    uint64_t uniqueId = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint32_t locationId = 0;

    // All zero for a string that is not of that form.
    static CameraIdentity fromUniqueId(const QString &uniqueId);
    // Hot-plug follows only devices whose ids can be read and whose vendor and product are not 0.
    bool isFollowable() const { return (uniqueId & 0xffffffffu) != 0; }
};
