#include "firmware/httpresponsereader.h"

#include <QtTest>

// Answers as they come off the connection, read whole and a byte at a time: the framing decides
// where the body ends, and whatever breaks it fails the answer rather than shortening the body.
class TestHttpResponseReader : public QObject
{
    Q_OBJECT

private slots:
    void framing_data();
    void framing();
};

void TestHttpResponseReader::framing_data()
{
    QTest::addColumn<QByteArray>("wire");
    // Whether the connection ends after the bytes.
    QTest::addColumn<bool>("closed");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");

    const int done = HttpResponseReader::Done;
    const int failed = HttpResponseReader::Failed;
    const int reading = HttpResponseReader::ReadingBody;
    const QByteArray ok = "HTTP/1.1 200 OK\r\n";
    const QByteArray chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";

    QTest::newRow("length") << ok + "Content-Length: 5\r\n\r\nhello" << false << done << 200 << QByteArray("hello");
    QTest::newRow("length, more sent") << ok + "Content-Length: 2\r\n\r\nhello" << true << done << 200
                                       << QByteArray("he");
    QTest::newRow("length, cut") << ok + "Content-Length: 9\r\n\r\nhello" << true << failed << 200
                                 << QByteArray("hello");
    QTest::newRow("length, waiting") << ok + "Content-Length: 9\r\n\r\nhello" << false << reading << 200
                                     << QByteArray("hello");
    QTest::newRow("the same length twice") << ok + "Content-Length: 2, 2\r\ncontent-length: 02\r\n\r\nhi" << false
                                           << done << 200 << QByteArray("hi");
    QTest::newRow("two lengths") << ok + "Content-Length: 2\r\nContent-Length: 3\r\n\r\nhi!" << false << failed << 200
                                 << QByteArray();
    QTest::newRow("length not a number") << ok + "Content-Length: -1\r\n\r\n" << true << failed << 200 << QByteArray();
    QTest::newRow("until close") << ok + "\r\nhello" << true << done << 200 << QByteArray("hello");
    QTest::newRow("chunks, extensions and trailers")
        << chunked + "5;name=value\r\nhello\r\n000A \r\n, world!!!\r\n0\r\nTrailer: x\r\n\r\n" << false << done << 200
        << QByteArray("hello, world!!!");
    QTest::newRow("chunks with bare line feeds") << chunked + "2\nhi\n0\n\n" << false << done << 200 << QByteArray("hi");
    QTest::newRow("chunk size 2^64-1") << chunked + "ffffffffffffffff\r\nabcdef" << true << failed << 200
                                       << QByteArray();
    QTest::newRow("chunk size 2^60") << chunked + "1000000000000000\r\nabcdef" << true << failed << 200 << QByteArray();
    QTest::newRow("chunk size with leading zeros") << chunked + "00000000000000002\r\nhi\r\n0\r\n\r\n" << false << done
                                                   << 200 << QByteArray("hi");
    QTest::newRow("chunk size not hex") << chunked + "2\r\nhi\r\nzz\r\nabc" << true << failed << 200
                                        << QByteArray("hi");
    QTest::newRow("chunk size empty") << chunked + "\r\nabc" << true << failed << 200 << QByteArray();
    QTest::newRow("chunk longer than its size") << chunked + "2\r\nhello\r\n0\r\n\r\n" << false << failed << 200
                                                << QByteArray("he");
    QTest::newRow("no last chunk") << chunked + "2\r\nhi\r\n" << true << failed << 200 << QByteArray("hi");
    QTest::newRow("cut inside a chunk") << chunked + "9\r\nhi" << true << failed << 200 << QByteArray("hi");
    QTest::newRow("length and chunks") << ok + "Content-Length: 2\r\nTransfer-Encoding: chunked\r\n\r\n2\r\nhi\r\n0\r\n\r\n"
                                       << false << failed << 200 << QByteArray();
    QTest::newRow("interim answer first") << "HTTP/1.1 100 Continue\r\n\r\n" + ok + "Content-Length: 2\r\n\r\nhi"
                                          << false << done << 200 << QByteArray("hi");
    QTest::newRow("no content") << QByteArray("HTTP/1.1 204 No Content\r\nContent-Length: 5\r\n\r\n") << false << done
                                << 204 << QByteArray();
    QTest::newRow("redirect") << QByteArray("HTTP/1.0 302 Found\r\nLocation: /x\r\nContent-Length: 0\r\n\r\n") << false
                              << done << 302 << QByteArray();
    QTest::newRow("not HTTP") << QByteArray("SSH-2.0-OpenSSH\r\n\r\n") << false << failed << 0 << QByteArray();
    QTest::newRow("status of two digits") << QByteArray("HTTP/1.1 20 OK\r\n\r\n") << false << failed << 0
                                          << QByteArray();
    QTest::newRow("folded header") << ok + "X-A: 1\r\n continued\r\n\r\n" << false << failed << 200 << QByteArray();
    QTest::newRow("endless header line") << ok + "X-A: " + QByteArray(HttpResponseReader::MaxLineBytes + 1, 'a')
                                         << false << failed << 200 << QByteArray();
    QTest::newRow("no headers before the close") << ok + "Content-Length: 2\r\n" << true << failed << 200
                                                  << QByteArray();
}

void TestHttpResponseReader::framing()
{
    QFETCH(QByteArray, wire);
    QFETCH(bool, closed);
    QFETCH(int, state);
    QFETCH(int, status);
    QFETCH(QByteArray, body);

    for (const bool byteByByte : {false, true}) {
        HttpResponseReader reader;
        QByteArray read;
        if (byteByByte) {
            for (const char c : wire)
                reader.feed(QByteArray(1, c), &read);
        } else {
            reader.feed(wire, &read);
        }
        if (closed)
            reader.closed();
        QCOMPARE(int(reader.state()), state);
        QCOMPARE(read, body);
        if (reader.hasHead())
            QCOMPARE(reader.status(), status);
        QCOMPARE(reader.errorString().isEmpty(), state != HttpResponseReader::Failed);
    }
}

QTEST_APPLESS_MAIN(TestHttpResponseReader)
#include "tst_firmware_http_response_reader.moc"
