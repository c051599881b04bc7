#include "core/platformbackend.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "simulated/simulatedframegenerator.h"
#include "simulated/simulatedimagecontrols.h"
#include "video/simulated/simulatedcapturedevice.h"

#include <QImage>
#include <QMutex>
#include <QPainter>
#include <QtTest>

#include <cmath>

using platform::CaptureDevice;
using platform::SimulatedCamera;
using platform::SimulatedCameras;
using platform::SimulatedCaptureDevice;
using platform::SimulatedFrameGenerator;
using platform::SimulatedUvcControl;
using platform::SimulatedUvcDevice;
using platform::UsbControlRequest;
using platform::VideoSample;
using Controls = platform::SimulatedImageControls;

namespace {

const QSize Frame(640, 480);

enum class Setting { Minimum, Default, Maximum };
enum class Measure { Mean, Spread, Saturation, Edges, Warmth };

struct Measures
{
    double mean = 0;       // of the luma, 0 to 1
    double spread = 0;     // standard deviation of the luma
    double saturation = 0; // mean of each pixel's largest channel less its smallest
    double edges = 0;      // root mean square of the luma's gradient
    double warmth = 0;     // mean red less mean blue

    double of(Measure measure) const
    {
        switch (measure) {
        case Measure::Mean: return mean;
        case Measure::Spread: return spread;
        case Measure::Saturation: return saturation;
        case Measure::Edges: return edges;
        case Measure::Warmth: return warmth;
        }
        return 0;
    }
};

double luma(QRgb pixel)
{
    return (0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel)) / 255.0;
}

Measures measured(const QImage &image)
{
    Measures result;
    const int width = image.width();
    const int height = image.height();
    double sum = 0, squares = 0, colour = 0, gradient = 0, red = 0, blue = 0;
    for (int y = 0; y < height; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        const QRgb *below = reinterpret_cast<const QRgb *>(image.constScanLine(qMin(y + 1, height - 1)));
        for (int x = 0; x < width; ++x) {
            const double level = luma(line[x]);
            sum += level;
            squares += level * level;
            const int high = qMax(qRed(line[x]), qMax(qGreen(line[x]), qBlue(line[x])));
            const int low = qMin(qRed(line[x]), qMin(qGreen(line[x]), qBlue(line[x])));
            colour += (high - low) / 255.0;
            const double across = luma(line[qMin(x + 1, width - 1)]) - level;
            const double down = luma(below[x]) - level;
            gradient += across * across + down * down;
            red += qRed(line[x]) / 255.0;
            blue += qBlue(line[x]) / 255.0;
        }
    }
    const double count = double(width) * height;
    result.mean = sum / count;
    result.spread = std::sqrt(qMax(0.0, squares / count - result.mean * result.mean));
    result.saturation = colour / count;
    result.edges = std::sqrt(gradient / count);
    result.warmth = (red - blue) / count;
    return result;
}

// A SET_CUR as the host's control channel sends it.
bool hostSets(SimulatedUvcDevice &uvc, quint8 selector, qint64 value)
{
    const quint8 unit = uvc.processingUnitId();
    const SimulatedUvcControl control = uvc.control(unit, selector);
    UsbControlRequest request;
    request.bmRequestType = 0x21;
    request.bRequest = SimulatedUvcDevice::SetCur;
    request.wValue = quint16(selector << 8);
    request.wIndex = quint16(unit << 8 | uvc.interfaceNumber());
    request.wLength = control.length;
    request.data = SimulatedUvcControl::bytes(value, control.length);
    return uvc.handle(request);
}

qint64 valueAt(SimulatedUvcDevice &uvc, quint8 selector, Setting setting)
{
    const SimulatedUvcControl control = uvc.control(uvc.processingUnitId(), selector);
    switch (setting) {
    case Setting::Minimum: return SimulatedUvcControl::signedValue(control.minimum);
    case Setting::Default: return SimulatedUvcControl::signedValue(control.defaultValue);
    case Setting::Maximum: return SimulatedUvcControl::signedValue(control.maximum);
    }
    return 0;
}

// The first frame of a stream started after the controls were set: the stream reads them before
// each frame.
QImage frameOf(const QSharedPointer<SimulatedCamera> &camera)
{
    SimulatedCaptureDevice device(camera);
    QMutex mutex;
    QImage first;
    QObject::connect(&device, &CaptureDevice::frameCaptured, &device, [&](const VideoSample &sample) {
        QMutexLocker locker(&mutex);
        if (first.isNull())
            first = sample.image().copy();
    }, Qt::DirectConnection);
    if (device.startStreaming() != CaptureDevice::StreamOk)
        return QImage();
    const bool framed = QTest::qWaitFor([&] { QMutexLocker locker(&mutex); return !first.isNull(); }, 10000);
    device.stopStreaming();
    if (!framed)
        return QImage();
    QMutexLocker locker(&mutex);
    return first;
}

// A stream that runs while the test moves the controls, keeping the newest frame it delivered.
class RunningStream
{
public:
    explicit RunningStream(const QSharedPointer<SimulatedCamera> &camera)
        : m_device(camera)
    {
        QObject::connect(&m_device, &CaptureDevice::frameCaptured, &m_device, [this](const VideoSample &sample) {
            QMutexLocker locker(&m_mutex);
            m_newest = sample.image().copy();
            ++m_count;
        }, Qt::DirectConnection);
    }
    ~RunningStream() { m_device.stopStreaming(); }

    bool start() { return m_device.startStreaming() == CaptureDevice::StreamOk; }

    // A frame that read the controls after this call began: the frame being drawn at the time may
    // have read them before, the one after it cannot have.
    QImage nextFrame()
    {
        const quint64 seen = count();
        if (!QTest::qWaitFor([&] { return count() >= seen + 2; }, 10000))
            return QImage();
        QMutexLocker locker(&m_mutex);
        return m_newest;
    }

private:
    quint64 count()
    {
        QMutexLocker locker(&m_mutex);
        return m_count;
    }

    SimulatedCaptureDevice m_device;
    QMutex m_mutex;
    QImage m_newest;
    quint64 m_count = 0;
};

// What a stream started now would show, but for its frame counter: a fresh generator with the
// camera's controls as they are.
QImage freshFrame(const QSharedPointer<SimulatedCamera> &camera)
{
    SimulatedFrameGenerator generator;
    QImage frame;
    generator.render(frame, Frame, 0, camera->view(), camera->imageControls());
    return frame;
}

// The still part of a frame: the marker box differs from frame to frame.
QImage withoutMarker(QImage frame)
{
    QPainter painter(&frame);
    painter.fillRect(SimulatedFrameGenerator::markerBox(frame.size()), Qt::black);
    return frame;
}

QImage untouchedFrame()
{
    SimulatedFrameGenerator generator;
    QImage frame;
    generator.render(frame, Frame, 0);
    return frame;
}

} // namespace

Q_DECLARE_METATYPE(Setting)
Q_DECLARE_METATYPE(Measure)
Q_DECLARE_METATYPE(QVector<Setting>)

// The simulated cameras show their image controls in their picture, as they show their zoom: each
// control moved to an end of its range changes the measure it acts on, in the way a camera's would,
// and every control at its default leaves the picture as it is drawn without any.
class TestSimulatedImageControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void controlChangesThePicture_data();
    void controlChangesThePicture();
    void highQualityCaptureShowsTheControls();
};

void TestSimulatedImageControls::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestSimulatedImageControls::init()
{
    SimulatedCameras::instance()->reset();
}

void TestSimulatedImageControls::controlChangesThePicture_data()
{
    QTest::addColumn<quint32>("location");
    QTest::addColumn<quint8>("selector");
    QTest::addColumn<Setting>("setting");
    QTest::addColumn<bool>("manualWhiteBalance");
    QTest::addColumn<Measure>("measure");
    // -1 lower, 1 higher than the picture at the defaults; 0 the very picture drawn without controls.
    QTest::addColumn<int>("direction");
    // Empty: the control is set before the stream starts. Else the settings it is moved through, one
    // after the other, on a stream that runs all along, before `setting`: each move must show.
    QTest::addColumn<QVector<Setting>>("movedThrough");

    struct Row
    {
        const char *name;
        quint8 selector;
        Measure measure;
    };
    // Each measure falls at the control's minimum and rises at its maximum. Backlight compensation
    // lifts or deepens the shadows, which moves the mean of a desk picture.
    const Row rows[] = {{"brightness", Controls::Brightness, Measure::Mean},
                        {"contrast", Controls::Contrast, Measure::Spread},
                        {"saturation", Controls::Saturation, Measure::Saturation},
                        {"sharpness", Controls::Sharpness, Measure::Edges},
                        {"backlight compensation", Controls::BacklightCompensation, Measure::Mean}};
    const struct
    {
        const char *name;
        quint32 location;
    } models[] = {{"ZQ40", SimulatedCameras::FirstLocationId}, {"ZQ15", SimulatedCameras::SecondLocationId}};

    for (const auto &model : models) {
        for (const Row &row : rows) {
            QTest::addRow("%s %s minimum", model.name, row.name) << model.location << row.selector
                << Setting::Minimum << false << row.measure << -1 << QVector<Setting>();
            QTest::addRow("%s %s default", model.name, row.name) << model.location << row.selector
                << Setting::Default << false << row.measure << 0 << QVector<Setting>();
            QTest::addRow("%s %s maximum", model.name, row.name) << model.location << row.selector
                << Setting::Maximum << false << row.measure << 1 << QVector<Setting>();
        }
    }
    // A control moved again while the camera streams: the per-pixel path and the one that looks at
    // the neighbours (sharpness) each keep an adjusted picture between frames.
    const QVector<Setting> fromMinimum = {Setting::Minimum};
    QTest::newRow("ZQ40 brightness minimum, then maximum while streaming")
        << SimulatedCameras::FirstLocationId << quint8(Controls::Brightness) << Setting::Maximum << false
        << Measure::Mean << 1 << fromMinimum;
    QTest::newRow("ZQ15 sharpness minimum, then maximum while streaming")
        << SimulatedCameras::SecondLocationId << quint8(Controls::Sharpness) << Setting::Maximum << false
        << Measure::Edges << 1 << fromMinimum;
    // Only the ZQ15 offers white balance to the host (the ZQ40's descriptor is never read, so its
    // range reads as none). The host turns automatic white balance off before it sets a temperature;
    // left on, the camera matches the lamp whatever the temperature says.
    const quint32 zq15 = SimulatedCameras::SecondLocationId;
    QTest::newRow("ZQ15 white balance minimum")
        << zq15 << quint8(Controls::WhiteBalanceTemperature) << Setting::Minimum << true << Measure::Warmth << -1
        << QVector<Setting>();
    QTest::newRow("ZQ15 white balance default")
        << zq15 << quint8(Controls::WhiteBalanceTemperature) << Setting::Default << true << Measure::Warmth << 0
        << QVector<Setting>();
    QTest::newRow("ZQ15 white balance maximum")
        << zq15 << quint8(Controls::WhiteBalanceTemperature) << Setting::Maximum << true << Measure::Warmth << 1
        << QVector<Setting>();
    QTest::newRow("ZQ15 white balance minimum, automatic")
        << zq15 << quint8(Controls::WhiteBalanceTemperature) << Setting::Minimum << false << Measure::Warmth << 0
        << QVector<Setting>();
}

void TestSimulatedImageControls::controlChangesThePicture()
{
    QFETCH(quint32, location);
    QFETCH(quint8, selector);
    QFETCH(Setting, setting);
    QFETCH(bool, manualWhiteBalance);
    QFETCH(Measure, measure);
    QFETCH(int, direction);
    QFETCH(QVector<Setting>, movedThrough);

    auto camera = SimulatedCameras::instance()->cameraAt(location);
    QVERIFY(camera);
    const QImage untouched = untouchedFrame();
    if (manualWhiteBalance)
        QVERIFY(hostSets(camera->uvc(), Controls::WhiteBalanceTemperatureAuto, 0));
    QImage frame;
    if (movedThrough.isEmpty()) {
        QVERIFY(hostSets(camera->uvc(), selector, valueAt(camera->uvc(), selector, setting)));
        frame = frameOf(camera);
    } else {
        RunningStream stream(camera);
        QVERIFY(stream.start());
        for (const Setting step : movedThrough + QVector<Setting>{setting}) {
            QVERIFY(hostSets(camera->uvc(), selector, valueAt(camera->uvc(), selector, step)));
            frame = stream.nextFrame();
            QCOMPARE(frame.size(), Frame);
            QCOMPARE(withoutMarker(frame), withoutMarker(freshFrame(camera)));
        }
    }
    QCOMPARE(frame.size(), Frame);
    if (direction == 0) {
        QCOMPARE(frame, untouched);
        return;
    }
    const double before = measured(untouched).of(measure);
    const double after = measured(frame).of(measure);
    const QString values = QStringLiteral("%1 at the defaults, %2 now").arg(before, 0, 'f', 4).arg(after, 0, 'f', 4);
    // A tenth of the measure at least, the right way: a control that is not applied moves nothing.
    QVERIFY2((after - before) * direction >= 0.1 * before, qPrintable(values));
}

void TestSimulatedImageControls::highQualityCaptureShowsTheControls()
{
    // The still a camera captures is its picture, controls and all.
    auto camera = SimulatedCameras::instance()->cameraAt(SimulatedCameras::FirstLocationId);
    const QImage plain = QImage::fromData(camera->highQualityPicture(), "JPG").scaled(Frame);
    QVERIFY(hostSets(camera->uvc(), Controls::Brightness,
                     valueAt(camera->uvc(), Controls::Brightness, Setting::Maximum)));
    const QImage bright = QImage::fromData(camera->highQualityPicture(), "JPG").scaled(Frame);
    QVERIFY(!plain.isNull() && !bright.isNull());
    QVERIFY2(measured(bright).mean > measured(plain).mean + 0.1,
             qPrintable(QStringLiteral("%1 to %2").arg(measured(plain).mean).arg(measured(bright).mean)));
}

QTEST_GUILESS_MAIN(TestSimulatedImageControls)
#include "tst_simulated_image_controls.moc"
