#pragma once

#include "camera/lcgeneralcamera.h"

#include <QStringList>

namespace platform {
struct VideoDeviceInfo;
}

// A simulated camera of the maker that also has the H.264 output, which the capture library's cameras
// report as not supported: its switch, its default and the reboot that applies it. Every other control
// is the simulated device's. The commands that change the camera across a reboot are logged in the
// order they arrive, so a test can tell what a reboot carried.
class H264TestCamera : public LCGeneralCamera
{
public:
    explicit H264TestCamera(const platform::VideoDeviceInfo &device, bool h264Off = false,
                            bool defaultH264Off = false);

    // "setDisableH264(true)", "setSensorMode(1)", "setReboot()", ... in call order.
    QStringList rebootCommands() const { return m_commands; }
    bool isH264Off() const { return m_h264Off; }

    uint32_t getDisableH264(bool *disabled) override;
    uint32_t getDefaultDisableH264(bool *disabled) override;
    uint32_t getDisableH264Range(uvc_control_range *range) override;
    uint32_t setDisableH264(bool disabled) override;
    uint32_t setReboot() override;
    uint32_t setSensorMode(float value) override;

private:
    bool m_h264Off;
    const bool m_defaultH264Off;
    QStringList m_commands;
};
