#include "core/platformbackend.h"
#include "power/powermonitor.h"
#include "simulated/simulatedcameras.h"
#include "simulatedcamerarequests.h"
#include "usb/usbcontrolchannel.h"
#include "video/capturedevice.h"
#include "video/videodevices.h"

#include <QRegularExpression>
#include <QtTest>

using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedUvcControl;
using platform::UsbControlRequest;

Q_DECLARE_METATYPE(platform::UsbControlRequest)

namespace {

UsbControlRequest request(quint8 type, quint8 code, quint16 wValue, quint16 wIndex, quint16 length,
                          const QByteArray &data = QByteArray())
{
    UsbControlRequest r;
    r.bmRequestType = type;
    r.bRequest = code;
    r.wValue = wValue;
    r.wIndex = wIndex;
    r.wLength = length;
    r.data = data;
    return r;
}

QSharedPointer<SimulatedCamera> firstCamera()
{
    return SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
}

} // namespace

class TestSimulatedCameras : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void twoMakerCameras();
    void captureDevices();
    void uvcRequests_data();
    void uvcRequests();
    void failureInjection();
    void channels();
    void plugAndUnplug();
    void sleepAndWake();
};

void TestSimulatedCameras::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    platform::VideoDevices::instance()->startWatching();
}

void TestSimulatedCameras::init()
{
    SimulatedCameras::instance()->reset();
}

void TestSimulatedCameras::twoMakerCameras()
{
    const QList<platform::VideoDeviceInfo> devices = platform::VideoDevices::instance()->devices();
    QCOMPARE(devices.size(), 2);
    QVERIFY(devices.at(0).locationId != devices.at(1).locationId);
    const QRegularExpression form(QStringLiteral("^0x[0-9a-f]{16}$"));
    for (const platform::VideoDeviceInfo &device : devices) {
        QCOMPARE(device.vendorId, quint16(0x2574));
        QVERIFY(device.productId < 0x2000);
        QVERIFY(!device.name.isEmpty());
        QVERIFY(form.match(device.uniqueId).hasMatch());
        const quint64 id = device.uniqueId.mid(2).toULongLong(nullptr, 16);
        QCOMPARE(quint32(id >> 32), device.locationId);
        QCOMPARE(quint32(id), quint32(device.vendorId) << 16 | device.productId);
    }
    QCOMPARE(devices.at(0).productId, quint16(0x0701));
}

void TestSimulatedCameras::captureDevices()
{
    platform::VideoDevices *devices = platform::VideoDevices::instance();
    const QString id = firstCamera()->info().uniqueId;
    QSharedPointer<platform::CaptureDevice> device = devices->captureDevice(id);
    QVERIFY(device);
    QCOMPARE(devices->captureDevice(id), device);
    QVERIFY(!devices->captureDevice(QStringLiteral("0x0000000000000000")));

    const QList<platform::CaptureFormat> formats = device->formats();
    QCOMPARE(formats.size(), 8);
    QCOMPARE(formats.at(0).subtype, QByteArray("jpeg"));
    QCOMPARE(formats.at(7).subtype, QByteArray("yuvs"));
    QCOMPARE(formats.at(7).width, 3840);
    QCOMPARE(formats.at(3).frameRateRanges.size(), 4);
    QCOMPARE(formats.at(3).frameRateRanges.at(2).minFrameDuration, (platform::FrameDuration{1, 30}));

    // Changes need the lock.
    QVERIFY(!device->setActiveFormat(2));
    QVERIFY(device->lockForConfiguration());
    QVERIFY(device->setActiveFormat(2));
    QVERIFY(device->setActiveMinFrameDuration(platform::FrameDuration{1, 15}));
    QVERIFY(!device->setActiveMinFrameDuration(platform::FrameDuration{1, 25}));
    device->unlockForConfiguration();
    QCOMPARE(device->activeFormatIndex(), 2);
    QCOMPARE(device->activeMinFrameDuration(), (platform::FrameDuration{2, 30}));
}

void TestSimulatedCameras::uvcRequests_data()
{
    QTest::addColumn<UsbControlRequest>("request");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QByteArray>("brightnessAfter");

    const QByteArray zero = SimulatedUvcControl::bytes(0, 2);
    QTest::newRow("GET_CUR") << request(0xa1, 0x81, 0x0200, 0x0200, 2) << true << zero << zero;
    QTest::newRow("GET_MIN") << request(0xa1, 0x82, 0x0200, 0x0200, 2) << true
                             << SimulatedUvcControl::bytes(-64, 2) << zero;
    QTest::newRow("GET_RES") << request(0xa1, 0x84, 0x0200, 0x0200, 2) << true
                             << SimulatedUvcControl::bytes(1, 2) << zero;
    QTest::newRow("GET_LEN") << request(0xa1, 0x85, 0x0200, 0x0200, 2) << true
                             << SimulatedUvcControl::bytes(2, 2) << zero;
    QTest::newRow("GET_INFO") << request(0xa1, 0x86, 0x0200, 0x0200, 1) << true << QByteArray("\x03")
                              << zero;
    QTest::newRow("SET_CUR") << request(0x21, 0x01, 0x0200, 0x0200, 2, SimulatedUvcControl::bytes(-7, 2))
                             << true << QByteArray() << SimulatedUvcControl::bytes(-7, 2);
    QTest::newRow("SET_CUR out of range") << request(0x21, 0x01, 0x0200, 0x0200, 2, SimulatedUvcControl::bytes(65, 2))
                                          << false << QByteArray() << zero;
    QTest::newRow("wrong length") << request(0xa1, 0x81, 0x0200, 0x0200, 4) << false << QByteArray() << zero;
    QTest::newRow("short data") << request(0x21, 0x01, 0x0200, 0x0200, 2, QByteArray(1, 0)) << false
                                << QByteArray() << zero;
    QTest::newRow("unknown selector") << request(0xa1, 0x81, 0x1f00, 0x0200, 2) << false << QByteArray() << zero;
    QTest::newRow("unknown unit") << request(0xa1, 0x81, 0x0200, 0x0900, 2) << false << QByteArray() << zero;
    QTest::newRow("unknown request") << request(0xa1, 0x88, 0x0200, 0x0200, 2) << false << QByteArray() << zero;
    QTest::newRow("extension unit text") << request(0xa1, 0x81, 0x1400, 0x0500, 32) << true
                                         << QByteArray("1.0.7").leftJustified(32, '\0') << zero;
}

void TestSimulatedCameras::uvcRequests()
{
    QFETCH(UsbControlRequest, request);
    QFETCH(bool, accepted);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, brightnessAfter);

    platform::SimulatedUvcDevice &uvc = firstCamera()->uvc();
    QCOMPARE(uvc.handle(request), accepted);
    if (request.isDeviceToHost())
        QCOMPARE(request.data, answer);
    QCOMPARE(uvc.current(2, 0x02), brightnessAfter);
    QCOMPARE(uvc.requestLog().size(), 1);
    QCOMPARE(uvc.requestLog().first().accepted, accepted);
}

void TestSimulatedCameras::failureInjection()
{
    platform::SimulatedUvcDevice &uvc = firstCamera()->uvc();
    auto get = [&uvc](quint16 wValue, quint16 wIndex, quint16 length) {
        UsbControlRequest r = request(0xa1, 0x81, wValue, wIndex, length);
        return uvc.handle(r);
    };

    uvc.failNextRequests(2, 1);
    QVERIFY(get(0x0200, 0x0200, 2));
    QVERIFY(!get(0x0200, 0x0200, 2));
    QVERIFY(!get(0x0300, 0x0200, 2));
    QVERIFY(get(0x0200, 0x0200, 2));

    uvc.setControlFailing(2, 0x02, true);
    QVERIFY(!get(0x0200, 0x0200, 2));
    QVERIFY(get(0x0300, 0x0200, 2));
    uvc.setControlFailing(2, 0x02, false);
    QVERIFY(get(0x0200, 0x0200, 2));

    uvc.setAllFailing(true);
    QVERIFY(!get(0x0300, 0x0200, 2));
    uvc.setAllFailing(false);

    QCOMPARE(uvc.requestLog().size(), 8);
    QCOMPARE(describeRequest(uvc.requestLog().at(2).request), QStringLiteral("a1 81 0300 0200 2"));
    QVERIFY(uvc.requestLog().at(2).request.data.isEmpty());
    uvc.clearRequestLog();
    QVERIFY(uvc.requestLog().isEmpty());
}

void TestSimulatedCameras::channels()
{
    const platform::VideoDeviceInfo second =
        SimulatedCameras::instance()->cameraAt(SimulatedCameras::SecondLocationId)->info();
    auto byLocation = platform::UsbControlChannel::openByLocation(SimulatedCameras::FirstLocationId);
    QVERIFY(byLocation->hasInterface());
    QCOMPARE(byLocation->vendorId(), quint16(0x2574));
    QCOMPARE(byLocation->productId(), quint16(0x0701));

    auto byIds = platform::UsbControlChannel::open(second.vendorId, second.productId, second.locationId);
    QVERIFY(byIds->hasInterface());
    const QByteArray descriptor = byIds->configurationDescriptor();
    QCOMPARE(descriptor.at(1), char(2));
    QCOMPARE(quint8(descriptor.at(2)) | quint8(descriptor.at(3)) << 8, descriptor.size());

    QVERIFY(!platform::UsbControlChannel::open(second.vendorId, 0x0701, second.locationId)->hasInterface());
    QVERIFY(!platform::UsbControlChannel::openByLocation(0x07700000)->hasInterface());

    // After an unplug the open channel fails every request.
    QVERIFY(SimulatedCameras::instance()->unplug(second.uniqueId));
    UsbControlRequest r = request(0xa1, 0x81, 0x0200, 0x0200, 2);
    QVERIFY(!byIds->sendControlRequest(r));
}

void TestSimulatedCameras::plugAndUnplug()
{
    platform::VideoDevices *devices = platform::VideoDevices::instance();
    QSignalSpy added(devices, &platform::VideoDevices::deviceAdded);
    QSignalSpy removed(devices, &platform::VideoDevices::deviceRemoved);
    SimulatedCameras *cameras = SimulatedCameras::instance();

    const auto plugged = cameras->plugStandard(0x0903, 0x02100000, QStringLiteral("Third"));
    QVERIFY(plugged);
    QCOMPARE(added.count(), 1);
    QCOMPARE(added.first().at(0).value<platform::VideoDeviceInfo>().uniqueId, plugged->info().uniqueId);
    QCOMPARE(devices->devices().size(), 3);
    QVERIFY(!cameras->plug(plugged));
    QCOMPARE(added.count(), 1);

    const QSharedPointer<platform::CaptureDevice> device = devices->captureDevice(plugged->info().uniqueId);
    QVERIFY(cameras->unplug(plugged->info().uniqueId));
    QCOMPARE(removed.count(), 1);
    QVERIFY(!cameras->unplug(plugged->info().uniqueId));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(devices->devices().size(), 2);
    QVERIFY(!devices->captureDevice(plugged->info().uniqueId));
    QVERIFY(!device->lockForConfiguration());
}

void TestSimulatedCameras::sleepAndWake()
{
    platform::PowerMonitor *power = platform::PowerMonitor::instance();
    QSignalSpy sleeping(power, &platform::PowerMonitor::aboutToSleep);
    QSignalSpy woke(power, &platform::PowerMonitor::woke);
    SimulatedCameras::instance()->suspendComputer();
    QCOMPARE(sleeping.count(), 1);
    QCOMPARE(woke.count(), 0);
    SimulatedCameras::instance()->resumeComputer();
    QCOMPARE(woke.count(), 1);
}

QTEST_GUILESS_MAIN(TestSimulatedCameras)
#include "tst_simulated_cameras.moc"
