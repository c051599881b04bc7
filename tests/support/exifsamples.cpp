#include "exifsamples.h"

#include "qexifimageheader.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>

QString ExifSamples::directory()
{
    return QStringLiteral("/usr/share/gocode/src/github.com/rwcarlsen/goexif/exif/samples");
}

QStringList ExifSamples::files()
{
    QStringList names;
    const QDir dir(directory());
    for (const QString &name : dir.entryList({ QStringLiteral("*.jpg") }, QDir::Files, QDir::Name)) {
        const QString path = dir.filePath(name);
        if (!tiffPayload(path).isEmpty())
            names.append(path);
    }
    return names;
}

QByteArray ExifSamples::tiffPayload(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.readAll();
    if (!bytes.startsWith("\xFF\xD8"))
        return QByteArray();
    int at = 2;
    while (at + 4 <= bytes.size() && uchar(bytes.at(at)) == 0xFF) {
        const int marker = uchar(bytes.at(at + 1));
        const int length = (uchar(bytes.at(at + 2)) << 8) | uchar(bytes.at(at + 3));
        if (length < 2)
            return QByteArray();
        const QByteArray body = bytes.mid(at + 4, length - 2);
        if (marker == 0xE1 && body.startsWith(QByteArray("Exif\0\0", 6)))
            return body.mid(6);
        at += 2 + length;
    }
    return QByteArray();
}

QByteArray ExifSamples::plainJpeg(bool withJfif)
{
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.write(image);
    // Qt writes SOI, then the JFIF APP0 segment.
    const int jfifEnd = 4 + ((uchar(jpeg.at(4)) << 8) | uchar(jpeg.at(5)));
    return withJfif ? jpeg : jpeg.left(2) + jpeg.mid(jfifEnd);
}

QByteArray ExifSamples::segment(quint16 marker, const QByteArray &body)
{
    QByteArray bytes;
    bytes.append(char(marker >> 8)).append(char(marker & 0xFF));
    const int length = body.size() + 2;
    bytes.append(char(length >> 8)).append(char(length & 0xFF));
    return bytes + body;
}

QByteArray ExifSamples::exifSegment(const QByteArray &tiff)
{
    return segment(0xFFE1, QByteArray("Exif\0\0", 6) + tiff);
}

QByteArray ExifSamples::wholeJpeg(const QByteArray &tiff, Layout layout)
{
    const QByteArray jfif = plainJpeg(true);
    const int jfifEnd = 4 + ((uchar(jfif.at(4)) << 8) | uchar(jfif.at(5)));
    if (layout == ExifFirst)
        return jfif.left(2) + exifSegment(tiff) + jfif.mid(jfifEnd);
    return jfif.left(jfifEnd) + exifSegment(tiff) + jfif.mid(jfifEnd);
}

QString ExifSamples::describe(const QExifValue &value)
{
    QString text = QStringLiteral("%1 %2 ").arg(value.type()).arg(value.count());
    switch (value.type()) {
    case 1:
        for (quint8 element : value.toByteVector())
            text += QString::number(element) + QLatin1Char(' ');
        break;
    case 2:
    case 7:
        text += QString::fromLatin1(value.toByteArray().toHex());
        break;
    case 3:
        for (quint16 element : value.toShortVector())
            text += QString::number(element) + QLatin1Char(' ');
        break;
    case 4:
        for (quint32 element : value.toLongVector())
            text += QString::number(element) + QLatin1Char(' ');
        break;
    case 5:
        for (const auto &element : value.toRationalVector())
            text += QStringLiteral("%1/%2 ").arg(element.first).arg(element.second);
        break;
    case 9:
        for (qint32 element : value.toSignedLongVector())
            text += QString::number(element) + QLatin1Char(' ');
        break;
    case 10:
        for (const auto &element : value.toSignedRationalVector())
            text += QStringLiteral("%1/%2 ").arg(element.first).arg(element.second);
        break;
    default:
        break;
    }
    return text;
}

QStringList ExifSamples::describe(const QExifImageHeader &header)
{
    QStringList lines;
    for (QExifImageHeader::ImageTag tag : header.imageTags())
        lines << QStringLiteral("IFD0 %1 ").arg(int(tag), 4, 16, QLatin1Char('0')) + describe(header.value(tag));
    for (QExifImageHeader::ExifExtendedTag tag : header.extendedTags())
        lines << QStringLiteral("Exif %1 ").arg(int(tag), 4, 16, QLatin1Char('0')) + describe(header.value(tag));
    lines << QStringLiteral("thumbnail ") + QString::fromLatin1(header.thumbnail().toHex());
    return lines;
}
