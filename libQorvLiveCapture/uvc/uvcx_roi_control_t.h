#pragma once

#include <QMetaType>

#include <cstdint>

// The camera's region of interest, eight bytes as the camera sends them (little-endian fields).
struct uvcx_roi_control_t
{
    uint16_t wROI_Top = 0;
    uint16_t wROI_Left = 0;
    uint16_t wROI_Bottom = 0;
    uint16_t wROI_Right = 0;
};

static_assert(sizeof(uvcx_roi_control_t) == 8, "the camera's region of interest is eight bytes");

Q_DECLARE_METATYPE(uvcx_roi_control_t)
