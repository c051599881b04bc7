#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QExifImageHeader;
class QExifValue;

// Real camera EXIF data for the EXIF tests: the sample headers of Debian's goexif package (mostly an
// EXIF segment without image data), each put into a small whole JPEG made here.
class ExifSamples
{
public:
    enum Layout { ExifFirst, ExifAfterJfif };

    static QString directory();
    static QStringList files();

    // The TIFF data of the first EXIF APP1 segment of a file (after "Exif", 0, 0), cut to the bytes
    // the file holds.
    static QByteArray tiffPayload(const QString &fileName);

    // A whole, decodable 8 x 8 JPEG carrying the TIFF data in its EXIF segment.
    static QByteArray wholeJpeg(const QByteArray &tiff, Layout layout);
    // The same image without any EXIF segment: SOI, the JFIF segment (unless dropped) and the rest.
    static QByteArray plainJpeg(bool withJfif);

    static QByteArray segment(quint16 marker, const QByteArray &body);
    static QByteArray exifSegment(const QByteArray &tiff);

    // The model as comparable text lines: directory, tag, type, count and the value's bytes.
    static QStringList describe(const QExifImageHeader &header);
    static QString describe(const QExifValue &value);
};
