#include "ipc/localframecodec.h"

#include <QBuffer>
#include <QtTest>

using platform::LocalFrameCodec;

Q_DECLARE_METATYPE(LocalFrameCodec::Result)

class TestLinkFrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void encodesTheQt40StringFormat();
    void decode_data();
    void decode();
    void decodesMessagesBackToBack();

private:
    static QByteArray header(quint32 length);
};

QByteArray TestLinkFrameCodec::header(quint32 length)
{
    QByteArray bytes(4, '\0');
    bytes[0] = char(length >> 24);
    bytes[1] = char(length >> 16);
    bytes[2] = char(length >> 8);
    bytes[3] = char(length);
    return bytes;
}

void TestLinkFrameCodec::encodesTheQt40StringFormat()
{
    QCOMPARE(LocalFrameCodec::encode(QStringLiteral("cap_x/p-1")),
             QByteArray::fromHex("00000012" "00630061007000" "5f0078002f0070002d0031"));
    QCOMPARE(LocalFrameCodec::encode(QString()), QByteArray::fromHex("ffffffff"));
    QCOMPARE(LocalFrameCodec::encode(QStringLiteral("")), QByteArray::fromHex("00000000"));
    // Outside the basic plane: two UTF-16 units, big-endian.
    QCOMPARE(LocalFrameCodec::encode(QString::fromUtf8("\xF0\x9F\x8E\xA4")), QByteArray::fromHex("00000004d83cdfa4"));
}

void TestLinkFrameCodec::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<LocalFrameCodec::Result>("result");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("left");

    const QByteArray frame = LocalFrameCodec::encode(QStringLiteral("cap_startRecord"));
    QTest::newRow("whole") << frame << LocalFrameCodec::Complete << QStringLiteral("cap_startRecord") << 0;
    QTest::newRow("three bytes") << frame.left(3) << LocalFrameCodec::Incomplete << QString() << 3;
    QTest::newRow("header only") << frame.left(4) << LocalFrameCodec::Incomplete << QString() << 4;
    QTest::newRow("one byte short") << frame.left(frame.size() - 1) << LocalFrameCodec::Incomplete
                                    << QString() << frame.size() - 1;
    QTest::newRow("null string") << header(0xFFFFFFFF) << LocalFrameCodec::Complete << QString() << 0;
    QTest::newRow("empty string") << header(0) << LocalFrameCodec::Complete << QString() << 0;
    QTest::newRow("odd length") << header(5) + QByteArray(5, 'a') << LocalFrameCodec::Corrupt << QString() << 9;

    const QString longest(LocalFrameCodec::MaxTextBytes / 2, QLatin1Char('x'));
    QTest::newRow("64 KiB") << LocalFrameCodec::encode(longest) << LocalFrameCodec::Complete << longest << 0;
    // Too long is known from the header alone: nothing waits for bytes that will never come.
    QTest::newRow("over 64 KiB") << header(LocalFrameCodec::MaxTextBytes + 2) << LocalFrameCodec::Corrupt
                                 << QString() << 4;
    QTest::newRow("huge") << header(0x7FFFFFFE) << LocalFrameCodec::Corrupt << QString() << 4;
}

void TestLinkFrameCodec::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(LocalFrameCodec::Result, result);
    QFETCH(QString, text);
    QFETCH(int, left);

    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QString decoded;
    QCOMPARE(LocalFrameCodec::decode(&buffer, &decoded), result);
    if (result == LocalFrameCodec::Complete) {
        QCOMPARE(decoded, text);
        QCOMPARE(decoded.isNull(), text.isNull() && bytes.startsWith(header(0xFFFFFFFF)));
    }
    QCOMPARE(int(buffer.bytesAvailable()), left);
}

void TestLinkFrameCodec::decodesMessagesBackToBack()
{
    QByteArray bytes = LocalFrameCodec::encode(QStringLiteral("cap_startRecord"))
                       + LocalFrameCodec::encode(QStringLiteral("cap_stopRecord/p75"));
    bytes.chop(1);
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QString text;
    QCOMPARE(LocalFrameCodec::decode(&buffer, &text), LocalFrameCodec::Complete);
    QCOMPARE(text, QStringLiteral("cap_startRecord"));
    QCOMPARE(LocalFrameCodec::decode(&buffer, &text), LocalFrameCodec::Incomplete);
    QCOMPARE(text, QStringLiteral("cap_startRecord"));
}

QTEST_GUILESS_MAIN(TestLinkFrameCodec)
#include "tst_link_framecodec.moc"
