#pragma once

#include "drawletui_global.h"

#include <QString>

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT UIGlobalConstConfig
{
public:
    UIGlobalConstConfig();
    ~UIGlobalConstConfig();

    // Side of every square toolbar button, and of its icon.
    static const int BUTTON_SIZE = 44;
    // Where the application's resources keep the toolbar button images.
    static const QString RESOURCE_BUTTON_PATH;
};

} // namespace ui
} // namespace drawlet
