#include "camera/cameraidentity.h"

#include <cctype>

CameraIdentity CameraIdentity::fromUniqueId(const QString &uniqueId)
{
    CameraIdentity identity;
    if (!uniqueId.startsWith(QLatin1String("0x")) || uniqueId.size() != 18)
        return identity;
    bool ok = false;
    const uint64_t id = uniqueId.midRef(2).toULongLong(&ok, 16);
    // toULongLong accepts a sign or blanks; only hexadecimal digits make an id.
    for (QChar c : uniqueId.midRef(2)) {
        if (!isxdigit(c.toLatin1()))
            ok = false;
    }
    if (!ok)
        return identity;
    identity.uniqueId = id;
    identity.productId = uint16_t(id & 0xffff);
    identity.vendorId = uint16_t((id >> 16) & 0xffff);
    identity.locationId = uint32_t(id >> 32);
    return identity;
}
