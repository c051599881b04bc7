#include "exifsamples.h"
#include "exiftiffbuilder.h"
#include "qexifimageheader.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(QExifImageHeader::ImageTag)

namespace {

using Tag = QExifImageHeader::ImageTag;

// A small TIFF with one ASCII Make entry of five letters, out of line at offset 26.
QByteArray makeOnly(bool bigEndian)
{
    return ExifTiffBuilder(bigEndian).header().u16(1).entry(0x010F, 2, 6, 26).u32(0)
        .raw(QByteArray("Maker\0", 6)).data();
}

bool loadJpeg(QExifImageHeader *header, const QByteArray &jpeg)
{
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    return header->loadFromJpeg(&buffer);
}

} // namespace

class TestExifReader : public QObject
{
    Q_OBJECT

private slots:
    void segmentSearch_data();
    void segmentSearch();
    void tiffHeader_data();
    void tiffHeader();
    void entries_data();
    void entries();
    void directories();
    void thumbnail();
    void hostileBounds_data();
    void hostileBounds();
    void samplesMatchExiftool();
};

void TestExifReader::segmentSearch_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("loads");

    const QByteArray tiff = makeOnly(false);
    const QByteArray body = ExifSamples::plainJpeg(false).mid(2);
    const QByteArray soi("\xFF\xD8", 2);
    const QByteArray xmp = ExifSamples::segment(0xFFE1, "http://ns.adobe.com/xap/1.0/\0<x/>");

    QTest::newRow("exif first") << ExifSamples::wholeJpeg(tiff, ExifSamples::ExifFirst) << true;
    QTest::newRow("after jfif") << ExifSamples::wholeJpeg(tiff, ExifSamples::ExifAfterJfif) << true;
    QTest::newRow("after app2") << soi + ExifSamples::segment(0xFFE2, "ICC") + ExifSamples::exifSegment(tiff) + body
                                << true;
    QTest::newRow("xmp before exif") << soi + xmp + ExifSamples::exifSegment(tiff) + body << false;
    QTest::newRow("exif ends the stream") << soi + ExifSamples::exifSegment(tiff) << false;
    QTest::newRow("one byte after exif") << soi + ExifSamples::exifSegment(tiff) + 'x' << true;
    QTest::newRow("no start of image") << ExifSamples::wholeJpeg(tiff, ExifSamples::ExifFirst).mid(2) << false;
    QTest::newRow("no app1") << ExifSamples::plainJpeg(true) << false;
    // Lengths below their own two bytes would step the search back onto the same marker.
    QTest::newRow("segment length 0") << soi + QByteArray("\xFF\xE2\x00\x00", 4) + ExifSamples::exifSegment(tiff) + body
                                      << false;
    QTest::newRow("segment length 1") << soi + QByteArray("\xFF\xE2\x00\x01", 4) + ExifSamples::exifSegment(tiff) + body
                                      << false;
    QTest::newRow("exif segment shorter than its header")
        << soi + QByteArray("\xFF\xE1\x00\x06" "Exif\0\0", 10) + body << false;
    QTest::newRow("segment skip past the end") << soi + QByteArray("\xFF\xE2\xFF\xFF", 4) + body << false;
}

void TestExifReader::segmentSearch()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, loads);
    QExifImageHeader header;
    QCOMPARE(loadJpeg(&header, jpeg), loads);
    QCOMPARE(header.isLoaded(), loads);
    QCOMPARE(header.value(QExifImageHeader::Make).toByteArray(), loads ? QByteArray("Maker") : QByteArray());
}

void TestExifReader::tiffHeader_data()
{
    QTest::addColumn<QByteArray>("tiff");
    QTest::addColumn<bool>("loads");
    QTest::newRow("little-endian") << makeOnly(false) << true;
    QTest::newRow("big-endian") << makeOnly(true) << true;
    QTest::newRow("exif header kept") << QByteArray("Exif\0\0", 6) + makeOnly(false) << false;
    QTest::newRow("not 42") << QByteArray("II\x2B\x00\x08\x00\x00\x00\x00\x00", 10) << false;
    QTest::newRow("only the mark") << QByteArray("MM") << false;
    QTest::newRow("empty") << QByteArray() << false;
    // An IFD0 that is not there at all gives an empty, loaded header.
    QTest::newRow("ifd0 beyond the data") << ExifTiffBuilder().header(0xFFFFFFFF).data() << true;
}

void TestExifReader::tiffHeader()
{
    QFETCH(QByteArray, tiff);
    QFETCH(bool, loads);
    if (tiff.size() == 8)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("directory at 4294967295 lies beyond"));
    QExifImageHeader header;
    QCOMPARE(header.loadFromData(&tiff), loads);
    QExifImageHeader fromConstructor(&tiff, 0xE2);
    QCOMPARE(fromConstructor.isLoaded(), loads);
    QCOMPARE(fromConstructor.appMarker(), quint8(0xE2));
    if (loads && tiff.size() > 8) {
        QCOMPARE(header.byteOrder(), tiff.startsWith("MM") ? QDataStream::BigEndian : QDataStream::LittleEndian);
        QCOMPARE(header.value(QExifImageHeader::Make).toByteArray(), QByteArray("Maker"));
    }
}

// One IFD0 entry of the given type and count whose 4-byte field is given, followed by 16 bytes of
// out-of-line data at offset 26, decoded as described.
void TestExifReader::entries_data()
{
    QTest::addColumn<bool>("bigEndian");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QString>("decoded");

    const QByteArray offset26le("\x1A\0\0\0", 4);
    const QByteArray offset26be("\0\0\0\x1A", 4);
    for (bool big : { false, true }) {
        const char *order = big ? "MM" : "II";
        const QByteArray offset = big ? offset26be : offset26le;
        QTest::addRow("%s undefined 0230", order) << big << 7 << 4 << QByteArray("0230") << "7 4 30323330";
        QTest::addRow("%s undefined count 1", order) << big << 7 << 1 << QByteArray("0230") << "7 1 30";
        QTest::addRow("%s undefined out of line", order) << big << 7 << 5 << offset << "7 5 3031323334";
        QTest::addRow("%s bytes inline", order) << big << 1 << 3 << QByteArray("\x01\x02\x03\x04") << "1 3 1 2 3 ";
        QTest::addRow("%s ascii count 0", order) << big << 2 << 0 << QByteArray("ab\0\0", 4) << "2 3 6162";
        QTest::addRow("%s ascii count 3", order) << big << 2 << 3 << QByteArray("ab\0d", 4) << "2 3 6162";
        QTest::addRow("%s ascii without its zero", order) << big << 2 << 3 << QByteArray("abcd") << "2 4 616263";
        QTest::addRow("%s ascii keeps inner zero", order) << big << 2 << 4 << QByteArray("a\0b\0", 4) << "2 4 610062";
        QTest::addRow("%s ascii out of line", order) << big << 2 << 6 << offset << "2 7 303132333435";
        QTest::addRow("%s short count 1", order)
            << big << 3 << 1 << (big ? QByteArray("\x01\x02\0\0", 4) : QByteArray("\x02\x01\0\0", 4)) << "3 1 258 ";
        QTest::addRow("%s shorts out of line", order) << big << 3 << 3 << offset
                                                      << (big ? "3 3 12337 12851 13365 " : "3 3 12592 13106 13620 ");
        QTest::addRow("%s long count 0", order) << big << 4 << 0 << offset << "4 0 ";
        QTest::addRow("%s long count 1", order) << big << 4 << 1 << offset << "4 1 26 ";
        QTest::addRow("%s slong count 1", order)
            << big << 9 << 1 << QByteArray("\xFF\xFF\xFF\xFF", 4) << "9 1 -1 ";
        QTest::addRow("%s rational", order) << big << 5 << 1 << offset
                                            << (big ? "5 1 808530483/875902519 " : "5 1 858927408/926299444 ");
        QTest::addRow("%s srational count 0", order) << big << 10 << 0 << offset << "10 0 ";
    }
}

void TestExifReader::entries()
{
    QFETCH(bool, bigEndian);
    QFETCH(int, type);
    QFETCH(int, count);
    QFETCH(QByteArray, field);
    QFETCH(QString, decoded);
    const QByteArray tiff = ExifTiffBuilder(bigEndian).header().u16(1)
                                .entryBytes(0x010E, quint16(type), quint32(count), field).u32(0)
                                .raw("0123456789abcdef").data();
    QExifImageHeader header;
    QVERIFY(header.loadFromData(&tiff));
    QCOMPARE(ExifSamples::describe(header.value(QExifImageHeader::ImageDescription)), decoded);
}

void TestExifReader::directories()
{
    // IFD0: a duplicated Make, an SSHORT entry, a GPS pointer and the Exif IFD pointer (to offset 62);
    // the Exif IFD holds ExifVersion, a date-time and an interoperability pointer.
    const QByteArray date("2024:01:31 12:00:00\0", 20);
    const QByteArray tiff = ExifTiffBuilder().header().u16(4)
                                .entryBytes(0x010F, 2, 2, "a").entryBytes(0x010F, 2, 2, "b")
                                .entry(0x0115, 8, 1, 3)
                                .entry(0x8769, 4, 1, 62).u32(0)
                                .u16(3).entryBytes(0x9000, 7, 4, "0230").entry(0x9003, 2, 20, 104)
                                .entry(0xA005, 4, 1, 8).u32(0).raw(date).data();
    QCOMPARE(tiff.size(), 124);
    QExifImageHeader header;
    QTest::ignoreMessage(QtWarningMsg, "Invalid Ifd Type 8");
    QVERIFY(header.loadFromData(&tiff));
    QCOMPARE(header.imageTags(), (QList<Tag>{ QExifImageHeader::Make, QExifImageHeader::SamplesPerPixel }));
    QCOMPARE(header.value(QExifImageHeader::Make).toByteArray(), QByteArray("b"));
    QVERIFY(header.value(QExifImageHeader::SamplesPerPixel).isNull());
    QCOMPARE(header.extendedTags(), (QList<QExifImageHeader::ExifExtendedTag>{
                                        QExifImageHeader::ExifVersion, QExifImageHeader::DateTimeOriginal }));
    QCOMPARE(header.value(QExifImageHeader::DateTimeOriginal).toDateTime(),
             QDateTime(QDate(2024, 1, 31), QTime(12, 0)));

    // An Exif IFD pointer that is not a one-element LONG is no pointer.
    QByteArray shortPointer = ExifTiffBuilder().header().u16(1).entryShorts(0x8769, 1, 26).u32(0)
                                  .u16(1).entryBytes(0x9000, 7, 4, "0230").u32(0).data();
    QVERIFY(header.loadFromData(&shortPointer));
    QVERIFY(header.imageTags().isEmpty());
    QVERIFY(header.extendedTags().isEmpty());
}

void TestExifReader::thumbnail()
{
    // IFD1 at 26 with offset and length of four thumbnail bytes at 80, and an orientation.
    ExifTiffBuilder tiff;
    tiff.header().u16(0).u32(14).u16(0).u32(0)  // IFD0 empty at 8, its next IFD at 14 is empty too
        ;
    const QByteArray emptyChain = tiff.data();
    QExifImageHeader header;
    QVERIFY(header.loadFromData(&emptyChain));
    QVERIFY(header.thumbnail().isEmpty());

    for (quint16 offsetType : { quint16(4), quint16(3) }) {
        const QByteArray data = ExifTiffBuilder().header().u16(0).u32(14)
                                    .u16(3).entry(0x0201, offsetType, 1, 56).entry(0x0202, 4, 1, 4)
                                    .entryShorts(0x0112, 1, 6).u32(0)
                                    .raw("\xFF\xD8\xFF\xD9").data();
        QCOMPARE(data.size(), 60);
        QVERIFY(header.loadFromData(&data));
        QCOMPARE(header.thumbnail(), offsetType == 4 ? QByteArray("\xFF\xD8\xFF\xD9") : QByteArray());
    }
}

// One crafted file per bound; each loads with the offending value dropped (and the warning logged),
// and keeps the good entry beside it.
void TestExifReader::hostileBounds_data()
{
    QTest::addColumn<QByteArray>("tiff");
    QTest::addColumn<QString>("warning");
    QTest::addColumn<QStringList>("kept");

    const auto withEntry = [](quint16 type, quint32 count, quint32 offset) {
        return ExifTiffBuilder().header().u16(2).entryBytes(0x010F, 2, 3, "ab")
            .entry(0x010E, type, count, offset).u32(0).raw(QByteArray(16, 'z')).data();
    };
    const QStringList makeOnly{ QStringLiteral("IFD0 010f 2 3 6162") };

    QTest::newRow("offset past the end") << withEntry(7, 16, 40) << "beyond" << makeOnly;
    QTest::newRow("offset plus count wraps 32 bits") << withEntry(1, 8, 0xFFFFFFFC) << "beyond" << makeOnly;
    QTest::newRow("count times size wraps 32 bits") << withEntry(5, 0x20000001, 8) << "beyond" << makeOnly;
    QTest::newRow("huge long count") << withEntry(4, 0xFFFFFFFF, 8) << "beyond" << makeOnly;
    QTest::newRow("huge ascii count") << withEntry(2, 0x7FFFFFFF, 8) << "beyond" << makeOnly;
    QTest::newRow("huge srational count") << withEntry(10, 0x10000000, 8) << "beyond" << makeOnly;
    QTest::newRow("directory count past the end")
        << ExifTiffBuilder().header().u16(0xFFFF).entryBytes(0x010F, 2, 3, "ab").raw("xxxx").data()
        << "only 1 within" << makeOnly;
    QTest::newRow("exif ifd past the end")
        << ExifTiffBuilder().header().u16(2).entryBytes(0x010F, 2, 3, "ab").entry(0x8769, 4, 1, 0xFFFFFFF0).u32(0).data()
        << "directory at 4294967280 lies beyond" << makeOnly;
    QTest::newRow("thumbnail length past the end")
        << ExifTiffBuilder().header().u16(1).entryBytes(0x010F, 2, 3, "ab").u32(26)
               .u16(2).entry(0x0201, 4, 1, 56).entry(0x0202, 4, 1, 1000).u32(0).raw("\xFF\xD8\xFF\xD9").data()
        << "thumbnail of 1000 bytes at offset 56 lies beyond" << makeOnly;
    QTest::newRow("thumbnail offset wraps 32 bits")
        << ExifTiffBuilder().header().u16(1).entryBytes(0x010F, 2, 3, "ab").u32(26)
               .u16(2).entry(0x0201, 4, 1, 0xFFFFFFFF).entry(0x0202, 4, 1, 2).u32(0).raw("\xFF\xD8\xFF\xD9").data()
        << "thumbnail of 2 bytes at offset 4294967295 lies beyond" << makeOnly;
}

void TestExifReader::hostileBounds()
{
    QFETCH(QByteArray, tiff);
    QFETCH(QString, warning);
    QFETCH(QStringList, kept);
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::escape(warning)));
    QExifImageHeader header;
    QVERIFY(header.loadFromData(&tiff));
    QStringList model = ExifSamples::describe(header);
    QCOMPARE(model.takeLast(), QStringLiteral("thumbnail "));
    QCOMPARE(model, kept);
}

// exiftool's numbers for the IFD0 and Exif IFD tags of every sample, against the reader's values.
void TestExifReader::samplesMatchExiftool()
{
    const QStringList samples = ExifSamples::files();
    if (samples.isEmpty())
        QSKIP("the goexif sample package is not installed");
    const QString exiftool = QStandardPaths::findExecutable(QStringLiteral("exiftool"));
    if (exiftool.isEmpty())
        QSKIP("exiftool is not installed");

    QTemporaryDir dir;
    QStringList files;
    for (const QString &sample : samples) {
        const QString path = dir.filePath(QFileInfo(sample).fileName());
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ExifSamples::wholeJpeg(ExifSamples::tiffPayload(sample), ExifSamples::ExifFirst));
        files << path;
    }
    QProcess process;
    process.start(exiftool, QStringList{ "-j", "-n", "-D", "-G1", "-a", "-u", "-IFD0:all", "-ExifIFD:all" } + files);
    QVERIFY(process.waitForFinished(120000));
    const QJsonArray results = QJsonDocument::fromJson(process.readAllStandardOutput()).array();
    QCOMPARE(results.size(), files.size());

    int compared = 0;
    for (const QJsonValue &result : results) {
        const QJsonObject tags = result.toObject();
        const QString file = tags.value("SourceFile").toString();
        QExifImageHeader header;
        QVERIFY2(header.loadFromJpeg(file), qPrintable(file));
        for (auto it = tags.begin(); it != tags.end(); ++it) {
            const QJsonObject tag = it.value().toObject();
            const int id = tag.value("id").toInt(-1);
            const bool inIfd0 = it.key().startsWith("IFD0:");
            // exiftool converts the APEX values (shutter speed, apertures) even with -n.
            if (id == 0x9201 || id == 0x9202 || id == 0x9205)
                continue;
            if (id < 0 || id == 0x8769 || id == 0x8825 || id == 0xA005 || (!inIfd0 && !it.key().startsWith("ExifIFD:")))
                continue;
            const QExifValue value = inIfd0 ? header.value(QExifImageHeader::ImageTag(id))
                                            : header.value(QExifImageHeader::ExifExtendedTag(id));
            const QString where = file + ' ' + it.key();
            QVERIFY2(!value.isNull(), qPrintable(where + " missing"));
            const QJsonValue expected = tag.value("val");
            QString actual;
            switch (value.type()) {
            case 2:
                actual = QString::fromLatin1(value.toByteArray()).section(QChar(0), 0, 0);
                break;
            case 1:
                // exiftool decodes the Windows text tags held as bytes.
                if (expected.isString() && id >= 0x9C9B && id <= 0x9C9F)
                    continue;
                Q_FALLTHROUGH();
            case 3: case 4: case 9: {
                QStringList numbers;
                for (const QString &n : ExifSamples::describe(value).split(' ', Qt::SkipEmptyParts).mid(2))
                    numbers << n;
                actual = numbers.join(' ');
                break;
            }
            case 5:
                if (value.count() == 1 && value.toRational().second != 0 && expected.isDouble()) {
                    const double ratio = double(value.toRational().first) / value.toRational().second;
                    QVERIFY2(qAbs(ratio - expected.toDouble()) <= 1e-6 * qMax(1.0, ratio), qPrintable(where));
                    ++compared;
                }
                continue;
            default:
                continue;
            }
            // exiftool gives a numeric text as a number.
            bool numeric = false;
            const double number = actual.toDouble(&numeric);
            if (expected.isDouble() && numeric && value.type() == 2) {
                QCOMPARE(number, expected.toDouble());
                ++compared;
                continue;
            }
            const QString text = expected.isDouble() ? QString::number(expected.toDouble(), 'g', 12) : expected.toString();
            // exiftool trims the padding some cameras put after their texts.
            QCOMPARE(actual.trimmed(), text.trimmed());
            ++compared;
        }
    }
    QVERIFY(compared > 500);
}

QTEST_MAIN(TestExifReader)
#include "tst_exif_reader.moc"
