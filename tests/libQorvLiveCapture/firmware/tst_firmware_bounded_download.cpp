#include "firmware/boundeddownload.h"
#include "scriptedhttpserver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QPointer>
#include <QTcpServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <memory>

using Reply = ScriptedHttpServer::Reply;
Q_DECLARE_METATYPE(ScriptedHttpServer::Reply)

namespace {

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
// A download the limits under test do not end is cut off here, so a missing limit fails the test
// rather than hanging it.
constexpr int GuardMsecs = 6000;

DownloadLimits sizeOnly(qint64 maxBytes)
{
    DownloadLimits limits;
    limits.maxBytes = maxBytes;
    return limits;
}

qint64 residentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong() * KiB;
    }
    return -1;
}

} // namespace

class TestBoundedDownload : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sizeLimits_data();
    void sizeLimits();
    void noCompressedBodies();
    void overallDeadline_data();
    void overallDeadline();
    void rateWindow_data();
    void rateWindow();
    void rateWindowOnItsClock();
    void readerHoldsLittle();
    void redirectLimit_data();
    void redirectLimit();
    void managersProxy_data();
    void managersProxy();
    void deletedMidTransfer_data();
    void deletedMidTransfer();

private:
    // Runs one download to its end (or to the guard); false when it did not end by itself.
    bool run(const QUrl &url, qint64 *elapsedMsecs = nullptr);
    QStringList folderEntries() const;

    std::unique_ptr<ScriptedHttpServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
    std::unique_ptr<BoundedDownload> m_download;
    std::unique_ptr<QTemporaryDir> m_folder;
    qint64 m_lastRead = 0;
};

void TestBoundedDownload::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    m_manager = std::make_unique<QNetworkAccessManager>();
    m_download = std::make_unique<BoundedDownload>(m_manager.get());
    m_folder = std::make_unique<QTemporaryDir>();
    m_lastRead = 0;
    connect(m_download.get(), &BoundedDownload::progress, this, [this](qint64 read, qint64) { m_lastRead = read; });
}

void TestBoundedDownload::cleanup()
{
    m_download.reset();
    m_manager.reset();
    m_server.reset();
    m_folder.reset();
}

bool TestBoundedDownload::run(const QUrl &url, qint64 *elapsedMsecs)
{
    QElapsedTimer clock;
    clock.start();
    QSignalSpy finished(m_download.get(), &BoundedDownload::finished);
    if (!m_download->start(url, m_folder->filePath(QStringLiteral("file.bin"))))
        return true;
    bool ended = finished.wait(GuardMsecs) || !finished.isEmpty();
    if (!ended) {
        m_download->abort();
        ended = false;
    }
    if (elapsedMsecs)
        *elapsedMsecs = clock.elapsed();
    return ended;
}

QStringList TestBoundedDownload::folderEntries() const
{
    return QDir(m_folder->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

void TestBoundedDownload::sizeLimits_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<int>("result");

    // Limit: 256 KiB.
    Reply endless = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(64 * KiB));
    endless.endless = true;
    QTest::newRow("endless body") << endless << int(BoundedDownload::TooLarge);
    Reply endlessChunked = endless;
    endlessChunked.chunked = true;
    QTest::newRow("endless chunked body") << endlessChunked << int(BoundedDownload::TooLarge);
    // Refused on the headers, long before the dripping body could end.
    Reply huge = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(1000));
    huge.announcedLength = qint64(1) << 40;
    huge.pieceBytes = 10;
    huge.pieceDelayMsecs = 200;
    QTest::newRow("a terabyte announced") << huge << int(BoundedDownload::TooLarge);
    const Reply over = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(256 * KiB + 1));
    QTest::newRow("one byte over") << over << int(BoundedDownload::TooLarge);
    const Reply atLimit = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(256 * KiB));
    QTest::newRow("at the limit") << atLimit << int(BoundedDownload::Succeeded);
    // An error page is judged on its headers: however long its body, it is not read.
    Reply endlessError = endless;
    endlessError.status = 500;
    QTest::newRow("endless error page") << endlessError << int(BoundedDownload::Failed);
}

void TestBoundedDownload::sizeLimits()
{
    QFETCH(Reply, reply);
    QFETCH(int, result);
    m_server->route("/file.bin", reply);
    m_download->setLimits(sizeOnly(256 * KiB));

    qint64 elapsed = 0;
    QVERIFY(run(m_server->url(QStringLiteral("/file.bin")), &elapsed));
    QCOMPARE(int(m_download->result()), result);
    if (result == BoundedDownload::Succeeded) {
        QVERIFY(m_download->commit());
        QFile file(m_folder->filePath(QStringLiteral("file.bin")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), reply.body);
        return;
    }
    QVERIFY2(elapsed < 2000, qPrintable(QString::number(elapsed)));
    // No further than the limit and what one read of the transport brings past it.
    QVERIFY2(m_lastRead <= 256 * KiB + 2 * BoundedDownload::ReadBufferBytes, qPrintable(QString::number(m_lastRead)));
    QCOMPARE(folderEntries(), QStringList());
    QVERIFY(!m_download->commit());
}

void TestBoundedDownload::noCompressedBodies()
{
    // 4 MiB that a gzip body of a few KiB inflates to; the size limit is far above the body as sent.
    Reply gzip = ScriptedHttpServer::bodyReply(ScriptedHttpServer::gzipped(QByteArray(int(MiB), '\0'), 4));
    QVERIFY(!gzip.body.isEmpty() && gzip.body.size() < 64 * KiB);
    gzip.headers.append({QByteArray("Content-Encoding"), QByteArray("gzip")});
    m_server->route("/file.bin", gzip);
    m_download->setLimits(sizeOnly(1 * MiB));

    QVERIFY(run(m_server->url(QStringLiteral("/file.bin"))));
    QCOMPARE(int(m_download->result()), int(BoundedDownload::Refused));
    QCOMPARE(folderEntries(), QStringList());
    // Not asked for: the transport would otherwise offer gzip and inflate it unseen.
    QCOMPARE(m_server->requestCount(), 1);
    const QByteArray accepted = m_server->requests().first().header("Accept-Encoding");
    QVERIFY2(!accepted.contains("gzip") && !accepted.contains("deflate"), accepted.constData());
}

void TestBoundedDownload::overallDeadline_data()
{
    QTest::addColumn<bool>("announced");
    QTest::addColumn<int>("bytesPerSecond");
    QTest::addColumn<int>("timeLimit");
    QTest::addColumn<int>("result");

    // The server drips 2000 bytes, 100 every 100 ms (about 2 s), each piece well inside the silence
    // limit. Grace: 300 ms.
    QTest::newRow("length, rate too low") << true << 4000 << 0 << int(BoundedDownload::TimedOut);
    QTest::newRow("length, rate kept") << true << 500 << 0 << int(BoundedDownload::Succeeded);
    QTest::newRow("no length, rate too low") << false << 4000 << 0 << int(BoundedDownload::TimedOut);
    QTest::newRow("no length, rate kept") << false << 500 << 0 << int(BoundedDownload::Succeeded);
    QTest::newRow("fixed limit passed") << true << 0 << 800 << int(BoundedDownload::TimedOut);
    QTest::newRow("fixed limit kept") << true << 0 << 4000 << int(BoundedDownload::Succeeded);
}

void TestBoundedDownload::overallDeadline()
{
    QFETCH(bool, announced);
    QFETCH(int, bytesPerSecond);
    QFETCH(int, timeLimit);
    QFETCH(int, result);
    Reply drip = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(2000));
    drip.pieceBytes = 100;
    drip.pieceDelayMsecs = 100;
    drip.chunked = !announced;
    m_server->route("/file.bin", drip);
    DownloadLimits limits = sizeOnly(1 * MiB);
    limits.minimumBytesPerSecond = bytesPerSecond;
    limits.graceMsecs = 300;
    limits.timeLimitMsecs = timeLimit;
    m_download->setLimits(limits);
    m_download->setSilenceLimit(1000);

    qint64 elapsed = 0;
    QVERIFY(run(m_server->url(QStringLiteral("/file.bin")), &elapsed));
    QCOMPARE(int(m_download->result()), result);
    if (result == BoundedDownload::TimedOut) {
        // Ended at its deadline: 0.3 s + 2000 B / 4000 B/s with a length; without one, where 0.3 s plus
        // the bytes so far at 4000 B/s meets the clock (about 0.4 s); at 0.8 s for the fixed limit.
        QVERIFY2(elapsed < 1500, qPrintable(QString::number(elapsed)));
        QCOMPARE(folderEntries(), QStringList());
    } else {
        QVERIFY(elapsed > 1500);
        QCOMPARE(m_download->bodyBytes(), qint64(2000));
    }
}

void TestBoundedDownload::rateWindow_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<int>("result");

    // A server that announces 1 GiB and sends a byte every 1.5 s, here every 50 ms: by its length alone
    // the package's average rate would allow it hours.
    Reply drip = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(1000));
    drip.announcedLength = qint64(1) << 30;
    drip.pieceBytes = 1;
    drip.pieceDelayMsecs = 50;
    QTest::newRow("1 GiB announced, a byte at a time") << drip << int(BoundedDownload::TooSlow);
    // 320 KiB/s, ten times the package's rate, for longer than the grace and a window.
    Reply steady = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(int(960 * KiB)));
    steady.pieceBytes = int(32 * KiB);
    steady.pieceDelayMsecs = 100;
    QTest::newRow("steady") << steady << int(BoundedDownload::Succeeded);
}

void TestBoundedDownload::rateWindow()
{
    QFETCH(Reply, reply);
    QFETCH(int, result);
    m_server->route("/file.bin", reply);
    // The package's limits with short times: its rate, 48 KiB in every 1.5 s, after the first half
    // second.
    DownloadLimits limits = DownloadLimits::package();
    limits.graceMsecs = 500;
    limits.rateWindowMsecs = 1500;
    QCOMPARE(limits.minimumWindowBytes(), 48 * KiB);
    m_download->setLimits(limits);
    m_download->setSilenceLimit(3000);

    qint64 elapsed = 0;
    QVERIFY(run(m_server->url(QStringLiteral("/file.bin")), &elapsed));
    QCOMPARE(int(m_download->result()), result);
    if (result == BoundedDownload::Succeeded) {
        QCOMPARE(m_download->bodyBytes(), qint64(reply.body.size()));
        return;
    }
    // Judged only once the grace and one whole window have passed, and then at once.
    QVERIFY2(elapsed >= limits.graceMsecs + limits.rateWindowMsecs, qPrintable(QString::number(elapsed)));
    QVERIFY2(elapsed < limits.graceMsecs + limits.rateWindowMsecs + 2500, qPrintable(QString::number(elapsed)));
    QVERIFY(m_lastRead > 0);
    QCOMPARE(folderEntries(), QStringList());
}

void TestBoundedDownload::rateWindowOnItsClock()
{
    // The download's clock moves 100 ms with every byte that arrives, whatever the machine's load: it
    // must end with the byte that brings that clock past the grace and one window (27 bytes here).
    Reply drip = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(1000));
    drip.announcedLength = qint64(1) << 30;
    drip.pieceBytes = 1;
    drip.pieceDelayMsecs = 20;
    m_server->route("/file.bin", drip);
    // Shared, as the download keeps its clock after this function.
    const auto now = std::make_shared<qint64>(0);
    m_download->setClock([now] { return *now; });
    connect(m_download.get(), &BoundedDownload::progress, this, [now] { *now += 100; });
    DownloadLimits limits = DownloadLimits::package();
    limits.graceMsecs = 1000;
    limits.rateWindowMsecs = 1600;
    m_download->setLimits(limits);
    m_download->setSilenceLimit(3000);

    QVERIFY(run(m_server->url(QStringLiteral("/file.bin"))));
    QCOMPARE(int(m_download->result()), int(BoundedDownload::TooSlow));
    QVERIFY2(*now >= limits.graceMsecs + limits.rateWindowMsecs, qPrintable(QString::number(*now)));
    // Bytes that came in one read under load move the clock once.
    QVERIFY2(m_lastRead >= 26 && m_lastRead < 100, qPrintable(QString::number(m_lastRead)));
}

void TestBoundedDownload::readerHoldsLittle()
{
    // The server runs on a thread of its own and sends as fast as the socket takes it, while this
    // thread stops reading for a while: what the transport may hold for the reader must stay small,
    // and what piled up meanwhile is handed over a read buffer at a time.
    QThread serverThread;
    serverThread.start();
    QObject inServerThread;
    inServerThread.moveToThread(&serverThread);
    ScriptedHttpServer *server = nullptr;
    QUrl url;
    QMetaObject::invokeMethod(&inServerThread, [&] {
        server = new ScriptedHttpServer;
        Reply endless = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(64 * KiB));
        endless.endless = true;
        server->route("/file.bin", endless);
        if (server->listen())
            url = server->url(QStringLiteral("/file.bin"));
    }, Qt::BlockingQueuedConnection);
    QVERIFY(url.isValid());

    m_download->setLimits(sizeOnly(qint64(4) << 30));
    qint64 largestStep = 0;
    connect(m_download.get(), &BoundedDownload::progress, this, [&, previous = qint64(0)](qint64 read, qint64) mutable {
        largestStep = qMax(largestStep, read - previous);
        previous = read;
    });
    QVERIFY(m_download->start(url, m_folder->filePath(QStringLiteral("file.bin"))));
    QTRY_VERIFY(m_lastRead > 0);
    const qint64 before = residentBytes();
    QThread::msleep(1500);
    const qint64 grown = residentBytes() - before;
    const qint64 readBefore = m_lastRead;
    QTRY_VERIFY_WITH_TIMEOUT(m_lastRead > readBefore + 8 * MiB, 30000);
    m_download->abort();

    QMetaObject::invokeMethod(&inServerThread, [&] { delete server; }, Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();
    QVERIFY(before > 0);
    QVERIFY2(grown < 32 * MiB, qPrintable(QStringLiteral("%1 MiB").arg(grown / MiB)));
    QVERIFY2(largestStep <= 2 * BoundedDownload::ReadBufferBytes, qPrintable(QString::number(largestStep)));
}

void TestBoundedDownload::redirectLimit_data()
{
    QTest::addColumn<int>("redirects");
    QTest::addColumn<int>("result");

    QTest::newRow("as many as allowed") << BoundedDownload::MaxRedirects << int(BoundedDownload::Succeeded);
    QTest::newRow("one more") << BoundedDownload::MaxRedirects + 1 << int(BoundedDownload::Refused);
}

void TestBoundedDownload::redirectLimit()
{
    QFETCH(int, redirects);
    QFETCH(int, result);
    for (int hop = 0; hop < redirects; ++hop) {
        Reply moved;
        moved.status = hop % 2 ? 307 : 302;
        moved.headers.append({QByteArray("Location"), "/hop" + QByteArray::number(hop + 1)});
        m_server->route("/hop" + QByteArray::number(hop), moved);
    }
    m_server->route("/hop" + QByteArray::number(redirects), ScriptedHttpServer::bodyReply("there"));
    m_download->setLimits(sizeOnly(KiB));

    QVERIFY(run(m_server->url(QStringLiteral("/hop0"))));
    QCOMPARE(int(m_download->result()), result);
    // The redirect past the limit is refused, not asked for.
    QCOMPARE(m_server->requestCount(), BoundedDownload::MaxRedirects + 1);
}

void TestBoundedDownload::managersProxy_data()
{
    QTest::addColumn<bool>("proxied");

    // The environment names a proxy nobody listens at: Qt takes no proxy from it, and neither may the
    // download.
    QTest::newRow("none, whatever the environment says") << false;
    QTest::newRow("the manager's") << true;
}

void TestBoundedDownload::managersProxy()
{
    QFETCH(bool, proxied);
    const QByteArray body = ScriptedHttpServer::letters(3000);
    m_server->route("/file.bin", ScriptedHttpServer::bodyReply(body));
    ScriptedHttpServer proxyServer;
    QVERIFY(proxyServer.listen());
    // A caching proxy is asked for the whole address.
    proxyServer.route(m_server->url(QStringLiteral("/file.bin")).toEncoded(), ScriptedHttpServer::bodyReply(body));
    const QNetworkProxy caching(QNetworkProxy::HttpCachingProxy, QStringLiteral("127.0.0.1"), proxyServer.port());
    QTcpServer closed;
    QVERIFY(closed.listen(QHostAddress::LocalHost));
    const QByteArray nowhere = "http://127.0.0.1:" + QByteArray::number(closed.serverPort());
    closed.close();
    qputenv("http_proxy", nowhere);
    qputenv("all_proxy", nowhere);
    m_manager->setProxy(proxied ? caching : QNetworkProxy(QNetworkProxy::NoProxy));

    const bool ended = run(m_server->url(QStringLiteral("/file.bin")));
    qunsetenv("http_proxy");
    qunsetenv("all_proxy");
    QVERIFY(ended);
    QCOMPARE(int(m_download->result()), int(BoundedDownload::Succeeded));
    QCOMPARE(m_download->bodyBytes(), qint64(body.size()));
    QCOMPARE(proxyServer.requestCount(), proxied ? 1 : 0);
    QCOMPARE(m_server->requestCount(), proxied ? 0 : 1);
}

void TestBoundedDownload::deletedMidTransfer_data()
{
    QTest::addColumn<bool>("answered");
    QTest::addColumn<bool>("later");

    QTest::newRow("waiting for its answer") << false << false;
    QTest::newRow("reading its body") << true << false;
    QTest::newRow("later, from its own progress") << true << true;
}

void TestBoundedDownload::deletedMidTransfer()
{
    QFETCH(bool, answered);
    QFETCH(bool, later);
    Reply endless = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(64 * KiB));
    endless.endless = true;
    endless.delayMsecs = answered ? 0 : 60000;
    m_server->route("/file.bin", endless);
    m_download->setLimits(sizeOnly(qint64(4) << 30));
    if (later)
        connect(m_download.get(), &BoundedDownload::progress, m_download.get(), &QObject::deleteLater);
    QPointer<BoundedDownload> download = m_download.release();
    QVERIFY(download->start(m_server->url(QStringLiteral("/file.bin")), m_folder->filePath(QStringLiteral("file.bin"))));
    QVERIFY(m_server->waitForRequests(1));
    if (answered)
        QTRY_VERIFY(m_lastRead > 0 || !download);
    if (!later)
        delete download;

    // Its connection closes, and nothing of it runs on: whatever did would be found by the sanitizers.
    QTRY_VERIFY(!download);
    QTRY_COMPARE(m_server->openConnections(), 0);
    QCOMPARE(folderEntries(), QStringList());
}

QTEST_GUILESS_MAIN(TestBoundedDownload)
#include "tst_firmware_bounded_download.moc"
