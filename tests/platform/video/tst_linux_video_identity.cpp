#include "video/linux/sysfsusbdevice.h"
#include "video/linux/udevvideodevices.h"
#include "video/linux/usblocation.h"

#include "linuxsysfsfixture.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::SysfsUsbDevice;
using platform::UsbLocation;

class TestLinuxVideoIdentity : public QObject
{
    Q_OBJECT

private slots:
    void locationFromSysfsPath_data();
    void locationFromSysfsPath();
    void uniqueId_data();
    void uniqueId();
    void sysfsDeviceByLocation();
    void descriptorsFileThatHoldsNoWholeConfiguration_data();
    void descriptorsFileThatHoldsNoWholeConfiguration();
    void udevListsOnlyUsbCaptureNodes();
};

void TestLinuxVideoIdentity::locationFromSysfsPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<quint32>("location");

    const QString pci = QStringLiteral("/sys/devices/pci0000:00/0000:00:14.0/");
    QTest::newRow("three hubs deep") << pci + "usb1/1-2/1-2.3/1-2.3.1" << true << 0x01231000u;
    QTest::newRow("root port") << pci + "usb1/1-2" << true << 0x01200000u;
    QTest::newRow("video node below the device")
        << pci + "usb3/3-1/3-1.4/3-1.4:1.0/video4linux/video2" << true << 0x03140000u;
    QTest::newRow("interface folder") << pci + "usb2/2-7/2-7:1.1" << true << 0x02700000u;
    QTest::newRow("root hub") << pci + "usb2" << true << 0x02000000u;
    QTest::newRow("bus link") << "/sys/bus/usb/devices/2-1.1" << true << 0x02110000u;
    QTest::newRow("bare name") << "4-3" << true << 0x04300000u;
    QTest::newRow("six levels") << "1-1.2.3.4.5.6" << true << 0x01123456u;
    QTest::newRow("largest bus and port") << "255-15.15" << true << 0xffff0000u;
    QTest::newRow("seven levels do not fit") << "1-1.2.3.4.5.6.7" << false << 0u;
    QTest::newRow("port above 15") << pci + "usb1/1-16" << false << 0u;
    QTest::newRow("port 0") << "1-0" << false << 0u;
    QTest::newRow("bus above 255") << "256-1" << false << 0u;
    QTest::newRow("bus 0") << "0-1" << false << 0u;
    QTest::newRow("not on USB") << "/sys/devices/virtual/video4linux/video0" << false << 0u;
    QTest::newRow("malformed chain") << "1-2..3" << false << 0u;
    QTest::newRow("empty") << QString() << false << 0u;
}

void TestLinuxVideoIdentity::locationFromSysfsPath()
{
    QFETCH(QString, path);
    QFETCH(bool, ok);
    QFETCH(quint32, location);

    bool parsed = !ok;
    QCOMPARE(UsbLocation::fromSysfsPath(path, &parsed), location);
    QCOMPARE(parsed, ok);
}

void TestLinuxVideoIdentity::uniqueId_data()
{
    QTest::addColumn<quint32>("location");
    QTest::addColumn<quint16>("vendor");
    QTest::addColumn<quint16>("product");
    QTest::addColumn<QString>("uniqueId");

    QTest::newRow("maker's camera") << 0x01231000u << quint16(0x2574) << quint16(0x0701) << "0x0123100025740701";
    QTest::newRow("all zero") << 0u << quint16(0) << quint16(0) << "0x0000000000000000";
    QTest::newRow("all ones") << 0xffffffffu << quint16(0xffff) << quint16(0xffff) << "0xffffffffffffffff";
    QTest::newRow("small product id") << 0x02100000u << quint16(0x046d) << quint16(0x0001) << "0x02100000046d0001";
}

void TestLinuxVideoIdentity::uniqueId()
{
    QFETCH(quint32, location);
    QFETCH(quint16, vendor);
    QFETCH(quint16, product);
    QFETCH(QString, uniqueId);

    const QString id = UsbLocation::uniqueId(location, vendor, product);
    QCOMPARE(id, uniqueId);
    // Read back the way the camera objects read it.
    QCOMPARE(id.mid(2).toULongLong(nullptr, 16), quint64(location) << 32 | quint64(vendor) << 16 | product);
}

void TestLinuxVideoIdentity::sysfsDeviceByLocation()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QByteArray configuration = LinuxSysfsFixture::uvcConfiguration(0, 1, 2);
    QVERIFY(LinuxSysfsFixture::writeDevice(root.path(), "1-2", 0x05e3, 0x0610, "USB2.0 Hub", QByteArray(), {}));
    QVERIFY(LinuxSysfsFixture::writeDevice(root.path(), "1-2.3", 0x2574, 0x0701, "ZQ40 Camera",
                                           LinuxSysfsFixture::descriptorsFile(configuration),
                                           {"video10", "video2"}));
    // An interface folder at the top, as in /sys/bus/usb/devices, names no device.
    QVERIFY(QDir().mkpath(root.path() + "/1-2.3:1.0"));

    const SysfsUsbDevice camera = SysfsUsbDevice::findByLocation(0x01230000, root.path());
    QVERIFY(camera.isValid());
    QCOMPARE(camera.locationId(), 0x01230000u);
    QCOMPARE(camera.vendorId(), quint16(0x2574));
    QCOMPARE(camera.productId(), quint16(0x0701));
    QCOMPARE(camera.product(), QStringLiteral("ZQ40 Camera"));
    QCOMPARE(camera.configurationDescriptor(), configuration);
    QCOMPARE(camera.videoNodes(), QStringList({"/dev/video2", "/dev/video10"}));

    QCOMPARE(SysfsUsbDevice::findByLocation(0x01200000, root.path()).product(), QStringLiteral("USB2.0 Hub"));
    QVERIFY(!SysfsUsbDevice::findByLocation(0x01240000, root.path()).isValid());
    QVERIFY(!SysfsUsbDevice::findByLocation(0x01230000, root.path() + "/missing").isValid());
}

void TestLinuxVideoIdentity::descriptorsFileThatHoldsNoWholeConfiguration_data()
{
    QTest::addColumn<QByteArray>("descriptors");

    const QByteArray whole = LinuxSysfsFixture::descriptorsFile(LinuxSysfsFixture::uvcConfiguration(0, 1, 2));
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("device descriptor only") << whole.left(18);
    QTest::newRow("cut short of wTotalLength") << whole.left(whole.size() - 1);
    QByteArray notConfiguration = whole;
    notConfiguration[18 + 1] = 0x04;
    QTest::newRow("not a configuration") << notConfiguration;
    QByteArray tooShortTotal = whole;
    tooShortTotal[18 + 2] = 3;
    tooShortTotal[18 + 3] = 0;
    QTest::newRow("wTotalLength below the header") << tooShortTotal;
}

void TestLinuxVideoIdentity::descriptorsFileThatHoldsNoWholeConfiguration()
{
    QFETCH(QByteArray, descriptors);

    QTemporaryDir root;
    QVERIFY(LinuxSysfsFixture::writeDevice(root.path(), "3-1", 0x2574, 0x0702, "Camera", descriptors, {}));
    QVERIFY(SysfsUsbDevice(root.path() + "/3-1").configurationDescriptor().isEmpty());
}

void TestLinuxVideoIdentity::udevListsOnlyUsbCaptureNodes()
{
    // The real udev of the machine: whatever it holds (usually no camera at all), every entry must be a
    // well-formed USB capture device, and watching must not change the list.
    platform::UdevVideoDevices devices;
    const QList<platform::VideoDeviceInfo> listed = devices.devices();
    for (const platform::VideoDeviceInfo &info : listed) {
        QVERIFY(info.node.startsWith("/dev/"));
        QCOMPARE(info.uniqueId, UsbLocation::uniqueId(info.locationId, info.vendorId, info.productId));
    }
    devices.startWatching();
    devices.startWatching();
    QCOMPARE(devices.devices().size(), listed.size());
    QVERIFY(!devices.captureDevice(QStringLiteral("0x0000000000000000")));
}

QTEST_GUILESS_MAIN(TestLinuxVideoIdentity)
#include "tst_linux_video_identity.moc"
