#pragma once

#include <QColor>
#include <QPen>

namespace drawlet {
namespace ui {

// The outline every shape painter starts with: red, 4 pixels, sharp corners.
inline QColor defaultShapeColor()
{
    return QColor(QRgb(0xFE0000));
}

inline QPen defaultShapePen()
{
    return QPen(QBrush(defaultShapeColor(), Qt::SolidPattern), 4.0, Qt::SolidLine, Qt::FlatCap,
                Qt::MiterJoin);
}

} // namespace ui
} // namespace drawlet
