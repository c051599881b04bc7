#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QExplicitlySharedDataPointer>
#include <QPair>
#include <QString>
#include <QVector>

class QExifValuePrivate;

// The typed value of one EXIF directory entry: an implicitly shared handle to an immutable payload.
// Copying a value never copies its payload; setting a tag means replacing its value whole.
class QExifValue
{
public:
    enum TextEncoding {
        EncodingNone,
        EncodingAscii,
        EncodingJis,
        EncodingUnicode,
        EncodingUndefined
    };

    QExifValue();
    explicit QExifValue(unsigned char value);
    explicit QExifValue(const QVector<unsigned char> &value);
    explicit QExifValue(const QString &value, TextEncoding encoding = EncodingNone);
    explicit QExifValue(const QByteArray &value);
    explicit QExifValue(unsigned short value);
    explicit QExifValue(const QVector<unsigned short> &value);
    explicit QExifValue(unsigned int value);
    explicit QExifValue(const QVector<unsigned int> &value);
    explicit QExifValue(const QPair<unsigned int, unsigned int> &value);
    explicit QExifValue(const QVector<QPair<unsigned int, unsigned int> > &value);
    explicit QExifValue(int value);
    explicit QExifValue(const QVector<int> &value);
    explicit QExifValue(const QPair<int, int> &value);
    explicit QExifValue(const QVector<QPair<int, int> > &value);
    QExifValue(const QExifValue &other);
    QExifValue &operator=(const QExifValue &other);
    ~QExifValue();

    bool operator==(const QExifValue &other) const;
    bool operator!=(const QExifValue &other) const { return !operator==(other); }

    bool isNull() const;
    int type() const;
    int count() const;
    TextEncoding encoding() const;

    unsigned char toByte() const;
    QVector<unsigned char> toByteVector() const;
    unsigned short toShort() const;
    QVector<unsigned short> toShortVector() const;
    unsigned int toLong() const;
    QVector<unsigned int> toLongVector() const;
    QPair<unsigned int, unsigned int> toRational() const;
    QVector<QPair<unsigned int, unsigned int> > toRationalVector() const;
    QByteArray toByteArray() const;
    int toSignedLong() const;
    QVector<int> toSignedLongVector() const;
    QPair<int, int> toSignedRational() const;
    QVector<QPair<int, int> > toSignedRationalVector() const;
    QDateTime toDateTime() const;

private:
    QExplicitlySharedDataPointer<QExifValuePrivate> d;
};
