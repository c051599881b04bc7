#include "skinmask.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace drawlet {
namespace ui {

QRegion skinMask(const QImage &skin)
{
    if (skin.isNull() || !skin.hasAlphaChannel())
        return QRegion();
    return QRegion(QBitmap::fromImage(skin.createAlphaMask(Qt::ThresholdAlphaDither)));
}

QRegion skinMask(const QPixmap &skin)
{
    return skinMask(skin.toImage());
}

} // namespace ui
} // namespace drawlet
