#include "media/mediaclock.h"
#include "video/linux/v4l2capturedevice.h"

#include "linuxfakev4l2io.h"

#include <QBuffer>
#include <QtTest>

#include <linux/videodev2.h>

#include <cerrno>

using platform::CaptureDevice;
using platform::V4l2CaptureDevice;
using platform::VideoDeviceInfo;
using platform::VideoSample;

namespace {

const QString Node = QStringLiteral("/dev/video0");

VideoDeviceInfo cameraInfo()
{
    VideoDeviceInfo info;
    info.uniqueId = QStringLiteral("0x0123000025740701");
    info.node = Node;
    return info;
}

// YUYV of one BT.601 limited-range colour.
QByteArray yuyvFrame(int width, int height, uchar y, uchar u, uchar v)
{
    QByteArray frame;
    frame.reserve(width * height * 2);
    for (int pixel = 0; pixel < width * height / 2; ++pixel)
        frame.append(char(y)).append(char(u)).append(char(y)).append(char(v));
    return frame;
}

QByteArray jpegFrame(int width, int height, const QColor &colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 95);
    return data;
}

bool isRed(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
}

// Collects what a stream delivers; the samples are kept only when asked, so that buffer reuse shows.
class FrameLog : public QObject
{
public:
    explicit FrameLog(CaptureDevice *device, bool keep = true) : m_keep(keep)
    {
        connect(device, &CaptureDevice::frameCaptured, this, [this](const VideoSample &sample) {
            QMutexLocker locker(&mutex);
            ++count;
            lastSize = sample.image().size();
            lastPixel = sample.image().pixel(sample.width() / 2, sample.height() / 2);
            times.append(sample.presentationTimeUs());
            pixelAddresses.insert(sample.constBits());
            if (m_keep)
                samples.append(sample);
        }, Qt::DirectConnection);
        connect(device, &CaptureDevice::streamError, this, [this](qint32 code) {
            QMutexLocker locker(&mutex);
            errors.append(code);
        }, Qt::DirectConnection);
    }

    int frames() const
    {
        QMutexLocker locker(&mutex);
        return count;
    }
    QSize size() const
    {
        QMutexLocker locker(&mutex);
        return lastSize;
    }
    void reset()
    {
        QMutexLocker locker(&mutex);
        count = 0;
        lastSize = QSize();
    }

    mutable QMutex mutex;
    int count = 0;
    QSize lastSize;
    QRgb lastPixel = 0;
    QList<qint64> times;
    QSet<const uchar *> pixelAddresses;
    QList<VideoSample> samples;
    QList<qint32> errors;

private:
    bool m_keep;
};

} // namespace

class TestLinuxV4l2Stream : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void deliversDecodedFrames_data();
    void deliversDecodedFrames();
    void reusesFramesNobodyHolds();
    void startFailures_data();
    void startFailures();
    void formatChangeRestartsTheStream();
    void lostDeviceEndsTheStream();
    void damagedBuffersAreSkipped();
    void stopReleasesTheNodeAndStartsAgain();

private:
    void useYuyv(const QByteArray &payload);
    LinuxFakeV4l2Io m_io;
};

void TestLinuxV4l2Stream::init()
{
    m_io = LinuxFakeV4l2Io();
    m_io.nodes.insert(Node, V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);
    m_io.formats = {
        {V4L2_PIX_FMT_YUYV, {{320, 240, {{1, 30}}, false}}, false},
        {V4L2_PIX_FMT_MJPEG, {{640, 480, {{1, 30}}, false}}, false},
    };
    useYuyv(yuyvFrame(320, 240, 81, 90, 240));
}

void TestLinuxV4l2Stream::useYuyv(const QByteArray &payload)
{
    m_io.currentPixelFormat = V4L2_PIX_FMT_YUYV;
    m_io.currentWidth = 320;
    m_io.currentHeight = 240;
    m_io.framePayloads = {payload};
}

void TestLinuxV4l2Stream::deliversDecodedFrames_data()
{
    QTest::addColumn<bool>("jpeg");
    QTest::addColumn<quint32>("bytesPerLine");
    QTest::addColumn<QSize>("outputSize");
    QTest::addColumn<QSize>("expectedSize");

    QTest::newRow("yuyv") << false << 0u << QSize() << QSize(320, 240);
    QTest::newRow("yuyv, padded lines") << false << 704u << QSize() << QSize(320, 240);
    QTest::newRow("yuyv scaled") << false << 0u << QSize(160, 120) << QSize(160, 120);
    QTest::newRow("mjpeg") << true << 0u << QSize() << QSize(640, 480);
    QTest::newRow("mjpeg scaled up") << true << 0u << QSize(1280, 720) << QSize(1280, 720);
}

void TestLinuxV4l2Stream::deliversDecodedFrames()
{
    QFETCH(bool, jpeg);
    QFETCH(quint32, bytesPerLine);
    QFETCH(QSize, outputSize);
    QFETCH(QSize, expectedSize);

    if (jpeg) {
        m_io.currentPixelFormat = V4L2_PIX_FMT_MJPEG;
        m_io.currentWidth = 640;
        m_io.currentHeight = 480;
        m_io.framePayloads = {jpegFrame(640, 480, Qt::red)};
    } else if (bytesPerLine) {
        // Each line carries padding after its pixels, as some drivers lay buffers out.
        QByteArray padded;
        const QByteArray line = yuyvFrame(320, 1, 81, 90, 240);
        for (int y = 0; y < 240; ++y)
            padded.append(line).append(QByteArray(int(bytesPerLine) - line.size(), '\x10'));
        m_io.framePayloads = {padded};
        m_io.bytesPerLine = bytesPerLine;
    }

    V4l2CaptureDevice device(cameraInfo(), m_io);
    device.setOutputSize(outputSize);
    FrameLog log(&device);
    const qint64 before = platform::MediaClock::monotonicNowUs();
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QVERIFY(device.isStreaming());
    QTRY_VERIFY(log.frames() >= 3);
    device.stopStreaming();
    const qint64 after = platform::MediaClock::monotonicNowUs();

    // The stop closed the node, so no frame can follow.
    QVERIFY(!device.isStreaming());
    QCOMPARE(m_io.openCount, m_io.closeCount);
    QCOMPARE(log.size(), expectedSize);
    for (const VideoSample &sample : qAsConst(log.samples)) {
        QCOMPARE(sample.image().format(), QImage::Format_RGB32);
        QVERIFY2(isRed(sample.image().pixel(sample.width() / 3, sample.height() / 3)),
                 qPrintable(QString::number(sample.image().pixel(sample.width() / 3, sample.height() / 3), 16)));
    }
    for (int index = 0; index < log.times.size(); ++index) {
        QVERIFY(log.times.at(index) >= before && log.times.at(index) <= after);
        if (index > 0)
            QVERIFY(log.times.at(index) >= log.times.at(index - 1));
    }
}

void TestLinuxV4l2Stream::reusesFramesNobodyHolds()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device, false);
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(log.frames() >= 20);
    device.stopStreaming();
    QVERIFY2(log.pixelAddresses.size() <= 3, qPrintable(QString::number(log.pixelAddresses.size())));
}

void TestLinuxV4l2Stream::startFailures_data()
{
    QTest::addColumn<QString>("failingStep");
    QTest::addColumn<int>("error");
    QTest::addColumn<qint32>("expected");

    QTest::newRow("no such node") << "open" << ENOENT << qint32(CaptureDevice::InputNotCreated);
    QTest::newRow("open refused") << "open" << EACCES << qint32(CaptureDevice::InputNotCreated);
    QTest::newRow("open busy") << "open" << EBUSY << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("format busy") << "format" << EBUSY << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("buffers busy") << "buffers" << EBUSY << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("buffers refused") << "buffers" << ENOMEM << qint32(CaptureDevice::InputNotCreated);
    QTest::newRow("no bandwidth") << "streamon" << ENOSPC << qint32(CaptureDevice::NoBandwidth);
    QTest::newRow("streamon busy") << "streamon" << EBUSY << qint32(CaptureDevice::DeviceInUse);
    QTest::newRow("no buffers granted") << "granted" << 0 << qint32(CaptureDevice::InputNotCreated);
    QTest::newRow("undecodable format") << "pixelformat" << 0 << qint32(CaptureDevice::InputNotCreated);
}

void TestLinuxV4l2Stream::startFailures()
{
    QFETCH(QString, failingStep);
    QFETCH(int, error);
    QFETCH(qint32, expected);

    if (failingStep == QLatin1String("open"))
        m_io.openErrors.insert(Node, error);
    else if (failingStep == QLatin1String("format"))
        m_io.setFormatError = error;
    else if (failingStep == QLatin1String("buffers"))
        m_io.requestBuffersError = error;
    else if (failingStep == QLatin1String("streamon"))
        m_io.streamOnError = error;
    else if (failingStep == QLatin1String("granted"))
        m_io.grantedBuffers = 0;
    else
        m_io.currentPixelFormat = V4L2_PIX_FMT_H264;

    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device);
    QCOMPARE(device.startStreaming(), expected);
    QVERIFY(!device.isStreaming());
    // Nothing of the failed start stays behind: the node is closed and no buffer stays mapped.
    QCOMPARE(m_io.openCount, m_io.closeCount);
    QCOMPARE(m_io.mappedBuffers(), 0);
    QCOMPARE(log.frames(), 0); // and with the node closed, none can come
    QVERIFY(log.errors.isEmpty()); // reported by the result, not a second time as a signal
}

void TestLinuxV4l2Stream::formatChangeRestartsTheStream()
{
    m_io.framePayloads = {yuyvFrame(320, 240, 81, 90, 240), jpegFrame(640, 480, Qt::red)};
    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device, false);
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(log.frames() >= 1);
    QCOMPARE(log.size(), QSize(320, 240));

    // The fake delivers its payloads in turn; from now on only the JPEG one fits.
    QVERIFY(device.lockForConfiguration());
    device.stopStreaming();
    m_io.framePayloads = {jpegFrame(640, 480, Qt::red)};
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    log.reset();
    QVERIFY(device.setActiveFormat(1));
    QVERIFY(device.isStreaming());
    QTRY_VERIFY(log.frames() >= 2);
    QCOMPARE(log.size(), QSize(640, 480));
    device.stopStreaming();

    const QStringList calls = m_io.logSnapshot();
    const int change = calls.lastIndexOf(QStringLiteral("S_FMT 640x480"));
    QVERIFY(change > 0);
    QVERIFY(calls.lastIndexOf(QStringLiteral("STREAMOFF"), change) >= 0);
    QVERIFY(calls.indexOf(QStringLiteral("STREAMON"), change) > change);
    QVERIFY(!calls.contains(QStringLiteral("busy")));
    QVERIFY(log.errors.isEmpty());
}

void TestLinuxV4l2Stream::lostDeviceEndsTheStream()
{
    m_io.failAfterFrames = 3;
    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device);
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(!device.isStreaming());
    QCOMPARE(log.frames(), 3);
    QCOMPARE(log.errors, QList<qint32>{qint32(CaptureDevice::DeviceLost)});
    QCOMPARE(m_io.openCount, m_io.closeCount);
    QCOMPARE(m_io.mappedBuffers(), 0);
}

void TestLinuxV4l2Stream::damagedBuffersAreSkipped()
{
    const QByteArray good = yuyvFrame(320, 240, 81, 90, 240);
    QByteArray badJpeg = jpegFrame(640, 480, Qt::red);
    badJpeg.truncate(40);
    m_io.framePayloads = {good.left(good.size() / 2), good};
    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device);
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(m_io.deliveredFrames() >= 10);
    device.stopStreaming();
    // Only the whole frames came through, and the stream never gave up.
    const int delivered = m_io.deliveredFrames();
    QVERIFY(log.frames() >= delivered / 2 - 1 && log.frames() <= delivered / 2 + 1);
    QVERIFY(log.errors.isEmpty());

    // The same for a JPEG stream with broken frames between good ones.
    m_io.currentPixelFormat = V4L2_PIX_FMT_MJPEG;
    m_io.currentWidth = 640;
    m_io.currentHeight = 480;
    m_io.framePayloads = {badJpeg, QByteArray(5000, '\xff'), jpegFrame(640, 480, Qt::red)};
    log.reset();
    QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
    QTRY_VERIFY(log.frames() >= 3);
    device.stopStreaming();
    QCOMPARE(log.size(), QSize(640, 480));
    QVERIFY(isRed(log.lastPixel));
    QVERIFY(log.errors.isEmpty());
}

void TestLinuxV4l2Stream::stopReleasesTheNodeAndStartsAgain()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    FrameLog log(&device, false);
    for (int round = 0; round < 2; ++round) {
        log.reset();
        QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk));
        QCOMPARE(device.startStreaming(), qint32(CaptureDevice::StreamOk)); // a second start is no-op
        QTRY_VERIFY(log.frames() >= 2);
        device.stopStreaming();
        QVERIFY(!device.isStreaming());
        QVERIFY(!m_io.isStreaming());
        QCOMPARE(m_io.openCount, m_io.closeCount);
        QCOMPARE(m_io.mappedBuffers(), 0);
    }
    // The node is free again for another user.
    QVERIFY(device.lockForConfiguration());
    QVERIFY(device.setActiveFormat(1));
}

QTEST_GUILESS_MAIN(TestLinuxV4l2Stream)
#include "tst_linux_v4l2_stream.moc"
