#pragma once

#include "drawletui_global.h"

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT DebugUtility
{
public:
    DebugUtility();
};

} // namespace ui
} // namespace drawlet
