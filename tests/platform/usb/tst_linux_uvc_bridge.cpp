#include "usb/linux/linuxusbcontrolchannel.h"
#include "usb/linux/uvcrequestbridge.h"
#include "usb/linux/uvcunitids.h"

#include "linuxfakev4l2io.h"
#include "linuxsysfsfixture.h"

#include <QTemporaryDir>
#include <QtTest>

#include <linux/videodev2.h>

using platform::LinuxUsbControlChannel;
using platform::SysfsUsbDevice;
using platform::UsbControlRequest;
using platform::UvcRequestBridge;
using platform::UvcUnitIds;

namespace {

const QString Node = QStringLiteral("/dev/video0");

// A camera as uvcvideo presents it: V4L2 controls for its standard units, and the maker's extension
// unit controls behind UVCIOC_CTRL_QUERY.
void addCamera(LinuxFakeV4l2Io *io)
{
    io->nodes.insert(Node, V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);
    io->controls.insert(V4L2_CID_BRIGHTNESS, {-64, 64, 1, 10, -5, 0});
    io->controls.insert(V4L2_CID_CONTRAST, {0, 95, 1, 32, 40, 0});
    io->controls.insert(V4L2_CID_EXPOSURE_AUTO, {0, 3, 1, 3, 3, 0});
    io->controls.insert(V4L2_CID_PAN_ABSOLUTE, {-180000, 180000, 3600, 0, 36000, 0});
    io->controls.insert(V4L2_CID_TILT_ABSOLUTE, {-108000, 108000, 3600, 0, -7200, 0});
    io->controls.insert(V4L2_CID_ZOOM_CONTINUOUS, {-7, 7, 1, 0, 0, 0});
    io->controls.insert(V4L2_CID_PAN_SPEED, {-10, 10, 1, 0, 0, 0});
    io->controls.insert(V4L2_CID_TILT_SPEED, {-10, 10, 1, 0, 0, 0});
    io->controls.insert(V4L2_CID_FOCUS_RELATIVE, {-1, 1, 1, 0, 0, 0});
    io->controls.insert(V4L2_CID_AUTO_WHITE_BALANCE, {0, 1, 1, 1, 1, V4L2_CTRL_FLAG_READ_ONLY});

    LinuxFakeV4l2Io::ExtensionControl firmware;
    firmware.length = 32;
    firmware.current = QByteArray("ZQ40 1.0.7").leftJustified(32, '\0');
    io->extensionControls.insert(LinuxFakeV4l2Io::key(5, 0x14), firmware);
    LinuxFakeV4l2Io::ExtensionControl sensorMode;
    sensorMode.current = QByteArray(1, '\1');
    sensorMode.maximum = QByteArray(1, '\3');
    io->extensionControls.insert(LinuxFakeV4l2Io::key(6, 0x0e), sensorMode);
    LinuxFakeV4l2Io::ExtensionControl snapshotSupport;
    snapshotSupport.info = 0x01; // read only
    io->extensionControls.insert(LinuxFakeV4l2Io::key(6, 0x15), snapshotSupport);
    LinuxFakeV4l2Io::ExtensionControl flaky;
    flaky.shortReply = true;
    io->extensionControls.insert(LinuxFakeV4l2Io::key(5, 0x10), flaky);
}

UsbControlRequest request(quint8 requestType, quint8 code, quint8 selector, quint16 index, quint16 length,
                          const QByteArray &data)
{
    UsbControlRequest result;
    result.bmRequestType = requestType;
    result.bRequest = code;
    result.wValue = quint16(selector << 8);
    result.wIndex = index;
    result.wLength = length;
    result.data = data;
    return result;
}

} // namespace

class TestLinuxUvcBridge : public QObject
{
    Q_OBJECT

private slots:
    void requests_data();
    void requests();
    void unitIdsFromDescriptor_data();
    void unitIdsFromDescriptor();
    void channelOnSysfsDevice();
    void channelWithoutDevice();
};

void TestLinuxUvcBridge::requests_data()
{
    QTest::addColumn<quint8>("requestType");
    QTest::addColumn<quint8>("code");
    QTest::addColumn<quint8>("selector");
    QTest::addColumn<quint16>("index"); // unit << 8 | interface
    QTest::addColumn<quint16>("length");
    QTest::addColumn<QByteArray>("sent");     // hex
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("answered"); // hex; on failure the request's data is left as it was
    QTest::addColumn<QStringList>("ioctls");

    const quint8 in = 0xa1, out = 0x21;
    const quint8 setCur = 0x01, getCur = 0x81, getMin = 0x82, getMax = 0x83, getLen = 0x85, getInfo = 0x86,
                 getDef = 0x87;
    const quint16 pu = 0x0200, ct = 0x0100;

    // Processing unit and camera terminal: V4L2 controls.
    QTest::newRow("brightness get") << in << getCur << quint8(0x02) << pu << quint16(2) << QByteArray()
                                    << true << QByteArray("fbff") << QStringList{"G_CTRL brightness"};
    QTest::newRow("brightness, interface number ignored")
        << in << getCur << quint8(0x02) << quint16(pu | 3) << quint16(2) << QByteArray() << true
        << QByteArray("fbff") << QStringList{"G_CTRL brightness"};
    QTest::newRow("brightness min") << in << getMin << quint8(0x02) << pu << quint16(2) << QByteArray() << true
                                    << QByteArray("c0ff") << QStringList{"QUERYCTRL brightness"};
    QTest::newRow("brightness max") << in << getMax << quint8(0x02) << pu << quint16(2) << QByteArray() << true
                                    << QByteArray("4000") << QStringList{"QUERYCTRL brightness"};
    QTest::newRow("brightness default") << in << getDef << quint8(0x02) << pu << quint16(2) << QByteArray()
                                        << true << QByteArray("0a00") << QStringList{"QUERYCTRL brightness"};
    QTest::newRow("brightness set negative") << out << setCur << quint8(0x02) << pu << quint16(2)
                                             << QByteArray("fbff") << true << QByteArray("fbff")
                                             << QStringList{"S_CTRL brightness=-5"};
    QTest::newRow("contrast set is unsigned") << out << setCur << quint8(0x03) << pu << quint16(2)
                                              << QByteArray("ff80") << true << QByteArray("ff80")
                                              << QStringList{"S_CTRL contrast=33023"};
    QTest::newRow("brightness length") << in << getLen << quint8(0x02) << pu << quint16(2) << QByteArray()
                                       << true << QByteArray("0200") << QStringList{};
    QTest::newRow("brightness info") << in << getInfo << quint8(0x02) << pu << quint16(1) << QByteArray()
                                     << true << QByteArray("03") << QStringList{"QUERYCTRL brightness"};
    QTest::newRow("read-only control info") << in << getInfo << quint8(0x0b) << pu << quint16(1) << QByteArray()
                                            << true << QByteArray("01")
                                            << QStringList{"QUERYCTRL auto_white_balance"};

    QTest::newRow("auto exposure on") << out << setCur << quint8(0x02) << ct << quint16(1) << QByteArray("08")
                                      << true << QByteArray("08") << QStringList{"S_CTRL exposure_auto=3"};
    QTest::newRow("auto exposure off") << out << setCur << quint8(0x02) << ct << quint16(1) << QByteArray("01")
                                       << true << QByteArray("01") << QStringList{"S_CTRL exposure_auto=1"};
    QTest::newRow("auto exposure read") << in << getCur << quint8(0x02) << ct << quint16(1) << QByteArray()
                                        << true << QByteArray("08") << QStringList{"G_CTRL exposure_auto"};
    QTest::newRow("auto exposure, no such mode") << out << setCur << quint8(0x02) << ct << quint16(1)
                                                 << QByteArray("03") << false << QByteArray("03") << QStringList{};

    QTest::newRow("pan/tilt absolute get") << in << getCur << quint8(0x0d) << ct << quint16(8) << QByteArray()
                                           << true << QByteArray("a08c0000e0e3ffff")
                                           << QStringList{"G_CTRL pan_absolute", "G_CTRL tilt_absolute"};
    QTest::newRow("pan/tilt absolute set") << out << setCur << quint8(0x0d) << ct << quint16(8)
                                           << QByteArray("6015feff100e0000") << true
                                           << QByteArray("6015feff100e0000")
                                           << QStringList{"S_CTRL pan_absolute=-125600", "S_CTRL tilt_absolute=3600"};
    QTest::newRow("pan/tilt absolute max") << in << getMax << quint8(0x0d) << ct << quint16(8) << QByteArray()
                                           << true << QByteArray("20bf0200e0a50100")
                                           << QStringList{"QUERYCTRL pan_absolute", "QUERYCTRL tilt_absolute"};

    QTest::newRow("zoom in, no speed given") << out << setCur << quint8(0x0c) << ct << quint16(3)
                                             << QByteArray("010000") << true << QByteArray("010000")
                                             << QStringList{"S_CTRL zoom_continuous=1"};
    QTest::newRow("zoom out at speed 5") << out << setCur << quint8(0x0c) << ct << quint16(3)
                                         << QByteArray("ff0005") << true << QByteArray("ff0005")
                                         << QStringList{"S_CTRL zoom_continuous=-5"};
    QTest::newRow("zoom stop") << out << setCur << quint8(0x0c) << ct << quint16(3) << QByteArray("000003")
                               << true << QByteArray("000003") << QStringList{"S_CTRL zoom_continuous=0"};
    QTest::newRow("pan right") << out << setCur << quint8(0x0e) << ct << quint16(4) << QByteArray("01030000")
                               << true << QByteArray("01030000")
                               << QStringList{"S_CTRL pan_speed=3", "S_CTRL tilt_speed=0"};
    QTest::newRow("tilt down") << out << setCur << quint8(0x0e) << ct << quint16(4) << QByteArray("0000ff03")
                               << true << QByteArray("0000ff03")
                               << QStringList{"S_CTRL pan_speed=0", "S_CTRL tilt_speed=-3"};
    QTest::newRow("focus nearer") << out << setCur << quint8(0x07) << ct << quint16(2) << QByteArray("ff00")
                                  << true << QByteArray("ff00") << QStringList{"S_CTRL focus_relative=-1"};

    QTest::newRow("scanning mode has no V4L2 control")
        << in << getCur << quint8(0x01) << ct << quint16(1) << QByteArray("aa") << false << QByteArray("aa")
        << QStringList{};
    QTest::newRow("roll has no V4L2 control") << out << setCur << quint8(0x0f) << ct << quint16(2)
                                              << QByteArray("5a00") << false << QByteArray("5a00") << QStringList{};
    QTest::newRow("digital multiplier has no V4L2 control")
        << in << getCur << quint8(0x0e) << pu << quint16(2) << QByteArray() << false << QByteArray()
        << QStringList{};
    QTest::newRow("camera lacks the V4L2 control") << in << getCur << quint8(0x06) << pu << quint16(2)
                                                   << QByteArray() << false << QByteArray()
                                                   << QStringList{"G_CTRL 0x980903"};
    QTest::newRow("length other than the control's") << in << getCur << quint8(0x02) << pu << quint16(1)
                                                      << QByteArray() << false << QByteArray() << QStringList{};
    QTest::newRow("set with fewer bytes than wLength") << out << setCur << quint8(0x02) << pu << quint16(2)
                                                       << QByteArray("05") << false << QByteArray("05")
                                                       << QStringList{};
    QTest::newRow("not a class request") << quint8(0x80) << quint8(0x06) << quint8(0x02) << pu << quint16(2)
                                         << QByteArray() << false << QByteArray() << QStringList{};

    // Extension units: UVCIOC_CTRL_QUERY after GET_LEN and GET_INFO.
    QTest::newRow("firmware version")
        << in << getCur << quint8(0x14) << quint16(0x0500) << quint16(32) << QByteArray() << true
        << QByteArray("ZQ40 1.0.7").leftJustified(32, '\0').toHex()
        << QStringList{"XU 5:0x14 GET_LEN", "XU 5:0x14 GET_INFO", "XU 5:0x14 GET_CUR"};
    QTest::newRow("sensor mode set") << out << setCur << quint8(0x0e) << quint16(0x0600) << quint16(1)
                                     << QByteArray("02") << true << QByteArray("02")
                                     << QStringList{"XU 6:0x0e GET_LEN", "XU 6:0x0e GET_INFO", "XU 6:0x0e SET_CUR 02"};
    QTest::newRow("sensor mode max") << in << getMax << quint8(0x0e) << quint16(0x0600) << quint16(1)
                                     << QByteArray() << true << QByteArray("03")
                                     << QStringList{"XU 6:0x0e GET_LEN", "XU 6:0x0e GET_INFO", "XU 6:0x0e GET_MAX"};
    QTest::newRow("length other than GET_LEN") << in << getCur << quint8(0x0e) << quint16(0x0600) << quint16(2)
                                               << QByteArray() << false << QByteArray()
                                               << QStringList{"XU 6:0x0e GET_LEN"};
    QTest::newRow("set on a read-only control") << out << setCur << quint8(0x15) << quint16(0x0600) << quint16(1)
                                                << QByteArray("01") << false << QByteArray("01")
                                                << QStringList{"XU 6:0x15 GET_LEN", "XU 6:0x15 GET_INFO"};
    QTest::newRow("short reply") << in << getCur << quint8(0x10) << quint16(0x0500) << quint16(1) << QByteArray("7f")
                                 << false << QByteArray("7f")
                                 << QStringList{"XU 5:0x10 GET_LEN", "XU 5:0x10 GET_INFO", "XU 5:0x10 GET_CUR"};
    QTest::newRow("no such unit") << in << getCur << quint8(0x01) << quint16(0x0700) << quint16(1) << QByteArray()
                                  << false << QByteArray() << QStringList{"XU 7:0x01 GET_LEN"};
    QTest::newRow("extension unit length") << in << getLen << quint8(0x14) << quint16(0x0500) << quint16(2)
                                           << QByteArray() << true << QByteArray("2000")
                                           << QStringList{"XU 5:0x14 GET_LEN"};
}

void TestLinuxUvcBridge::requests()
{
    QFETCH(quint8, requestType);
    QFETCH(quint8, code);
    QFETCH(quint8, selector);
    QFETCH(quint16, index);
    QFETCH(quint16, length);
    QFETCH(QByteArray, sent);
    QFETCH(bool, ok);
    QFETCH(QByteArray, answered);
    QFETCH(QStringList, ioctls);

    LinuxFakeV4l2Io io;
    addCamera(&io);
    UvcRequestBridge bridge(io, Node, UvcUnitIds());
    UsbControlRequest sending = request(requestType, code, selector, index, length, QByteArray::fromHex(sent));

    QCOMPARE(bridge.send(sending), ok);
    QCOMPARE(sending.data.toHex(), answered);
    QCOMPARE(io.log, ioctls);
    QCOMPARE(io.closeCount, io.openCount);
}

void TestLinuxUvcBridge::unitIdsFromDescriptor_data()
{
    QTest::addColumn<QByteArray>("descriptor");
    QTest::addColumn<bool>("fromDescriptor");
    QTest::addColumn<int>("interfaceNumber");
    QTest::addColumn<int>("cameraTerminal");
    QTest::addColumn<int>("processingUnit");

    const QByteArray camera = LinuxSysfsFixture::uvcConfiguration(2, 4, 7);
    QTest::newRow("camera") << camera << true << 2 << 4 << 7;
    QTest::newRow("maker's layout") << LinuxSysfsFixture::uvcConfiguration(0, 1, 2) << true << 0 << 1 << 2;
    QTest::newRow("empty") << QByteArray() << false << 0 << 1 << 2;
    QTest::newRow("no video-control interface") << camera.left(9) << false << 0 << 1 << 2;

    // Offsets into the fixture: configuration 9, association 8, interface 9, header 13, terminal 18.
    const int terminal = 9 + 8 + 9 + 13;
    const int processingUnit = terminal + 18;
    QByteArray zeroLength = camera;
    zeroLength[processingUnit] = 0; // would walk on the spot forever
    QTest::newRow("zero length stops the walk") << zeroLength << true << 2 << 4 << 2;
    QByteArray pastTheEnd = camera;
    pastTheEnd[terminal] = char(0xff);
    QTest::newRow("length past the end stops the walk") << pastTheEnd << true << 2 << 1 << 2;
    QTest::newRow("cut inside a descriptor") << camera.left(processingUnit + 5) << true << 2 << 4 << 2;
    QByteArray notCamera = camera;
    notCamera[terminal + 4] = 0x01; // a streaming terminal, not the camera
    notCamera[terminal + 5] = 0x01;
    QTest::newRow("input terminal that is not a camera") << notCamera << true << 2 << 1 << 7;
}

void TestLinuxUvcBridge::unitIdsFromDescriptor()
{
    QFETCH(QByteArray, descriptor);
    QFETCH(bool, fromDescriptor);
    QFETCH(int, interfaceNumber);
    QFETCH(int, cameraTerminal);
    QFETCH(int, processingUnit);

    const UvcUnitIds ids = UvcUnitIds::fromConfigurationDescriptor(descriptor);
    QCOMPARE(ids.fromDescriptor, fromDescriptor);
    QCOMPARE(int(ids.interfaceNumber), interfaceNumber);
    QCOMPARE(int(ids.cameraTerminalId), cameraTerminal);
    QCOMPARE(int(ids.processingUnitId), processingUnit);
}

void TestLinuxUvcBridge::channelOnSysfsDevice()
{
    QTemporaryDir root;
    const QByteArray configuration = LinuxSysfsFixture::uvcConfiguration(0, 1, 3);
    QVERIFY(LinuxSysfsFixture::writeDevice(root.path(), "1-4", 0x2574, 0x0702, "Camera",
                                           LinuxSysfsFixture::descriptorsFile(configuration),
                                           {"video4", "video5"}));
    LinuxFakeV4l2Io io;
    addCamera(&io);
    io.nodes.clear();
    io.nodes.insert("/dev/video4", V4L2_CAP_META_CAPTURE | V4L2_CAP_STREAMING);
    io.nodes.insert("/dev/video5", V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);

    LinuxUsbControlChannel channel(SysfsUsbDevice(root.path() + "/1-4"), io);
    QVERIFY(channel.hasInterface());
    QCOMPARE(channel.captureNode(), QStringLiteral("/dev/video5")); // not the metadata node
    QCOMPARE(channel.vendorId(), quint16(0x2574));
    QCOMPARE(channel.productId(), quint16(0x0702));
    QCOMPARE(channel.configurationDescriptor(), configuration);
    QCOMPARE(channel.unitIds().processingUnitId, quint8(3));

    // The processing unit is where the descriptor puts it, and nowhere else.
    io.log.clear();
    UsbControlRequest brightness = request(0xa1, 0x81, 0x02, 0x0300, 2, QByteArray());
    QVERIFY(channel.sendControlRequest(brightness));
    QCOMPARE(io.log, QStringList{"G_CTRL brightness"});
    io.log.clear();
    brightness.wIndex = 0x0200;
    QVERIFY(!channel.sendControlRequest(brightness));
    QCOMPARE(io.log, QStringList{"XU 2:0x02 GET_LEN"});
    QCOMPARE(io.closeCount, io.openCount);
}

void TestLinuxUvcBridge::channelWithoutDevice()
{
    LinuxFakeV4l2Io io;
    addCamera(&io);
    LinuxUsbControlChannel absent(SysfsUsbDevice(), io);
    QVERIFY(!absent.hasInterface());
    QVERIFY(absent.configurationDescriptor().isEmpty());
    UsbControlRequest brightness = request(0xa1, 0x81, 0x02, 0x0200, 2, QByteArray());
    QVERIFY(!absent.sendControlRequest(brightness));
    QCOMPARE(io.openCount, 0);

    // A camera whose only node is its metadata node has nothing to send requests through.
    QTemporaryDir root;
    QVERIFY(LinuxSysfsFixture::writeDevice(root.path(), "2-1", 0x2574, 0x0702, "Camera", QByteArray(), {"video1"}));
    io.nodes.insert("/dev/video1", V4L2_CAP_META_CAPTURE);
    LinuxUsbControlChannel metadataOnly(SysfsUsbDevice(root.path() + "/2-1"), io);
    QVERIFY(!metadataOnly.hasInterface());
    QCOMPARE(metadataOnly.unitIds().processingUnitId, quint8(2)); // the defaults, descriptor unreadable
    QCOMPARE(metadataOnly.unitIds().cameraTerminalId, quint8(1));
}

QTEST_GUILESS_MAIN(TestLinuxUvcBridge)
#include "tst_linux_uvc_bridge.moc"
