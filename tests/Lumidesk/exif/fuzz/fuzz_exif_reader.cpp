// libFuzzer target: any bytes as a JPEG stream and as bare TIFF data, read, written back and saved
// over a copy of themselves. Address and undefined-behaviour sanitizers watch every step.

#include "qexifimageheader.h"

#include <QBuffer>
#include <QtGlobal>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const bool installed = (qInstallMessageHandler(quiet), true);
    Q_UNUSED(installed);

    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), int(size));

    QExifImageHeader header;
    QBuffer jpeg;
    jpeg.setData(bytes);
    jpeg.open(QIODevice::ReadOnly);
    header.loadFromJpeg(&jpeg);

    QByteArray tiff;
    QBuffer output(&tiff);
    output.open(QIODevice::WriteOnly);
    header.write(&output);

    QExifImageHeader fromData;
    fromData.loadFromData(&bytes);

    QByteArray copy(bytes.constData(), bytes.size());
    QBuffer target(&copy);
    target.open(QIODevice::ReadWrite);
    if (header.saveToJpeg(&target)) {
        // What was saved must load again.
        target.seek(0);
        QExifImageHeader reread;
        if (!reread.loadFromJpeg(&target) && !header.imageTags().isEmpty())
            __builtin_trap();
    }
    return 0;
}
