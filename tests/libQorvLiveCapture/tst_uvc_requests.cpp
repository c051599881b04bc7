#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "core/platformbackend.h"
#include "simulated/simulatedcameras.h"
#include "simulatedcamerarequests.h"
#include "uvc/uvccameracontrol.h"

#include <QtTest>

#include <functional>
#include <memory>

using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedUvcControl;

using Operation = std::function<void(GeneralCamera *camera, UVCCameraControl *control)>;
// A read that may fail: its result code, and whether its output still holds what it held before.
using Read = std::function<uint32_t(GeneralCamera *camera, bool *untouched)>;
using Write = std::function<uint32_t(GeneralCamera *camera)>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Read)
Q_DECLARE_METATYPE(Write)

namespace {

constexpr uint32_t NotSupported = 0xC0000002;
constexpr float Unread = 12345.0f;

QSharedPointer<SimulatedCamera> firstCamera()
{
    return SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
}

QSharedPointer<SimulatedCamera> secondCamera()
{
    return SimulatedCameras::instance()->cameraAt(SimulatedCameras::SecondLocationId);
}

std::unique_ptr<LCGeneralCamera> open(const QSharedPointer<SimulatedCamera> &camera)
{
    return std::make_unique<LCGeneralCamera>(new LCGeneralCameraImpl(camera->info()));
}

UVCCameraControl *controlOf(LCGeneralCamera *camera)
{
    return camera->impl()->uvcControl();
}

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A float getter of the camera: untouched when the sentinel is still there.
Read floatRead(uint32_t (GeneralCamera::*getter)(float *))
{
    return [getter](GeneralCamera *camera, bool *untouched) {
        float value = Unread;
        const uint32_t result = (camera->*getter)(&value);
        *untouched = value == Unread;
        return result;
    };
}

Read rangeRead(uint32_t (GeneralCamera::*getter)(uvc_control_range *))
{
    return [getter](GeneralCamera *camera, bool *untouched) {
        uvc_control_range range{111, 222};
        const uint32_t result = (camera->*getter)(&range);
        *untouched = range.min == 111 && range.max == 222;
        return result;
    };
}

Read roiRead(uint32_t (GeneralCamera::*getter)(uvcx_roi_control_t *))
{
    return [getter](GeneralCamera *camera, bool *untouched) {
        uvcx_roi_control_t roi{7, 7, 7, 7};
        const uint32_t result = (camera->*getter)(&roi);
        *untouched = roi.wROI_Top == 7 && roi.wROI_Left == 7 && roi.wROI_Bottom == 7
                     && roi.wROI_Right == 7;
        return result;
    };
}

} // namespace

class TestUvcRequests : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void everyTableRowAnswers();
    void requestBytes_data();
    void requestBytes();
    void signExtension_data();
    void signExtension();
    void panTiltDegrees_data();
    void panTiltDegrees();
    void emptyRangeWhenDescriptorLacksControl_data();
    void emptyRangeWhenDescriptorLacksControl();
    void rangeWithEqualLimitsIsNotSupported();
    void unitIdsComeFromDescriptor();
    void malformedDescriptorKeepsTableUnits();
    void failedReadWritesNothing_data();
    void failedReadWritesNothing();
    void setterReportsOutcome_data();
    void setterReportsOutcome();
    void autoWhiteBalanceSupport();
    void cameraWithoutInterface();
};

void TestUvcRequests::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestUvcRequests::init()
{
    SimulatedCameras::instance()->reset();
}

void TestUvcRequests::everyTableRowAnswers()
{
    for (const auto &simulated : SimulatedCameras::instance()->cameras()) {
        const auto camera = open(simulated);
        for (const uvc_control_info_t &row : uvc_controls) {
            QByteArray buffer(row.size, '\0');
            QVERIFY2(controlOf(camera.get())->getStructureForControl(buffer.data(), row),
                     qPrintable(QStringLiteral("unit %1 selector %2").arg(row.unit).arg(row.selector)));
        }
    }
}

void TestUvcRequests::requestBytes_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addColumn<QString>("requests");

    // A value control through the camera object: get, default, range, then set.
    auto quad = [](uint32_t (GeneralCamera::*get)(float *), uint32_t (GeneralCamera::*def)(float *),
                   uint32_t (GeneralCamera::*range)(uvc_control_range *),
                   uint32_t (GeneralCamera::*set)(float), float value) {
        return Operation([=](GeneralCamera *camera, UVCCameraControl *) {
            float v = 0;
            uvc_control_range r;
            (camera->*get)(&v);
            (camera->*def)(&v);
            (camera->*range)(&r);
            (camera->*set)(value);
        });
    };
    auto reads = [](const char *wValue, const char *wIndex, int length) {
        const QString base = QStringLiteral("%1 %2 %3").arg(wValue, wIndex).arg(length);
        return QStringLiteral("a1 81 %1; a1 87 %1; a1 82 %1; a1 83 %1").arg(base);
    };
    auto set = [](const char *wValue, const char *wIndex, int length, const char *data) {
        return QStringLiteral("21 01 %1 %2 %3 %4").arg(wValue, wIndex).arg(length).arg(data);
    };
    using G = GeneralCamera;

    QTest::newRow("brightness") << quad(&G::getBrightness, &G::getDefaultBrightness, &G::getBrightnessRange, &G::setBrightness, -10)
                                << reads("0200", "0200", 2) + "; " + set("0200", "0200", 2, "f6ff");
    QTest::newRow("contrast") << quad(&G::getContrast, &G::getDefaultContrast, &G::getContrastRange, &G::setContrast, 70)
                              << reads("0300", "0200", 2) + "; " + set("0300", "0200", 2, "4600");
    QTest::newRow("saturation") << quad(&G::getSaturation, &G::getDefaultSaturation, &G::getSaturationRange, &G::setSaturation, 40)
                                << reads("0700", "0200", 2) + "; " + set("0700", "0200", 2, "2800");
    QTest::newRow("sharpness") << quad(&G::getSharpness, &G::getDefaultSharpness, &G::getSharpnessRange, &G::setSharpness, 5)
                               << reads("0800", "0200", 2) + "; " + set("0800", "0200", 2, "0500");
    QTest::newRow("power-line frequency") << quad(&G::getPowerLineFrequency, &G::getDefaultPowerLineFrequency, &G::getPowerLineFrequencyRange, &G::setPowerLineFrequency, 2)
                                          << reads("0500", "0200", 1) + "; " + set("0500", "0200", 1, "02");
    QTest::newRow("backlight") << quad(&G::getBacklight, &G::getDefaultBacklight, &G::getBacklightRange, &G::setBacklight, 2)
                               << reads("0100", "0200", 2) + "; " + set("0100", "0200", 2, "0200");
    QTest::newRow("focus: auto focus off first") << quad(&G::getFocus, &G::getDefaultFocus, &G::getFocusRange, &G::setFocus, 300)
                                                 << reads("0600", "0100", 2) + "; " + set("0800", "0100", 1, "00") + "; " + set("0600", "0100", 2, "2c01");
    QTest::newRow("exposure") << quad(&G::getExposure, &G::getDefaultExposure, &G::getExposureRange, &G::setExposure, 1000)
                              << reads("0400", "0100", 4) + "; " + set("0400", "0100", 4, "e8030000");
    QTest::newRow("sensor mode") << quad(&G::getSensorMode, &G::getDefaultSensorMode, &G::getSensorModeRange, &G::setSensorMode, 2)
                                 << reads("0e00", "0600", 1) + "; " + set("0e00", "0600", 1, "02");
    QTest::newRow("image orientation") << quad(&G::getImageOrientation, &G::getDefaultImageOrientation, &G::getImageOrientationRange, &G::setImageOrientation, 3)
                                       << reads("1000", "0500", 1) + "; " + set("1000", "0500", 1, "03");
    QTest::newRow("mirror") << quad(&G::getMirror, &G::getDefaultMirror, &G::getMirrorRange, &G::setMirror, 1)
                            << reads("1000", "0500", 1) + "; " + set("1000", "0500", 1, "01");
    QTest::newRow("flip") << quad(&G::getFlip, &G::getDefaultFlip, &G::getFlipRange, &G::setFlip, 1)
                          << reads("0f00", "0500", 1) + "; " + set("0f00", "0500", 1, "01");
    QTest::newRow("ceiling") << quad(&G::getCeiling, &G::getDefaultCeiling, &G::getCeilingRange, &G::setCeiling, 1)
                             << reads("1000", "0600", 1) + "; " + set("1000", "0600", 1, "01");
    QTest::newRow("noise reduction") << quad(&G::getNoiseReduction, &G::getDefaultNoiseReduction, &G::getNoiseReductionRange, &G::setNoiseReduction, 1)
                                     << reads("0e00", "0500", 1) + "; " + set("0e00", "0500", 1, "01");
    QTest::newRow("microphone") << quad(&G::getMIC, &G::getDefaultMIC, &G::getMICRange, &G::setMIC, 0)
                                << reads("1100", "0600", 1) + "; " + set("1100", "0600", 1, "00");
    QTest::newRow("HDMI audio") << quad(&G::getHdmiAudio, &G::getDefaultHdmiAudio, &G::getHdmiAudioRange, &G::setHdmiAudio, 1)
                                << reads("1300", "0600", 1) + "; " + set("1300", "0600", 1, "01");

    QTest::newRow("white balance: auto off first")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               unsigned short k = 0;
               uvc_control_range r;
               c->getWhiteBalanceTemporature(&k);
               c->getDefaultWhiteBalanceTemporature(&k);
               c->getWhiteBalanceTemporatureRange(&r);
               c->setWhiteBalanceTemporature(5000);
           })
        // No descriptor on this path: the range is empty without asking the camera.
        << "a1 81 0a00 0200 2; a1 87 0a00 0200 2; " + set("0b00", "0200", 1, "00") + "; "
               + set("0a00", "0200", 2, "8813");
    QTest::newRow("auto white balance")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               bool on = false;
               c->getAutoWhiteBalanceStatus(&on);
               c->getDefaultAutoWhiteBalanceStatus(&on);
               c->setAutoWhiteBalance(true);
           })
        << "a1 81 0b00 0200 1; a1 87 0b00 0200 1; " + set("0b00", "0200", 1, "01");
    QTest::newRow("zoom")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               double z = 0;
               uvc_control_range r;
               c->getZoomRatio(&z);
               c->getDefaultZoomRatio(&z);
               c->getZoomRatioRange(&r);
               c->setZoomRatio(5);
               c->resetZoom();
           })
        << reads("0b00", "0100", 2) + "; " + set("0b00", "0100", 2, "0500") + "; "
               + set("0b00", "0100", 2, "0000");
    QTest::newRow("zoom in and out")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               c->zoomIn();
               c->zoomOut();
           })
        << set("0c00", "0100", 3, "010000") + "; " + set("0c00", "0100", 3, "ff0000");
    QTest::newRow("rotation")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               uint32_t d = 0;
               c->getRotationDegree(&d);
               c->rotate(450);
               c->rotate(359);
           })
        << "a1 81 0f00 0100 2; " + set("0f00", "0100", 2, "5a00") + "; " + set("0f00", "0100", 2, "6701");
    QTest::newRow("one auto focus") << Operation([](GeneralCamera *c, UVCCameraControl *) { c->triggerOneAutoFocus(); })
                                    << set("0800", "0100", 1, "01");
    QTest::newRow("pan keeps tilt")
        << Operation([](GeneralCamera *c, UVCCameraControl *u) {
               u->setTilt(-5);
               c->setPan(10.7f);
           })
        << "a1 81 0d00 0100 8; " + set("0d00", "0100", 8, "00000000b0b9ffff")
               + "; a1 81 0d00 0100 8; " + set("0d00", "0100", 8, "a08c0000b0b9ffff");
    QTest::newRow("pan and tilt reads")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               float v = 0;
               uvc_control_range r;
               c->getPan(&v);
               c->getDefaultTilt(&v);
               c->getTiltRange(&r);
           })
        << "a1 81 0d00 0100 8; a1 87 0d00 0100 8; a1 82 0d00 0100 8; a1 83 0d00 0100 8";
    QTest::newRow("pan and tilt moves")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               c->setPtzRightStart();
               c->setPtzLeftStart();
               c->setPtzUpStart();
               c->setPtzDownStart();
               c->setPtzStop();
           })
        << set("0e00", "0100", 4, "01030000") + "; " + set("0e00", "0100", 4, "ff030000") + "; "
               + set("0e00", "0100", 4, "00000103") + "; " + set("0e00", "0100", 4, "0000ff03")
               + "; " + set("0e00", "0100", 4, "00000000");
    QTest::newRow("region of interest")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               uvcx_roi_control_t a, b;
               c->getROI(&a);
               c->getDefaultROI(&a);
               c->getROIRange(&a, &b);
               c->setROI(uvcx_roi_control_t{1, 2, 1000, 2000});
           })
        << "a1 81 0f00 0600 8; a1 87 0f00 0600 8; a1 82 0f00 0600 8; a1 83 0f00 0600 8; "
               + set("0f00", "0600", 8, "01000200e803d007");
    QTest::newRow("sensor mode as integer")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               c->getSensMode();
               c->setSensMode(1);
           })
        << "a1 81 0e00 0600 1; " + set("0e00", "0600", 1, "01");
    QTest::newRow("snapshot support") << Operation([](GeneralCamera *c, UVCCameraControl *) { int s; c->getSnapshotSupport(&s); })
                                      << "a1 81 1500 0600 1";
    QTest::newRow("not supported sends nothing")
        << Operation([](GeneralCamera *c, UVCCameraControl *) {
               bool b;
               float f;
               uvc_control_range r;
               c->getMirrorStatus(&b);
               c->mirror(true);
               c->incFocus();
               c->decFocus();
               c->initiateAutoContrastProc();
               c->getWhiteBalanceRedBlue(&f, &f);
               c->setWhiteBalanceRedBlue(1, 1);
               c->getDisableH264(&b);
               c->getDisableH264Range(&r);
               c->setDisableH264(true);
               c->setReboot();
               c->resetToDefault();
           })
        << QString();

    // Controls only the USB control object offers.
    QTest::newRow("hue") << Operation([](GeneralCamera *, UVCCameraControl *u) { u->getHUE(); u->setHUE(-5); })
                         << "a1 81 0600 0200 2; " + set("0600", "0200", 2, "fbff");
    QTest::newRow("gamma") << Operation([](GeneralCamera *, UVCCameraControl *u) { u->getGammaRange(); u->setGamma(200); })
                           << "a1 82 0900 0200 2; a1 83 0900 0200 2; " + set("0900", "0200", 2, "c800");
    QTest::newRow("gain") << Operation([](GeneralCamera *, UVCCameraControl *u) { u->getGain(); u->setGain(7); })
                          << "a1 81 0400 0200 2; " + set("0400", "0200", 2, "0700");
    QTest::newRow("auto exposure")
        << Operation([](GeneralCamera *, UVCCameraControl *u) {
               u->getAutoExposure();
               u->setAutoExposure(true);
               u->setAutoExposure(false);
           })
        << "a1 81 0200 0100 1; " + set("0200", "0100", 1, "08") + "; " + set("0200", "0100", 1, "01");
    QTest::newRow("relative focus")
        << Operation([](GeneralCamera *, UVCCameraControl *u) {
               u->incFoucs();
               u->decFoucs();
           })
        << set("0700", "0100", 2, "ff00") + "; " + set("0700", "0100", 2, "0100");
    QTest::newRow("versions")
        << Operation([](GeneralCamera *, UVCCameraControl *u) {
               char fw[32];
               char peripheral[12];
               u->getFWVersion(fw);
               u->getPeripheralVersion(peripheral);
           })
        << "a1 81 1400 0500 32; a1 81 0d00 0500 12";
}

void TestUvcRequests::requestBytes()
{
    QFETCH(Operation, operation);
    QFETCH(QString, requests);

    const QSharedPointer<SimulatedCamera> simulated = firstCamera();
    const auto camera = open(simulated);
    simulated->uvc().clearRequestLog();
    operation(camera.get(), controlOf(camera.get()));
    QCOMPARE(describeRequests(simulated->uvc().requestLog()), requests);
    for (const auto &entry : simulated->uvc().requestLog())
        QVERIFY2(entry.accepted, qPrintable(describeRequest(entry.request)));
}

void TestUvcRequests::signExtension_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<float>("value");
    QTest::addColumn<qint64>("limit");

    // Values: 1 and 2 bytes signed, 4 and 8 bytes as signed 32-bit, other lengths as read. Defaults
    // and ranges keep 8 bytes whole.
    QTest::newRow("1 byte 0xff") << int(UvcPowerLineFrequency) << hex("ff") << -1.0f << qint64(-1);
    QTest::newRow("1 byte 0x7f") << int(UvcPowerLineFrequency) << hex("7f") << 127.0f << qint64(127);
    QTest::newRow("2 bytes 0x8000") << int(UvcBrightness) << hex("0080") << -32768.0f << qint64(-32768);
    QTest::newRow("2 bytes 0x7fff") << int(UvcBrightness) << hex("ff7f") << 32767.0f << qint64(32767);
    QTest::newRow("4 bytes 0xffffffff") << int(UvcExposureTimeAbsolute) << hex("ffffffff") << -1.0f << qint64(-1);
    QTest::newRow("3 bytes raw") << int(UvcZoomRelative) << hex("ffffff") << 16777215.0f << qint64(16777215);
    QTest::newRow("8 bytes") << int(UvcPanTiltAbsolute) << hex("feffffff01000000") << -2.0f
                             << qint64(0x1fffffffeLL);
}

void TestUvcRequests::signExtension()
{
    QFETCH(int, row);
    QFETCH(QByteArray, raw);
    QFETCH(float, value);
    QFETCH(qint64, limit);

    const QSharedPointer<SimulatedCamera> simulated = firstCamera();
    const uvc_control_info_t &info = uvc_controls[row];
    SimulatedUvcControl control = simulated->uvc().control(info.unit, info.selector);
    control.current = control.defaultValue = control.minimum = control.maximum = raw;
    simulated->uvc().addControl(control);

    const auto camera = open(simulated);
    UVCCameraControl *uvc = controlOf(camera.get());
    bool ok = false;
    QCOMPARE(uvc->getValueForControl(info, &ok), value);
    QVERIFY(ok);
    QCOMPARE(uvc->getDefaultForControl(info, &ok), limit);
    QVERIFY(ok);
    const uvc_control_range range = uvc->getRangeForControl(info, &ok);
    QVERIFY(ok);
    QCOMPARE(range.min, limit);
    QCOMPARE(range.max, limit);
}

void TestUvcRequests::panTiltDegrees_data()
{
    QTest::addColumn<int>("panArcSeconds");
    QTest::addColumn<int>("tiltArcSeconds");
    QTest::addColumn<float>("pan");
    QTest::addColumn<float>("tilt");

    QTest::newRow("whole degrees") << 36000 << -18000 << 10.0f << -5.0f;
    QTest::newRow("truncated toward zero") << 7199 << -7199 << 1.0f << -1.0f;
    QTest::newRow("below one degree") << 3599 << -3599 << 0.0f << 0.0f;
}

void TestUvcRequests::panTiltDegrees()
{
    QFETCH(int, panArcSeconds);
    QFETCH(int, tiltArcSeconds);
    QFETCH(float, pan);
    QFETCH(float, tilt);

    const QSharedPointer<SimulatedCamera> simulated = firstCamera();
    const QByteArray position = SimulatedUvcControl::bytes(panArcSeconds, 4)
                                + SimulatedUvcControl::bytes(tiltArcSeconds, 4);
    SimulatedUvcControl control = simulated->uvc().control(1, 0x0d);
    control.current = control.defaultValue = control.maximum = position;
    control.minimum = SimulatedUvcControl::bytes(-panArcSeconds, 4)
                      + SimulatedUvcControl::bytes(-tiltArcSeconds, 4);
    simulated->uvc().addControl(control);
    const auto camera = open(simulated);

    float value = 0;
    QCOMPARE(camera->getPan(&value), 0u);
    QCOMPARE(value, pan);
    QCOMPARE(camera->getTilt(&value), 0u);
    QCOMPARE(value, tilt);
    QCOMPARE(camera->getDefaultPan(&value), 0u);
    QCOMPARE(value, pan);
    uvc_control_range range;
    QCOMPARE(camera->getPanRange(&range), 0u); // no range check, even for an empty range
    QCOMPARE(range.min, qint64(-pan));
    QCOMPARE(range.max, qint64(pan));
    QCOMPARE(camera->getTiltRange(&range), 0u);
    QCOMPARE(range.min, qint64(-tilt));
    QCOMPARE(range.max, qint64(tilt));

    // Writing one axis sends degrees x 3600 and keeps the other as the camera has it.
    QCOMPARE(camera->setTilt(2), 1u);
    QCOMPARE(simulated->uvc().current(1, 0x0d),
             SimulatedUvcControl::bytes(panArcSeconds, 4) + SimulatedUvcControl::bytes(7200, 4));
}

void TestUvcRequests::emptyRangeWhenDescriptorLacksControl_data()
{
    QTest::addColumn<quint16>("clearedBits");
    QTest::addColumn<Write>("rangeRead");

    auto range = [](uint32_t (GeneralCamera::*getter)(uvc_control_range *)) {
        return Write([getter](GeneralCamera *camera) {
            uvc_control_range r{111, 222};
            const uint32_t result = (camera->*getter)(&r);
            return r.min == 0 && r.max == 0 ? result : 0xBADu;
        });
    };
    QTest::newRow("brightness") << quint16(1 << 0) << range(&GeneralCamera::getBrightnessRange);
    QTest::newRow("contrast") << quint16(1 << 1) << range(&GeneralCamera::getContrastRange);
    QTest::newRow("saturation") << quint16(1 << 3) << range(&GeneralCamera::getSaturationRange);
    QTest::newRow("sharpness") << quint16(1 << 4) << range(&GeneralCamera::getSharpnessRange);
    QTest::newRow("backlight") << quint16(1 << 8) << range(&GeneralCamera::getBacklightRange);
    QTest::newRow("power-line frequency") << quint16(1 << 10) << range(&GeneralCamera::getPowerLineFrequencyRange);
    QTest::newRow("white balance") << quint16(1 << 6 | 1 << 7) << range(&GeneralCamera::getWhiteBalanceTemporatureRange);
}

void TestUvcRequests::emptyRangeWhenDescriptorLacksControl()
{
    QFETCH(quint16, clearedBits);
    QFETCH(Write, rangeRead);

    const QSharedPointer<SimulatedCamera> simulated = secondCamera();
    simulated->uvc().forceProcessingControlsMask(simulated->uvc().processingControlsMask() & ~clearedBits);
    const auto camera = open(simulated);
    simulated->uvc().clearRequestLog();
    QCOMPARE(rangeRead(camera.get()), NotSupported);
    QVERIFY(simulated->uvc().requestLog().isEmpty());
}

void TestUvcRequests::rangeWithEqualLimitsIsNotSupported()
{
    const QSharedPointer<SimulatedCamera> simulated = secondCamera();
    simulated->uvc().addControl(SimulatedUvcControl::number(2, 0x02, 2, 5, 5, 5));
    const auto camera = open(simulated);
    uvc_control_range range;
    QCOMPARE(camera->getBrightnessRange(&range), NotSupported);
    QCOMPARE(range.min, qint64(5));
    QCOMPARE(range.max, qint64(5));
    QCOMPARE(camera->getContrastRange(&range), 0u);
    QCOMPARE(range.min, qint64(0));
    QCOMPARE(range.max, qint64(100));
}

void TestUvcRequests::unitIdsComeFromDescriptor()
{
    // The camera opened by ids reads its descriptor: processing-unit controls follow its unit id,
    // rows without the lookup (gain) keep the table's unit.
    firstCamera()->uvc().setProcessingUnitId(3);
    secondCamera()->uvc().setProcessingUnitId(3);
    const auto byIds = open(secondCamera());
    const auto byLocation = open(firstCamera());

    float value = 0;
    secondCamera()->uvc().clearRequestLog();
    QCOMPARE(byIds->getBrightness(&value), 0u);
    QCOMPARE(byIds->setBrightness(4), 1u);
    QCOMPARE(controlOf(byIds.get())->setGain(1), false);
    QCOMPARE(describeRequests(secondCamera()->uvc().requestLog()),
             QStringLiteral("a1 81 0200 0300 2; 21 01 0200 0300 2 0400; 21 01 0400 0200 2 0100"));

    // Opened by location, the descriptor is not read and the table's unit 2 is used.
    QCOMPARE(byLocation->getBrightness(&value), NotSupported);
    QCOMPARE(describeRequest(firstCamera()->uvc().requestLog().last().request),
             QStringLiteral("a1 81 0200 0200 2"));
}

void TestUvcRequests::malformedDescriptorKeepsTableUnits()
{
    const QSharedPointer<SimulatedCamera> simulated = secondCamera();
    QByteArray broken = simulated->uvc().configurationDescriptor().left(30);
    broken[26] = 0; // a zero length byte inside the video-control descriptors
    simulated->uvc().setConfigurationDescriptor(broken);
    const auto camera = open(simulated);
    QVERIFY(controlOf(camera.get())->configurationDescriptor());
    QCOMPARE(int(controlOf(camera.get())->configurationDescriptor()->processUnitId()), 0);

    float value = 0;
    QCOMPARE(camera->getBrightness(&value), 0u);
    QCOMPARE(value, 0.0f);
}

void TestUvcRequests::failedReadWritesNothing_data()
{
    QTest::addColumn<Read>("read");
    QTest::addColumn<int>("passing");

    using G = GeneralCamera;
    QTest::newRow("brightness") << floatRead(&G::getBrightness) << 0;
    QTest::newRow("default brightness") << floatRead(&G::getDefaultBrightness) << 0;
    QTest::newRow("brightness range") << rangeRead(&G::getBrightnessRange) << 0;
    QTest::newRow("brightness range, maximum fails") << rangeRead(&G::getBrightnessRange) << 1;
    QTest::newRow("exposure") << floatRead(&G::getExposure) << 0;
    QTest::newRow("sensor mode") << floatRead(&G::getSensorMode) << 0;
    QTest::newRow("microphone") << floatRead(&G::getMIC) << 0;
    QTest::newRow("pan") << floatRead(&G::getPan) << 0;
    QTest::newRow("tilt range, maximum fails") << rangeRead(&G::getTiltRange) << 1;
    QTest::newRow("region of interest") << roiRead(&G::getROI) << 0;
    QTest::newRow("default region of interest") << roiRead(&G::getDefaultROI) << 0;
    QTest::newRow("region of interest range, maximum fails")
        << Read([](GeneralCamera *c, bool *untouched) {
               uvcx_roi_control_t max{7, 7, 7, 7}, min{7, 7, 7, 7};
               const uint32_t result = c->getROIRange(&max, &min);
               *untouched = max.wROI_Top == 7 && max.wROI_Right == 7 && min.wROI_Top == 7
                            && min.wROI_Right == 7;
               return result;
           })
        << 1;
    QTest::newRow("white balance temperature") << Read([](GeneralCamera *c, bool *untouched) {
        unsigned short k = 7;
        const uint32_t result = c->getWhiteBalanceTemporature(&k);
        *untouched = k == 7;
        return result;
    }) << 0;
    QTest::newRow("auto white balance") << Read([](GeneralCamera *c, bool *untouched) {
        bool on = false; // the camera has it on
        const uint32_t result = c->getAutoWhiteBalanceStatus(&on);
        *untouched = !on;
        return result;
    }) << 0;
    QTest::newRow("zoom ratio") << Read([](GeneralCamera *c, bool *untouched) {
        double z = 7;
        const uint32_t result = c->getZoomRatio(&z);
        *untouched = z == 7;
        return result;
    }) << 0;
    QTest::newRow("rotation") << Read([](GeneralCamera *c, bool *untouched) {
        uint32_t d = 7;
        const uint32_t result = c->getRotationDegree(&d);
        *untouched = d == 7;
        return result;
    }) << 0;
    QTest::newRow("snapshot support") << Read([](GeneralCamera *c, bool *untouched) {
        int s = 7;
        const uint32_t result = c->getSnapshotSupport(&s);
        *untouched = s == 7;
        return result;
    }) << 0;
    QTest::newRow("sensor mode as integer") << Read([](GeneralCamera *c, bool *untouched) {
        // The mode is the result itself: mode 0 must not be answered for a failed read.
        const uint32_t result = c->getSensMode();
        *untouched = result != 0;
        return result;
    }) << 0;
}

void TestUvcRequests::failedReadWritesNothing()
{
    QFETCH(Read, read);
    QFETCH(int, passing);

    const QSharedPointer<SimulatedCamera> simulated = firstCamera();
    const auto camera = open(simulated);
    bool untouched = false;
    QCOMPARE(read(camera.get(), &untouched), 0u);
    QVERIFY(!untouched);

    simulated->uvc().failNextRequests(1, passing);
    QCOMPARE(read(camera.get(), &untouched), NotSupported);
    QVERIFY(untouched);
}

void TestUvcRequests::setterReportsOutcome_data()
{
    QTest::addColumn<Write>("write");

    QTest::newRow("brightness") << Write([](GeneralCamera *c) { return c->setBrightness(3); });
    QTest::newRow("auto white balance") << Write([](GeneralCamera *c) { return c->setAutoWhiteBalance(false); });
    QTest::newRow("white balance temperature") << Write([](GeneralCamera *c) { return c->setWhiteBalanceTemporature(3000); });
    QTest::newRow("region of interest") << Write([](GeneralCamera *c) { return c->setROI(uvcx_roi_control_t{0, 0, 10, 10}); });
    QTest::newRow("zoom in") << Write([](GeneralCamera *c) { return c->zoomIn(); });
    QTest::newRow("rotate") << Write([](GeneralCamera *c) { return c->rotate(90); });
    QTest::newRow("pan") << Write([](GeneralCamera *c) { return c->setPan(3); });
    QTest::newRow("stop moving") << Write([](GeneralCamera *c) { return c->setPtzStop(); });
    QTest::newRow("hdmi audio") << Write([](GeneralCamera *c) { return c->setHdmiAudio(1); });
}

void TestUvcRequests::setterReportsOutcome()
{
    QFETCH(Write, write);

    const QSharedPointer<SimulatedCamera> simulated = firstCamera();
    const auto camera = open(simulated);
    QCOMPARE(write(camera.get()), 1u);
    simulated->uvc().setAllFailing(true);
    QCOMPARE(write(camera.get()), 0u);
}

void TestUvcRequests::autoWhiteBalanceSupport()
{
    bool supported = true;
    // Opened by location there is no descriptor to declare the control.
    const auto byLocation = open(firstCamera());
    firstCamera()->uvc().clearRequestLog();
    QCOMPARE(byLocation->isAutoWhiteBalanceSupported(&supported), 0u);
    QVERIFY(!supported);
    QVERIFY(firstCamera()->uvc().requestLog().isEmpty());

    const QSharedPointer<SimulatedCamera> simulated = secondCamera();
    simulated->uvc().setCurrent(2, 0x0b, SimulatedUvcControl::bytes(0, 1));
    const auto byIds = open(simulated);
    simulated->uvc().clearRequestLog();
    QCOMPARE(byIds->isAutoWhiteBalanceSupported(&supported), 0u);
    QVERIFY(supported);
    QCOMPARE(describeRequests(simulated->uvc().requestLog()),
             QStringLiteral("a1 81 0b00 0200 1; 21 01 0b00 0200 1 00; 21 01 0b00 0200 1 00"));

    // Declared but read-only: not supported.
    SimulatedUvcControl readOnly = simulated->uvc().control(2, 0x0b);
    readOnly.info = 0x01;
    simulated->uvc().addControl(readOnly);
    QCOMPARE(byIds->isAutoWhiteBalanceSupported(&supported), 0u);
    QVERIFY(!supported);
}

void TestUvcRequests::cameraWithoutInterface()
{
    UVCCameraControl control(0x09900000u);
    QVERIFY(!control.hasInterface());
    bool ok = true;
    QCOMPARE(control.getBrightness(&ok), 0.0f);
    QVERIFY(!ok);
    QVERIFY(!control.setBrightness(1));
    uvcx_roi_control_t roi{7, 7, 7, 7};
    QVERIFY(!control.getROI(&roi));
    QCOMPARE(roi.wROI_Top, uint16_t(7));

    // A device that is not present: no capture device and no USB interface behind the camera.
    platform::VideoDeviceInfo absent;
    absent.uniqueId = SimulatedCamera::uniqueIdFor(0x09900000u, 0x2574, 0x0815);
    LCGeneralCamera camera(new LCGeneralCameraImpl(absent));
    QVERIFY(camera.getVideFormats().isEmpty());
    QCOMPARE(camera.getActiveFormat().codecType, 9);
    QCOMPARE(camera.setActiveFormat(0, 30), 0u);
    float value = Unread;
    QCOMPARE(camera.getBrightness(&value), NotSupported);
    QCOMPARE(value, Unread);
    QCOMPARE(camera.setBrightness(1), 0u);
}

QTEST_GUILESS_MAIN(TestUvcRequests)
#include "tst_uvc_requests.moc"
