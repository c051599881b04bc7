#include "qrcodeimage.h"

#include <QPainter>

#include <qrencode.h>

#include <memory>

namespace {

struct QRcodeDeleter
{
    void operator()(QRcode *code) const { QRcode_free(code); }
};

} // namespace

QImage QRCodeImage::render(const QByteArray &text)
{
    if (text.isEmpty())
        return QImage();
    // Byte mode keeps the text exactly as given; level L leaves the most room for it, which matters
    // more for a picture on a screen than damage tolerance.
    std::unique_ptr<QRcode, QRcodeDeleter> code(
        QRcode_encodeData(text.size(), reinterpret_cast<const unsigned char *>(text.constData()), 0, QR_ECLEVEL_L));
    if (!code || code->width <= 0)
        return QImage();

    const int modules = code->width;
    const int canvas = qMax(CanvasModules, modules + 2 * MinimumQuietZone);
    const int offset = (canvas - modules) / 2;
    QImage image(canvas * ModulePixels, canvas * ModulePixels, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (int y = 0; y < modules; ++y) {
        const unsigned char *row = code->data + y * modules;
        for (int x = 0; x < modules; ++x) {
            // Bit 0 of each byte is the module's colour; the other bits describe its role.
            if (row[x] & 1)
                painter.drawRect((offset + x) * ModulePixels, (offset + y) * ModulePixels, ModulePixels,
                                 ModulePixels);
        }
    }
    return image;
}
