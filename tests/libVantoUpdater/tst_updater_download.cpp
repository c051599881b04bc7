#include "firmware/boundeddownload.h"
#include "scriptedhttpserver.h"
#include "vantoupdater.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTextStream>
#include <QtTest>

#include <memory>

using Reply = ScriptedHttpServer::Reply;
Q_DECLARE_METATYPE(ScriptedHttpServer::Reply)

namespace {

QStringList entriesOf(const QString &path)
{
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The argument that makes this program a helper: it makes an update object, downloads into its
// folder, prints the folder's path and waits to be killed.
const char HoldFolderArgument[] = "--hold-download-folder";

int holdDownloadFolder(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    VantoUpdater updater;
    QFile file(updater.downloadFolder() + QStringLiteral("LinuxUpdater.zip"));
    if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(4096, 'z')) != 4096)
        return 1;
    file.close();
    QTextStream(stdout) << updater.downloadFolder() << Qt::endl;
    return app.exec();
}

// A download the limits under test would not end is cut off here, so a missing limit fails the test
// rather than hanging it.
constexpr int GuardMsecs = 6000;

constexpr qint64 KiB = 1024;

} // namespace

Q_DECLARE_METATYPE(VantoUpdater::DownloadFailure)

class UpdaterDownloadTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void networkManagerMadeByTheFirstDownload();
    void completeBodies_data();
    void completeBodies();
    void refusedAnswers_data();
    void refusedAnswers();
    void redirectIsFollowed();
    void checksumDecides();
    void unsafeNamesSendNothing_data();
    void unsafeNamesSendNothing();
    void silenceWatchdog_data();
    void silenceWatchdog();
    void abortStopsTheDownload();
    void failedRedirectIsNotFollowed_data();
    void failedRedirectIsNotFollowed();
    void redirectBodyIsNotRead_data();
    void redirectBodyIsNotRead();
    void hostileConfiguration_data();
    void hostileConfiguration();
    void hugePackageRefusedAtOnce();
    void packageLimitsArePinned();
    void packagesKeepTheRate_data();
    void packagesKeepTheRate();
    void failureSaysWhy_data();
    void failureSaysWhy();
    void errorStringClearedByTheNextDownload();
    void foldersArePrivateAndSeparate();
    void abandonedFoldersAreRemoved();

private:
    // Starts this program as a helper holding a download folder; its folder's path.
    QString startHolder(QProcess &holder);

    std::unique_ptr<ScriptedHttpServer> m_server;
    std::unique_ptr<VantoUpdater> m_updater;
};

void UpdaterDownloadTest::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    m_updater = std::make_unique<VantoUpdater>();
    QVERIFY(!m_updater->downloadFolder().isEmpty());
}

void UpdaterDownloadTest::cleanup()
{
    m_updater.reset();
    m_server.reset();
}

// Making the first network manager of the process loads Qt's network plug-ins: an updater made at
// start and never asked to download makes none, neither itself nor its firmware downloader.
void UpdaterDownloadTest::networkManagerMadeByTheFirstDownload()
{
    QVERIFY(m_updater->findChildren<QNetworkAccessManager *>().isEmpty());
    m_server->route("/pkg/LinuxUpdater.zip", ScriptedHttpServer::bodyReply("zip"));
    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    QCOMPARE(m_updater->findChildren<QNetworkAccessManager *>().size(), 1);
}

void UpdaterDownloadTest::completeBodies_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<qint64>("announcedTotal");

    const QByteArray body = ScriptedHttpServer::letters(300 * 1024);
    Reply plain = ScriptedHttpServer::bodyReply(body);
    plain.pieceBytes = 64 * 1024;
    plain.pieceDelayMsecs = 50;
    QTest::newRow("with length") << plain << qint64(body.size());
    Reply chunked = plain;
    chunked.chunked = true;
    QTest::newRow("chunked") << chunked << qint64(-1);
    Reply open = plain;
    open.sendContentLength = false;
    QTest::newRow("ended by close") << open << qint64(-1);
    QTest::newRow("empty body") << ScriptedHttpServer::bodyReply(QByteArray()) << qint64(0);
}

void UpdaterDownloadTest::completeBodies()
{
    QFETCH(Reply, reply);
    QFETCH(qint64, announcedTotal);
    m_server->route("/pkg/LinuxUpdater.zip", reply);
    QSignalSpy progress(m_updater.get(), &VantoUpdater::dataReadProgress);
    const QString workingDir = QDir::currentPath();

    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));

    QCOMPARE(QDir::currentPath(), workingDir);
    QVERIFY(!m_updater->isWatchdogActive());
    QCOMPARE(m_updater->getRemoteSWFileName(), QStringLiteral("LinuxUpdater.zip"));
    QFile file(m_updater->downloadFolder() + QStringLiteral("LinuxUpdater.zip"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), reply.body);
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList{QStringLiteral("LinuxUpdater.zip")});
    if (!reply.body.isEmpty()) {
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.first().at(1).toLongLong(), announcedTotal);
        QCOMPARE(progress.last().at(0).toLongLong(), qint64(reply.body.size()));
    }
}

void UpdaterDownloadTest::refusedAnswers_data()
{
    QTest::addColumn<Reply>("reply");

    Reply notFound = ScriptedHttpServer::bodyReply("<html>no such file</html>");
    notFound.status = 404;
    QTest::newRow("404 with a page") << notFound;
    Reply serverError = ScriptedHttpServer::bodyReply("oops");
    serverError.status = 500;
    QTest::newRow("500") << serverError;
    Reply cut = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(100000));
    cut.bodyBytesToSend = 60000;
    QTest::newRow("cut before its length") << cut;
    Reply cutChunked = cut;
    cutChunked.chunked = true;
    cutChunked.pieceBytes = 16384;
    QTest::newRow("chunked cut inside a chunk") << cutChunked;
    cutChunked.pieceBytes = 20000;
    QTest::newRow("chunked without last chunk") << cutChunked;
    // Chunk sizes that a reader could take for the last chunk, and so for a complete, shorter body.
    Reply hugeChunk;
    hugeChunk.chunked = true;
    hugeChunk.wireBody = "ffffffffffffffff\r\n" + ScriptedHttpServer::letters(1000);
    QTest::newRow("chunk of 2^64-1 bytes") << hugeChunk;
    hugeChunk.wireBody = "40\r\n" + ScriptedHttpServer::letters(64) + "\r\n8000000000000000\r\nabcdef";
    QTest::newRow("chunk of 2^63 bytes after a first") << hugeChunk;
    hugeChunk.wireBody = "zz\r\nabcdef\r\n0\r\n\r\n";
    QTest::newRow("chunk size not a number") << hugeChunk;
    // Lengths a reader could take for none, or for another one, and so pass a body cut short.
    Reply unreadableLength = ScriptedHttpServer::bodyReply("abc");
    unreadableLength.sendContentLength = false;
    unreadableLength.headers.append({QByteArray("Content-Length"), QByteArray("99999999999999999999")});
    QTest::newRow("length past 2^64") << unreadableLength;
    Reply twoLengths = ScriptedHttpServer::bodyReply("abc");
    twoLengths.sendContentLength = false;
    twoLengths.headers.append({QByteArray("Content-Length"), QByteArray("2")});
    twoLengths.headers.append({QByteArray("Content-Length"), QByteArray("3")});
    QTest::newRow("two lengths") << twoLengths;
    Reply dropped;
    dropped.dropConnection = true;
    QTest::newRow("no answer") << dropped;
    Reply redirectToMissing;
    redirectToMissing.status = 302;
    redirectToMissing.headers.append({QByteArray("Location"), QByteArray("/missing")});
    QTest::newRow("redirect to a 404") << redirectToMissing;
    Reply loop = redirectToMissing;
    loop.headers = {{QByteArray("Location"), QByteArray("/pkg/LinuxUpdater.zip")}};
    QTest::newRow("redirect loop") << loop;
    Reply toFtp = redirectToMissing;
    toFtp.headers = {{QByteArray("Location"), QByteArray("ftp://127.0.0.1/pkg/LinuxUpdater.zip")}};
    QTest::newRow("redirect to another scheme") << toFtp;
}

void UpdaterDownloadTest::refusedAnswers()
{
    QFETCH(Reply, reply);
    Reply missing = ScriptedHttpServer::bodyReply("gone");
    missing.status = 404;
    m_server->route("/missing", missing);
    m_server->route("/pkg/LinuxUpdater.zip", reply);

    // Not verified against a checksum: the answer alone must tell.
    QVERIFY(!m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    QVERIFY(m_updater->getRemoteSWFileName().isEmpty());
    QVERIFY(!m_updater->isWatchdogActive());
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
    QVERIFY(m_server->requestCount() <= 6);
}

void UpdaterDownloadTest::redirectIsFollowed()
{
    const QByteArray body = ScriptedHttpServer::letters(5000);
    Reply moved = ScriptedHttpServer::bodyReply("<html>moved</html>");
    moved.status = 301;
    moved.headers.append({QByteArray("Location"), m_server->url(QStringLiteral("/real/file.bin")).toEncoded()});
    m_server->route("/pkg/LinuxUpdater.zip", moved);
    m_server->route("/real/file.bin", ScriptedHttpServer::bodyReply(body));

    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    QCOMPARE(m_server->requestCount(), 2);
    QFile file(m_updater->downloadFolder() + QStringLiteral("LinuxUpdater.zip"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), body);
}

void UpdaterDownloadTest::checksumDecides()
{
    const QByteArray body = ScriptedHttpServer::letters(20000);
    m_server->route("/fw/UpdaterFW.dat", ScriptedHttpServer::bodyReply(body));
    const QUrl url = m_server->url(QStringLiteral("/fw/UpdaterFW.dat"));
    const QByteArray right = QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex();
    QByteArray wrong = right;
    wrong[0] = wrong[0] == '0' ? '1' : '0';

    QVERIFY(!m_updater->downloadFile(url, wrong));
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
    QVERIFY(m_updater->downloadFile(url, right.toUpper()));
    QCOMPARE(QFileInfo(m_updater->downloadFolder() + QStringLiteral("UpdaterFW.dat")).size(), qint64(body.size()));
    // A later failure of the same name keeps the verified file, and no longer names it.
    QVERIFY(!m_updater->downloadFile(url, wrong));
    QVERIFY(m_updater->getRemoteSWFileName().isEmpty());
}

void UpdaterDownloadTest::unsafeNamesSendNothing_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("writeError");

    QTest::newRow("escaped climb") << "/pkg/..%2F..%2F..%2Fevil.sh" << true;
    QTest::newRow("escaped backslash") << "/pkg/..%5Cevil.sh" << true;
    QTest::newRow("ends in slash") << "/pkg/" << true;
    QTest::newRow("not http") << "ftp" << false;
    QTest::newRow("no address") << "EOF" << false;
}

void UpdaterDownloadTest::unsafeNamesSendNothing()
{
    QFETCH(QString, path);
    QFETCH(bool, writeError);
    m_server->setDefaultReply(ScriptedHttpServer::bodyReply("#!/bin/sh\necho owned\n"));
    const QString parent = QFileInfo(m_updater->downloadFolder() + QStringLiteral("..")).canonicalFilePath();
    const QStringList before = entriesOf(parent);

    QUrl url = m_server->url(path);
    if (path == QLatin1String("ftp"))
        url = QUrl(QStringLiteral("ftp://127.0.0.1:%1/x.zip").arg(m_server->port()));
    else if (path == QLatin1String("EOF"))
        url = QUrl(QStringLiteral("EOF"), QUrl::TolerantMode);
    QVERIFY(!m_updater->downloadFile(url));

    QVERIFY(m_server->probeArrives());
    QCOMPARE(m_server->requestCount(), 1);
    QCOMPARE(m_updater->errorString().isEmpty(), !writeError);
    if (writeError)
        QCOMPARE(m_updater->errorString(), QString::fromLatin1(VantoUpdater::WriteErrorText));
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
    QCOMPARE(entriesOf(parent), before);
}

void UpdaterDownloadTest::silenceWatchdog_data()
{
    QTest::addColumn<int>("firstByteDelay");
    QTest::addColumn<int>("pieceDelay");
    QTest::addColumn<bool>("completes");

    // The watchdog runs at 1000 ms here, a tenth of the program's 10 s. The gaps stay well clear of
    // it on either side, so that a busy machine's late timers cannot move a row across.
    QTest::newRow("steady 0.4 s gaps") << 400 << 400 << true;
    QTest::newRow("2.5 s before the first byte") << 2500 << 0 << false;
    QTest::newRow("2.5 s gap mid-transfer") << 0 << 2500 << false;
}

void UpdaterDownloadTest::silenceWatchdog()
{
    QFETCH(int, firstByteDelay);
    QFETCH(int, pieceDelay);
    QFETCH(bool, completes);
    m_updater->setWatchdogInterval(1000);
    Reply slow = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(8000));
    slow.delayMsecs = firstByteDelay;
    slow.pieceBytes = 1000;
    slow.pieceDelayMsecs = pieceDelay;
    m_server->route("/slow/pkg.zip", slow);

    QElapsedTimer clock;
    clock.start();
    QCOMPARE(m_updater->downloadFile(m_server->url(QStringLiteral("/slow/pkg.zip"))), completes);
    QVERIFY(!m_updater->isWatchdogActive());
    if (completes) {
        // Longer in all than the watchdog's period: it measures silence, not duration.
        QVERIFY(clock.elapsed() > 3000);
    } else {
        QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
    }
}

void UpdaterDownloadTest::abortStopsTheDownload()
{
    Reply slow = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(50000));
    slow.pieceBytes = 1000;
    slow.pieceDelayMsecs = 20;
    m_server->route("/slow/pkg.zip", slow);
    m_server->route("/fast/pkg.zip", ScriptedHttpServer::bodyReply("done"));
    int reports = 0;
    qint64 readWhenAborted = -1;
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this, [&](qint64 read, qint64) {
        if (read > 0 && ++reports == 3) {
            readWhenAborted = read;
            m_updater->abortDownload();
        }
    });

    QVERIFY(!m_updater->downloadFile(m_server->url(QStringLiteral("/slow/pkg.zip"))));
    QVERIFY(readWhenAborted > 0 && readWhenAborted < 50000);
    QVERIFY(!m_updater->isWatchdogActive());
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
    // The object is idle again and takes the next download.
    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/fast/pkg.zip"))));
}

void UpdaterDownloadTest::failedRedirectIsNotFollowed_data()
{
    QTest::addColumn<bool>("cancel");

    QTest::newRow("silence before the redirect's headers") << false;
    QTest::newRow("cancel before the redirect's headers") << true;
}

void UpdaterDownloadTest::failedRedirectIsNotFollowed()
{
    QFETCH(bool, cancel);
    Reply moved;
    moved.status = 302;
    moved.headers.append({QByteArray("Location"), QByteArray("/real/LinuxUpdater.zip")});
    moved.delayMsecs = 800;
    m_server->route("/pkg/LinuxUpdater.zip", moved);
    m_server->route("/real/LinuxUpdater.zip", ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(5000)));
    m_updater->setWatchdogInterval(cancel ? 10000 : 300);
    if (cancel)
        connect(m_server.get(), &ScriptedHttpServer::requestReceived, m_updater.get(), &VantoUpdater::abortDownload);

    QSignalSpy dropped(m_server.get(), &ScriptedHttpServer::replyDropped);

    QVERIFY(!m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    // When the redirect's time comes, nobody is left to take it.
    QVERIFY(dropped.wait(5000) || !dropped.isEmpty());
    QCOMPARE(m_server->requestCount(), 1);
    QVERIFY(m_updater->getRemoteSWFileName().isEmpty());
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
}

void UpdaterDownloadTest::redirectBodyIsNotRead_data()
{
    QTest::addColumn<Reply>("moved");

    // Redirects whose bodies would take up to the package limit (1 GiB) to read, or hours to arrive.
    Reply endless = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(64 * 1024));
    endless.status = 302;
    endless.endless = true;
    QTest::newRow("endless body") << endless;
    Reply drip = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(1000));
    drip.status = 301;
    drip.announcedLength = DownloadLimits::packageMaxBytes();
    drip.pieceBytes = 1;
    drip.pieceDelayMsecs = 300;
    QTest::newRow("dripping body") << drip;
}

void UpdaterDownloadTest::redirectBodyIsNotRead()
{
    QFETCH(Reply, moved);
    const QByteArray body = ScriptedHttpServer::letters(5000);
    moved.headers.append({QByteArray("Location"), QByteArray("/real/LinuxUpdater.zip")});
    m_server->route("/pkg/LinuxUpdater.zip", moved);
    m_server->route("/real/LinuxUpdater.zip", ScriptedHttpServer::bodyReply(body));
    qint64 mostRead = 0;
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this,
            [&mostRead](qint64 read, qint64) { mostRead = qMax(mostRead, read); });
    QTimer::singleShot(GuardMsecs, m_updater.get(), &VantoUpdater::abortDownload);

    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip")),
                                    QCryptographicHash::hash(body, QCryptographicHash::Sha256).toHex()));
    QCOMPARE(m_server->requestCount(), 2);
    // Of the redirect's body, no more than the transport had at hand with its headers.
    QVERIFY2(mostRead <= BoundedDownload::ReadBufferBytes + body.size(), qPrintable(QString::number(mostRead)));
}

void UpdaterDownloadTest::hostileConfiguration_data()
{
    QTest::addColumn<Reply>("reply");

    // An update.cfg that never ends: refused once it passes 256 KiB.
    Reply endless = ScriptedHttpServer::bodyReply("LinuxVersion=\"9.9.9.9\"\n" + QByteArray(64 * 1024, 'x'));
    endless.endless = true;
    QTest::newRow("endless") << endless;
    // One that drips a byte at a time, never silent for long: ended by its overall limit (30 s, here
    // 800 ms).
    Reply drip = ScriptedHttpServer::bodyReply("LinuxVersion=\"9.9.9.9\"\n");
    drip.endless = true;
    drip.pieceBytes = 1;
    drip.pieceDelayMsecs = 100;
    QTest::newRow("dripping") << drip;
}

void UpdaterDownloadTest::hostileConfiguration()
{
    QFETCH(Reply, reply);
    VantoUpdater::setUpdateServerBase(m_server->url(QStringLiteral("/")));
    m_server->route("/Tivlo/check4Update/update.cfg", reply);
    DownloadLimits limits = DownloadLimits::configuration();
    QCOMPARE(limits.maxBytes, qint64(256 * 1024));
    QCOMPARE(limits.timeLimitMsecs, 30000);
    limits.timeLimitMsecs = 800;
    m_updater->setConfigurationLimits(limits);
    m_updater->setWatchdogInterval(1000);
    qint64 lastRead = 0;
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this, [&lastRead](qint64 read, qint64) { lastRead = read; });
    QTimer::singleShot(GuardMsecs, m_updater.get(), &VantoUpdater::abortDownload);

    QElapsedTimer clock;
    clock.start();
    QString remote = QStringLiteral("untouched");
    QCOMPARE(m_updater->checkSWVersion(&remote), 2);

    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    // No further than the limit and what one read of the transport brings past it.
    QVERIFY2(lastRead <= DownloadLimits::ConfigurationMaxBytes + 2 * BoundedDownload::ReadBufferBytes,
             qPrintable(QString::number(lastRead)));
    QCOMPARE(remote, QStringLiteral("untouched"));
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
}

void UpdaterDownloadTest::hugePackageRefusedAtOnce()
{
    // More than the build's limit (1 GiB unless set otherwise) announced, the body dripping behind it.
    Reply huge = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(1000));
    huge.announcedLength = DownloadLimits::packageMaxBytes() + 1;
    huge.pieceBytes = 10;
    huge.pieceDelayMsecs = 300;
    m_server->route("/pkg/LinuxUpdater.zip", huge);
    QTimer::singleShot(GuardMsecs, m_updater.get(), &VantoUpdater::abortDownload);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(!m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
}

// The package limits' own values: the rate tests below give a rate and a clock, never a window of
// their own, so a longer window or a lower floor fails here or there.
void UpdaterDownloadTest::packageLimitsArePinned()
{
    const DownloadLimits limits = m_updater->packageDownloadLimits();
    QCOMPARE(limits.maxBytes, DownloadLimits::packageMaxBytes());
    QCOMPARE(limits.timeLimitMsecs, 0);
    QCOMPARE(limits.minimumBytesPerSecond, 32 * KiB);
    QCOMPARE(limits.graceMsecs, 30000);
    QCOMPARE(limits.rateWindowMsecs, 30000);
    // The window asks for the rate the overall limit assumes: 32 KiB/s for 30 s.
    QCOMPARE(limits.minimumWindowBytes(), 960 * KiB);
    QVERIFY(limits.hasRateWindow());
    const DownloadLimits own = DownloadLimits::package();
    QCOMPARE(own.minimumWindowBytes(), limits.minimumWindowBytes());
    QCOMPARE(own.graceMsecs, limits.graceMsecs);
    QCOMPARE(own.rateWindowMsecs, limits.rateWindowMsecs);
}

void UpdaterDownloadTest::packagesKeepTheRate_data()
{
    QTest::addColumn<qint64>("bytesPerSecond");
    QTest::addColumn<qint64>("announced");
    QTest::addColumn<int>("bodyBytes");
    QTest::addColumn<bool>("completes");

    // A server announcing 1 GiB: by its size at 32 KiB/s it would be allowed more than 9 hours.
    QTest::newRow("1 GiB announced, 1.2 KB/s") << qint64(1200) << (qint64(1) << 30) << int(200 * KiB) << false;
    QTest::newRow("1 GiB announced, just under the rate")
        << qint64(30 * KiB) << (qint64(1) << 30) << int(3 * 1024 * KiB) << false;
    // Just over the rate, for longer than the grace and two windows.
    QTest::newRow("2.5 MiB at just over the rate") << qint64(34 * KiB) << qint64(-1) << int(2560 * KiB) << true;
}

// The package's own limits, on a clock that a link of the row's rate drives: every byte that arrives
// moves it on by its time at that rate, so the test runs in seconds for a minute of the download's time
// and a busy machine cannot change what the download sees.
void UpdaterDownloadTest::packagesKeepTheRate()
{
    QFETCH(qint64, bytesPerSecond);
    QFETCH(qint64, announced);
    QFETCH(int, bodyBytes);
    QFETCH(bool, completes);
    Reply link = ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(bodyBytes));
    link.announcedLength = announced;
    // A quarter second of the link's time in every piece.
    link.pieceBytes = int(bytesPerSecond / 4);
    link.pieceDelayMsecs = 5;
    m_server->route("/pkg/LinuxUpdater.zip", link);
    const auto now = std::make_shared<qint64>(0);
    m_updater->setDownloadClock([now] { return *now; });
    qint64 lastRead = 0;
    connect(m_updater.get(), &VantoUpdater::dataReadProgress, this, [&, now](qint64 read, qint64) {
        lastRead = read;
        *now = read * 1000 / bytesPerSecond;
        // Far past where the limits must have ended it.
        if (*now > 120000)
            m_updater->abortDownload();
    });
    QTimer::singleShot(60000, m_updater.get(), &VantoUpdater::abortDownload);

    QCOMPARE(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))), completes);
    if (completes) {
        QCOMPARE(lastRead, qint64(bodyBytes));
        QVERIFY(*now > 60000);
        return;
    }
    QCOMPARE(m_updater->downloadFailure(), VantoUpdater::TooSlow);
    // Judged once the grace and a whole window have passed, and then at once: one slice of the window
    // (1.875 s) and what one read may bring at most past it.
    QVERIFY2(*now >= 60000 && *now < 70000, qPrintable(QString::number(*now)));
    QCOMPARE(entriesOf(m_updater->downloadFolder()), QStringList());
}

void UpdaterDownloadTest::failureSaysWhy_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<QString>("path");
    QTest::addColumn<VantoUpdater::DownloadFailure>("failure");

    const QByteArray body = ScriptedHttpServer::letters(5000);
    QTest::newRow("whole and verified") << ScriptedHttpServer::bodyReply(body) << "" << VantoUpdater::NoFailure;
    QTest::newRow("not the package") << ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(5001)) << ""
                                     << VantoUpdater::ChecksumMismatch;
    Reply cut = ScriptedHttpServer::bodyReply(body);
    cut.bodyBytesToSend = 3000;
    QTest::newRow("cut short") << cut << "" << VantoUpdater::ConnectionLost;
    Reply dropped;
    dropped.dropConnection = true;
    QTest::newRow("no answer") << dropped << "" << VantoUpdater::ConnectionLost;
    Reply silent = ScriptedHttpServer::bodyReply(body);
    silent.delayMsecs = 2500;
    QTest::newRow("silent") << silent << "" << VantoUpdater::ConnectionLost;
    QTest::newRow("404") << ScriptedHttpServer::bodyReply("<html>no such file</html>", 404) << ""
                         << VantoUpdater::NotServed;
    Reply toFtp;
    toFtp.status = 302;
    toFtp.headers.append({QByteArray("Location"), QByteArray("ftp://127.0.0.1/pkg/LinuxUpdater.zip")});
    QTest::newRow("redirect to another scheme") << toFtp << "" << VantoUpdater::NotServed;
    Reply huge = ScriptedHttpServer::bodyReply(body);
    huge.announcedLength = DownloadLimits::packageMaxBytes() + 1;
    QTest::newRow("over the size limit") << huge << "" << VantoUpdater::TooLarge;
    QTest::newRow("no file name") << ScriptedHttpServer::bodyReply(body) << "/pkg/" << VantoUpdater::WriteFailed;
}

void UpdaterDownloadTest::failureSaysWhy()
{
    QFETCH(Reply, reply);
    QFETCH(QString, path);
    QFETCH(VantoUpdater::DownloadFailure, failure);
    m_server->route("/pkg/LinuxUpdater.zip", reply);
    m_updater->setWatchdogInterval(1000);
    const QByteArray checksum = QCryptographicHash::hash(ScriptedHttpServer::letters(5000), QCryptographicHash::Sha256);

    const QUrl url = m_server->url(path.isEmpty() ? QStringLiteral("/pkg/LinuxUpdater.zip") : path);
    QCOMPARE(m_updater->downloadFile(url, checksum.toHex()), failure == VantoUpdater::NoFailure);
    QCOMPARE(m_updater->downloadFailure(), failure);

    // Told once per download: the next one starts with none.
    m_server->route("/pkg/LinuxUpdater.zip", ScriptedHttpServer::bodyReply(ScriptedHttpServer::letters(5000)));
    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip")), checksum.toHex()));
    QCOMPARE(m_updater->downloadFailure(), VantoUpdater::NoFailure);
}

void UpdaterDownloadTest::errorStringClearedByTheNextDownload()
{
    m_server->setDefaultReply(ScriptedHttpServer::bodyReply("pkg"));
    QVERIFY(!m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/"))));
    QCOMPARE(m_updater->errorString(), QString::fromLatin1(VantoUpdater::WriteErrorText));

    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/pkg/LinuxUpdater.zip"))));
    QCOMPARE(m_updater->errorString(), QString());
}

void UpdaterDownloadTest::foldersArePrivateAndSeparate()
{
    m_server->setDefaultReply(ScriptedHttpServer::bodyReply("cfg"));
    QVERIFY(m_updater->downloadFile(m_server->url(QStringLiteral("/update.cfg"))));
    const QString first = m_updater->downloadFolder();
    const QString kept = first + QStringLiteral("update.cfg");

    QString second;
    {
        VantoUpdater other;
        second = other.downloadFolder();
        QVERIFY(second != first);
        QVERIFY(QFile::exists(kept));
        QVERIFY(other.downloadFile(m_server->url(QStringLiteral("/update.cfg"))));
        QVERIFY(QFile::exists(second + QStringLiteral("update.cfg")));
    }
    // The other object took only its own folder with it.
    QVERIFY(!QFileInfo::exists(second));
    QVERIFY(QFile::exists(kept));

    const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
        | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    for (const QString &path : {first, QFileInfo(first + QStringLiteral("..")).canonicalFilePath()}) {
        const QFileInfo info(path);
        QVERIFY2((info.permissions() & others) == 0, qPrintable(path));
        QVERIFY((info.permissions() & ownerOnly) == ownerOnly);
    }
    // Below the user's own cache, not in the shared temporary folder.
    QVERIFY(first.startsWith(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + '/'));

    m_updater.reset();
    QVERIFY(!QFileInfo::exists(first));
}

QString UpdaterDownloadTest::startHolder(QProcess &holder)
{
    holder.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(HoldFolderArgument)});
    if (!holder.waitForReadyRead(10000))
        return QString();
    return QString::fromLocal8Bit(holder.readLine().trimmed());
}

void UpdaterDownloadTest::abandonedFoldersAreRemoved()
{
    const QString ours = m_updater->downloadFolder();
    const QString parent = QFileInfo(ours + QStringLiteral("..")).canonicalFilePath();
    QProcess crashed;
    QProcess running;
    const QString crashedFolder = startHolder(crashed);
    const QString runningFolder = startHolder(running);
    QVERIFY(!crashedFolder.isEmpty() && !runningFolder.isEmpty());
    QVERIFY(QFile::exists(crashedFolder + QStringLiteral("LinuxUpdater.zip")));
    crashed.kill();
    QVERIFY(crashed.waitForFinished());
    // A folder of the earlier layout, which no lock names.
    QVERIFY(QDir(parent).mkpath(QStringLiteral("session-Old123/sub")));

    // An object makes its folder, and sweeps, only when first asked for it: the program's start makes
    // an updater it may never use.
    VantoUpdater next;
    const QStringList beforeFirstUse = entriesOf(parent);
    QVERIFY(QFileInfo::exists(crashedFolder));
    const QString nextFolder = next.downloadFolder();
    QVERIFY(!beforeFirstUse.contains(QDir(nextFolder).dirName()));
    QVERIFY(!QFileInfo::exists(crashedFolder));
    QVERIFY(!QFileInfo::exists(parent + QStringLiteral("/session-Old123")));
    // Folders whose owner still runs stay, this process's own among them.
    QVERIFY(QFile::exists(runningFolder + QStringLiteral("LinuxUpdater.zip")));
    QVERIFY(QFileInfo::exists(ours));
    // Nothing else is left beside the folders in use and their locks.
    const QStringList inUse = {QDir(ours).dirName(), QDir(runningFolder).dirName(), QDir(nextFolder).dirName()};
    for (const QString &entry : entriesOf(parent)) {
        const QString session = entry.endsWith(QLatin1String(".lock")) ? entry.chopped(5) : entry;
        QVERIFY2(inUse.contains(session), qPrintable(entry));
    }

    running.kill();
    QVERIFY(running.waitForFinished());
    VantoUpdater after;
    QVERIFY(!after.downloadFolder().isEmpty());
    QVERIFY(!QFileInfo::exists(runningFolder));
}

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], HoldFolderArgument) == 0)
        return holdDownloadFolder(argc, argv);
    QCoreApplication app(argc, argv);
    UpdaterDownloadTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_updater_download.moc"
