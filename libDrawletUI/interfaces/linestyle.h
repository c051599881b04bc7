#pragma once

#include "drawletui_global.h"

#include <QMetaType>
#include <QString>

#include <string>

namespace drawlet {
namespace ui {

class DRAWLETUI_EXPORT LineStyle
{
public:
    // penStyle is a Qt::PenStyle value (1 solid, 3 dotted); lineType the arrow kind (1 none, 2 at
    // the end, 4 at both ends).
    struct style_t
    {
        qint32 penStyle;
        qint32 lineType;

        bool operator==(const style_t &other) const
        {
            return penStyle == other.penStyle && lineType == other.lineType;
        }
        bool operator!=(const style_t &other) const { return !(*this == other); }
    };

    static const style_t SOLIDLINE;
    static const style_t DOTLINE;
    static const style_t SOLIDLINE_END_ARROW;
    static const style_t SOLIDLINE_DOUBLE_ARROW;

    static style_t toObject(const std::string &name);
    static std::string toString(const style_t &style);
    static QString toQString(const style_t &style);
};

} // namespace ui
} // namespace drawlet

Q_DECLARE_METATYPE(drawlet::ui::LineStyle::style_t)
