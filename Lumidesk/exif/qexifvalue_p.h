#pragma once

// The payload kinds behind QExifValue, one per EXIF field type that the reader and writer carry.
// Private to the EXIF code: callers only ever see the QExifValue handle.

#include <QByteArray>
#include <QPair>
#include <QSharedData>
#include <QString>
#include <QVector>

class QExifValuePrivate : public QSharedData
{
public:
    QExifValuePrivate(quint16 type, int count) : type(type), count(count) {}
    virtual ~QExifValuePrivate() = default;

    const quint16 type;
    const int count;
};

class QExifByteValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifByteValuePrivate(const QVector<quint8> &value)
        : QExifValuePrivate(1, value.size()), value(value) {}
    ~QExifByteValuePrivate() override = default;

    const QVector<quint8> value;
};

class QExifAsciiValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifAsciiValuePrivate(const QString &value)
        : QExifValuePrivate(2, value.size() + 1), value(value) {}
    ~QExifAsciiValuePrivate() override = default;

    const QString value;
};

class QExifShortValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifShortValuePrivate(const QVector<quint16> &value)
        : QExifValuePrivate(3, value.size()), value(value) {}
    ~QExifShortValuePrivate() override = default;

    const QVector<quint16> value;
};

class QExifLongValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifLongValuePrivate(const QVector<quint32> &value)
        : QExifValuePrivate(4, value.size()), value(value) {}
    ~QExifLongValuePrivate() override = default;

    const QVector<quint32> value;
};

class QExifRationalValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifRationalValuePrivate(const QVector<QPair<quint32, quint32> > &value)
        : QExifValuePrivate(5, value.size()), value(value) {}
    ~QExifRationalValuePrivate() override = default;

    const QVector<QPair<quint32, quint32> > value;
};

class QExifUndefinedValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifUndefinedValuePrivate(const QByteArray &value)
        : QExifValuePrivate(7, value.size()), value(value) {}
    ~QExifUndefinedValuePrivate() override = default;

    const QByteArray value;
};

class QExifSignedLongValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifSignedLongValuePrivate(const QVector<qint32> &value)
        : QExifValuePrivate(9, value.size()), value(value) {}
    ~QExifSignedLongValuePrivate() override = default;

    const QVector<qint32> value;
};

class QExifSignedRationalValuePrivate : public QExifValuePrivate
{
public:
    explicit QExifSignedRationalValuePrivate(const QVector<QPair<qint32, qint32> > &value)
        : QExifValuePrivate(10, value.size()), value(value) {}
    ~QExifSignedRationalValuePrivate() override = default;

    const QVector<QPair<qint32, qint32> > value;
};
