#pragma once

#include <QMetaType>

namespace drawlet {
namespace ui {

// Which width list a painter or item draws from: the pen, line and shape widths, or the
// highlighter's. One width picker feeds every painter, so each painter only takes widths of its own
// type. The underlying type is fixed, so that any type number, also one naming no list, is a value
// the configuration can look up and refuse rather than undefined behaviour.
enum ConfigType : int { PEN_CONFIG = 0, HIGHLIGHTER_CONFIG = 1 };

} // namespace ui
} // namespace drawlet

Q_DECLARE_METATYPE(drawlet::ui::ConfigType)
