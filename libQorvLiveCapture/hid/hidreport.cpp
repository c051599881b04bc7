#include "hid/hidreport.h"

#include <cstring>

namespace {

constexpr uint8_t FirmwareForm = 16;
constexpr uint8_t OtherForm = 15;
constexpr uint8_t FirstOtherCommand = 7;

} // namespace

uint8_t HidReport::formFor(uint8_t command)
{
    return command < FirstOtherCommand ? FirmwareForm : OtherForm;
}

QByteArray HidReport::build(uint8_t command, const void *payload, int size)
{
    QByteArray report(Size, '\0');
    report[0] = char(OutputReportId);
    report[1] = char(formFor(command));
    report[2] = char(command);
    const int taken = payload ? qBound(0, size, MaxPayload) : 0;
    if (taken > 0)
        std::memcpy(report.data() + HeaderSize, payload, size_t(taken));
    return report;
}
