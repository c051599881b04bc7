#include "simulated/simulatedcamera.h"
#include "video/simulated/simulatedcapturedevice.h"
#include "simulated/simulatedframegenerator.h"

#include <QtTest>

using platform::CaptureDevice;
using platform::FrameDuration;
using platform::SimulatedCamera;
using platform::SimulatedCaptureDevice;
using platform::SimulatedFrameGenerator;
using platform::VideoSample;

namespace {

int formatIndex(const QList<platform::CaptureFormat> &formats, const QByteArray &subtype, int width)
{
    for (int index = 0; index < formats.size(); ++index) {
        if (formats.at(index).subtype == subtype && formats.at(index).width == width)
            return index;
    }
    return -1;
}

bool isWood(QRgb pixel)
{
    return qRed(pixel) > qGreen(pixel) + 20 && qGreen(pixel) > qBlue(pixel) + 10 && qRed(pixel) > 100;
}

bool isWhite(QRgb pixel)
{
    return qRed(pixel) > 240 && qGreen(pixel) > 240 && qBlue(pixel) > 240;
}

} // namespace

class TestStreamSimulatedCamera : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void streamsAtTheActiveFormatAndRate_data();
    void streamsAtTheActiveFormatAndRate();
    void frameShowsPageCounterAndMotion();
    void startFailures_data();
    void startFailures();
    void brokenStreamReportsAndStartsAgain();

private:
    QSharedPointer<SimulatedCamera> m_camera;
    QScopedPointer<SimulatedCaptureDevice> m_device;
    QList<qint64> m_times;
    VideoSample m_last;
    QList<qint32> m_errors;
    QMutex m_mutex;
};

void TestStreamSimulatedCamera::init()
{
    m_camera = SimulatedCamera::makeStandard(0x0701, 0x01100000, QStringLiteral("Desk camera"));
    m_device.reset(new SimulatedCaptureDevice(m_camera));
    m_times.clear();
    m_last = VideoSample();
    m_errors.clear();
    connect(m_device.data(), &CaptureDevice::frameCaptured, this, [this](const VideoSample &sample) {
        // Only the last sample is held, as a real consumer does: held frames cannot be drawn into
        // again, and fresh 8 MB buffers at every frame would measure the allocator, not the camera.
        QMutexLocker locker(&m_mutex);
        m_times.append(sample.presentationTimeUs());
        m_last = sample;
    }, Qt::DirectConnection);
    connect(m_device.data(), &CaptureDevice::streamError, this, [this](qint32 code) {
        QMutexLocker locker(&m_mutex);
        m_errors.append(code);
    }, Qt::DirectConnection);
}

void TestStreamSimulatedCamera::cleanup()
{
    m_device.reset();
    SimulatedCaptureDevice::injectStartError(m_camera->info().uniqueId, CaptureDevice::StreamOk);
}

void TestStreamSimulatedCamera::streamsAtTheActiveFormatAndRate_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<quint32>("fps");
    QTest::addColumn<QSize>("outputSize");
    QTest::addColumn<QSize>("expectedSize");

    QTest::newRow("1080p30") << 1920 << 30u << QSize() << QSize(1920, 1080);
    QTest::newRow("720p15") << 1280 << 15u << QSize() << QSize(1280, 720);
    QTest::newRow("output size") << 1920 << 30u << QSize(1024, 768) << QSize(1024, 768);
}

void TestStreamSimulatedCamera::streamsAtTheActiveFormatAndRate()
{
    QFETCH(int, width);
    QFETCH(quint32, fps);
    QFETCH(QSize, outputSize);
    QFETCH(QSize, expectedSize);

    QVERIFY(m_device->lockForConfiguration());
    QVERIFY(m_device->setActiveFormat(formatIndex(m_device->formats(), "jpeg", width)));
    QVERIFY(m_device->setActiveMinFrameDuration(FrameDuration{1, fps}));
    m_device->unlockForConfiguration();
    m_device->setOutputSize(outputSize);

    QElapsedTimer streaming;
    streaming.start();
    QCOMPARE(m_device->startStreaming(), qint32(CaptureDevice::StreamOk));
    QVERIFY(m_device->isStreaming());
    const auto framesSoFar = [this] {
        QMutexLocker locker(&m_mutex);
        return m_times.size();
    };
    QTRY_VERIFY_WITH_TIMEOUT(framesSoFar() >= 10, 30000);
    m_device->stopStreaming();
    const qint64 streamedMs = streaming.elapsed();
    QMutexLocker locker(&m_mutex);
    const int frames = m_times.size();
    // Never faster than the rate, however long a busy machine took to give the first frames.
    QVERIFY2(frames <= fps * streamedMs / 1000 + 2, qPrintable(QStringLiteral("%1 in %2 ms").arg(frames).arg(streamedMs)));
    QCOMPARE(m_last.image().size(), expectedSize);
    QCOMPARE(m_last.image().format(), QImage::Format_RGB32);
    // The pace as the median interval: the first frames of a size also draw the still scene and
    // fill the frame buffers, which a loaded machine makes slow.
    QList<qint64> intervals;
    for (int index = 1; index < frames; ++index)
        intervals.append(m_times.at(index) - m_times.at(index - 1));
    std::sort(intervals.begin(), intervals.end());
    const qint64 median = intervals.at(intervals.size() / 2);
    const qint64 wanted = 1000000 / fps;
    QVERIFY2(qAbs(median - wanted) < wanted / 4, qPrintable(QString::number(median)));
}

void TestStreamSimulatedCamera::frameShowsPageCounterAndMotion()
{
    const QSize size(1280, 720);
    SimulatedFrameGenerator generator;
    QImage first, second;
    generator.render(first, size, 10);
    generator.render(second, size, 11);

    // A white page on a desk, where pageCorners() says.
    const QPolygonF page = SimulatedFrameGenerator::pageCorners(size);
    const QPointF centre = page.boundingRect().center();
    QVERIFY(isWhite(first.pixel(int(page.at(0).x() + 40), int(page.at(0).y() + 10))));
    QVERIFY(isWood(first.pixel(size.width() - 10, size.height() / 2)));
    QVERIFY(isWood(first.pixel(int(page.boundingRect().left()) - 10, int(centre.y()))));
    // Paper on a desk, edge to edge: just inside the right edge white, just outside the desk.
    const QLineF right(page.at(1), page.at(2));
    const QPointF outward = QLineF(right.center(), right.center() + QPointF(right.dy(), -right.dx())).unitVector().p2()
                            - right.center();
    QVERIFY(isWhite(first.pixel((right.center() - outward * 4).toPoint())));
    QVERIFY(isWood(first.pixel((right.center() + outward * 4).toPoint())));
    // The page is tilted, so that keystone detection has corners to find.
    QVERIFY(qAbs(page.at(0).y() - page.at(1).y()) > 5);

    // The marker box, in the corner below the page, changes from frame to frame (its block moves and
    // its number counts); the page does not.
    const QRect box = SimulatedFrameGenerator::markerBox(size);
    QVERIFY(!box.intersects(page.boundingRect().toRect()));
    QVERIFY(first.copy(box) != second.copy(box));
    QVERIFY(SimulatedFrameGenerator::markerOffset(size, 11) != SimulatedFrameGenerator::markerOffset(size, 10));
    QCOMPARE(first.copy(0, 0, size.width(), box.top()), second.copy(0, 0, size.width(), box.top()));
    const QRect pageArea = page.boundingRect().toRect().adjusted(60, 60, -60, -60);
    QCOMPARE(first.copy(pageArea), second.copy(pageArea));
}

void TestStreamSimulatedCamera::startFailures_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("in use (injected)") << "inject-busy" << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("no bandwidth (injected)") << "inject-bandwidth" << qint32(CaptureDevice::NoBandwidth);
    QTest::newRow("held by another process") << "lock-refused" << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("unplugged") << "disconnected" << qint32(CaptureDevice::InputNotCreated);
}

void TestStreamSimulatedCamera::startFailures()
{
    QFETCH(QString, cause);
    QFETCH(qint32, expected);

    const QString id = m_camera->info().uniqueId;
    if (cause == QLatin1String("inject-busy"))
        SimulatedCaptureDevice::injectStartError(id, CaptureDevice::DeviceInUse);
    else if (cause == QLatin1String("inject-bandwidth"))
        SimulatedCaptureDevice::injectStartError(id, CaptureDevice::NoBandwidth);
    else if (cause == QLatin1String("lock-refused"))
        m_camera->setLockRefused(true);
    else
        m_camera->setConnected(false);

    // Injected by id, so it holds for a device object made after the injection too.
    SimulatedCaptureDevice later(m_camera);
    QCOMPARE(later.startStreaming(), expected);
    QVERIFY(!later.isStreaming());
    QCOMPARE(m_device->startStreaming(), expected);
    // A frame would come within one frame time; a busy machine is given many.
    const bool framed = QTest::qWaitFor([this] {
        QMutexLocker locker(&m_mutex);
        return !m_times.isEmpty();
    }, 1000);
    QVERIFY(!framed);
}

void TestStreamSimulatedCamera::brokenStreamReportsAndStartsAgain()
{
    QCOMPARE(m_device->startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(m_times.size() >= 2);
    m_device->injectStreamError(CaptureDevice::DeviceLost);
    QTRY_VERIFY(!m_device->isStreaming());
    QCOMPARE(m_errors, QList<qint32>{qint32(CaptureDevice::DeviceLost)});

    {
        QMutexLocker locker(&m_mutex);
        m_times.clear();
    }
    QCOMPARE(m_device->startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(m_times.size() >= 2);
    m_device->stopStreaming();
    QCOMPARE(m_errors.size(), 1);
}

QTEST_MAIN(TestStreamSimulatedCamera)
#include "tst_stream_simulated_camera.moc"
