#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "core/platformbackend.h"
#include "simulated/simulatedcameras.h"
#include "captureformatbuilder.h"
#include "simulatedcamerarequests.h"

#include <QPointer>
#include <QtTest>

#include <functional>
#include <memory>

using platform::SimulatedCamera;
using platform::SimulatedCameras;

using Call = std::function<uint32_t(GeneralCamera *camera)>;
Q_DECLARE_METATYPE(Call)

namespace {

constexpr uint32_t NotSupported = 0xC0000002;
constexpr uint32_t NoControlObject = 0xE0000000;
constexpr uint32_t OutOfRange = 0xE0000011;

QSharedPointer<SimulatedCamera> firstCamera()
{
    return SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
}

LCGeneralCamera *open(const QSharedPointer<SimulatedCamera> &camera)
{
    return new LCGeneralCamera(new LCGeneralCameraImpl(camera->info()));
}

} // namespace

class TestCameraObject : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void identity();
    void formatsOfBothCameras();
    void narrowYuvFormatIsLeftOut();
    void codecTypes_data();
    void codecTypes();
    void setActiveFormat_data();
    void setActiveFormat();
    void setActiveFormatRefusedLock();
    void argumentChecks();
    void withoutControlObject_data();
    void withoutControlObject();
    void referenceCounting();
    void changeSlots();
};

void TestCameraObject::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCameraObject::init()
{
    SimulatedCameras::instance()->reset();
}

void TestCameraObject::identity()
{
    const QList<QSharedPointer<SimulatedCamera>> cameras = SimulatedCameras::instance()->cameras();
    QCOMPARE(cameras.size(), 2);
    for (const auto &simulated : cameras) {
        std::unique_ptr<LCGeneralCamera> camera(open(simulated));
        QCOMPARE(camera->getName(), simulated->info().name);
        QCOMPARE(camera->getVID(), uint16_t(0x2574));
        QCOMPARE(camera->getPID(), simulated->info().productId);
        QVERIFY(camera->getPID() < 0x2000);
        QCOMPARE(camera->getLocationID(), simulated->info().locationId);
        QCOMPARE(camera->getUniqueID(), simulated->info().uniqueId.mid(2).toULongLong(nullptr, 16));
        QCOMPARE(camera->getVendorName(), QStringLiteral("Qorv Information Inc."));
    }

    platform::VideoDeviceInfo other;
    other.uniqueId = SimulatedCamera::uniqueIdFor(0x01500000, 0x046d, 0x0825);
    other.name = QStringLiteral("Other Webcam");
    LCGeneralCamera camera(new LCGeneralCameraImpl(other));
    QCOMPARE(camera.getVID(), uint16_t(0x046d));
    QCOMPARE(camera.getPID(), uint16_t(0x0825));
    QCOMPARE(camera.getLocationID(), 0x01500000u);
    QCOMPARE(camera.getVendorName(), QString());
}

void TestCameraObject::formatsOfBothCameras()
{
    for (const auto &simulated : SimulatedCameras::instance()->cameras()) {
        std::unique_ptr<LCGeneralCamera> camera(open(simulated));
        const QList<VideoFormat> formats = camera->getVideFormats();
        QCOMPARE(formats.size(), 8);
        const QList<QSize> sizes{{640, 480}, {1280, 720}, {1920, 1080}, {3840, 2160}};
        for (int i = 0; i < formats.size(); ++i) {
            const VideoFormat &f = formats.at(i);
            QCOMPARE(f.codecType, i < 4 ? 6 : 3);
            QCOMPARE(QSize(f.width, f.height), sizes.at(i % 4));
            QCOMPARE(f.frameSize, f.width * f.height * 4);
            QCOMPARE(f.frameRates, (QList<unsigned>{5, 15, 30, 60}));
            QCOMPARE(f.frameRate, 60);
            QCOMPARE(f.index, i);
        }
        const VideoFormat active = camera->getActiveFormat();
        QCOMPARE(active.index, 0);
        QCOMPARE(active.codecType, 6);
        QCOMPARE(active.width, 640);
    }
}

void TestCameraObject::narrowYuvFormatIsLeftOut()
{
    platform::VideoDeviceInfo info;
    info.uniqueId = SimulatedCamera::uniqueIdFor(0x01300000, 0x2574, 0x0901);
    info.vendorId = 0x2574;
    info.productId = 0x0901;
    info.locationId = 0x01300000;
    auto simulated = QSharedPointer<SimulatedCamera>::create(info);
    simulated->setFormats({format("yuvs", 424, 240, {30}), format("jpeg", 424, 240, {30}),
                           format("yuvs", 640, 480, {15, 30})});
    QVERIFY(SimulatedCameras::instance()->plug(simulated));

    std::unique_ptr<LCGeneralCamera> camera(open(simulated));
    const QList<VideoFormat> formats = camera->getVideFormats();
    QCOMPARE(formats.size(), 2);
    QCOMPARE(formats.at(0).index, 1);
    QCOMPARE(formats.at(0).codecType, 6);
    QCOMPARE(formats.at(1).index, 2);
    QCOMPARE(formats.at(1).width, 640);
}

void TestCameraObject::codecTypes_data()
{
    QTest::addColumn<QByteArray>("subtype");
    QTest::addColumn<int>("code");
    const QList<QPair<QList<QByteArray>, int>> table{
        {{"32", "BGRA"}, 0}, {{"24"}, 1}, {{"ap4h", "v308", "v408"}, 2},
        {{"2vuy", "yuvs", "v210", "v216", "apch", "apcn", "apco", "apcs"}, 3},
        {{"dmb1", "jpeg"}, 6}, {{"avc1", "mp1v", "mp2v", "mp4v"}, 7}, {{"420v", "", "YUYV"}, 9}};
    for (const auto &entry : table) {
        for (const QByteArray &subtype : entry.first)
            QTest::newRow(subtype.isEmpty() ? "empty" : subtype.constData()) << subtype << entry.second;
    }
}

void TestCameraObject::codecTypes()
{
    QFETCH(QByteArray, subtype);
    QFETCH(int, code);
    LCGeneralCameraImpl impl(firstCamera()->info());
    QCOMPARE(impl.convertVideoCodec(subtype), code);
}

void TestCameraObject::setActiveFormat_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("fps");
    QTest::addColumn<bool>("changes");
    QTest::addColumn<int>("activeIndex");
    QTest::addColumn<int>("activeRate");

    QTest::newRow("1080p at 30") << 2 << 30 << true << 2 << 30;
    QTest::newRow("4K YUYV at 5") << 7 << 5 << true << 7 << 5;
    QTest::newRow("rate not offered: the device's") << 1 << 25 << true << 1 << 60;
    QTest::newRow("index below 0") << -1 << 30 << false << 0 << 60;
    QTest::newRow("index past the list") << 8 << 30 << false << 0 << 60;
}

void TestCameraObject::setActiveFormat()
{
    QFETCH(int, index);
    QFETCH(int, fps);
    QFETCH(bool, changes);
    QFETCH(int, activeIndex);
    QFETCH(int, activeRate);

    std::unique_ptr<LCGeneralCamera> camera(open(firstCamera()));
    QSignalSpy resolution(camera.get(), &GeneralCamera::srouceResolutionChanged);
    QCOMPARE(camera->setActiveFormat(index, fps), 0u);
    QCOMPARE(resolution.count(), changes ? 1 : 0);
    const VideoFormat active = camera->getActiveFormat();
    QCOMPARE(active.index, activeIndex);
    QCOMPARE(active.frameRate, activeRate);
    if (changes) {
        QCOMPARE(resolution.first().at(0).value<void *>(), static_cast<void *>(camera.get()));
        QCOMPARE(resolution.first().at(1).toInt(), active.width);
        QCOMPARE(resolution.first().at(2).toInt(), active.height);
    }
    QVERIFY(!firstCamera()->isLocked());
}

void TestCameraObject::setActiveFormatRefusedLock()
{
    std::unique_ptr<LCGeneralCamera> camera(open(firstCamera()));
    QSignalSpy resolution(camera.get(), &GeneralCamera::srouceResolutionChanged);
    firstCamera()->setLockRefused(true);
    QCOMPARE(camera->setActiveFormat(2, 30), 0xFFFFFFFFu);
    QCOMPARE(resolution.count(), 0);
    QCOMPARE(camera->getActiveFormat().index, 0);
}

void TestCameraObject::argumentChecks()
{
    std::unique_ptr<LCGeneralCamera> camera(open(firstCamera()));
    platform::SimulatedUvcDevice &uvc = firstCamera()->uvc();
    uvc.clearRequestLog();
    QCOMPARE(camera->setZoomRatio(-0.5), OutOfRange);
    QVERIFY(uvc.requestLog().isEmpty());
    QCOMPARE(camera->setZoomRatio(0), 1u);
    QCOMPARE(describeRequests(uvc.requestLog()), QStringLiteral("21 01 0b00 0100 2 0000"));

    QCOMPARE(camera->setWhiteBalanceRedBlue(-1, 0.5), OutOfRange);
    QCOMPARE(camera->setWhiteBalanceRedBlue(0.5, -1), OutOfRange);
    QCOMPARE(camera->setWhiteBalanceRedBlue(0.5, 0.5), NotSupported);

    // The camera refuses values outside its range, and the setter says so.
    QCOMPARE(camera->setBrightness(1000), 0u);
    uint32_t degree = 0;
    QCOMPARE(camera->rotate(450), 1u);
    QCOMPARE(camera->getRotationDegree(&degree), 0u);
    QCOMPARE(degree, 90u);
    QCOMPARE(camera->rotate(359), 1u);
    QCOMPARE(camera->getRotationDegree(&degree), 0u);
    QCOMPARE(degree, 359u);

    bool supported = true;
    QCOMPARE(camera->isAutoFocusTriggerSupported(&supported), 0u);
    QVERIFY(!supported);
    supported = true;
    QCOMPARE(camera->isManualFocusSupported(&supported), 0u);
    QVERIFY(!supported);
    QVERIFY(!camera->isHQCaptureSupported());
    QVERIFY(!camera->isHdmiSupported());
    QCOMPARE(camera->performHQCapture(), 0u);
    QCOMPARE(camera->setSensMode(2), 0u);
    QCOMPARE(camera->getSensMode(), 2u);
}

void TestCameraObject::withoutControlObject_data()
{
    QTest::addColumn<Call>("call");
    QTest::addColumn<uint>("result");

    QTest::newRow("setActiveFormat") << Call([](GeneralCamera *c) { return c->setActiveFormat(0, 30); }) << uint(NotSupported);
    QTest::newRow("setSensMode") << Call([](GeneralCamera *c) { return c->setSensMode(1); }) << uint(NotSupported);
    QTest::newRow("getSensMode") << Call([](GeneralCamera *c) { return c->getSensMode(); }) << uint(NotSupported);
    QTest::newRow("getBrightness") << Call([](GeneralCamera *c) { float v; return c->getBrightness(&v); }) << uint(NoControlObject);
    QTest::newRow("setBrightness") << Call([](GeneralCamera *c) { return c->setBrightness(1); }) << uint(NoControlObject);
    QTest::newRow("getZoomRatioRange") << Call([](GeneralCamera *c) { uvc_control_range r; return c->getZoomRatioRange(&r); }) << uint(NoControlObject);
    QTest::newRow("setZoomRatio") << Call([](GeneralCamera *c) { return c->setZoomRatio(-1); }) << uint(NoControlObject);
    QTest::newRow("rotate") << Call([](GeneralCamera *c) { return c->rotate(90); }) << uint(NoControlObject);
    QTest::newRow("mirror") << Call([](GeneralCamera *c) { return c->mirror(true); }) << uint(NoControlObject);
    QTest::newRow("setWhiteBalanceRedBlue") << Call([](GeneralCamera *c) { return c->setWhiteBalanceRedBlue(-1, 0); }) << uint(NoControlObject);
    QTest::newRow("isManualFocusSupported") << Call([](GeneralCamera *c) { bool b; return c->isManualFocusSupported(&b); }) << uint(NoControlObject);
    QTest::newRow("getROI") << Call([](GeneralCamera *c) { uvcx_roi_control_t r; return c->getROI(&r); }) << uint(NoControlObject);
    QTest::newRow("setPtzStop") << Call([](GeneralCamera *c) { return c->setPtzStop(); }) << uint(NoControlObject);
    QTest::newRow("setReboot") << Call([](GeneralCamera *c) { return c->setReboot(); }) << uint(NoControlObject);
    QTest::newRow("resetToDefault") << Call([](GeneralCamera *c) { return c->resetToDefault(); }) << uint(NoControlObject);
}

void TestCameraObject::withoutControlObject()
{
    QFETCH(Call, call);
    QFETCH(uint, result);
    LCGeneralCamera camera(nullptr);
    QCOMPARE(call(&camera), uint32_t(result));
    QVERIFY(camera.getVideFormats().isEmpty());
    const VideoFormat empty = camera.getActiveFormat();
    QCOMPARE(empty.codecType, 9);
    QCOMPARE(empty.width, 0);
    QVERIFY(empty.frameRates.isEmpty());
    QVERIFY(!camera.getAVCaptureDevice());
}

void TestCameraObject::referenceCounting()
{
    QPointer<LCGeneralCamera> camera = open(firstCamera());
    QCOMPARE(camera->referenceCount(), 1);
    camera->incRef();
    camera->incRef();
    camera->decRef();
    camera->decRef();
    QVERIFY(camera);
    QCOMPARE(camera->referenceCount(), 1);
    camera->decRef();
    QVERIFY(!camera);
}

void TestCameraObject::changeSlots()
{
    std::unique_ptr<LCGeneralCamera> camera(open(firstCamera()));
    QSignalSpy brightness(camera.get(), &GeneralCamera::brightnessChanged);
    QSignalSpy rotation(camera.get(), &GeneralCamera::rotationChanged);
    QSignalSpy red(camera.get(), &GeneralCamera::whiteBalanceRedChanged);
    QSignalSpy blue(camera.get(), &GeneralCamera::whiteBalanceBlueChanged);
    QSignalSpy saturation(camera.get(), &GeneralCamera::saturationChanged);
    QSignalSpy resolution(camera.get(), &GeneralCamera::srouceResolutionChanged);

    // Reported only when they change.
    camera->brightnessUpdated(3);
    camera->brightnessUpdated(3);
    QCOMPARE(brightness.count(), 1);
    QCOMPARE(brightness.first().at(1).toFloat(), 3.0f);
    camera->rotateDegreeUpdated(370);
    camera->rotateDegreeUpdated(10);
    QCOMPARE(rotation.count(), 1);
    QCOMPARE(rotation.first().at(1).toUInt(), 10u);
    camera->whiteBalanceUpdated(1, 2);
    camera->whiteBalanceUpdated(1, 3);
    QCOMPARE(red.count(), 1);
    QCOMPARE(blue.count(), 2);

    // Reported every time.
    camera->saturationUpdated(4);
    camera->saturationUpdated(4);
    QCOMPARE(saturation.count(), 2);
    QCOMPARE(saturation.first().at(0).value<GeneralCamera *>(), camera.get());

    camera->srouceChangeResolution(1280, 720);
    QCOMPARE(resolution.count(), 1);
    QCOMPARE(resolution.first().at(1).toInt(), 1280);
}

QTEST_GUILESS_MAIN(TestCameraObject)
#include "tst_camera_object.moc"
