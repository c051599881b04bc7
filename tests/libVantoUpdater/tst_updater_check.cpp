#include "scriptedhttpserver.h"
#include "updaterfakeisp.h"
#include "vantoupdater.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using Reply = ScriptedHttpServer::Reply;

namespace {

const QByteArray ConfigPath = "/Tivlo/check4Update/update.cfg";
const QString Untouched = QStringLiteral("untouched");

QString markerPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Qorv/Tivlo/testUpdate.ini");
}

void setMarker(bool present)
{
    if (!present) {
        QFile::remove(markerPath());
        return;
    }
    QDir().mkpath(QFileInfo(markerPath()).absolutePath());
    QFile marker(markerPath());
    QVERIFY(marker.open(QIODevice::WriteOnly));
}

QByteArray sha256(const QByteArray &data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex();
}

} // namespace

class UpdaterCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void softwareCheck_data();
    void softwareCheck();
    void configurationFailure_data();
    void configurationFailure();
    void firmwareCheck_data();
    void firmwareCheck();
    void versionGetters();
    void packageDownload_data();
    void packageDownload();

private:
    std::unique_ptr<ScriptedHttpServer> m_server;
    std::unique_ptr<VantoUpdater> m_updater;
    UpdaterFakeIsp *m_isp = nullptr;
};

void UpdaterCheckTest::init()
{
    m_server = std::make_unique<ScriptedHttpServer>();
    QVERIFY(m_server->listen());
    VantoUpdater::setUpdateServerBase(m_server->url(QStringLiteral("/")));
    m_updater = std::make_unique<VantoUpdater>();
    m_isp = new UpdaterFakeIsp;
    m_updater->setIspChannel(m_isp);
}

void UpdaterCheckTest::cleanup()
{
    m_updater.reset();
    m_server.reset();
    setMarker(false);
}

void UpdaterCheckTest::softwareCheck_data()
{
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("remote");

    QTest::newRow("newer") << QByteArray("LinuxVersion=\"1.0.1003.7\"\n") << false << 0 << "1.0.1003.7";
    QTest::newRow("same") << QByteArray("LinuxVersion=\"1.0.1003.6\"\n") << false << 1 << Untouched;
    QTest::newRow("numeric order") << QByteArray("LinuxVersion=\"1.0.999.9\"\n") << false << 1 << Untouched;
    QTest::newRow("three fields") << QByteArray("LinuxVersion=\"1.0.1003\"\n") << false << 1 << Untouched;
    QTest::newRow("longer key first")
        << QByteArray("LinuxVersionOld=\"9.9.9.9\"\nLinuxVersion = \"1.0.1003.6\"\n") << false << 1 << Untouched;
    QTest::newRow("mac key is not ours") << QByteArray("MacVersion=\"9.9.9.9\"\n") << false << 1 << Untouched;
    QTest::newRow("missing key") << QByteArray("FWVersion=\"9.9.9.9\"\n") << false << 1 << Untouched;
    QTest::newRow("three quotes") << QByteArray("LinuxVersion=\"9.9\"9.9\"\n") << false << 1 << Untouched;
    const QByteArray channels = "LinuxVersion=\"1.0.1003.6\"\nLinuxTestVersion=\"1.0.1004.0\"\n";
    QTest::newRow("test channel") << channels << true << 0 << "1.0.1004.0";
    QTest::newRow("normal channel") << channels << false << 1 << Untouched;
}

void UpdaterCheckTest::softwareCheck()
{
    QFETCH(QByteArray, config);
    QFETCH(bool, marker);
    QFETCH(int, result);
    QFETCH(QString, remote);
    setMarker(marker);
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply(config));

    QString offered = Untouched;
    QCOMPARE(m_updater->checkSWVersion(&offered), result);
    QCOMPARE(offered, remote);
    QCOMPARE(m_server->requestCount(), 1);
}

void UpdaterCheckTest::configurationFailure_data()
{
    QTest::addColumn<int>("status");
    QTest::newRow("404") << 404;
    QTest::newRow("server gone") << 0;
}

void UpdaterCheckTest::configurationFailure()
{
    QFETCH(int, status);
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply("LinuxVersion=\"9.9.9.9\"\nFWVersion=\"9.9.9.9\"\n", status));
    if (status == 0)
        VantoUpdater::setUpdateServerBase(QUrl(QStringLiteral("http://127.0.0.1:1/")));

    QString offered = Untouched;
    QCOMPARE(m_updater->checkSWVersion(&offered), 2);
    QCOMPARE(m_updater->checkFWVersion(&offered), 2);
    QCOMPARE(offered, Untouched);
    // An error page is not a configuration: nothing of it is read later.
    QCOMPARE(m_updater->getRemoteFWVersion(), QStringLiteral("EOF"));
}

void UpdaterCheckTest::firmwareCheck_data()
{
    QTest::addColumn<QByteArray>("cameraVersion");
    QTest::addColumn<bool>("cameraAnswers");
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("remote");

    QTest::newRow("newer") << QByteArray("1.0.0.5") << true << QByteArray("FWVersion=\"1.0.0.6\"") << 0 << "1.0.0.6";
    QTest::newRow("same fills remote") << QByteArray("1.0.0.5") << true << QByteArray("FWVersion=\"1.0.0.5\"") << 1
                                       << "1.0.0.5";
    QTest::newRow("camera newer") << QByteArray("2.0.0.0") << true << QByteArray("FWVersion=\"1.9.99.99\"") << 1
                                  << "1.9.99.99";
    QTest::newRow("no version key") << QByteArray("1.0.0.5") << true << QByteArray("LinuxVersion=\"1.0.0.6\"") << 1
                                    << "EOF";
    QTest::newRow("camera silent") << QByteArray() << false << QByteArray("FWVersion=\"0.0.0.1\"") << 0 << "0.0.0.1";
}

void UpdaterCheckTest::firmwareCheck()
{
    QFETCH(QByteArray, cameraVersion);
    QFETCH(bool, cameraAnswers);
    QFETCH(QByteArray, config);
    QFETCH(int, result);
    QFETCH(QString, remote);
    m_isp->firmwareVersion = cameraVersion;
    m_isp->versionFails = !cameraAnswers;
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply(config));

    QCOMPARE(m_updater->getCurrentFWVersion(), QString::fromLatin1(cameraVersion));
    QString offered = Untouched;
    QCOMPARE(m_updater->checkFWVersion(&offered), result);
    QCOMPARE(offered, remote);
}

void UpdaterCheckTest::versionGetters()
{
    m_isp->firmwareVersion = QByteArray(40, '7'); // longer than the 32-byte block
    QCOMPARE(m_updater->getCurrentFWVersion(), QString(32, QLatin1Char('7')));
    QCOMPARE(m_updater->getCurrentSWVersion(), QStringLiteral("1.0.1003.6"));
    QCOMPARE(m_updater->getRemoteSWVersionWin(), QStringLiteral("EOF"));
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply("WindowsVersion=\"2.0.0.1\"\nFWVersion=\"3.0.0.1\"\n"));
    QString offered;
    QCOMPARE(m_updater->checkSWVersion(&offered), 1);
    QCOMPARE(m_updater->getRemoteSWVersionWin(), QStringLiteral("2.0.0.1"));
    QCOMPARE(m_updater->getRemoteFWVersion(), QStringLiteral("3.0.0.1"));
    QCOMPARE(m_updater->showContent(QStringLiteral("../update.cfg"), QStringLiteral("FWVersion")), QStringLiteral("EOF"));
}

void UpdaterCheckTest::packageDownload_data()
{
    QTest::addColumn<bool>("firmware");
    QTest::addColumn<bool>("marker");
    QTest::addColumn<QString>("pathKey");
    QTest::addColumn<QString>("shaKey");
    QTest::addColumn<QString>("sha");
    QTest::addColumn<bool>("requested");
    QTest::addColumn<bool>("result");

    QTest::newRow("software") << false << false << "LinuxInstallerPath" << "LinuxInstallerSha256" << "right" << true
                              << true;
    QTest::newRow("test channel") << false << true << "LinuxTestInstallerPath" << "LinuxTestInstallerSha256"
                                  << "right" << true << true;
    QTest::newRow("normal keys ignored on test channel")
        << false << true << "LinuxInstallerPath" << "LinuxInstallerSha256" << "right" << false << false;
    QTest::newRow("firmware") << true << false << "FWInstallerPath" << "FWInstallerSha256" << "right" << true << true;
    QTest::newRow("wrong checksum") << true << false << "FWInstallerPath" << "FWInstallerSha256" << "wrong" << true
                                    << false;
    QTest::newRow("no checksum") << false << false << "LinuxInstallerPath" << "Other" << "right" << false << false;
    QTest::newRow("checksum not hex") << false << false << "LinuxInstallerPath" << "LinuxInstallerSha256" << "bad"
                                      << false << false;
    QTest::newRow("no address") << true << false << "Other" << "FWInstallerSha256" << "right" << false << false;
}

void UpdaterCheckTest::packageDownload()
{
    QFETCH(bool, firmware);
    QFETCH(bool, marker);
    QFETCH(QString, pathKey);
    QFETCH(QString, shaKey);
    QFETCH(QString, sha);
    QFETCH(bool, requested);
    QFETCH(bool, result);
    setMarker(marker);
    const QByteArray package = QByteArray(10000, 'p');
    const QString name = firmware ? QStringLiteral("UpdaterFW.dat") : QStringLiteral("LinuxUpdater.zip");
    const QByteArray packagePath = "/pkg/" + name.toLatin1();
    QByteArray checksum = sha == QLatin1String("right") ? sha256(package) : QByteArray(64, 'f');
    if (sha == QLatin1String("bad"))
        checksum = "not-a-checksum";
    const QByteArray config = pathKey.toLatin1() + " = \"" + m_server->url(QString::fromLatin1(packagePath)).toEncoded()
        + "\"\n" + shaKey.toLatin1() + "=\"" + checksum + "\"\nLinuxVersion=\"1.0.1003.6\"\n";
    m_server->route(ConfigPath, ScriptedHttpServer::bodyReply(config));
    m_server->route(packagePath, ScriptedHttpServer::bodyReply(package));
    QString offered;
    QCOMPARE(m_updater->checkSWVersion(&offered), 1);

    QCOMPARE(firmware ? m_updater->downloadFWFile() : m_updater->downloadSWFile(), result);
    QCOMPARE(m_server->requestCount(), requested ? 2 : 1);
    QCOMPARE(m_updater->getRemoteSWFileName(), result ? name : QString());
    QCOMPARE(QFile::exists(m_updater->downloadFolder() + name), result);
}

QTEST_GUILESS_MAIN(UpdaterCheckTest)
#include "tst_updater_check.moc"
