#include "uvc/uvccameraconfigurationdescriptor.h"

#include "capturelog.h"

namespace {

constexpr uint8_t InterfaceDescriptor = 0x04;
constexpr uint8_t ClassSpecificInterface = 0x24;
constexpr uint8_t VideoClass = 0x0e;
constexpr uint8_t VideoControlSubclass = 0x01;

enum VideoControlSubtype : uint8_t {
    Header = 1,
    InputTerminal = 2,
    ProcessingUnit = 5,
    ExtensionUnit = 6,
};

// The length byte of the descriptor at offset, or 0 when it cannot be a descriptor: below 2 it would
// never advance the walk, past the end it would read outside the buffer.
int descriptorLength(const uint8_t *data, int size, int offset)
{
    const int length = data[offset];
    if (length < 2 || length > size - offset)
        return 0;
    return length;
}

} // namespace

std::unique_ptr<UVCCameraConfigurationDescriptor>
UVCCameraConfigurationDescriptor::initWithData(const QByteArray &data)
{
    if (data.size() < 3)
        return nullptr;
    std::unique_ptr<UVCCameraConfigurationDescriptor> descriptor(new UVCCameraConfigurationDescriptor);
    descriptor->parse(data);
    return descriptor;
}

bool UVCCameraConfigurationDescriptor::isSupportProcessingUnitItem(int bit) const
{
    return bit >= 0 && bit < 16 && (m_processControls >> bit) & 1;
}

void UVCCameraConfigurationDescriptor::parse(const QByteArray &bytes)
{
    const auto *data = reinterpret_cast<const uint8_t *>(bytes.constData());
    const int size = bytes.size();
    int offset = 0;
    while (size - offset >= 2) {
        const int length = descriptorLength(data, size, offset);
        if (length == 0) {
            qCWarning(lcCapture, "configuration descriptor: bad descriptor length at %d", offset);
            return;
        }
        if (data[offset + 1] == InterfaceDescriptor && length >= 7 && data[offset + 5] == VideoClass
            && data[offset + 6] == VideoControlSubclass) {
            parseVideoControl(data + offset + length, size - offset - length);
            return;
        }
        offset += length;
    }
}

void UVCCameraConfigurationDescriptor::parseVideoControl(const uint8_t *data, int size)
{
    int offset = 0;
    while (size - offset > 2) {
        const int length = descriptorLength(data, size, offset);
        if (length == 0) {
            qCWarning(lcCapture, "configuration descriptor: bad descriptor length at %d", offset);
            return;
        }
        const uint8_t *d = data + offset;
        if (d[1] == InterfaceDescriptor)
            return;
        if (d[1] == ClassSpecificInterface && length > 3) {
            switch (d[2]) {
            case Header:
                m_videoDeviceClassVersion = d[3];
                qCDebug(lcCapture, "videoDeviceClassVersion (%d)", m_videoDeviceClassVersion);
                break;
            case InputTerminal:
                m_terminalUnitId = d[3];
                qCDebug(lcCapture, "terminalUnitId (%d)", m_terminalUnitId);
                break;
            case ProcessingUnit:
                m_processUnitId = d[3];
                qCDebug(lcCapture, "processUnitId (%d)", m_processUnitId);
                if (length > 7 && d[7] < 5) {
                    // Only the first two control bytes count; none past the descriptor's end.
                    const int controlBytes = qMin(qMin(int(d[7]), 2), length - 8);
                    uint16_t mask = 0;
                    for (int i = 0; i < controlBytes; ++i)
                        mask |= uint16_t(d[8 + i]) << (8 * i);
                    m_processControls = mask;
                }
                break;
            case ExtensionUnit:
                m_extensionUnitId = d[3];
                qCDebug(lcCapture, "extensionUnitId (%d)", m_extensionUnitId);
                break;
            default:
                break;
            }
        }
        offset += length;
    }
}
