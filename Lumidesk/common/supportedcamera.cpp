#include "common/supportedcamera.h"

namespace {

const quint16 MakerVendor = 0x2574;
const quint16 PartnerVendor = 0x07CA;
// The maker's own products are numbered below this; the partner sells two models.
const quint16 MakerProductLimit = 0x2000;
const quint16 PartnerProduct = 0x0110;

} // namespace

bool IsSupportVPID(quint16 vid, quint16 pid)
{
    if (vid == MakerVendor)
        return pid < MakerProductLimit;
    if (vid == PartnerVendor)
        return (pid & ~quint16(1)) == PartnerProduct;
    return false;
}

bool IsSupportVID(quint16 vid)
{
    return vid == PartnerVendor || vid == MakerVendor;
}

bool IsSupportPID(quint16 pid)
{
    return pid < MakerProductLimit;
}
