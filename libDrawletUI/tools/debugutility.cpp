#include "debugutility.h"

namespace drawlet {
namespace ui {

DebugUtility::DebugUtility() = default;

} // namespace ui
} // namespace drawlet
