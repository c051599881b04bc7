#include "usb/linux/uvcunitids.h"

namespace platform {

namespace {

constexpr quint8 InterfaceDescriptorType = 0x04;
constexpr quint8 ClassSpecificInterfaceType = 0x24;
constexpr quint8 VideoClass = 0x0e;
constexpr quint8 VideoControlSubclass = 0x01;
constexpr quint8 InputTerminalSubtype = 0x02;
constexpr quint8 ProcessingUnitSubtype = 0x05;
constexpr quint16 CameraTerminalType = 0x0201;

quint8 byteAt(const QByteArray &data, int offset)
{
    return quint8(data.at(offset));
}

} // namespace

UvcUnitIds UvcUnitIds::fromConfigurationDescriptor(const QByteArray &descriptor)
{
    UvcUnitIds ids;
    bool inVideoControl = false;
    bool foundTerminal = false;
    bool foundProcessingUnit = false;
    int offset = 0;
    // Every descriptor starts with its length; a length below 2 or past the end would walk forever or
    // outside the buffer, so it ends the walk.
    while (offset + 2 <= descriptor.size()) {
        const int length = byteAt(descriptor, offset);
        if (length < 2 || offset + length > descriptor.size())
            break;
        const quint8 type = byteAt(descriptor, offset + 1);
        if (type == InterfaceDescriptorType && length >= 7) {
            if (inVideoControl)
                break; // the next interface: the video-control descriptors are behind us
            if (byteAt(descriptor, offset + 5) == VideoClass && byteAt(descriptor, offset + 6) == VideoControlSubclass) {
                inVideoControl = true;
                ids.interfaceNumber = byteAt(descriptor, offset + 2);
            }
        } else if (inVideoControl && type == ClassSpecificInterfaceType && length >= 4) {
            const quint8 subtype = byteAt(descriptor, offset + 2);
            if (subtype == InputTerminalSubtype && length >= 6 && !foundTerminal) {
                const quint16 terminalType = byteAt(descriptor, offset + 4) | byteAt(descriptor, offset + 5) << 8;
                if (terminalType == CameraTerminalType) {
                    ids.cameraTerminalId = byteAt(descriptor, offset + 3);
                    foundTerminal = true;
                }
            } else if (subtype == ProcessingUnitSubtype && !foundProcessingUnit) {
                ids.processingUnitId = byteAt(descriptor, offset + 3);
                foundProcessingUnit = true;
            }
        }
        offset += length;
    }
    ids.fromDescriptor = inVideoControl;
    return ids;
}

} // namespace platform
