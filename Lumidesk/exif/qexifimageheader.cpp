#include "qexifimageheader.h"
#include "exifbytereader.h"
#include "exifbytewriter.h"
#include "exififdheader.h"
#include "qexifvalue_p.h"

#include <QBuffer>
#include <QFile>
#include <QFileDevice>
#include <QtDebug>

#include <cstring>

class QExifImageHeaderPrivate
{
public:
    QDataStream::ByteOrder byteOrder = QDataStream::LittleEndian;
    QMap<QExifImageHeader::ImageTag, QExifValue> imageIfdValues;
    QMap<QExifImageHeader::ExifExtendedTag, QExifValue> exifIfdValues;
    QMap<quint16, QExifValue> thumbnailIfdValues;
    QByteArray thumbnailData;
    QExifValue thumbnailXResolution;
    QExifValue thumbnailYResolution;
    QExifValue thumbnailResolutionUnit;
    QExifValue thumbnailOrientation;
};

namespace {

const char exifHeader[6] = { 'E', 'x', 'i', 'f', 0, 0 };
const quint16 startOfImage = 0xFFD8;
const quint16 app0Marker = 0xFFE0;
const quint16 app1Marker = 0xFFE1;
const quint16 thumbnailOffsetTag = 0x0201;
const quint16 thumbnailLengthTag = 0x0202;
const quint16 exifIfdPointerTag = 0x8769;
const quint16 interoperabilityPointerTag = 0xA005;
// A segment length is 16 bits and counts its own two bytes.
const int maximumPayloadSize = 0xFFFF - 2;

// Tags whose value is an offset into the TIFF data. Their targets are not carried over when the data
// is written anew (the Exif IFD pointer is generated), so writing them back would leave offsets that
// point at unrelated bytes.
bool isCarriedOver(quint16 tag)
{
    switch (tag) {
    case 0x0111: // StripOffsets
    case 0x0144: // TileOffsets
    case 0x014A: // SubIFDs
    case thumbnailOffsetTag:
    case exifIfdPointerTag:
    case 0x8825: // GPS IFD pointer
    case interoperabilityPointerTag:
        return false;
    default:
        return true;
    }
}

quint64 elementSize(int type)
{
    switch (type) {
    case 1:
    case 2:
    case 7:
        return 1;
    case 3:
        return 2;
    case 4:
    case 9:
        return 4;
    case 5:
    case 10:
        return 8;
    default:
        return 0;
    }
}

// The bytes a value takes outside its entry; 0 when it fits in the entry's 4 bytes.
quint64 outOfLineSize(const QExifValue &value)
{
    const quint64 bytes = quint64(value.count()) * elementSize(value.type());
    return bytes > 4 ? bytes : 0;
}

quint16 bigEndian16(const QByteArray &bytes)
{
    return quint16((uchar(bytes.at(0)) << 8) | uchar(bytes.at(1)));
}

bool skipBytes(QIODevice *device, qint64 count)
{
    if (device->isSequential())
        return device->skip(count) == count;
    return device->seek(device->pos() + count);
}

void appendBigEndian16(QByteArray *bytes, quint16 value)
{
    bytes->append(char(value >> 8));
    bytes->append(char(value & 0xFF));
}

// One JPEG segment found in a stream held in memory: its marker and where its body lies.
struct Segment
{
    quint16 marker = 0;
    quint64 bodyStart = 0;
    quint64 bodySize = 0;
    quint64 end() const { return bodyStart + bodySize; }
};

bool segmentAt(const ExifByteReader &stream, quint64 position, Segment *segment)
{
    if (!stream.contains(position, 4))
        return false;
    const quint16 length = stream.u16(position + 2);
    if (length < 2 || !stream.contains(position + 4, length - 2))
        return false;
    segment->marker = stream.u16(position);
    segment->bodyStart = position + 4;
    segment->bodySize = length - 2;
    return true;
}

bool bodyStartsWith(const ExifByteReader &stream, const Segment &segment, const char *tag)
{
    const quint64 size = std::strlen(tag);
    return segment.bodySize >= size && std::memcmp(stream.at(segment.bodyStart), tag, size) == 0;
}

quint16 markerAt(const ExifByteReader &stream, quint64 position)
{
    return stream.contains(position, 2) ? stream.u16(position) : 0;
}

// The new EXIF segment; an existing one it replaces is never shortened, so the rewritten stream is
// never shorter than the old one and the device needs no truncation.
QByteArray exifSegment(const QByteArray &payload, quint64 replacedBodySize)
{
    QByteArray body = payload;
    if (quint64(body.size()) < replacedBodySize)
        body.append(int(replacedBodySize - quint64(body.size())), '\0');
    QByteArray segment;
    segment.reserve(body.size() + 4);
    appendBigEndian16(&segment, app1Marker);
    appendBigEndian16(&segment, quint16(body.size() + 2));
    segment.append(body);
    return segment;
}

// Writes the bytes a rewrite adds past the old end of a file. It goes through a handle of its own
// without a write buffer: a buffered file keeps the bytes it failed to write and would retry them
// later (and refuse to be cut back meanwhile), which would leave the file longer than before.
bool secureTail(QFileDevice *file, qint64 oldEnd, const char *tail, qint64 size)
{
    QFile direct(file->fileName());
    QFileDevice *target = file;
    if (!file->fileName().isEmpty()
        && direct.open(QIODevice::ReadWrite | QIODevice::Unbuffered | QIODevice::ExistingOnly))
        target = &direct;
    const bool secured = target->seek(oldEnd) && target->write(tail, size) == size && target->flush();
    if (!secured) {
        target->resize(oldEnd);
        qWarning("EXIF rewrite could not extend the file by %lld bytes; it is left as it was", size);
    }
    return secured;
}

QByteArray bytesOf(const ExifByteReader &stream, quint64 from, quint64 to)
{
    return stream.data().mid(int(from), int(to - from));
}

} // namespace

QExifImageHeader::QExifImageHeader()
    : d(new QExifImageHeaderPrivate)
{
}

QExifImageHeader::QExifImageHeader(const QString &fileName)
    : QExifImageHeader()
{
    QFile file(fileName);
    if (file.open(QIODevice::ReadOnly))
        loadFromJpeg(&file);
}

QExifImageHeader::QExifImageHeader(const QByteArray *data, unsigned char marker)
    : QExifImageHeader()
{
    this->marker = marker;
    loadFromData(data);
}

QExifImageHeader::~QExifImageHeader()
{
    delete d;
}

bool QExifImageHeader::loadFromJpeg(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return loadFromJpeg(&file);
}

bool QExifImageHeader::loadFromJpeg(QIODevice *device)
{
    clear();
    if (!device)
        return false;
    const QByteArray payload = extractExif(device);
    // An EXIF segment that ends the stream belongs to no image.
    if (payload.isEmpty() || device->read(20).isEmpty())
        return false;
    loaded = readTiff(payload);
    return loaded;
}

bool QExifImageHeader::loadFromData(const QByteArray *data)
{
    clear();
    loaded = data && readTiff(*data);
    return loaded;
}

bool QExifImageHeader::read(QIODevice *device)
{
    clear();
    if (!device || !device->isReadable())
        return false;
    // A buffer's bytes are shared rather than copied; any other device is read to its end, which
    // bounds every offset in the data by what the device really holds.
    if (auto *buffer = qobject_cast<QBuffer *>(device)) {
        const qint64 position = buffer->pos();
        const QByteArray data = position == 0 ? buffer->data() : buffer->data().mid(int(position));
        buffer->seek(buffer->size());
        return readTiff(data);
    }
    return readTiff(device->readAll());
}

QByteArray QExifImageHeader::extractExif(QIODevice *device) const
{
    if (!device || device->read(2) != QByteArray("\xFF\xD8", 2))
        return QByteArray();
    forever {
        const QByteArray marker = device->read(2);
        if (marker == QByteArray("\xFF\xE1", 2))
            break;
        if (device->atEnd())
            return QByteArray();
        const QByteArray length = device->read(2);
        if (length.size() < 2)
            return QByteArray();
        const quint16 segmentLength = bigEndian16(length);
        // A length below its own two bytes would move the search backwards, for ever.
        if (segmentLength < 2 || !skipBytes(device, segmentLength - 2))
            return QByteArray();
    }
    const QByteArray header = device->read(8);
    if (header.size() < 8 || header.mid(2, 4) != "Exif")
        return QByteArray();
    const quint16 segmentLength = bigEndian16(header);
    if (segmentLength <= 8)
        return QByteArray();
    return device->read(segmentLength - 8);
}

void QExifImageHeader::clear()
{
    d->imageIfdValues.clear();
    d->exifIfdValues.clear();
    d->thumbnailData.clear();
}

QExifValue QExifImageHeader::value(ImageTag tag) const
{
    return d->imageIfdValues.value(tag);
}

QExifValue QExifImageHeader::value(ExifExtendedTag tag) const
{
    return d->exifIfdValues.value(tag);
}

void QExifImageHeader::setValue(ImageTag tag, const QExifValue &value)
{
    d->imageIfdValues.insert(tag, value);
}

void QExifImageHeader::setValue(ExifExtendedTag tag, const QExifValue &value)
{
    d->exifIfdValues.insert(tag, value);
}

QList<QExifImageHeader::ImageTag> QExifImageHeader::imageTags() const
{
    return d->imageIfdValues.keys();
}

QList<QExifImageHeader::ExifExtendedTag> QExifImageHeader::extendedTags() const
{
    return d->exifIfdValues.keys();
}

QByteArray QExifImageHeader::thumbnail() const
{
    return d->thumbnailData;
}

QDataStream::ByteOrder QExifImageHeader::byteOrder() const
{
    return d->byteOrder;
}

// Reading

bool QExifImageHeader::readTiff(const QByteArray &data)
{
    clear();
    bool bigEndian = false;
    if (data.startsWith("MM"))
        bigEndian = true;
    else if (!data.startsWith("II"))
        return false;
    d->byteOrder = bigEndian ? QDataStream::BigEndian : QDataStream::LittleEndian;

    const ExifByteReader tiff(data, bigEndian);
    if (tiff.u16(2) != 42)
        return false;

    quint32 thumbnailIfd = 0;
    d->imageIfdValues = readIfdValues<ImageTag>(tiff, readIfdHeaders(tiff, tiff.u32(4), &thumbnailIfd));

    const QExifValue exifPointer = d->imageIfdValues.take(ExifIfdPointer);
    if (exifPointer.type() == 4 && exifPointer.count() == 1) {
        quint32 unused = 0;
        d->exifIfdValues = readIfdValues<ExifExtendedTag>(
            tiff, readIfdHeaders(tiff, exifPointer.toLong(), &unused));
        d->exifIfdValues.remove(InteroperabilityIfdPointer);
    }

    if (thumbnailIfd != 0)
        readThumbnail(tiff, thumbnailIfd);
    return true;
}

QList<ExifIfdHeader> QExifImageHeader::readIfdHeaders(const ExifByteReader &data, quint64 offset,
                                                      quint32 *nextIfd) const
{
    *nextIfd = 0;
    QList<ExifIfdHeader> headers;
    if (!data.contains(offset, 2)) {
        qWarning("EXIF directory at %llu lies beyond the %llu bytes of data", offset, data.size());
        return headers;
    }
    const quint16 count = data.u16(offset);
    const quint64 first = offset + 2;
    const quint64 present = (data.size() - first) / 12;
    const quint64 entries = qMin<quint64>(count, present);
    if (entries < count)
        qWarning("EXIF directory at %llu: %u entries, only %llu within the data", offset, count, entries);

    headers.reserve(int(entries));
    for (quint64 i = 0; i < entries; ++i) {
        const quint64 at = first + 12 * i;
        ExifIfdHeader header;
        header.tag = data.u16Unchecked(at);
        header.type = data.u16Unchecked(at + 2);
        header.count = data.u32Unchecked(at + 4);
        std::memcpy(header.bytes, data.at(at + 8), 4);
        header.shorts[0] = data.u16Unchecked(at + 8);
        header.shorts[1] = data.u16Unchecked(at + 10);
        header.offset = data.u32Unchecked(at + 8);
        headers.append(header);
    }
    if (entries == count)
        *nextIfd = data.u32(first + 12 * entries);
    return headers;
}

QExifValue QExifImageHeader::readIfdValue(const ExifByteReader &data, const ExifIfdHeader &header,
                                          bool *present) const
{
    *present = true;
    const quint64 size = elementSize(header.type);
    if (size == 0) {
        qWarning() << "Invalid Ifd Type" << header.type;
        return QExifValue();
    }
    const quint64 count = header.count;
    const bool inlineValue = count * size <= 4 && header.type != 5 && header.type != 10;
    if (!inlineValue && !data.contains(header.offset, count * size)) {
        qWarning("EXIF tag 0x%04x: %llu bytes at offset %u lie beyond the %llu bytes of data; "
                 "the value is dropped", header.tag, count * size, header.offset, data.size());
        *present = false;
        return QExifValue();
    }
    const uchar *bytes = inlineValue ? header.bytes : data.at(header.offset);
    const int n = int(count);

    switch (header.type) {
    case 1: {
        QVector<quint8> values(n);
        if (n > 0)
            std::memcpy(values.data(), bytes, size_t(n));
        return QExifValue(values);
    }
    case 2: {
        // The last counted byte is the terminating zero; some cameras count none, and their last
        // letter is kept rather than dropped.
        int length = n > 0 && bytes[n - 1] != 0 ? n : n - 1;
        if (n == 0)
            length = int(qstrnlen(reinterpret_cast<const char *>(bytes), 4));
        return QExifValue(QString::fromLatin1(reinterpret_cast<const char *>(bytes), length),
                          QExifValue::EncodingNone);
    }
    case 3: {
        QVector<quint16> values(n);
        for (int i = 0; i < n; ++i)
            values[i] = inlineValue ? header.shorts[i] : data.u16Unchecked(header.offset + 2ull * i);
        return QExifValue(values);
    }
    case 4: {
        QVector<quint32> values(n);
        for (int i = 0; i < n; ++i)
            values[i] = inlineValue ? header.offset : data.u32Unchecked(header.offset + 4ull * i);
        return QExifValue(values);
    }
    case 5: {
        QVector<QPair<quint32, quint32> > values(n);
        for (int i = 0; i < n; ++i) {
            const quint64 at = header.offset + 8ull * i;
            values[i] = qMakePair(data.u32Unchecked(at), data.u32Unchecked(at + 4));
        }
        return QExifValue(values);
    }
    case 7:
        return QExifValue(QByteArray(reinterpret_cast<const char *>(bytes), n));
    case 9: {
        QVector<qint32> values(n);
        for (int i = 0; i < n; ++i)
            values[i] = qint32(inlineValue ? header.offset : data.u32Unchecked(header.offset + 4ull * i));
        return QExifValue(values);
    }
    case 10: {
        QVector<QPair<qint32, qint32> > values(n);
        for (int i = 0; i < n; ++i) {
            const quint64 at = header.offset + 8ull * i;
            values[i] = qMakePair(qint32(data.u32Unchecked(at)), qint32(data.u32Unchecked(at + 4)));
        }
        return QExifValue(values);
    }
    default:
        return QExifValue();
    }
}

template <typename Tag>
QMap<Tag, QExifValue> QExifImageHeader::readIfdValues(const ExifByteReader &data,
                                                      const QList<ExifIfdHeader> &headers) const
{
    QMap<Tag, QExifValue> values;
    for (const ExifIfdHeader &header : headers) {
        bool present = true;
        const QExifValue value = readIfdValue(data, header, &present);
        if (present)
            values.insert(Tag(header.tag), value);
    }
    return values;
}

void QExifImageHeader::readThumbnail(const ExifByteReader &data, quint32 ifdOffset)
{
    quint32 unused = 0;
    d->thumbnailIfdValues = readIfdValues<quint16>(data, readIfdHeaders(data, ifdOffset, &unused));

    const QExifValue offset = d->thumbnailIfdValues.value(thumbnailOffsetTag);
    const QExifValue length = d->thumbnailIfdValues.value(thumbnailLengthTag);
    if (offset.type() != 4 || offset.count() != 1 || length.type() != 4 || length.count() != 1)
        return;
    if (!data.contains(offset.toLong(), length.toLong())) {
        qWarning("EXIF thumbnail of %u bytes at offset %u lies beyond the %llu bytes of data; "
                 "it is refused", length.toLong(), offset.toLong(), data.size());
        return;
    }
    d->thumbnailData = data.data().mid(int(offset.toLong()), int(length.toLong()));
    d->thumbnailXResolution = d->thumbnailIfdValues.value(0x011A);
    d->thumbnailYResolution = d->thumbnailIfdValues.value(0x011B);
    d->thumbnailResolutionUnit = d->thumbnailIfdValues.value(0x0128);
    d->thumbnailOrientation = d->thumbnailIfdValues.value(0x0112);
}

// Writing

int QExifImageHeader::sizeOf(const QExifValue &value) const
{
    // Every value takes its 12-byte entry, a type outside the tables included (its 4 bytes are 0).
    return int(12 + outOfLineSize(value));
}

template <typename Tag>
quint64 QExifImageHeader::ifdSize(const QMap<Tag, QExifValue> &values) const
{
    quint64 size = 2 + 4;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (isCarriedOver(quint16(it.key())))
            size += quint64(sizeOf(it.value()));
    }
    return size;
}

template <typename Tag>
QMap<Tag, QExifValue> QExifImageHeader::writtenValues(const QMap<Tag, QExifValue> &values) const
{
    QMap<Tag, QExifValue> written = values;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!isCarriedOver(quint16(it.key())))
            written.remove(it.key());
    }
    return written;
}

quint32 QExifImageHeader::writeExifHeader(ExifByteWriter &stream, quint16 tag,
                                          const QExifValue &value, quint32 offset) const
{
    stream.u16(tag);
    stream.u16(quint16(value.type()));
    stream.u32(quint32(value.count()));
    const quint64 outOfLine = outOfLineSize(value);
    if (outOfLine > 0) {
        stream.u32(offset);
        return quint32(offset + outOfLine);
    }

    const int count = value.count();
    switch (value.type()) {
    case 1: {
        const QVector<quint8> bytes = value.toByteVector();
        stream.bytes(reinterpret_cast<const char *>(bytes.constData()), count);
        stream.zeros(4 - count);
        break;
    }
    case 2: {
        const QByteArray text = value.toByteArray();
        stream.bytes(text.constData(), count - 1);
        stream.zeros(4 - (count - 1));
        break;
    }
    case 3: {
        const QVector<quint16> shorts = value.toShortVector();
        for (int i = 0; i < 2; ++i)
            stream.u16(i < count ? shorts.at(i) : 0);
        break;
    }
    case 4:
    case 9:
        stream.u32(count == 1 ? value.toLong() : 0);
        break;
    case 7: {
        const QByteArray bytes = value.toByteArray();
        stream.bytes(bytes.constData(), count);
        stream.zeros(4 - count);
        break;
    }
    case 5:
    case 10:
        stream.u32(0);
        break;
    default:
        qWarning() << "Invalid Ifd Type" << value.type();
        stream.u32(0);
        break;
    }
    return offset;
}

void QExifImageHeader::writeExifValue(ExifByteWriter &stream, const QExifValue &value) const
{
    if (outOfLineSize(value) == 0)
        return;
    switch (value.type()) {
    case 1: {
        const QVector<quint8> bytes = value.toByteVector();
        stream.bytes(reinterpret_cast<const char *>(bytes.constData()), bytes.size());
        break;
    }
    case 2: {
        const QByteArray text = value.toByteArray();
        stream.bytes(text.constData(), text.size());
        stream.u8(0);
        break;
    }
    case 3:
        for (quint16 element : value.toShortVector())
            stream.u16(element);
        break;
    case 4:
        for (quint32 element : value.toLongVector())
            stream.u32(element);
        break;
    case 5:
        for (const auto &element : value.toRationalVector()) {
            stream.u32(element.first);
            stream.u32(element.second);
        }
        break;
    case 7: {
        const QByteArray bytes = value.toByteArray();
        stream.bytes(bytes.constData(), bytes.size());
        break;
    }
    case 9:
        for (qint32 element : value.toSignedLongVector())
            stream.u32(quint32(element));
        break;
    case 10:
        for (const auto &element : value.toSignedRationalVector()) {
            stream.u32(quint32(element.first));
            stream.u32(quint32(element.second));
        }
        break;
    default:
        break;
    }
}

bool QExifImageHeader::buildTiff(QByteArray *data) const
{
    const auto image = writtenValues(d->imageIfdValues);
    const auto exif = writtenValues(d->exifIfdValues);
    const bool thumbnail = !d->thumbnailData.isEmpty();

    // Missing thumbnail values take their defaults; the two that stand inline only (no room is
    // laid out for their data) take them too when they would not fit.
    auto orDefault = [](const QExifValue &value, const QExifValue &fallback, bool inlineOnly) {
        if (value.isNull() || (inlineOnly && outOfLineSize(value) > 0))
            return fallback;
        return value;
    };
    const QExifValue xResolution = orDefault(d->thumbnailXResolution, QExifValue(qMakePair(72u, 1u)), false);
    const QExifValue yResolution = orDefault(d->thumbnailYResolution, QExifValue(qMakePair(72u, 1u)), false);
    const QExifValue resolutionUnit = orDefault(d->thumbnailResolutionUnit, QExifValue(quint16(2)), true);
    const QExifValue orientation = orDefault(d->thumbnailOrientation, QExifValue(quint16(0)), true);

    const quint64 exifOffset = 8 + ifdSize(image) + 12;
    const quint64 thumbnailOffset = exifOffset + ifdSize(exif);
    quint64 total = thumbnailOffset;
    if (thumbnail)
        total += 90 + outOfLineSize(xResolution) + outOfLineSize(yResolution)
                 + quint64(d->thumbnailData.size());
    if (total > quint64(std::numeric_limits<int>::max() / 2)) {
        qWarning("EXIF data of %llu bytes is too large to write", total);
        return false;
    }

    data->clear();
    data->reserve(int(total));
    ExifByteWriter stream(data, d->byteOrder == QDataStream::BigEndian);
    stream.bytes(stream.bigEndian() ? "MM" : "II", 2);
    stream.u16(42);
    stream.u32(8);

    stream.u16(quint16(image.size() + 1));
    quint32 freeOffset = quint32(26 + 12 * image.size());
    for (auto it = image.cbegin(); it != image.cend(); ++it)
        freeOffset = writeExifHeader(stream, quint16(it.key()), it.value(), freeOffset);
    stream.u16(exifIfdPointerTag);
    stream.u16(4);
    stream.u32(1);
    stream.u32(quint32(exifOffset));
    stream.u32(thumbnail ? quint32(thumbnailOffset) : 0);
    for (const QExifValue &value : image)
        writeExifValue(stream, value);

    stream.u16(quint16(exif.size()));
    freeOffset = quint32(exifOffset + 2 + 12 * exif.size() + 4);
    for (auto it = exif.cbegin(); it != exif.cend(); ++it)
        freeOffset = writeExifHeader(stream, quint16(it.key()), it.value(), freeOffset);
    stream.u32(0);
    for (const QExifValue &value : exif)
        writeExifValue(stream, value);

    if (thumbnail) {
        stream.u16(7);
        freeOffset = quint32(thumbnailOffset + 90);
        freeOffset = writeExifHeader(stream, 0x0103, QExifValue(quint16(6)), freeOffset);
        freeOffset = writeExifHeader(stream, 0x011A, xResolution, freeOffset);
        freeOffset = writeExifHeader(stream, 0x011B, yResolution, freeOffset);
        freeOffset = writeExifHeader(stream, 0x0128, resolutionUnit, freeOffset);
        freeOffset = writeExifHeader(stream, 0x0112, orientation, freeOffset);
        writeExifHeader(stream, thumbnailOffsetTag, QExifValue(freeOffset), freeOffset);
        writeExifHeader(stream, thumbnailLengthTag, QExifValue(quint32(d->thumbnailData.size())),
                        freeOffset);
        stream.u32(0);
        writeExifValue(stream, xResolution);
        writeExifValue(stream, yResolution);
        stream.bytes(d->thumbnailData.constData(), d->thumbnailData.size());
    }
    return quint64(data->size()) == total;
}

qint64 QExifImageHeader::write(QIODevice *device) const
{
    QByteArray data;
    if (!device || !buildTiff(&data))
        return -1;
    return device->write(data) == data.size() ? data.size() : -1;
}

bool QExifImageHeader::saveToJpeg(const QString &fileName) const
{
    // Saving rewrites an image; it never makes one, so a missing file is not created.
    QFile file(fileName);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return false;
    return saveToJpeg(&file);
}

bool QExifImageHeader::saveToJpeg(QIODevice *device) const
{
    if (!device || device->isSequential() || !device->isReadable() || !device->isWritable())
        return false;
    QByteArray tiff;
    if (!buildTiff(&tiff))
        return false;
    const QByteArray payload = QByteArray::fromRawData(exifHeader, 6) + tiff;
    if (payload.size() > maximumPayloadSize) {
        qWarning("EXIF payload of %d bytes does not fit one JPEG segment", payload.size());
        return false;
    }
    return rewriteJpeg(device, payload);
}

bool QExifImageHeader::rewriteJpeg(QIODevice *device, const QByteArray &payload) const
{
    const qint64 start = device->pos();
    const QByteArray old = device->readAll();
    const ExifByteReader stream(old, true);
    if (stream.u16(0) != startOfImage)
        return false;

    QByteArray rewritten;
    rewritten.reserve(old.size() + payload.size() + 4);
    appendBigEndian16(&rewritten, startOfImage);

    Segment first;
    const quint16 firstMarker = markerAt(stream, 2);
    if (firstMarker == app1Marker) {
        if (!segmentAt(stream, 2, &first) || !bodyStartsWith(stream, first, "Exif"))
            return false;
        rewritten += exifSegment(payload, first.bodySize);
        rewritten += bytesOf(stream, first.end(), stream.size());
    } else if (firstMarker == app0Marker) {
        if (!segmentAt(stream, 2, &first) || !bodyStartsWith(stream, first, "JFIF"))
            return false;
        rewritten += bytesOf(stream, 2, first.end());
        Segment second;
        if (markerAt(stream, first.end()) == app1Marker) {
            if (!segmentAt(stream, first.end(), &second) || !bodyStartsWith(stream, second, "Exif"))
                return false;
            rewritten += exifSegment(payload, second.bodySize);
            rewritten += bytesOf(stream, second.end(), stream.size());
        } else {
            rewritten += exifSegment(payload, 0);
            rewritten += bytesOf(stream, first.end(), stream.size());
        }
    } else {
        rewritten += exifSegment(payload, 0);
        rewritten += bytesOf(stream, 2, stream.size());
    }

    // The new stream is never shorter than the old one. For a file, its added tail is written
    // first, past the old end: when the disk is full that fails while every old byte is still
    // intact, and the file is cut back to its old length.
    auto *file = qobject_cast<QFileDevice *>(device);
    const qint64 oldSize = old.size();
    const qint64 grown = rewritten.size() - oldSize;
    if (file && grown > 0 && !secureTail(file, start + oldSize, rewritten.constData() + oldSize, grown))
        return false;
    const qint64 length = file ? oldSize : rewritten.size();
    if (!device->seek(start) || device->write(rewritten.constData(), length) != length)
        return false;
    return !file || file->flush();
}
