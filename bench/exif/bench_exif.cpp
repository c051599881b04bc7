// Prints payloads per second for reading every tag of real EXIF data, and for writing it back, with
// this program's reader and writer and with libexiv2, on the same payloads in the same run.
// Usage: bench_exif [sample folder] [seconds per figure]

#include "qexifimageheader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>

#include <exiv2/exiv2.hpp>

#include <functional>

namespace {

QByteArray tiffPayload(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = file.readAll();
    int at = 2;
    while (bytes.startsWith("\xFF\xD8") && at + 4 <= bytes.size() && uchar(bytes.at(at)) == 0xFF) {
        const int length = (uchar(bytes.at(at + 2)) << 8) | uchar(bytes.at(at + 3));
        const QByteArray body = bytes.mid(at + 4, length - 2);
        if (uchar(bytes.at(at + 1)) == 0xE1 && body.startsWith(QByteArray("Exif\0\0", 6)))
            return body.mid(6);
        if (length < 2)
            break;
        at += 2 + length;
    }
    return QByteArray();
}

// Runs one pass over all payloads until the time is used; returns payloads per second.
double rate(const QList<QByteArray> &payloads, double seconds, const std::function<quint64(const QByteArray &)> &work,
            quint64 *checksum)
{
    QElapsedTimer timer;
    timer.start();
    quint64 done = 0;
    while (timer.nsecsElapsed() < qint64(seconds * 1e9)) {
        for (const QByteArray &payload : payloads)
            *checksum += work(payload);
        done += quint64(payloads.size());
    }
    return double(done) / (double(timer.nsecsElapsed()) / 1e9);
}

quint64 touch(const QExifValue &value)
{
    switch (value.type()) {
    case 2:
    case 7:
        return quint64(value.toByteArray().size());
    case 3:
        return quint64(value.toShortVector().size());
    case 4:
        return quint64(value.toLongVector().size());
    case 5:
        return quint64(value.toRationalVector().size());
    default:
        return quint64(value.count());
    }
}

quint64 readOurs(const QByteArray &payload)
{
    QExifImageHeader header;
    header.loadFromData(&payload);
    quint64 sum = 0;
    for (QExifImageHeader::ImageTag tag : header.imageTags())
        sum += touch(header.value(tag));
    for (QExifImageHeader::ExifExtendedTag tag : header.extendedTags())
        sum += touch(header.value(tag));
    return sum + quint64(header.thumbnail().size());
}

quint64 readExiv2(const QByteArray &payload)
{
    Exiv2::ExifData data;
    Exiv2::ExifParser::decode(data, reinterpret_cast<const Exiv2::byte *>(payload.constData()),
                              uint32_t(payload.size()));
    quint64 sum = 0;
    for (const Exiv2::Exifdatum &datum : data)
        sum += quint64(datum.size());
    return sum;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                    : QStringLiteral("/usr/share/gocode/src/github.com/rwcarlsen/goexif/exif/samples");
    const double seconds = argc > 2 ? QByteArray(argv[2]).toDouble() : 2.0;

    QList<QByteArray> payloads;
    for (const QFileInfo &info : QDir(folder).entryInfoList({ "*.jpg" }, QDir::Files, QDir::Name)) {
        const QByteArray payload = tiffPayload(info.filePath());
        if (!payload.isEmpty())
            payloads << payload;
    }
    QTextStream out(stdout);
    if (payloads.isEmpty()) {
        out << "no EXIF payloads in " << folder << "\n";
        return 1;
    }

    // The models to write are loaded once, outside the timing.
    QList<QExifImageHeader *> headers;
    QList<Exiv2::ExifData> exivData;
    for (const QByteArray &payload : payloads) {
        headers << new QExifImageHeader(&payload, 0xE1);
        Exiv2::ExifData data;
        Exiv2::ExifParser::decode(data, reinterpret_cast<const Exiv2::byte *>(payload.constData()),
                                  uint32_t(payload.size()));
        exivData << data;
    }
    int index = 0;
    const auto writeOurs = [&](const QByteArray &) -> quint64 {
        QByteArray tiff;
        QBuffer buffer(&tiff);
        buffer.open(QIODevice::WriteOnly);
        return quint64(headers.at(index++ % headers.size())->write(&buffer));
    };
    int exivIndex = 0;
    const auto writeExiv2 = [&](const QByteArray &payload) -> quint64 {
        Exiv2::Blob blob;
        const bool big = payload.startsWith("MM");
        Exiv2::ExifParser::encode(blob, big ? Exiv2::bigEndian : Exiv2::littleEndian,
                                  exivData[exivIndex++ % exivData.size()]);
        return quint64(blob.size());
    };

    quint64 checksum = 0;
    const double ourRead = rate(payloads, seconds, readOurs, &checksum);
    const double exivRead = rate(payloads, seconds, readExiv2, &checksum);
    const double ourWrite = rate(payloads, seconds, writeOurs, &checksum);
    const double exivWrite = rate(payloads, seconds, writeExiv2, &checksum);

    out << "payloads: " << payloads.size() << " from " << folder << "\n";
    out << QString::asprintf("read   QExifImageHeader %10.0f payloads/s   libexiv2 %10.0f payloads/s   ratio %.2f\n",
                             ourRead, exivRead, ourRead / exivRead);
    out << QString::asprintf("write  QExifImageHeader %10.0f payloads/s   libexiv2 %10.0f payloads/s   ratio %.2f\n",
                             ourWrite, exivWrite, ourWrite / exivWrite);
    out << "goal: reading at least twice as fast as libexiv2: " << (ourRead >= 2 * exivRead ? "met" : "NOT met")
        << "\n(checksum " << checksum << ")\n";
    qDeleteAll(headers);
    return 0;
}
