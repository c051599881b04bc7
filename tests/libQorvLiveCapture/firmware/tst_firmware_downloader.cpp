#include "camera/lcgeneralcamera.h"
#include "firmware/iffirmwaredownloader.h"
#include "firmware/iniconfig.h"
#include "scriptedhttpserver.h"
#include "simulated/simulatedcameras.h"
#include "simulatedhidcamera.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <cstring>

Q_DECLARE_METATYPE(ScriptedHttpServer::Reply)

using platform::SimulatedCameras;
using platform::SimulatedHidDevice;

namespace {

constexpr int Block = IfFirmwareDownloader::IspBlockSize;
constexpr int ShortTimeout = 60;

struct NameField
{
    char bytes[IfFirmwareDownloader::IspNameSize] = {};
    explicit NameField(const char *text = "") { std::strncpy(bytes, text, sizeof(bytes) - 1); }
    QByteArray text() const { return QByteArray(bytes, int(qstrnlen(bytes, sizeof(bytes)))); }
};

void writeConfig()
{
    QDir().mkpath(IfFirmwareDownloader::saveFolder());
    QFile config(IfFirmwareDownloader::updateConfigPath());
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("FWVersion=1.0.8\n");
}

} // namespace

class TestFirmwareDownloader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void versionTextToNumber_data();
    void versionTextToNumber();
    void commandsWithoutCamera();
    void readsTheCameraVersions();
    void wholeHandshake();
    void shortTransferIsRefused();
    void cameraStopsAnswering();
    void cameraUnpluggedMidTransfer();
    void destructionRemovesUpdateConfig();

    void sanitisedFileName_data();
    void sanitisedFileName();
    void downloadResults_data();
    void downloadResults();
    void cancelledDownloadFails();
    void hostileServers_data();
    void hostileServers();
    void leftoversRemovedAtStart();
    void watchdog();
    void percentage_data();
    void percentage();
    void iniConfigFile();

private:
    // Sends the image in blocks; the number of blocks acknowledged.
    int sendImage(IfFirmwareDownloader &downloader, const QByteArray &image);
    GeneralCamera *m_camera = nullptr;
    QSharedPointer<platform::SimulatedCamera> m_sim;
};

void TestFirmwareDownloader::initTestCase()
{
    SimulatedHidCamera::resetCameras();
    m_sim = SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId);
    m_camera = SimulatedHidCamera::listedCamera(SimulatedCameras::FirstLocationId);
    QVERIFY(m_camera);
}

void TestFirmwareDownloader::init()
{
    auto sim = m_sim;
    if (!sim->isConnected()) {
        // Plugged back in after a test that unplugged it.
        QVERIFY(SimulatedCameras::instance()->plug(sim));
        m_camera = SimulatedHidCamera::listedCamera(SimulatedCameras::FirstLocationId);
        QVERIFY(m_camera);
    }
    sim->hid().reset();
    QFile::remove(IfFirmwareDownloader::updateConfigPath());
}

void TestFirmwareDownloader::versionTextToNumber_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<int>("number");

    QTest::newRow("four parts") << QByteArray("1.0.0.5") << 1005;
    QTest::newRow("three parts") << QByteArray("2.1.3") << 213;
    QTest::newRow("zero padded block") << QByteArray("1.0.7").leftJustified(32, '\0') << 107;
    QTest::newRow("no terminator in 32 bytes") << QByteArray(32, '1').replace(1, 1, ".") << 0;
    QTest::newRow("not a number") << QByteArray("v1.2") << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestFirmwareDownloader::versionTextToNumber()
{
    QFETCH(QByteArray, block);
    QFETCH(int, number);
    QCOMPARE(IfFirmwareDownloader::versionNumberFromText(block.constData(), qMin(32, block.size())),
             number);
}

void TestFirmwareDownloader::commandsWithoutCamera()
{
    IfFirmwareDownloader downloader;
    QVERIFY(!downloader.findDevice());
    QVERIFY(downloader.checkHidSupported());

    QByteArray buffer(Block, '\x55');
    int a = 7, b = 7, c = 7;
    QCOMPARE(downloader.getFirmwareVersion(buffer.data()), -1);
    QCOMPARE(downloader.getIspStatus(&a, buffer.data(), &b), -1);
    QCOMPARE(downloader.setIspStatus(0), -1);
    QCOMPARE(downloader.getIspFileStart(buffer.data(), &a, &b), -1);
    QCOMPARE(downloader.setIspFileStart(buffer.data(), 1, 0), -1);
    QCOMPARE(downloader.getIspFileDownload(buffer.data()), -1);
    QCOMPARE(downloader.setIspFileDownload(buffer.data()), -1);
    QCOMPARE(downloader.getIspFileEnd(buffer.data(), &a, &b), -1);
    QCOMPARE(downloader.setIspFileEnd(buffer.data(), 1, 0), -1);
    QCOMPARE(downloader.getIspStart(&c), -1);
    QCOMPARE(downloader.setIspStart(buffer.data()), -1);
    QCOMPARE(downloader.getIspStop(&c), -1);
    QCOMPARE(downloader.setIspStop(buffer.data()), -1);
    QCOMPARE(downloader.getCamVersion(buffer.data()), -1);
    QCOMPARE(downloader.getSpeakerVersion(buffer.data()), -1);
    QCOMPARE(buffer, QByteArray(Block, '\x55'));
    QCOMPARE(a + b + c, 21);
}

void TestFirmwareDownloader::readsTheCameraVersions()
{
    IfFirmwareDownloader downloader;
    downloader.setControlCamera(m_camera);
    QVERIFY(downloader.findDevice());

    char version[32];
    std::memset(version, 'x', sizeof(version));
    QCOMPARE(downloader.getFirmwareVersion(version), 0);
    QCOMPARE(QByteArray(version, 32), QByteArray("1.0.7").leftJustified(32, '\0'));
    QCOMPARE(downloader.firmwareVersion(), 107);

    char part[6];
    QCOMPARE(downloader.getCamVersion(part), 0);
    QCOMPARE(QByteArray(part, 6), QByteArray("SPK-2."));
    QCOMPARE(downloader.getSpeakerVersion(part), 0);
    QCOMPARE(QByteArray(part, 6), QByteArray("1\0\0\0\0\0", 6));
}

int TestFirmwareDownloader::sendImage(IfFirmwareDownloader &downloader, const QByteArray &image)
{
    int acknowledged = 0;
    for (int offset = 0; offset < image.size(); offset += Block) {
        QByteArray chunk = image.mid(offset, Block).leftJustified(Block, '\0');
        char answer[Block];
        if (downloader.setIspFileDownload(chunk.data()) != 0
            || downloader.getIspFileDownload(answer) != 0) {
            break;
        }
        ++acknowledged;
    }
    return acknowledged;
}

void TestFirmwareDownloader::wholeHandshake()
{
    auto sim = m_sim;
    const QByteArray image = SimulatedHidCamera::firmwareImage(10 * Block + 123);
    IfFirmwareDownloader downloader;
    downloader.setControlCamera(m_camera);

    int status = -1, extra = -1;
    char detail[58];
    QCOMPARE(downloader.setIspStatus(0), 0);
    QCOMPARE(downloader.getIspStatus(&status, detail, &extra), 0);
    QCOMPARE(status, 0);

    NameField name("UpdaterFW.dat");
    int size = 0, free = 0;
    QCOMPARE(downloader.setIspFileStart(name.bytes, image.size(), 0), 0);
    QCOMPARE(downloader.getIspFileStart(name.bytes, &size, &free), 0);
    QCOMPARE(name.text(), QByteArray("isp_file_start_ack"));
    QCOMPARE(size, image.size());
    QVERIFY(size < free);
    QCOMPARE(sim->hid().fileName(), QStringLiteral("UpdaterFW.dat"));

    QCOMPARE(sendImage(downloader, image), 11);
    QCOMPARE(sim->hid().receivedImage(), image);

    name = NameField("UpdaterFW.dat");
    QCOMPARE(downloader.setIspFileEnd(name.bytes, size, 0), 0);
    QCOMPARE(downloader.getIspFileEnd(name.bytes, &size, &free), 0);
    QCOMPARE(name.text(), QByteArray("isp_file_end_ack"));

    char zero[60] = {};
    int value = -1;
    QCOMPARE(downloader.setIspStart(zero), 0);
    QCOMPARE(downloader.getIspStart(&value), 0);
    QCOMPARE(value, 0);

    // Reprogramming: the camera walks through its phases, then reboots and leaves the list.
    QList<int> phases;
    while (downloader.findDevice() && phases.size() < 10) {
        QCOMPARE(downloader.setIspStatus(0), 0);
        QCOMPARE(downloader.getIspStatus(&status, detail, &extra), 0);
        phases.append(status);
        QCoreApplication::processEvents();
    }
    QCOMPARE(phases, QList<int>({3, 4, 5, 6, 7}));
    QVERIFY(!downloader.findDevice());
    QCOMPARE(sim->hid().installedImage(), image);
}

void TestFirmwareDownloader::shortTransferIsRefused()
{
    const QByteArray image = SimulatedHidCamera::firmwareImage(3 * Block);
    IfFirmwareDownloader downloader;
    downloader.setControlCamera(m_camera);

    NameField name("UpdaterFW.dat");
    int size = 0, free = 0;
    QCOMPARE(downloader.setIspFileStart(name.bytes, image.size(), 0), 0);
    QCOMPARE(downloader.getIspFileStart(name.bytes, &size, &free), 0);
    QCOMPARE(sendImage(downloader, image.left(2 * Block)), 2);

    name = NameField("UpdaterFW.dat");
    QCOMPARE(downloader.setIspFileEnd(name.bytes, size, 0), 0);
    QCOMPARE(downloader.getIspFileEnd(name.bytes, &size, &free), 0);
    QCOMPARE(name.text(), QByteArray("isp_file_err"));
    char zero[60] = {};
    int value = -1;
    QCOMPARE(downloader.setIspStart(zero), 0);
    QCOMPARE(downloader.getIspStart(&value), 0);
    QVERIFY(value != 0);
}

void TestFirmwareDownloader::cameraStopsAnswering()
{
    auto sim = m_sim;
    sim->hid().setFaultAfterBlocks(SimulatedHidDevice::StopsAnswering, 4);
    const QByteArray image = SimulatedHidCamera::firmwareImage(8 * Block);
    IfFirmwareDownloader downloader;
    downloader.setControlCamera(m_camera);
    downloader.setAnswerTimeout(ShortTimeout);

    NameField name("UpdaterFW.dat");
    int size = 0, free = 0;
    QCOMPARE(downloader.setIspFileStart(name.bytes, image.size(), 0), 0);
    QCOMPARE(downloader.getIspFileStart(name.bytes, &size, &free), 0);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(sendImage(downloader, image), 4);
    QVERIFY(timer.elapsed() < 3000);

    // Every further answer is missed in time, and the caller's buffers stay as they were.
    name = NameField("unchanged");
    QCOMPARE(downloader.setIspFileEnd(name.bytes, size, 0), 0);
    QCOMPARE(downloader.getIspFileEnd(name.bytes, &size, &free), -1);
    QCOMPARE(name.text(), QByteArray("unchanged"));
    QVERIFY(downloader.findDevice());
}

void TestFirmwareDownloader::cameraUnpluggedMidTransfer()
{
    auto sim = m_sim;
    sim->hid().setFaultAfterBlocks(SimulatedHidDevice::UnplugsItself, 2);
    const QByteArray image = SimulatedHidCamera::firmwareImage(6 * Block);
    auto *camera = qobject_cast<LCGeneralCamera *>(m_camera);
    IfFirmwareDownloader downloader;
    downloader.setControlCamera(m_camera);
    downloader.setAnswerTimeout(ShortTimeout);

    NameField name("UpdaterFW.dat");
    int size = 0, free = 0;
    QCOMPARE(downloader.setIspFileStart(name.bytes, image.size(), 0), 0);
    QCOMPARE(downloader.getIspFileStart(name.bytes, &size, &free), 0);
    QCOMPARE(sendImage(downloader, image), 2);
    QTRY_VERIFY(!downloader.findDevice());
    // The object still holds its camera; commands fail without waiting.
    QVERIFY(camera->referenceCount() >= 1);
    char zero[Block] = {};
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(downloader.setIspFileDownload(zero), -1);
    int status = -1;
    QCOMPARE(downloader.getIspStatus(&status, nullptr, nullptr), -1);
    QCOMPARE(status, -1);
    QVERIFY(timer.elapsed() < ShortTimeout);
}

void TestFirmwareDownloader::destructionRemovesUpdateConfig()
{
    writeConfig();
    QVERIFY(QFile::exists(IfFirmwareDownloader::updateConfigPath()));
    delete new IfFirmwareDownloader;
    QVERIFY(!QFile::exists(IfFirmwareDownloader::updateConfigPath()));
}

void TestFirmwareDownloader::sanitisedFileName_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("name");

    QTest::newRow("plain") << "http://127.0.0.1/fw/UpdaterFW.dat" << "UpdaterFW.dat";
    QTest::newRow("escaped parent path") << "http://127.0.0.1/fw/..%2F..%2F.bashrc" << "bashrc";
    QTest::newRow("odd characters") << "http://127.0.0.1/a/f%20w;$(x).bin" << "fwx.bin";
    QTest::newRow("folder only") << "http://127.0.0.1/fw/" << "download";
    QTest::newRow("dots only") << "http://127.0.0.1/.." << "download";
}

void TestFirmwareDownloader::sanitisedFileName()
{
    QFETCH(QString, url);
    QFETCH(QString, name);
    QCOMPARE(IfFirmwareDownloader::sanitisedFileName(QUrl(url)), name);
}

void TestFirmwareDownloader::downloadResults_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("bodyBytesToSend");
    QTest::addColumn<bool>("progressFlag");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<int>("phase");

    QTest::newRow("whole file") << 200 << -1 << false << true << 1;
    QTest::newRow("whole file in pieces") << 200 << -1 << true << true << 2;
    QTest::newRow("not found") << 404 << -1 << false << false << 0;
    QTest::newRow("cut off body") << 200 << 100 << false << false << 0;
}

void TestFirmwareDownloader::downloadResults()
{
    QFETCH(int, status);
    QFETCH(int, bodyBytesToSend);
    QFETCH(bool, progressFlag);
    QFETCH(bool, saved);
    QFETCH(int, phase);

    ScriptedHttpServer server;
    QVERIFY(server.listen());
    ScriptedHttpServer::Reply reply;
    reply.status = status;
    reply.body = SimulatedHidCamera::firmwareImage(5000);
    reply.bodyBytesToSend = bodyBytesToSend;
    server.setDefaultReply(reply);
    const QString target = IfFirmwareDownloader::saveFolder() + QStringLiteral("/UpdaterFW.dat");
    QFile::remove(target);

    IfFirmwareDownloader downloader;
    downloader.setProgressFlag(progressFlag);
    QSignalSpy result(&downloader, &IfFirmwareDownloader::saveFileToDisk);
    downloader.doDownload(server.url(QStringLiteral("/fw/UpdaterFW.dat")));
    QVERIFY(downloader.isWatchdogActive());
    QVERIFY(result.wait(5000));
    QCOMPARE(result.size(), 1);
    QCOMPARE(result.first().at(0).toBool(), saved);
    QCOMPARE(result.first().at(1).toInt(), phase);
    QVERIFY(!downloader.isWatchdogActive());

    QFile file(target);
    QCOMPARE(file.exists(), saved);
    if (saved) {
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), reply.body);
    }
}

void TestFirmwareDownloader::cancelledDownloadFails()
{
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    ScriptedHttpServer::Reply reply;
    reply.body = SimulatedHidCamera::firmwareImage(40000);
    reply.pieceBytes = 1000;
    reply.pieceDelayMsecs = 20;
    server.setDefaultReply(reply);
    writeConfig();

    IfFirmwareDownloader downloader;
    QSignalSpy result(&downloader, &IfFirmwareDownloader::saveFileToDisk);
    QSignalSpy percent(&downloader, &IfFirmwareDownloader::sendPercentage);
    downloader.doDownload(server.url(QStringLiteral("/UpdaterFW.dat")));
    QVERIFY(percent.wait(5000));
    downloader.onCancelDownloading();
    QTRY_COMPARE(result.size(), 1);
    QCOMPARE(result.first().at(0).toBool(), false);
    QVERIFY(!downloader.isWatchdogActive());
    QVERIFY(!QFile::exists(IfFirmwareDownloader::saveFolder() + QStringLiteral("/UpdaterFW.dat")));
}

void TestFirmwareDownloader::hostileServers_data()
{
    QTest::addColumn<ScriptedHttpServer::Reply>("reply");
    QTest::addColumn<bool>("defaultLimits");

    ScriptedHttpServer::Reply endless;
    endless.body = QByteArray(64 * 1024, 'f');
    endless.endless = true;
    QTest::newRow("endless body") << endless << false;
    ScriptedHttpServer::Reply drip;
    drip.body = "f";
    drip.endless = true;
    drip.pieceDelayMsecs = 50;
    QTest::newRow("dripping body") << drip << false;
    ScriptedHttpServer::Reply huge;
    huge.body = QByteArray(1000, 'f');
    huge.announcedLength = DownloadLimits::packageMaxBytes() + 1;
    huge.pieceBytes = 10;
    huge.pieceDelayMsecs = 300;
    QTest::newRow("more announced than the build allows") << huge << true;
}

void TestFirmwareDownloader::hostileServers()
{
    QFETCH(ScriptedHttpServer::Reply, reply);
    QFETCH(bool, defaultLimits);
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    server.setDefaultReply(reply);
    const QString target = IfFirmwareDownloader::saveFolder() + QStringLiteral("/UpdaterFW.dat");
    QFile::remove(target);

    IfFirmwareDownloader downloader;
    if (!defaultLimits) {
        DownloadLimits limits;
        limits.maxBytes = 256 * 1024;
        limits.minimumBytesPerSecond = 1000;
        limits.graceMsecs = 300;
        downloader.setDownloadLimits(limits);
    }
    QSignalSpy result(&downloader, &IfFirmwareDownloader::saveFileToDisk);
    // Cut off by the test if the downloader itself would go on.
    QTimer::singleShot(6000, &downloader, &IfFirmwareDownloader::onCancelDownloading);
    QElapsedTimer clock;
    clock.start();
    downloader.doDownload(server.url(QStringLiteral("/fw/UpdaterFW.dat")));
    QVERIFY(result.wait(8000));
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(result.first().at(0).toBool(), false);
    QVERIFY(!QFile::exists(target));
    QCOMPARE(QDir(IfFirmwareDownloader::downloadsFolder())
                 .entryList({QStringLiteral("session-*")}, QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    QDirIterator inside(IfFirmwareDownloader::downloadsFolder(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (inside.hasNext())
        QVERIFY2(inside.next().endsWith(QLatin1String(".lock")), qPrintable(inside.filePath()));
}

void TestFirmwareDownloader::leftoversRemovedAtStart()
{
    // What a run that crashed mid-download left: a session folder that no running process owns.
    const QString leftover = IfFirmwareDownloader::downloadsFolder() + QStringLiteral("/session-Crash1");
    QVERIFY(QDir().mkpath(leftover));
    QFile part(leftover + QStringLiteral("/UpdaterFW.dat"));
    QVERIFY(part.open(QIODevice::WriteOnly));
    part.write(QByteArray(1000, 'p'));
    part.close();

    IfFirmwareDownloader downloader;
    QVERIFY(!QFileInfo::exists(leftover));
}

void TestFirmwareDownloader::watchdog()
{
    // A server that sends a piece now and then: the watchdog is fed by each one and bites only
    // once the server falls silent for longer than its interval.
    ScriptedHttpServer server;
    QVERIFY(server.listen());
    ScriptedHttpServer::Reply steady;
    steady.body = QByteArray(600, 'a');
    steady.pieceBytes = 100;
    steady.pieceDelayMsecs = 60;
    server.route("/steady", steady);
    ScriptedHttpServer::Reply silent;
    silent.delayMsecs = 60000;
    silent.body = "late";
    server.route("/silent", silent);

    // Pieces far more often than the interval, so that a busy machine's late timers cannot make a
    // gap of it.
    IfFirmwareDownloader downloader;
    downloader.setWatchdogInterval(1000);
    QSignalSpy silence(&downloader, &IfFirmwareDownloader::networkNoResponding);
    QSignalSpy result(&downloader, &IfFirmwareDownloader::saveFileToDisk);
    downloader.doDownload(server.url(QStringLiteral("/steady")));
    QVERIFY(result.wait(30000));
    QCOMPARE(silence.size(), 0);
    // Off with the download: it cannot bite later.
    QVERIFY(!downloader.isWatchdogActive());

    downloader.doDownload(server.url(QStringLiteral("/silent")));
    QVERIFY(silence.wait(30000));
    QCOMPARE(silence.size(), 1);
    QVERIFY(!downloader.isWatchdogActive());
}

void TestFirmwareDownloader::percentage_data()
{
    QTest::addColumn<qint64>("read");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<int>("percent");

    QTest::newRow("half") << qint64(50) << qint64(100) << 50;
    QTest::newRow("file beyond 4 GiB") << (qint64(3) << 40) << (qint64(4) << 40) << 75;
    QTest::newRow("unknown total") << qint64(500) << qint64(-1) << 0;
    QTest::newRow("zero total") << qint64(500) << qint64(0) << 0;
    QTest::newRow("more than announced") << qint64(150) << qint64(100) << 100;
}

void TestFirmwareDownloader::percentage()
{
    QFETCH(qint64, read);
    QFETCH(qint64, total);
    QFETCH(int, percent);
    IfFirmwareDownloader downloader;
    QSignalSpy spy(&downloader, &IfFirmwareDownloader::sendPercentage);
    downloader.updateDownloadProgress(read, total);
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.first().first().toInt(), percent);
}

void TestFirmwareDownloader::iniConfigFile()
{
    IniConfig config(QStringLiteral("QorvZubi"), QStringLiteral("zubi_app_info"));
    QVERIFY(!config.exists());
    QVERIFY(config.writeValue(QStringLiteral("Camera"), QStringLiteral("FWVersion"), 107));
    QVERIFY(config.exists());
    QCOMPARE(config.readValue(QStringLiteral("Camera"), QStringLiteral("FWVersion")).toInt(), 107);
    QCOMPARE(QFileInfo(config.fileName()).absolutePath(), IfFirmwareDownloader::saveFolder());

    QVERIFY(config.makeWritableForAll());
    const QFileDevice::Permissions permissions = QFile::permissions(config.fileName());
    QVERIFY(permissions.testFlag(QFileDevice::WriteOther));
    QVERIFY(!permissions.testFlag(QFileDevice::ExeOther));
    QVERIFY(config.remove());
    QVERIFY(!config.exists());
}

QTEST_GUILESS_MAIN(TestFirmwareDownloader)
#include "tst_firmware_downloader.moc"
