#include "qexifvalue.h"

#include <QTextCodec>
#include <QtTest>

Q_DECLARE_METATYPE(QExifValue)
Q_DECLARE_METATYPE(QExifValue::TextEncoding)

using URational = QPair<unsigned int, unsigned int>;
using SRational = QPair<int, int>;

class TestExifValue : public QObject
{
    Q_OBJECT

private slots:
    void conversions_data();
    void conversions();
    void vectorsKeepTheirKind();
    void dateTime_data();
    void dateTime();
    void encodedText_data();
    void encodedText();
    void jisNeedsItsCodec();
    void sharing();
};

// Every scalar conversion of one value, as "byte short long slong rational srational".
void TestExifValue::conversions_data()
{
    QTest::addColumn<QExifValue>("value");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("scalars");

    QTest::newRow("null") << QExifValue() << 1 << 0 << "0 0 0 0 0/0 0/0";
    QTest::newRow("byte 7") << QExifValue(quint8(7)) << 1 << 1 << "7 7 7 7 0/0 0/0";
    QTest::newRow("two bytes") << QExifValue(QVector<quint8>{ 1, 2 }) << 1 << 2 << "0 0 0 0 0/0 0/0";
    QTest::newRow("short 65535") << QExifValue(quint16(65535)) << 3 << 1
                                 << "0 65535 65535 65535 0/0 0/0";
    QTest::newRow("shorts 1 2") << QExifValue(QVector<quint16>{ 1, 2 }) << 3 << 2 << "0 0 0 0 0/0 0/0";
    QTest::newRow("long max") << QExifValue(4294967295u) << 4 << 1 << "0 0 4294967295 -1 0/0 0/0";
    QTest::newRow("slong -5") << QExifValue(-5) << 9 << 1 << "0 0 4294967291 -5 0/0 0/0";
    QTest::newRow("rational") << QExifValue(URational(1, 3)) << 5 << 1 << "0 0 0 0 1/3 0/0";
    QTest::newRow("srational") << QExifValue(SRational(-1, 3)) << 10 << 1 << "0 0 0 0 0/0 -1/3";
    QTest::newRow("ascii abc") << QExifValue(QStringLiteral("abc"), QExifValue::EncodingNone) << 2 << 4
                               << "0 0 0 0 0/0 0/0";
    QTest::newRow("undefined") << QExifValue(QByteArray("\x01", 1)) << 7 << 1 << "0 0 0 0 0/0 0/0";
}

void TestExifValue::conversions()
{
    QFETCH(QExifValue, value);
    QFETCH(int, type);
    QFETCH(int, count);
    QFETCH(QString, scalars);
    QCOMPARE(value.type(), type);
    QCOMPARE(value.count(), count);
    const QString actual = QStringLiteral("%1 %2 %3 %4 %5/%6 %7/%8")
                               .arg(value.toByte()).arg(value.toShort()).arg(value.toLong())
                               .arg(value.toSignedLong())
                               .arg(value.toRational().first).arg(value.toRational().second)
                               .arg(value.toSignedRational().first).arg(value.toSignedRational().second);
    QCOMPARE(actual, scalars);
}

void TestExifValue::vectorsKeepTheirKind()
{
    const QExifValue shorts(QVector<quint16>{ 1, 2 });
    QCOMPARE(shorts.toShortVector(), (QVector<quint16>{ 1, 2 }));
    QVERIFY(shorts.toLongVector().isEmpty());
    QVERIFY(shorts.toByteVector().isEmpty());

    const QExifValue oneShort(quint16(9));
    QCOMPARE(oneShort.toLong(), 9u);
    QVERIFY(oneShort.toLongVector().isEmpty());

    const QExifValue slong(-5);
    QVERIFY(slong.toLongVector().isEmpty());
    QCOMPARE(slong.toSignedLongVector(), QVector<int>{ -5 });

    QVERIFY(QExifValue().toByteVector().isEmpty());
    QCOMPARE(QExifValue(QVector<URational>{ { 1, 2 }, { 3, 4 } }).toRationalVector().size(), 2);
    QCOMPARE(QExifValue(QVector<SRational>{ { -1, 2 } }).toSignedRationalVector(),
             (QVector<SRational>{ { -1, 2 } }));

    const QExifValue ascii(QStringLiteral("abc"), QExifValue::EncodingNone);
    QCOMPARE(ascii.toByteArray(), QByteArray("abc"));
    QCOMPARE(ascii.encoding(), QExifValue::EncodingNone);
}

void TestExifValue::dateTime_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("19 characters") << "2024:01:31 12:00:00" << true;
    QTest::newRow("18 characters") << "2024:01:31 12:00:0" << false;
    QTest::newRow("20 characters") << "2024:01:31 12:00:00Z" << false;
    QTest::newRow("not a date") << "2024:13:31 12:00:00" << false;
}

void TestExifValue::dateTime()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    const QDateTime dateTime = QExifValue(text, QExifValue::EncodingNone).toDateTime();
    QCOMPARE(dateTime.isValid(), valid);
    if (valid) {
        QCOMPARE(dateTime, QDateTime(QDate(2024, 1, 31), QTime(12, 0), Qt::LocalTime));
    }
    QVERIFY(!QExifValue(text.toLatin1()).toDateTime().isValid());
}

void TestExifValue::encodedText_data()
{
    QTest::addColumn<QExifValue>("value");
    QTest::addColumn<int>("count");
    QTest::addColumn<QExifValue::TextEncoding>("encoding");
    QTest::addColumn<QByteArray>("code");

    QTest::newRow("empty ascii") << QExifValue(QString(), QExifValue::EncodingAscii) << 8
                                 << QExifValue::EncodingNone << QByteArray("ASCII\0\0\0", 8);
    QTest::newRow("one letter ascii") << QExifValue(QStringLiteral("a"), QExifValue::EncodingAscii) << 9
                                      << QExifValue::EncodingAscii << QByteArray("ASCII\0\0\0a", 9);
    QTest::newRow("undefined code") << QExifValue(QStringLiteral("ab"), QExifValue::EncodingUndefined)
                                    << 10 << QExifValue::EncodingUndefined << QByteArray(8, '\0') + "ab";
    QTest::newRow("zero bytes first") << QExifValue(QByteArray(8, '\0') + 'x') << 9
                                      << QExifValue::EncodingUndefined << QByteArray(8, '\0') + 'x';
    QTest::newRow("unicode") << QExifValue(QStringLiteral("a"), QExifValue::EncodingUnicode) << 12
                             << QExifValue::EncodingUnicode
                             << QByteArray("UNICODE\0", 8)
                                    + QTextCodec::codecForName("UTF-16")->fromUnicode(QStringLiteral("a"));
    QTest::newRow("no code") << QExifValue(QByteArray("ABCDEFGHI")) << 9 << QExifValue::EncodingNone
                             << QByteArray("ABCDEFGHI");
    QTest::newRow("encoding out of range") << QExifValue(QStringLiteral("ab"), QExifValue::TextEncoding(9))
                                           << 3 << QExifValue::EncodingNone << QByteArray("ab");
}

void TestExifValue::encodedText()
{
    QFETCH(QExifValue, value);
    QFETCH(int, count);
    QFETCH(QExifValue::TextEncoding, encoding);
    QFETCH(QByteArray, code);
    QCOMPARE(value.count(), count);
    QCOMPARE(value.encoding(), encoding);
    QCOMPARE(value.toByteArray(), code);
}

void TestExifValue::jisNeedsItsCodec()
{
    const QExifValue jis(QStringLiteral("a"), QExifValue::EncodingJis);
    const bool hasCodec = QTextCodec::codecForName("JIS X 0208") != nullptr;
    QCOMPARE(jis.isNull(), !hasCodec);
    if (hasCodec)
        QCOMPARE(jis.encoding(), QExifValue::EncodingJis);
}

void TestExifValue::sharing()
{
    const QExifValue first(7u);
    const QExifValue second(7u);
    QVERIFY(first != second);
    QExifValue copy = first;
    QVERIFY(copy == first);
    copy = second;
    QVERIFY(copy == second);
    copy = copy;
    QVERIFY(copy == second);
    QVERIFY(QExifValue() == QExifValue());
    QVERIFY(QExifValue().isNull());
    QVERIFY(!QExifValue(QVector<quint8>()).isNull());

    // A vector conversion hands out the stored vector, not a copy.
    const QExifValue shorts(QVector<quint16>(1000, 3));
    QCOMPARE(shorts.toShortVector().constData(), shorts.toShortVector().constData());
}

QTEST_GUILESS_MAIN(TestExifValue)
#include "tst_exif_value.moc"
