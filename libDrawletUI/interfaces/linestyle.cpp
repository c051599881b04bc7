#include "linestyle.h"

#include "configtype.h"

namespace drawlet {
namespace ui {

const LineStyle::style_t LineStyle::SOLIDLINE = {1, 1};
const LineStyle::style_t LineStyle::DOTLINE = {3, 1};
const LineStyle::style_t LineStyle::SOLIDLINE_END_ARROW = {1, 2};
const LineStyle::style_t LineStyle::SOLIDLINE_DOUBLE_ARROW = {1, 4};

namespace {
// The painters' and pickers' signals carry these by value under their short names; register them
// once when the library loads so queued connections and signal spies can hold them.
const int lineStyleMetaTypeId = qRegisterMetaType<LineStyle::style_t>("LineStyle::style_t");
const int configTypeMetaTypeId = qRegisterMetaType<ConfigType>("ConfigType");
} // namespace

LineStyle::style_t LineStyle::toObject(const std::string &name)
{
    if (name == "SOLIDLINE_END_ARROW")
        return SOLIDLINE_END_ARROW;
    if (name == "SOLIDLINE_DOUBLE_ARROW")
        return SOLIDLINE_DOUBLE_ARROW;
    if (name == "DOTLINE")
        return DOTLINE;
    return SOLIDLINE;
}

std::string LineStyle::toString(const style_t &style)
{
    if (style == DOTLINE)
        return "DOTLINE";
    if (style == SOLIDLINE_DOUBLE_ARROW)
        return "SOLIDLINE_DOUBLE_ARROW";
    if (style == SOLIDLINE_END_ARROW)
        return "SOLIDLINE_END_ARROW";
    return "SOLIDLINE";
}

QString LineStyle::toQString(const style_t &style)
{
    return QString::fromStdString(toString(style));
}

} // namespace ui
} // namespace drawlet
