#pragma once

#include <QMetaType>

#include <cstdint>

// The range of one camera control.
struct uvc_control_range
{
    int64_t min = 0;
    int64_t max = 0;
};

Q_DECLARE_METATYPE(uvc_control_range)
