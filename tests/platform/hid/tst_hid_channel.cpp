#include "core/platformbackend.h"
#include "hid/hidchannel.h"
#include "hid/linux/linuxhidchannel.h"
#include "simulated/simulatedcameras.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::HidChannel;
using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedHidDevice;

namespace {

QByteArray statusReport()
{
    QByteArray report(HidChannel::ReportSize, '\0');
    report[0] = 8;
    report[1] = 16;
    report[2] = SimulatedHidDevice::IspStatus;
    return report;
}

int writeReport(HidChannel &channel, const QByteArray &report)
{
    return channel.write(reinterpret_cast<const quint8 *>(report.constData()), report.size());
}

} // namespace

class TestHidChannel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void opensOnlyTheCameraAtItsLocation_data();
    void opensOnlyTheCameraAtItsLocation();
    void identicalCamerasReachTheirOwnInterface();
    void readWaitsAtMostItsTimeout();
    void unpluggedCameraFails();
    void hidrawNodeLocationFromSysfs_data();
    void hidrawNodeLocationFromSysfs();
};

void TestHidChannel::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestHidChannel::init()
{
    SimulatedCameras::instance()->reset();
}

void TestHidChannel::opensOnlyTheCameraAtItsLocation_data()
{
    QTest::addColumn<quint32>("location");
    QTest::addColumn<quint16>("vendor");
    QTest::addColumn<quint16>("product");
    QTest::addColumn<bool>("opens");

    QTest::newRow("location alone") << SimulatedCameras::FirstLocationId << quint16(0) << quint16(0)
                                    << true;
    QTest::newRow("location and ids") << SimulatedCameras::SecondLocationId << quint16(0x2574)
                                      << SimulatedCameras::SecondProductId << true;
    QTest::newRow("ids of another camera") << SimulatedCameras::SecondLocationId << quint16(0x2574)
                                           << SimulatedCameras::FirstProductId << false;
    QTest::newRow("empty location") << quint32(0x01300000) << quint16(0) << quint16(0) << false;
    QTest::newRow("no location") << quint32(0) << quint16(0x2574)
                                 << SimulatedCameras::FirstProductId << false;
}

void TestHidChannel::opensOnlyTheCameraAtItsLocation()
{
    QFETCH(quint32, location);
    QFETCH(quint16, vendor);
    QFETCH(quint16, product);
    QFETCH(bool, opens);
    QCOMPARE(HidChannel::openByLocation(location, vendor, product) != nullptr, opens);
}

void TestHidChannel::identicalCamerasReachTheirOwnInterface()
{
    // Two cameras of one model differ only by where they are plugged in.
    auto twin = SimulatedCameras::instance()->plugStandard(
        SimulatedCameras::FirstProductId, 0x01310000, QStringLiteral("Twin"));
    QVERIFY(twin);
    auto first = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    first->hid().clearReportLog();

    auto channel = HidChannel::openByLocation(0x01310000, 0x2574, SimulatedCameras::FirstProductId);
    QVERIFY(channel);
    QCOMPARE(writeReport(*channel, statusReport()), HidChannel::ReportSize);
    QCOMPARE(twin->hid().reportLog().size(), 1);
    QVERIFY(first->hid().reportLog().isEmpty());

    quint8 answer[HidChannel::ReportSize] = {};
    QCOMPARE(channel->read(answer, sizeof(answer), 1000), HidChannel::ReportSize);
    QCOMPARE(int(answer[0]), 8);
    QCOMPARE(int(answer[2]), int(SimulatedHidDevice::IspStatus));
    QCOMPARE(channel->serialNumber(), twin->info().uniqueId);
}

void TestHidChannel::readWaitsAtMostItsTimeout()
{
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    camera->hid().setAnswering(false);
    auto channel = HidChannel::openByLocation(SimulatedCameras::FirstLocationId);
    QVERIFY(channel);
    QCOMPARE(writeReport(*channel, statusReport()), HidChannel::ReportSize);

    quint8 answer[HidChannel::ReportSize] = {};
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(channel->read(answer, sizeof(answer), 80), 0);
    QVERIFY(timer.elapsed() >= 70);
    QVERIFY(timer.elapsed() < 2000);
    QCOMPARE(int(answer[0]), 0);
}

void TestHidChannel::unpluggedCameraFails()
{
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    auto channel = HidChannel::openByLocation(SimulatedCameras::FirstLocationId);
    QVERIFY(channel);
    QVERIFY(SimulatedCameras::instance()->unplug(camera->info().uniqueId));

    quint8 answer[HidChannel::ReportSize] = {};
    QCOMPARE(writeReport(*channel, statusReport()), -1);
    QCOMPARE(channel->read(answer, sizeof(answer), 5000), -1);
    QVERIFY(!HidChannel::openByLocation(SimulatedCameras::FirstLocationId));
}

void TestHidChannel::hidrawNodeLocationFromSysfs_data()
{
    QTest::addColumn<QString>("deviceDir");
    QTest::addColumn<QString>("node");
    QTest::addColumn<quint32>("location");

    QTest::newRow("camera on port 2") << "devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.3/"
                                         "0003:2574:0701.0004/hidraw/hidraw3"
                                      << "hidraw3" << quint32(0x01200000);
    QTest::newRow("behind a hub") << "devices/pci0000:00/0000:00:14.0/usb3/3-1/3-1.4/3-1.4:1.2/"
                                     "0003:07CA:0815.0009/hidraw/hidraw7"
                                  << "hidraw7" << quint32(0x03140000);
    QTest::newRow("not on USB") << "devices/platform/i8042/serio0/0018:04F3:3140.0001/hidraw/hidraw0"
                                << "hidraw0" << quint32(0);
    QTest::newRow("missing node") << QString() << "hidraw9" << quint32(0);
}

void TestHidChannel::hidrawNodeLocationFromSysfs()
{
    QFETCH(QString, deviceDir);
    QFETCH(QString, node);
    QFETCH(quint32, location);

    QTemporaryDir sysfs;
    QVERIFY(sysfs.isValid());
    QVERIFY(QDir(sysfs.path()).mkpath(QStringLiteral("class/hidraw")));
    if (!deviceDir.isEmpty()) {
        QVERIFY(QDir(sysfs.path()).mkpath(deviceDir));
        QVERIFY(QFile::link(sysfs.path() + QLatin1Char('/') + deviceDir,
                            sysfs.path() + QStringLiteral("/class/hidraw/") + node));
    }
    QCOMPARE(platform::LinuxHidChannel::locationOfNode(QStringLiteral("/dev/") + node, sysfs.path()),
             location);
}

QTEST_GUILESS_MAIN(TestHidChannel)
#include "tst_hid_channel.moc"
