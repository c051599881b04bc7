#pragma once

#include "qorvlivecaptureglobal.h"

#include <QByteArray>

#include <cstdint>

// The layout of the maker's 512-byte HID reports. Output: byte 0 the report id 8, byte 1 the form
// (16 for commands below 7, the firmware commands; 15 for the others), byte 2 the command, the
// payload from byte 3, zeros after it. Answers put their payload at the same place.
class QORVLIVECAPTURE_EXPORT HidReport
{
public:
    static constexpr int Size = 512;
    static constexpr int HeaderSize = 3;
    static constexpr int MaxPayload = Size - HeaderSize;
    static constexpr uint8_t OutputReportId = 8;
    static constexpr uint8_t DataAnswerReportId = 9;

    static uint8_t formFor(uint8_t command);
    // At most MaxPayload bytes of the payload are taken; a null payload or negative size gives none.
    static QByteArray build(uint8_t command, const void *payload, int size);

private:
    HidReport() = delete;
};
