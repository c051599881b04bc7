#pragma once

#include "drawletui_global.h"

class QButtonGroup;

namespace drawlet {
namespace ui {

// Keeps the default actions of the tool buttons in an exclusive group checked exactly like their
// buttons. A click on the checked button toggles its action off while the group keeps the button
// checked; left so, the next click elsewhere leaves two buttons checked. Whoever heard the action go
// off hears it come back on, so what follows the action (the style pickers a tool enables, the tool
// and cursor it hands the editor) ends as it was before the click.
DRAWLETUI_EXPORT void keepButtonActionsInStep(QButtonGroup *group);

} // namespace ui
} // namespace drawlet
