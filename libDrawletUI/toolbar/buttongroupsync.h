#pragma once

#include "drawletui_global.h"

class QButtonGroup;

namespace drawlet {
namespace ui {

// Keeps the default actions of the tool buttons in an exclusive group checked exactly like their
// buttons. A click on the checked button toggles its action off while the group keeps the button
// checked; left so, the next click elsewhere leaves two buttons checked. The repair is made with
// the action's signals blocked, so nobody hears a second toggle.
DRAWLETUI_EXPORT void keepButtonActionsInStep(QButtonGroup *group);

} // namespace ui
} // namespace drawlet
