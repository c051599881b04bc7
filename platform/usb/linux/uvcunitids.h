#pragma once

#include <QByteArray>

namespace platform {

// Where the video-control interface and its standard units are, as a camera's configuration
// descriptor tells. The defaults are those of the maker's cameras, for a descriptor we cannot read.
struct UvcUnitIds
{
    quint8 interfaceNumber = 0;
    quint8 cameraTerminalId = 1;
    quint8 processingUnitId = 2;
    bool fromDescriptor = false; // false when the defaults stand

    static UvcUnitIds fromConfigurationDescriptor(const QByteArray &descriptor);
};

} // namespace platform
