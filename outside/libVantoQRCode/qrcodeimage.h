#pragma once

#include "vantoqrcodeglobal.h"

#include <QByteArray>
#include <QImage>

// Draws a QR code of a text as a black-on-white picture.
class VANTOQRCODE_EXPORT QRCodeImage
{
public:
    // Pixels per module. The pairing page shows the code in an 80 px square; a code of up to 40
    // modules (quiet zone included) then shrinks by a whole factor of 4, so every module stays
    // 2 px and a phone reads it.
    static constexpr int ModulePixels = 8;
    static constexpr int CanvasModules = 40;
    // The smallest quiet zone kept around the code, in modules.
    static constexpr int MinimumQuietZone = 3;

    // A 32-bit RGB picture of the code, or a null image when the text cannot be encoded (empty or
    // too long for a QR code).
    static QImage render(const QByteArray &text);

private:
    QRCodeImage() = delete;
};
