#pragma once

#include <QMetaType>

namespace drawlet {
namespace ui {

// Which width list a painter or item draws from: the pen, line and shape widths, or the
// highlighter's. One width picker feeds every painter, so each painter only takes widths of its own
// type.
enum ConfigType { PEN_CONFIG = 0, HIGHLIGHTER_CONFIG = 1 };

} // namespace ui
} // namespace drawlet

Q_DECLARE_METATYPE(drawlet::ui::ConfigType)
