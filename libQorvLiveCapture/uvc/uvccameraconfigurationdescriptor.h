#pragma once

#include "qorvlivecaptureglobal.h"

#include <QByteArray>

#include <cstdint>
#include <memory>

// The unit ids and processing-unit controls that a camera's configuration descriptor declares for its
// video-control interface.
class QORVLIVECAPTURE_EXPORT UVCCameraConfigurationDescriptor
{
public:
    // Null for a missing descriptor or one shorter than 3 bytes. A malformed descriptor still gives an
    // object, with whatever was read before the fault.
    static std::unique_ptr<UVCCameraConfigurationDescriptor> initWithData(const QByteArray &data);

    uint8_t videoDeviceClassVersion() const { return m_videoDeviceClassVersion; }
    uint8_t terminalUnitId() const { return m_terminalUnitId; }
    uint8_t processUnitId() const { return m_processUnitId; }
    uint16_t processControls() const { return m_processControls; }
    uint8_t extensionUnitId() const { return m_extensionUnitId; }

    // Bit n of the processing unit's bmControls (0 brightness, 6 white-balance temperature, 7
    // white-balance component, 12 white-balance temperature auto, ...).
    bool isSupportProcessingUnitItem(int bit) const;

private:
    UVCCameraConfigurationDescriptor() = default;
    void parse(const QByteArray &data);
    void parseVideoControl(const uint8_t *data, int length);

    uint8_t m_videoDeviceClassVersion = 0;
    uint8_t m_terminalUnitId = 0;
    uint8_t m_processUnitId = 0;
    uint16_t m_processControls = 0;
    uint8_t m_extensionUnitId = 0;
};
