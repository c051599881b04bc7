#include "video/linux/v4l2capturedevice.h"

#include "linuxfakev4l2io.h"

#include <QtTest>

#include <linux/videodev2.h>

using platform::CaptureFormat;
using platform::FrameDuration;
using platform::V4l2CaptureDevice;
using platform::VideoDeviceInfo;

namespace {

const QString Node = QStringLiteral("/dev/video0");

VideoDeviceInfo cameraInfo()
{
    VideoDeviceInfo info;
    info.uniqueId = QStringLiteral("0x0123000025740701");
    info.node = Node;
    return info;
}

} // namespace

class TestLinuxV4l2Capture : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void subtypes_data();
    void subtypes();
    void enumeratesFormatsInDeviceOrder();
    void spansOfSizesAndIntervals();
    void activeFormatAndDuration();
    void configurationNeedsTheLock();
    void lockIsHeldPerNode();
    void refusedOrAdjustedFormatFails();
    void goneDeviceHasNothing();

private:
    LinuxFakeV4l2Io m_io;
};

void TestLinuxV4l2Capture::init()
{
    m_io = LinuxFakeV4l2Io();
    m_io.nodes.insert(Node, V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);
    m_io.formats = {
        {V4L2_PIX_FMT_MJPEG,
         {{1920, 1080, {{1, 30}, {1, 15}}, false}, {1280, 720, {{1, 60}, {1, 30}}, false}},
         false},
        {V4L2_PIX_FMT_YUYV, {{640, 480, {{1, 30}}, false}}, false},
    };
    m_io.currentPixelFormat = V4L2_PIX_FMT_MJPEG;
    m_io.currentWidth = 1280;
    m_io.currentHeight = 720;
    m_io.currentInterval = {1, 60};
}

void TestLinuxV4l2Capture::subtypes_data()
{
    QTest::addColumn<quint32>("pixelFormat");
    QTest::addColumn<QByteArray>("subtype");

    QTest::newRow("MJPEG") << quint32(V4L2_PIX_FMT_MJPEG) << QByteArray("jpeg");
    QTest::newRow("JPEG") << quint32(V4L2_PIX_FMT_JPEG) << QByteArray("jpeg");
    QTest::newRow("YUYV") << quint32(V4L2_PIX_FMT_YUYV) << QByteArray("yuvs");
    QTest::newRow("UYVY") << quint32(V4L2_PIX_FMT_UYVY) << QByteArray("2vuy");
    QTest::newRow("NV12") << quint32(V4L2_PIX_FMT_NV12) << QByteArray("420v");
    QTest::newRow("H264") << quint32(V4L2_PIX_FMT_H264) << QByteArray("avc1");
    QTest::newRow("BGRA") << quint32(V4L2_PIX_FMT_ABGR32) << QByteArray("BGRA");
    QTest::newRow("other, as named") << quint32(V4L2_PIX_FMT_GREY) << QByteArray("GREY");
}

void TestLinuxV4l2Capture::subtypes()
{
    QFETCH(quint32, pixelFormat);
    QFETCH(QByteArray, subtype);
    QCOMPARE(V4l2CaptureDevice::subtypeFor(pixelFormat), subtype);
}

void TestLinuxV4l2Capture::enumeratesFormatsInDeviceOrder()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    const QList<CaptureFormat> formats = device.formats();
    QCOMPARE(formats.size(), 3);

    QCOMPARE(formats.at(0).subtype, QByteArray("jpeg"));
    QCOMPARE(formats.at(0).width, 1920);
    QCOMPARE(formats.at(0).height, 1080);
    QCOMPARE(formats.at(1).width, 1280);
    QCOMPARE(formats.at(2).subtype, QByteArray("yuvs"));
    QCOMPARE(formats.at(2).width, 640);

    // Discrete intervals are one range each, in the device's order.
    const auto ranges = formats.at(1).frameRateRanges;
    QCOMPARE(ranges.size(), 2);
    QCOMPARE(ranges.at(0).minFrameRate, 60.0);
    QCOMPARE(ranges.at(0).maxFrameRate, 60.0);
    QCOMPARE(ranges.at(0).minFrameDuration, (FrameDuration{1, 60}));
    QCOMPARE(ranges.at(0).maxFrameDuration, (FrameDuration{1, 60}));
    QCOMPARE(ranges.at(1).minFrameRate, 30.0);

    // Read once: indexes keep naming the same format.
    const int opened = m_io.openCount;
    QCOMPARE(device.formats(), formats);
    QCOMPARE(m_io.openCount, opened);
    QCOMPARE(m_io.closeCount, m_io.openCount);
}

void TestLinuxV4l2Capture::spansOfSizesAndIntervals()
{
    m_io.formats = {{V4L2_PIX_FMT_YUYV,
                     {{320, 240, {{1, 30}, {1, 5}}, true}, {1280, 960, {{1, 15}, {1, 1}}, true}},
                     true}};
    V4l2CaptureDevice device(cameraInfo(), m_io);
    const QList<CaptureFormat> formats = device.formats();
    QCOMPARE(formats.size(), 2);
    QCOMPARE(formats.at(0).width, 1280); // the largest first
    QCOMPARE(formats.at(1).width, 320);

    QCOMPARE(formats.at(0).frameRateRanges.size(), 1);
    const auto range = formats.at(0).frameRateRanges.first();
    QCOMPARE(range.minFrameRate, 1.0);
    QCOMPARE(range.maxFrameRate, 15.0);
    QCOMPARE(range.minFrameDuration, (FrameDuration{1, 15}));
    QCOMPARE(range.maxFrameDuration, (FrameDuration{1, 1}));
}

void TestLinuxV4l2Capture::activeFormatAndDuration()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    QCOMPARE(device.activeFormatIndex(), 1);
    QCOMPARE(device.activeMinFrameDuration(), (FrameDuration{1, 60}));

    m_io.currentWidth = 800; // a format the list does not hold
    QCOMPARE(device.activeFormatIndex(), -1);
    QCOMPARE(m_io.closeCount, m_io.openCount);
}

void TestLinuxV4l2Capture::configurationNeedsTheLock()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    QVERIFY(!device.setActiveFormat(0));
    QVERIFY(!device.setActiveMinFrameDuration({1, 30}));
    QVERIFY(m_io.log.isEmpty());

    QVERIFY(device.lockForConfiguration());
    QVERIFY(device.setActiveFormat(0));
    QVERIFY(device.setActiveMinFrameDuration({1, 15}));
    QCOMPARE(m_io.log, QStringList({"S_FMT 1920x1080", "S_PARM 1/15"}));
    QCOMPARE(device.activeFormatIndex(), 0);
    QCOMPARE(device.activeMinFrameDuration(), (FrameDuration{1, 15}));

    QVERIFY(!device.setActiveFormat(-1));
    QVERIFY(!device.setActiveFormat(3));
    QVERIFY(!device.setActiveMinFrameDuration({0, 0}));
    device.unlockForConfiguration();
    QVERIFY(!device.setActiveFormat(2));
    QCOMPARE(m_io.log.size(), 2);
    QCOMPARE(m_io.closeCount, m_io.openCount);
}

void TestLinuxV4l2Capture::lockIsHeldPerNode()
{
    V4l2CaptureDevice first(cameraInfo(), m_io);
    {
        V4l2CaptureDevice second(cameraInfo(), m_io);
        QVERIFY(first.lockForConfiguration());
        QVERIFY(first.lockForConfiguration()); // already ours
        QVERIFY(!second.lockForConfiguration());
        first.unlockForConfiguration();
        QVERIFY(second.lockForConfiguration());
        QVERIFY(!first.lockForConfiguration());
    }
    // The destroyed holder gave its lock back.
    QVERIFY(first.lockForConfiguration());
    first.unlockForConfiguration();
}

void TestLinuxV4l2Capture::refusedOrAdjustedFormatFails()
{
    V4l2CaptureDevice device(cameraInfo(), m_io);
    QVERIFY(device.lockForConfiguration());

    m_io.setFormatError = EBUSY; // another process streams from the node
    QVERIFY(!device.setActiveFormat(0));

    m_io.setFormatError = 0;
    m_io.adjustSetFormat = true;
    QVERIFY(!device.setActiveFormat(0));
    device.unlockForConfiguration();
}

void TestLinuxV4l2Capture::goneDeviceHasNothing()
{
    m_io.nodes.clear();
    V4l2CaptureDevice device(cameraInfo(), m_io);
    QVERIFY(device.formats().isEmpty());
    QCOMPARE(device.activeFormatIndex(), -1);
    QVERIFY(!device.activeMinFrameDuration().isValid());
    QVERIFY(!device.lockForConfiguration());

    // A camera that comes back is read then.
    init();
    QCOMPARE(device.formats().size(), 3);
}

QTEST_GUILESS_MAIN(TestLinuxV4l2Capture)
#include "tst_linux_v4l2_capture.moc"
