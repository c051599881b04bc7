#include "exifsamples.h"
#include "exiftiffbuilder.h"
#include "qexifimageheader.h"

#include <QBuffer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using HeaderSetup = std::function<void(QExifImageHeader *)>;
Q_DECLARE_METATYPE(HeaderSetup)

namespace {

QByteArray fromHex(const char *hex)
{
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

QByteArray written(const QExifImageHeader &header)
{
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    const qint64 size = header.write(&buffer);
    return size == data.size() ? data : QByteArray("write reported ") + QByteArray::number(size);
}

// The bytes that follow the first EXIF segment of a JPEG stream.
QByteArray afterExif(const QByteArray &jpeg)
{
    int at = 2;
    while (at + 4 <= jpeg.size()) {
        const int length = (uchar(jpeg.at(at + 2)) << 8) | uchar(jpeg.at(at + 3));
        const bool exif = uchar(jpeg.at(at + 1)) == 0xE1;
        at += 2 + length;
        if (exif)
            return jpeg.mid(at);
    }
    return QByteArray();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Grows a header's payload ("Exif", 0, 0 and the TIFF data) to exactly the given size.
void setPayloadSize(QExifImageHeader *header, int size)
{
    const int current = 6 + written(*header).size();
    header->setValue(QExifImageHeader::MakerNote, QExifValue(QByteArray(size - current - 12, 'm')));
}

// The IFD0 and Exif IFD tags that writing carries over, as text.
QStringList carriedOver(const QExifImageHeader &header)
{
    QStringList lines = ExifSamples::describe(header);
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [](const QString &line) { return line.startsWith("IFD0 8825"); }),
                lines.end());
    return lines;
}

} // namespace

class TestExifWriter : public QObject
{
    Q_OBJECT

private slots:
    void goldenBytes_data();
    void goldenBytes();
    void refusedDevice();
    void saveLayouts_data();
    void saveLayouts();
    void saveRefusals_data();
    void saveRefusals();
    void fullDiskKeepsTheFile();
    void roundTrips_data();
    void roundTrips();
    void toolsReadWhatWasWritten();
};

void TestExifWriter::goldenBytes_data()
{
    QTest::addColumn<HeaderSetup>("setup");
    QTest::addColumn<QByteArray>("bytes");

    const HeaderSetup nothing = [](QExifImageHeader *) {};
    const QByteArray empty = fromHex("49492a0008000000 0100 6987 0400 01000000 1a000000 00000000 0000 00000000");
    QTest::newRow("empty") << nothing << empty;
    QTest::newRow("caller-set exif pointer ignored")
        << HeaderSetup([](QExifImageHeader *h) { h->setValue(QExifImageHeader::ExifIfdPointer, QExifValue(999u)); })
        << empty;
    QTest::newRow("gps and interoperability pointers dropped")
        << HeaderSetup([](QExifImageHeader *h) {
               h->setValue(QExifImageHeader::GpsInfoIfdPointer, QExifValue(100u));
               h->setValue(QExifImageHeader::InteroperabilityIfdPointer, QExifValue(100u));
           })
        << empty;
    QTest::newRow("ascii inline")
        << HeaderSetup([](QExifImageHeader *h) { h->setValue(QExifImageHeader::Make, QExifValue(QStringLiteral("abc"))); })
        << fromHex("49492a0008000000 0200 0f01 0200 04000000 61626300 6987 0400 01000000 26000000 00000000"
                   " 0000 00000000");
    QTest::newRow("ascii out of line")
        << HeaderSetup([](QExifImageHeader *h) { h->setValue(QExifImageHeader::Make, QExifValue(QStringLiteral("abcd"))); })
        << fromHex("49492a0008000000 0200 0f01 0200 05000000 26000000 6987 0400 01000000 2b000000 00000000"
                   " 6162636400 0000 00000000");
    QTest::newRow("short padded, rational out of line, null as empty bytes")
        << HeaderSetup([](QExifImageHeader *h) {
               h->setValue(QExifImageHeader::Orientation, QExifValue(quint16(1)));
               h->setValue(QExifImageHeader::XResolution, QExifValue(qMakePair(72u, 1u)));
               h->setValue(QExifImageHeader::Make, QExifValue());
           })
        << fromHex("49492a0008000000 0400 0f01 0100 00000000 00000000 1201 0300 01000000 0100 0000"
                   " 1a01 0500 01000000 3e000000 6987 0400 01000000 46000000 00000000 48000000 01000000"
                   " 0000 00000000");
    QTest::newRow("exif ifd entries after ifd0 pointer, exif values")
        << HeaderSetup([](QExifImageHeader *h) {
               h->setValue(QExifImageHeader::ExifVersion, QExifValue(QByteArray("0230")));
               h->setValue(QExifImageHeader::SubjectArea, QExifValue(QVector<quint16>{ 1, 2, 3 }));
           })
        << fromHex("49492a0008000000 0100 6987 0400 01000000 1a000000 00000000"
                   " 0200 0090 0700 04000000 30323330 1492 0300 03000000 38000000 00000000 010002000300");
    QTest::newRow("big-endian as loaded")
        << HeaderSetup([](QExifImageHeader *h) {
               const QByteArray tiff = ExifTiffBuilder(true).header().u16(1).entry(0x010F, 2, 6, 26).u32(0)
                                           .raw(QByteArray("Maker\0", 6)).data();
               QVERIFY(h->loadFromData(&tiff));
           })
        << fromHex("4d4d002a00000008 0002 010f 0002 00000006 00000026 8769 0004 00000001 0000002c 00000000"
                   " 4d616b657200 0000 00000000");
    QTest::newRow("thumbnail with default values")
        << HeaderSetup([](QExifImageHeader *h) {
               const QByteArray tiff = ExifTiffBuilder().header().u16(0).u32(14)
                                           .u16(2).entry(0x0201, 4, 1, 44).entry(0x0202, 4, 1, 4).u32(0)
                                           .raw("\xFF\xD8\xFF\xD9").data();
               QVERIFY(h->loadFromData(&tiff));
           })
        << fromHex("49492a0008000000 0100 6987 0400 01000000 1a000000 20000000 0000 00000000"
                   " 0700 0301 0300 01000000 0600 0000 1a01 0500 01000000 7a000000"
                   " 1b01 0500 01000000 82000000 2801 0300 01000000 0200 0000 1201 0300 01000000 0000 0000"
                   " 0102 0400 01000000 8a000000 0202 0400 01000000 04000000 00000000"
                   " 48000000 01000000 48000000 01000000 ffd8ffd9");
    QTest::newRow("thumbnail keeps its values, refuses an orientation that cannot stand inline")
        << HeaderSetup([](QExifImageHeader *h) {
               const QByteArray tiff = ExifTiffBuilder().header().u16(0).u32(14)
                                           .u16(4).entry(0x0201, 4, 1, 68).entry(0x0202, 4, 1, 1)
                                           .entry(0x0128, 4, 1, 3).entry(0x0112, 3, 3, 69).u32(0)
                                           .raw(QByteArray("\xFF\0\0\0\0\0\0", 7)).data();
               QVERIFY(h->loadFromData(&tiff));
           })
        << fromHex("49492a0008000000 0100 6987 0400 01000000 1a000000 20000000 0000 00000000"
                   " 0700 0301 0300 01000000 0600 0000 1a01 0500 01000000 7a000000"
                   " 1b01 0500 01000000 82000000 2801 0400 01000000 03000000 1201 0300 01000000 0000 0000"
                   " 0102 0400 01000000 8a000000 0202 0400 01000000 01000000 00000000"
                   " 48000000 01000000 48000000 01000000 ff");
}

void TestExifWriter::goldenBytes()
{
    QFETCH(HeaderSetup, setup);
    QFETCH(QByteArray, bytes);
    QExifImageHeader header;
    setup(&header);
    QCOMPARE(QString::fromLatin1(written(header).toHex()), QString::fromLatin1(bytes.toHex()));
    QCOMPARE(written(header), bytes); // writing leaves the model as it was
}

void TestExifWriter::refusedDevice()
{
    QExifImageHeader header;
    QByteArray data;
    QBuffer readOnly(&data);
    readOnly.open(QIODevice::ReadOnly);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ReadOnly device"));
    QCOMPARE(header.write(&readOnly), qint64(-1));
    QCOMPARE(header.write(nullptr), qint64(-1));
}

void TestExifWriter::saveLayouts_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("payloadSize");
    QTest::addColumn<int>("exifAt");
    QTest::addColumn<int>("segmentBody");
    QTest::addColumn<QByteArray>("kept"); // what follows the EXIF segment

    const QByteArray jfif = ExifSamples::plainJpeg(true);
    const int jfifEnd = 4 + ((uchar(jfif.at(4)) << 8) | uchar(jfif.at(5)));
    const QByteArray plain = ExifSamples::plainJpeg(false);
    QExifImageHeader old;
    setPayloadSize(&old, 2000);
    QByteArray oldTiff;
    QBuffer buffer(&oldTiff);
    buffer.open(QIODevice::WriteOnly);
    old.write(&buffer);
    const QByteArray exifFirst = plain.left(2) + ExifSamples::exifSegment(oldTiff) + plain.mid(2);
    const QByteArray afterJfif = jfif.left(jfifEnd) + ExifSamples::exifSegment(oldTiff) + jfif.mid(jfifEnd);

    QTest::newRow("shorter payload padded") << exifFirst << 1500 << 2 << 2000 << plain.mid(2);
    QTest::newRow("longer payload grows the file") << exifFirst << 2500 << 2 << 2500 << plain.mid(2);
    QTest::newRow("replaced after jfif") << afterJfif << 1500 << jfifEnd << 2000 << jfif.mid(jfifEnd);
    QTest::newRow("inserted after jfif") << jfif << 1500 << jfifEnd << 1500 << jfif.mid(jfifEnd);
    QTest::newRow("inserted first") << plain << 1500 << 2 << 1500 << plain.mid(2);
    QTest::newRow("largest payload") << plain << 65533 << 2 << 65533 << plain.mid(2);
}

void TestExifWriter::saveLayouts()
{
    QFETCH(QByteArray, before);
    QFETCH(int, payloadSize);
    QFETCH(int, exifAt);
    QFETCH(int, segmentBody);
    QFETCH(QByteArray, kept);

    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    QVERIFY(writeFile(path, before));
    QExifImageHeader header;
    header.setValue(QExifImageHeader::Make, QExifValue(QStringLiteral("new")));
    setPayloadSize(&header, payloadSize);
    QVERIFY(header.saveToJpeg(path));

    const QByteArray after = readFile(path);
    QCOMPARE(after.left(exifAt), before.left(exifAt));
    QCOMPARE(uchar(after.at(exifAt + 1)), uchar(0xE1));
    QCOMPARE((uchar(after.at(exifAt + 2)) << 8) | uchar(after.at(exifAt + 3)), segmentBody + 2);
    QCOMPARE(after.mid(exifAt + 4 + segmentBody), kept);
    QCOMPARE(after.mid(exifAt + 4 + payloadSize, segmentBody - payloadSize), QByteArray(segmentBody - payloadSize, '\0'));

    QExifImageHeader reread(path);
    QVERIFY(reread.isLoaded());
    QCOMPARE(reread.value(QExifImageHeader::Make).toByteArray(), QByteArray("new"));
    QVERIFY(!reread.value(QExifImageHeader::MakerNote).isNull());
}

void TestExifWriter::saveRefusals_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<int>("payloadSize");

    const QByteArray jfif = ExifSamples::plainJpeg(true);
    const int jfifEnd = 4 + ((uchar(jfif.at(4)) << 8) | uchar(jfif.at(5)));
    const QByteArray plain = ExifSamples::plainJpeg(false);
    const QByteArray xmp = ExifSamples::segment(0xFFE1, "http://ns.adobe.com/xap/1.0/\0<x/>");

    QTest::newRow("xmp first") << plain.left(2) + xmp + plain.mid(2) << 100;
    QTest::newRow("xmp after jfif") << jfif.left(jfifEnd) + xmp + jfif.mid(jfifEnd) << 100;
    QTest::newRow("app0 not jfif") << plain.left(2) + ExifSamples::segment(0xFFE0, "JFXX\0") + plain.mid(2) << 100;
    QTest::newRow("no start of image") << plain.mid(2) << 100;
    QTest::newRow("empty file") << QByteArray() << 100;
    QTest::newRow("truncated exif segment") << plain.left(2) + ExifSamples::exifSegment(QByteArray(50, 'x')).left(30)
                                            << 100;
    QTest::newRow("payload over one segment") << plain << 65534;
}

void TestExifWriter::saveRefusals()
{
    QFETCH(QByteArray, before);
    QFETCH(int, payloadSize);
    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    QVERIFY(writeFile(path, before));
    QExifImageHeader header;
    setPayloadSize(&header, payloadSize);
    if (payloadSize > 65533)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("does not fit one JPEG segment"));
    QVERIFY(!header.saveToJpeg(path));
    QCOMPARE(readFile(path), before);

    const QString missing = dir.filePath("missing.jpg");
    QVERIFY(!header.saveToJpeg(missing));
    QVERIFY(!QFile::exists(missing));

    QProcess sequential;
    sequential.start("cat", QStringList());
    QVERIFY(sequential.waitForStarted());
    QVERIFY(!header.saveToJpeg(&sequential));
    sequential.closeWriteChannel();
    sequential.waitForFinished();
}

// A file size limit stands in for a full disk: the write past the old end fails.
void TestExifWriter::fullDiskKeepsTheFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    const QByteArray before = ExifSamples::plainJpeg(true);
    QVERIFY(writeFile(path, before));
    QExifImageHeader header;
    setPayloadSize(&header, 3000);

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = rlim_t(before.size() + 1000);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("could not extend the file"));
    const bool saved1 = header.saveToJpeg(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    QVERIFY(!saved1);
    QCOMPARE(readFile(path), before);
}

void TestExifWriter::roundTrips_data()
{
    QTest::addColumn<QString>("sample");
    QTest::addColumn<int>("layout");
    const QStringList samples = ExifSamples::files();
    if (samples.isEmpty())
        QSKIP("the goexif sample package is not installed");
    for (const QString &sample : samples) {
        const QString name = QFileInfo(sample).baseName().left(19);
        QTest::newRow(qPrintable(name + " exif first")) << sample << int(ExifSamples::ExifFirst);
        QTest::newRow(qPrintable(name + " after jfif")) << sample << int(ExifSamples::ExifAfterJfif);
    }
}

void TestExifWriter::roundTrips()
{
    QFETCH(QString, sample);
    QFETCH(int, layout);
    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    const QByteArray tiff = ExifSamples::tiffPayload(sample);
    const QByteArray before = ExifSamples::wholeJpeg(tiff, ExifSamples::Layout(layout));
    QVERIFY(writeFile(path, before));

    QExifImageHeader header;
    QVERIFY(header.loadFromJpeg(path));
    QCOMPARE(header.byteOrder(), tiff.startsWith("MM") ? QDataStream::BigEndian : QDataStream::LittleEndian);
    // Each sample's EXIF data fitted one segment as its camera wrote it, and fits one rewritten.
    QVERIFY2(header.saveToJpeg(path), "the rewritten EXIF data was refused");

    const QByteArray after = readFile(path);
    QCOMPARE(afterExif(after), afterExif(before));
    QExifImageHeader reread;
    QVERIFY(reread.loadFromJpeg(path));
    QCOMPARE(reread.byteOrder(), header.byteOrder());
    QCOMPARE(ExifSamples::describe(reread), carriedOver(header));

    // Written again, the data is the same byte for byte.
    QVERIFY(reread.saveToJpeg(path));
    QCOMPARE(readFile(path), after);
}

// exiftool and exiv2 read what was written, and what exiftool writes is read back.
void TestExifWriter::toolsReadWhatWasWritten()
{
    const QString exiftool = QStandardPaths::findExecutable("exiftool");
    const QString exiv2 = QStandardPaths::findExecutable("exiv2");
    if (exiftool.isEmpty() || exiv2.isEmpty())
        QSKIP("exiftool or exiv2 is not installed");

    QTemporaryDir dir;
    const QString path = dir.filePath("image.jpg");
    QVERIFY(writeFile(path, ExifSamples::plainJpeg(true)));
    QExifImageHeader header;
    header.setValue(QExifImageHeader::Make, QExifValue(QStringLiteral("Lumidesk camera")));
    header.setValue(QExifImageHeader::Orientation, QExifValue(quint16(6)));
    header.setValue(QExifImageHeader::XResolution, QExifValue(qMakePair(300u, 1u)));
    header.setValue(QExifImageHeader::ExposureBiasValue, QExifValue(qMakePair(-2, 3)));
    header.setValue(QExifImageHeader::DateTimeOriginal, QExifValue(QStringLiteral("2024:01:31 12:00:00")));
    header.setValue(QExifImageHeader::UserComment, QExifValue(QStringLiteral("hello"), QExifValue::EncodingAscii));
    QVERIFY(header.saveToJpeg(path));

    QProcess tool;
    tool.start(exiftool, { "-s3", "-n", "-Make", "-Orientation", "-XResolution", "-ExposureCompensation",
                           "-DateTimeOriginal", "-UserComment", path });
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts),
             (QStringList{ "Lumidesk camera", "6", "300", "-0.6666666667", "2024:01:31 12:00:00", "hello" }));

    tool.start(exiv2, { "-K", "Exif.Photo.DateTimeOriginal", "-Pv", path });
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(tool.readAllStandardOutput().trimmed(), QByteArray("2024:01:31 12:00:00"));

    tool.start(exiftool, { "-overwrite_original", "-IFD0:Artist=Someone", "-ExifIFD:ISO=200", path });
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QExifImageHeader reread(path);
    QVERIFY(reread.isLoaded());
    QCOMPARE(reread.value(QExifImageHeader::Artist).toByteArray(), QByteArray("Someone"));
    QCOMPARE(reread.value(QExifImageHeader::IsoSpeedRatings).toShort(), quint16(200));
    QCOMPARE(reread.value(QExifImageHeader::UserComment).encoding(), QExifValue::EncodingAscii);
    QCOMPARE(reread.value(QExifImageHeader::Make).toByteArray(), QByteArray("Lumidesk camera"));
}

QTEST_MAIN(TestExifWriter)
#include "tst_exif_writer.moc"
