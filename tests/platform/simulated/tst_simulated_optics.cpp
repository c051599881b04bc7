#include "hid/hidchannel.h"
#include "media/mediaclock.h"
#include "core/platformbackend.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "simulated/simulatedframegenerator.h"
#include "simulated/simulatedhiddevice.h"
#include "video/simulated/simulatedcapturedevice.h"

#include <QImage>
#include <QMutex>
#include <QtEndian>
#include <QtTest>

using platform::CaptureDevice;
using platform::HidChannel;
using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedCaptureDevice;
using platform::SimulatedFrameGenerator;
using platform::SimulatedHidDevice;
using platform::SimulatedUvcControl;
using platform::SimulatedUvcDevice;
using platform::UsbControlRequest;
using platform::VideoSample;

namespace {

constexpr quint8 Terminal = 1;
constexpr quint8 ExtensionB = 6;
constexpr quint8 Zoom = 0x0b;
constexpr quint8 PanTilt = 0x0d;
constexpr quint8 PanTiltRelative = 0x0e;
constexpr quint8 Region = 0x0f;
const QSize Frame(640, 480);

struct Set
{
    quint8 unit;
    quint8 selector;
    QByteArray value;
};

QByteArray u16s(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes += SimulatedUvcControl::bytes(value, 2);
    return bytes;
}

QByteArray i32s(qint32 first, qint32 second)
{
    return SimulatedUvcControl::bytes(first, 4) + SimulatedUvcControl::bytes(second, 4);
}

Set zoom(int value) { return {Terminal, Zoom, SimulatedUvcControl::bytes(value, 2)}; }
Set region(int top, int left, int bottom, int right) { return {ExtensionB, Region, u16s({top, left, bottom, right})}; }
Set panTilt(qint32 pan, qint32 tilt) { return {Terminal, PanTilt, i32s(pan, tilt)}; }

// A SET_CUR as the host's control channel sends it.
bool hostSets(SimulatedUvcDevice &uvc, const Set &set)
{
    UsbControlRequest request;
    request.bmRequestType = 0x21;
    request.bRequest = SimulatedUvcDevice::SetCur;
    request.wValue = quint16(set.selector << 8);
    request.wIndex = quint16(set.unit << 8 | uvc.interfaceNumber());
    request.wLength = quint16(set.value.size());
    request.data = set.value;
    return uvc.handle(request);
}

QList<int> currentRegion(SimulatedUvcDevice &uvc)
{
    const QByteArray bytes = uvc.current(ExtensionB, Region);
    QList<int> edges;
    for (int offset = 0; offset < 8; offset += 2)
        edges.append(qFromLittleEndian<quint16>(bytes.constData() + offset));
    return edges;
}

qint32 pan(SimulatedUvcDevice &uvc)
{
    return qFromLittleEndian<qint32>(uvc.current(Terminal, PanTilt).constData());
}

bool isStamp(QRgb pixel)
{
    return qRed(pixel) > 170 && qGreen(pixel) < 80 && qBlue(pixel) < 90;
}

void removeRegionSupport(SimulatedCamera &camera)
{
    SimulatedUvcControl control = camera.uvc().control(ExtensionB, Region);
    control.defaultValue = u16s({0xffff, 0xffff, 0xffff, 0xffff});
    control.current = control.defaultValue;
    camera.uvc().addControl(control);
}

// A round trip of the high-quality capture over the camera's HID channel, as the host makes it.
QByteArray exchange(HidChannel &channel, quint8 command, quint32 value)
{
    QByteArray report(HidChannel::ReportSize, '\0');
    report[0] = char(SimulatedHidDevice::PropertyReportId);
    report[1] = 15;
    report[2] = char(command);
    qToLittleEndian<quint32>(value, report.data() + 3);
    if (channel.write(reinterpret_cast<const quint8 *>(report.constData()), report.size()) != report.size())
        return QByteArray();
    QByteArray answer(HidChannel::ReportSize, '\0');
    const int read = channel.read(reinterpret_cast<quint8 *>(answer.data()), answer.size(), 1000);
    return read > 3 && quint8(answer.at(0)) == SimulatedHidDevice::DataReportId ? answer.mid(3) : QByteArray();
}

} // namespace

Q_DECLARE_METATYPE(QList<Set>)

// What the simulated camera shows through its optics: zoom, region of interest and pan and tilt move
// the desk in its picture as they move a real camera's, and its high-quality capture is a picture of
// that desk.
class TestSimulatedOptics : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void controlsMoveTheScene_data();
    void controlsMoveTheScene();
    void zoomResizesTheRegionAboutItsCentre();
    void relativeTurnRunsUntilStopped();
    void highQualityCaptureIsTheSceneAtTheLargestSize();

private:
    QImage frameAfter(const QSharedPointer<SimulatedCamera> &camera);
};

void TestSimulatedOptics::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestSimulatedOptics::init()
{
    SimulatedCameras::instance()->reset();
}

QImage TestSimulatedOptics::frameAfter(const QSharedPointer<SimulatedCamera> &camera)
{
    // A frame drawn after the controls changed: the stream asks for the view before each frame.
    SimulatedCaptureDevice device(camera);
    QMutex mutex;
    QList<QImage> frames;
    connect(&device, &CaptureDevice::frameCaptured, this, [&](const VideoSample &sample) {
        QMutexLocker locker(&mutex);
        if (frames.isEmpty())
            frames.append(sample.image().copy());
    }, Qt::DirectConnection);
    if (device.startStreaming() != CaptureDevice::StreamOk)
        return QImage();
    if (!QTest::qWaitFor([&] { QMutexLocker locker(&mutex); return !frames.isEmpty(); }, 10000))
        return QImage();
    device.stopStreaming();
    return frames.value(0);
}

void TestSimulatedOptics::controlsMoveTheScene_data()
{
    QTest::addColumn<bool>("regionOfInterest");
    QTest::addColumn<QList<Set>>("sets");
    QTest::addColumn<QRectF>("view");

    // The zoom runs from 0 (1x) to 30 (4x); the sensor's region of interest is 3840 x 2160; pan and
    // tilt reach 36000 arc-seconds, which turns the view by half a picture.
    QTest::newRow("as it starts") << true << QList<Set>{} << QRectF(0, 0, 1, 1);
    QTest::newRow("zoom 1.5x") << true << QList<Set>{zoom(5)} << QRectF(1 / 6.0, 1 / 6.0, 2 / 3.0, 2 / 3.0);
    QTest::newRow("zoom 1.5x, no region of interest")
        << false << QList<Set>{zoom(5)} << QRectF(1 / 6.0, 1 / 6.0, 2 / 3.0, 2 / 3.0);
    QTest::newRow("zoom 4x, region moved onto the stamp")
        << true << QList<Set>{zoom(30), region(178, 1951, 717, 2910)}
        << QRectF(1951 / 3840.0, 178 / 2160.0, 0.25, 0.25);
    QTest::newRow("panned right") << true << QList<Set>{panTilt(36000, 0)} << QRectF(0.5, 0, 1, 1);
    QTest::newRow("tilted up, zoomed 1.5x")
        << false << QList<Set>{zoom(5), panTilt(0, 7200)} << QRectF(1 / 6.0, 1 / 6.0 - 0.1, 2 / 3.0, 2 / 3.0);
}

void TestSimulatedOptics::controlsMoveTheScene()
{
    QFETCH(bool, regionOfInterest);
    QFETCH(QList<Set>, sets);
    QFETCH(QRectF, view);

    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    if (!regionOfInterest)
        removeRegionSupport(*camera);
    for (const Set &set : sets)
        QVERIFY(hostSets(camera->uvc(), set));

    const QImage frame = frameAfter(camera);
    QCOMPARE(frame.size(), Frame);
    const QPointF stamp = SimulatedFrameGenerator::stampCentre(Frame);
    const QPoint shown = SimulatedFrameGenerator::toFrame(stamp, Frame, view).toPoint();
    QVERIFY2(frame.rect().contains(shown), "the stamp leaves the picture: choose another view");
    QVERIFY2(isStamp(frame.pixel(shown)), qPrintable(QStringLiteral("(%1, %2): %3")
                                                         .arg(shown.x()).arg(shown.y())
                                                         .arg(frame.pixel(shown), 8, 16)));
    // Any move takes the stamp away from where it was.
    if (view != SimulatedFrameGenerator::wholeView() && (shown - stamp.toPoint()).manhattanLength() > 20)
        QVERIFY(!isStamp(frame.pixel(stamp.toPoint())));
}

void TestSimulatedOptics::zoomResizesTheRegionAboutItsCentre()
{
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    SimulatedUvcDevice &uvc = camera->uvc();
    QVERIFY(hostSets(uvc, zoom(30)));
    QCOMPARE(currentRegion(uvc), (QList<int>{810, 1440, 1349, 2399}));
    // Moved into a corner and zoomed out to 2.5x: the larger window keeps the centre where it can and
    // stays on the sensor.
    QVERIFY(hostSets(uvc, region(0, 0, 539, 959)));
    QVERIFY(hostSets(uvc, zoom(15)));
    QCOMPARE(currentRegion(uvc), (QList<int>{0, 0, 863, 1535}));
    QVERIFY(hostSets(uvc, zoom(0)));
    QCOMPARE(currentRegion(uvc), (QList<int>{0, 0, 2159, 3839}));
    // A zoom the camera refuses changes nothing.
    QVERIFY(!hostSets(uvc, zoom(31)));
    QCOMPARE(currentRegion(uvc), (QList<int>{0, 0, 2159, 3839}));
}

void TestSimulatedOptics::relativeTurnRunsUntilStopped()
{
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    SimulatedUvcDevice &uvc = camera->uvc();
    // Right at speed 3: the view follows the turn until the end of the pan range.
    QVERIFY(hostSets(uvc, {Terminal, PanTiltRelative, QByteArray::fromHex("01030000")}));
    QTRY_VERIFY(camera->view().left() > 0.05);
    QTRY_COMPARE_WITH_TIMEOUT((camera->view(), pan(uvc)), 36000, 20000);
    QCOMPARE(camera->view(), QRectF(0.5, 0, 1, 1));

    // Left, then stopped: the turn ends where the stop found it.
    QVERIFY(hostSets(uvc, {Terminal, PanTiltRelative, QByteArray::fromHex("ff030000")}));
    QTRY_VERIFY((camera->view(), pan(uvc)) < 30000);
    QVERIFY(hostSets(uvc, {Terminal, PanTiltRelative, QByteArray(4, '\0')}));
    const qint32 stopped = (camera->view(), pan(uvc));
    // The view turns by the time its clock says has passed: once that clock is 200 ms on, a turn
    // still running would have moved it.
    const qint64 stoppedAtUs = platform::MediaClock::monotonicNowUs();
    QTRY_VERIFY(platform::MediaClock::monotonicNowUs() - stoppedAtUs >= 200000);
    QCOMPARE((camera->view(), pan(uvc)), stopped);
    QVERIFY(stopped > -36000 && stopped < 30000);
}

void TestSimulatedOptics::highQualityCaptureIsTheSceneAtTheLargestSize()
{
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    QVERIFY(hostSets(camera->uvc(), zoom(5)));
    std::unique_ptr<HidChannel> channel = HidChannel::openByLocation(SimulatedCameras::FirstLocationId);
    QVERIFY(channel);

    const QByteArray started = exchange(*channel, SimulatedHidDevice::HqCapture, 1);
    QVERIFY(started.size() >= 4);
    const quint32 size = qFromLittleEndian<quint32>(started.constData());
    QVERIFY(size > 0);
    QByteArray jpeg;
    for (quint32 piece = 0; quint32(jpeg.size()) < size; ++piece) {
        const QByteArray answer = exchange(*channel, SimulatedHidDevice::HqCapturedData, piece);
        QVERIFY(!answer.isEmpty());
        jpeg += answer.left(int(qMin<quint32>(SimulatedHidDevice::SnapshotChunkSize, size - quint32(jpeg.size()))));
    }

    const QImage picture = QImage::fromData(jpeg, "JPG");
    QCOMPARE(picture.size(), QSize(3840, 2160));
    // It shows what the camera sees, zoom included.
    const QSize large = picture.size();
    const QRectF view(1 / 6.0, 1 / 6.0, 2 / 3.0, 2 / 3.0);
    const QPoint stamp =
        SimulatedFrameGenerator::toFrame(SimulatedFrameGenerator::stampCentre(large), large, view).toPoint();
    QVERIFY(isStamp(picture.pixel(stamp)));
}

QTEST_GUILESS_MAIN(TestSimulatedOptics)
#include "tst_simulated_optics.moc"
