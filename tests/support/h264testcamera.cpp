#include "h264testcamera.h"

#include "camera/lcgeneralcameraimpl.h"
#include "video/videodeviceinfo.h"

H264TestCamera::H264TestCamera(const platform::VideoDeviceInfo &device, bool h264Off, bool defaultH264Off)
    : LCGeneralCamera(new LCGeneralCameraImpl(device)), m_h264Off(h264Off), m_defaultH264Off(defaultH264Off)
{
}

uint32_t H264TestCamera::getDisableH264(bool *disabled)
{
    *disabled = m_h264Off;
    return Success;
}

uint32_t H264TestCamera::getDefaultDisableH264(bool *disabled)
{
    *disabled = m_defaultH264Off;
    return Success;
}

uint32_t H264TestCamera::getDisableH264Range(uvc_control_range *range)
{
    range->min = 0;
    range->max = 1;
    return Success;
}

uint32_t H264TestCamera::setDisableH264(bool disabled)
{
    m_commands << QStringLiteral("setDisableH264(%1)").arg(QLatin1String(disabled ? "true" : "false"));
    m_h264Off = disabled;
    return RequestAccepted;
}

uint32_t H264TestCamera::setReboot()
{
    m_commands << QStringLiteral("setReboot()");
    return RequestAccepted;
}

uint32_t H264TestCamera::setSensorMode(float value)
{
    m_commands << QStringLiteral("setSensorMode(%1)").arg(double(value));
    return LCGeneralCamera::setSensorMode(value);
}
