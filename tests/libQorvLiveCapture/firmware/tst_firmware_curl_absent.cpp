#include "firmware/boundeddownload.h"
#include "firmware/curllibrary.h"
#include "firmware/httptransfer.h"
#include "scriptedhttpserver.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

// libcurl under a name that is not there: a download fails through its usual failure path with the
// loader's message naming the library, sends nothing, leaves no file and crashes nothing; the second
// download of the process fails the same way.

namespace {

const QString AbsentCurl = QStringLiteral("liblumidesk-absent-curl.so.4");
constexpr int GuardMsecs = 10000;

QStringList warnings;

void keepWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtWarningMsg)
        warnings.append(message);
}

// Each runs one download against url into folder and gives what it reported.
using Download = std::function<QString(const QUrl &url, const QString &folder)>;

QString transfer(const QUrl &url, const QString &)
{
    HttpTransfer transfer(url);
    QSignalSpy finished(&transfer, &HttpTransfer::finished);
    transfer.start();
    if (!finished.wait(GuardMsecs) && finished.isEmpty())
        return QStringLiteral("did not finish");
    if (!transfer.hasError() || transfer.status() != 0)
        return QStringLiteral("passed for a success");
    return transfer.errorString();
}

QString boundedDownload(const QUrl &url, const QString &folder)
{
    QNetworkAccessManager manager;
    BoundedDownload download(&manager);
    QSignalSpy finished(&download, &BoundedDownload::finished);
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepWarnings);
    const bool started = download.start(url, folder + QStringLiteral("/file.bin"));
    const bool ended = started && (finished.wait(GuardMsecs) || !finished.isEmpty());
    qInstallMessageHandler(previous);
    if (!ended)
        return QStringLiteral("did not finish");
    if (finished.first().first().toBool() || download.result() != BoundedDownload::Failed)
        return QStringLiteral("result %1").arg(int(download.result()));
    if (!QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty())
        return QStringLiteral("left a file behind");
    return warnings.join(QLatin1Char('\n'));
}

} // namespace

Q_DECLARE_METATYPE(Download)

class TestFirmwareCurlAbsent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void failsWithTheLoadersMessage_data();
    void failsWithTheLoadersMessage();
};

void TestFirmwareCurlAbsent::initTestCase()
{
    CurlLibrary::setFileName(AbsentCurl);
}

void TestFirmwareCurlAbsent::failsWithTheLoadersMessage_data()
{
    QTest::addColumn<Download>("download");
    // In this order: the second meets the outcome the first one's load left.
    QTest::newRow("transfer") << Download(transfer);
    QTest::newRow("bounded download") << Download(boundedDownload);
}

void TestFirmwareCurlAbsent::failsWithTheLoadersMessage()
{
    QFETCH(Download, download);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setDefaultReply(ScriptedHttpServer::bodyReply("body"));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString reported = download(server.url(QStringLiteral("/file.bin")), folder.path());
    QVERIFY2(reported.contains(QStringLiteral("cannot load ") + AbsentCurl), qPrintable(reported));
    QCOMPARE(server.requestCount(), 0);
}

QTEST_GUILESS_MAIN(TestFirmwareCurlAbsent)
#include "tst_firmware_curl_absent.moc"
