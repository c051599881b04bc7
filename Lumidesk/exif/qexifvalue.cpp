#include "qexifvalue.h"
#include "qexifvalue_p.h"

#include <QTextCodec>

namespace {

// The character code that opens an encoded text (user-comment style fields).
const char asciiCode[8] = { 'A', 'S', 'C', 'I', 'I', 0, 0, 0 };
const char jisCode[8] = { 'J', 'I', 'S', 0, 0, 0, 0, 0 };
const char unicodeCode[8] = { 'U', 'N', 'I', 'C', 'O', 'D', 'E', 0 };
const char undefinedCode[8] = { 0, 0, 0, 0, 0, 0, 0, 0 };

// One process-wide null payload; the holder keeps a reference so that no handle ever deletes it.
struct SharedNull
{
    SharedNull() : d(new QExifByteValuePrivate(QVector<quint8>())) {}
    QExplicitlySharedDataPointer<QExifValuePrivate> d;
};

Q_GLOBAL_STATIC(SharedNull, sharedNull)

QByteArray codedText(const char (&code)[8], const QByteArray &text)
{
    QByteArray bytes;
    bytes.reserve(8 + text.size());
    bytes.append(code, 8);
    bytes.append(text);
    return bytes;
}

template <typename Kind>
const Kind *kind(const QExifValuePrivate *d, int type)
{
    return d->type == type ? static_cast<const Kind *>(d) : nullptr;
}

} // namespace

QExifValue::QExifValue()
    : d(sharedNull()->d)
{
}

QExifValue::QExifValue(unsigned char value)
    : QExifValue(QVector<unsigned char>(1, value))
{
}

QExifValue::QExifValue(const QVector<unsigned char> &value)
    : d(new QExifByteValuePrivate(value))
{
}

QExifValue::QExifValue(const QString &value, TextEncoding encoding)
    : d(sharedNull()->d)
{
    switch (encoding) {
    case EncodingAscii:
        d = new QExifUndefinedValuePrivate(codedText(asciiCode, value.toLatin1()));
        break;
    case EncodingJis:
        if (QTextCodec *codec = QTextCodec::codecForName("JIS X 0208"))
            d = new QExifUndefinedValuePrivate(codedText(jisCode, codec->fromUnicode(value)));
        break;
    case EncodingUnicode:
        if (QTextCodec *codec = QTextCodec::codecForName("UTF-16"))
            d = new QExifUndefinedValuePrivate(codedText(unicodeCode, codec->fromUnicode(value)));
        break;
    case EncodingUndefined:
        d = new QExifUndefinedValuePrivate(codedText(undefinedCode, value.toLocal8Bit()));
        break;
    case EncodingNone:
    default:
        d = new QExifAsciiValuePrivate(value);
        break;
    }
}

QExifValue::QExifValue(const QByteArray &value)
    : d(new QExifUndefinedValuePrivate(value))
{
}

QExifValue::QExifValue(unsigned short value)
    : QExifValue(QVector<unsigned short>(1, value))
{
}

QExifValue::QExifValue(const QVector<unsigned short> &value)
    : d(new QExifShortValuePrivate(value))
{
}

QExifValue::QExifValue(unsigned int value)
    : QExifValue(QVector<unsigned int>(1, value))
{
}

QExifValue::QExifValue(const QVector<unsigned int> &value)
    : d(new QExifLongValuePrivate(value))
{
}

QExifValue::QExifValue(const QPair<unsigned int, unsigned int> &value)
    : QExifValue(QVector<QPair<unsigned int, unsigned int> >(1, value))
{
}

QExifValue::QExifValue(const QVector<QPair<unsigned int, unsigned int> > &value)
    : d(new QExifRationalValuePrivate(value))
{
}

QExifValue::QExifValue(int value)
    : QExifValue(QVector<int>(1, value))
{
}

QExifValue::QExifValue(const QVector<int> &value)
    : d(new QExifSignedLongValuePrivate(value))
{
}

QExifValue::QExifValue(const QPair<int, int> &value)
    : QExifValue(QVector<QPair<int, int> >(1, value))
{
}

QExifValue::QExifValue(const QVector<QPair<int, int> > &value)
    : d(new QExifSignedRationalValuePrivate(value))
{
}

QExifValue::QExifValue(const QExifValue &other) = default;

QExifValue &QExifValue::operator=(const QExifValue &other) = default;

QExifValue::~QExifValue() = default;

bool QExifValue::operator==(const QExifValue &other) const
{
    return d == other.d;
}

bool QExifValue::isNull() const
{
    return d == sharedNull()->d;
}

int QExifValue::type() const
{
    return d->type;
}

int QExifValue::count() const
{
    return d->count;
}

QExifValue::TextEncoding QExifValue::encoding() const
{
    const auto *undefined = kind<QExifUndefinedValuePrivate>(d.data(), 7);
    if (!undefined || d->count < 9)
        return EncodingNone;
    const QByteArray &bytes = undefined->value;
    if (bytes.startsWith(QByteArray::fromRawData(asciiCode, 8)))
        return EncodingAscii;
    if (bytes.startsWith(QByteArray::fromRawData(jisCode, 8)))
        return EncodingJis;
    if (bytes.startsWith(QByteArray::fromRawData(unicodeCode, 8)))
        return EncodingUnicode;
    if (bytes.startsWith(QByteArray::fromRawData(undefinedCode, 8)))
        return EncodingUndefined;
    return EncodingNone;
}

unsigned char QExifValue::toByte() const
{
    const auto *bytes = kind<QExifByteValuePrivate>(d.data(), 1);
    return bytes && d->count == 1 ? bytes->value.at(0) : 0;
}

QVector<unsigned char> QExifValue::toByteVector() const
{
    const auto *bytes = kind<QExifByteValuePrivate>(d.data(), 1);
    return bytes ? bytes->value : QVector<unsigned char>();
}

unsigned short QExifValue::toShort() const
{
    if (d->count != 1)
        return 0;
    if (const auto *shorts = kind<QExifShortValuePrivate>(d.data(), 3))
        return shorts->value.at(0);
    return toByte();
}

QVector<unsigned short> QExifValue::toShortVector() const
{
    const auto *shorts = kind<QExifShortValuePrivate>(d.data(), 3);
    return shorts ? shorts->value : QVector<unsigned short>();
}

unsigned int QExifValue::toLong() const
{
    if (d->count != 1)
        return 0;
    switch (d->type) {
    case 1:
    case 3:
        return toShort();
    case 4:
        return static_cast<const QExifLongValuePrivate *>(d.data())->value.at(0);
    case 9:
        return quint32(static_cast<const QExifSignedLongValuePrivate *>(d.data())->value.at(0));
    default:
        return 0;
    }
}

QVector<unsigned int> QExifValue::toLongVector() const
{
    const auto *longs = kind<QExifLongValuePrivate>(d.data(), 4);
    return longs ? longs->value : QVector<unsigned int>();
}

QPair<unsigned int, unsigned int> QExifValue::toRational() const
{
    const auto *rationals = kind<QExifRationalValuePrivate>(d.data(), 5);
    return rationals && d->count == 1 ? rationals->value.at(0) : qMakePair(0u, 0u);
}

QVector<QPair<unsigned int, unsigned int> > QExifValue::toRationalVector() const
{
    const auto *rationals = kind<QExifRationalValuePrivate>(d.data(), 5);
    return rationals ? rationals->value : QVector<QPair<unsigned int, unsigned int> >();
}

QByteArray QExifValue::toByteArray() const
{
    if (const auto *undefined = kind<QExifUndefinedValuePrivate>(d.data(), 7))
        return undefined->value;
    if (const auto *ascii = kind<QExifAsciiValuePrivate>(d.data(), 2))
        return ascii->value.toLatin1();
    return QByteArray();
}

int QExifValue::toSignedLong() const
{
    return int(toLong());
}

QVector<int> QExifValue::toSignedLongVector() const
{
    const auto *longs = kind<QExifSignedLongValuePrivate>(d.data(), 9);
    return longs ? longs->value : QVector<int>();
}

QPair<int, int> QExifValue::toSignedRational() const
{
    const auto *rationals = kind<QExifSignedRationalValuePrivate>(d.data(), 10);
    return rationals && d->count == 1 ? rationals->value.at(0) : qMakePair(0, 0);
}

QVector<QPair<int, int> > QExifValue::toSignedRationalVector() const
{
    const auto *rationals = kind<QExifSignedRationalValuePrivate>(d.data(), 10);
    return rationals ? rationals->value : QVector<QPair<int, int> >();
}

QDateTime QExifValue::toDateTime() const
{
    const auto *ascii = kind<QExifAsciiValuePrivate>(d.data(), 2);
    if (!ascii || d->count != 20)
        return QDateTime();
    return QDateTime::fromString(ascii->value, QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}
