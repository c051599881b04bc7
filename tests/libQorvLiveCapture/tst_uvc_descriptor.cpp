#include "core/platformbackend.h"
#include "simulated/simulateduvcdevice.h"
#include "uvc/uvccameraconfigurationdescriptor.h"

#include <QtTest>

namespace {

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray data;
    for (int v : values)
        data.append(char(v));
    return data;
}

// Configuration header, then a video-control interface descriptor (class 14, subclass 1).
QByteArray head()
{
    return bytes({9, 2, 0, 0, 2, 1, 0, 0x80, 250, 9, 4, 0, 0, 1, 14, 1, 0, 0});
}

} // namespace

class TestUvcDescriptor : public QObject
{
    Q_OBJECT

private slots:
    void parses_data();
    void parses();
    void tooShortGivesNone();
};

void TestUvcDescriptor::parses_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("version");
    QTest::addColumn<int>("terminal");
    QTest::addColumn<int>("processing");
    QTest::addColumn<int>("mask");
    QTest::addColumn<int>("extension");

    const QByteArray header = bytes({13, 0x24, 1, 0x10, 0x01, 0, 0, 0x80, 0x8d, 0x5b, 0, 1, 1});
    const QByteArray terminal = bytes({18, 0x24, 2, 1, 1, 2, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0});
    const QByteArray processing = bytes({11, 0x24, 5, 3, 1, 0, 0, 2, 0x7f, 0x15, 0});
    const QByteArray extension = bytes({8, 0x24, 6, 6, 0, 0, 0, 0});

    platform::SimulatedUvcDevice device;
    device.addControl(platform::SimulatedUvcControl::number(2, 0x02, 2, 0, 10, 5)); // brightness
    device.addControl(platform::SimulatedUvcControl::number(2, 0x0b, 1, 0, 1, 1));  // white balance auto
    QTest::newRow("simulated camera") << device.configurationDescriptor() << 0x10 << 1 << 2
                                      << (1 << 0 | 1 << 12) << 6;

    QTest::newRow("all units") << head() + header + terminal + processing + extension << 0x10 << 1
                               << 3 << 0x157f << 6;
    QTest::newRow("last extension unit wins")
        << head() + processing + extension + bytes({8, 0x24, 6, 9, 0, 0, 0, 0}) << 0 << 0 << 3
        << 0x157f << 9;
    QTest::newRow("one control byte")
        << head() + bytes({9, 0x24, 5, 2, 1, 0, 0, 1, 0x41}) << 0 << 0 << 2 << 0x41 << 0;
    QTest::newRow("only two of three control bytes count")
        << head() + bytes({11, 0x24, 5, 2, 1, 0, 0, 3, 0xff, 0xff, 0xff}) << 0 << 0 << 2 << 0xffff
        << 0;
    QTest::newRow("control size of 5 or more leaves the mask")
        << head() + bytes({13, 0x24, 5, 2, 1, 0, 0, 5, 0xff, 0xff, 0, 0, 0}) << 0 << 0 << 2 << 0
        << 0;
    QTest::newRow("control bytes past the descriptor are not read")
        << head() + bytes({9, 0x24, 5, 2, 1, 0, 0, 2, 0x03}) + bytes({8, 0x24, 6, 6, 0, 0, 0, 0})
        << 0 << 0 << 2 << 0x03 << 6;
    QTest::newRow("next interface ends the walk")
        << head() + terminal + bytes({9, 4, 1, 0, 1, 14, 2, 0, 0}) + processing << 0 << 1 << 0 << 0
        << 0;
    QTest::newRow("units before the video-control interface do not count")
        << bytes({9, 2, 0, 0, 2, 1, 0, 0x80, 250}) + processing + bytes({9, 4, 0, 0, 1, 14, 1, 0, 0})
               + terminal
        << 0 << 1 << 0 << 0 << 0;
    QTest::newRow("no video-control interface")
        << bytes({9, 2, 0, 0, 1, 1, 0, 0x80, 250, 9, 4, 0, 0, 1, 1, 1, 0, 0}) + processing << 0 << 0
        << 0 << 0 << 0;

    // Malformed: the walk must stop, keeping what it read, and never loop or read past the end.
    QTest::newRow("zero length byte") << head() + terminal + bytes({0, 0x24, 5, 7}) + processing
                                      << 0 << 1 << 0 << 0 << 0;
    QTest::newRow("length byte of 1") << head() + terminal + bytes({1, 0x24, 5, 7}) + processing
                                      << 0 << 1 << 0 << 0 << 0;
    QTest::newRow("length past the end") << head() + terminal + bytes({40, 0x24, 5, 7, 1, 0, 0, 2})
                                         << 0 << 1 << 0 << 0 << 0;
    QTest::newRow("zero length before the interface")
        << bytes({9, 2, 0, 0, 1, 1, 0, 0x80, 250, 0, 4}) + head() + processing << 0 << 0 << 0 << 0
        << 0;
    QTest::newRow("truncated interface descriptor") << bytes({9, 2, 0, 0, 1, 1, 0, 0x80, 250, 9, 4, 0})
                                                    << 0 << 0 << 0 << 0 << 0;
}

void TestUvcDescriptor::parses()
{
    QFETCH(QByteArray, data);
    QFETCH(int, version);
    QFETCH(int, terminal);
    QFETCH(int, processing);
    QFETCH(int, mask);
    QFETCH(int, extension);
    const auto descriptor = UVCCameraConfigurationDescriptor::initWithData(data);
    QVERIFY(descriptor);
    QCOMPARE(int(descriptor->videoDeviceClassVersion()), version);
    QCOMPARE(int(descriptor->terminalUnitId()), terminal);
    QCOMPARE(int(descriptor->processUnitId()), processing);
    QCOMPARE(int(descriptor->processControls()), mask);
    QCOMPARE(int(descriptor->extensionUnitId()), extension);
    for (int bit = 0; bit < 16; ++bit)
        QCOMPARE(descriptor->isSupportProcessingUnitItem(bit), bool(mask >> bit & 1));
    QVERIFY(!descriptor->isSupportProcessingUnitItem(16));
}

void TestUvcDescriptor::tooShortGivesNone()
{
    QVERIFY(!UVCCameraConfigurationDescriptor::initWithData(QByteArray()));
    QVERIFY(!UVCCameraConfigurationDescriptor::initWithData(bytes({9, 2})));
    QVERIFY(UVCCameraConfigurationDescriptor::initWithData(bytes({3, 2, 0})));
}

QTEST_GUILESS_MAIN(TestUvcDescriptor)
#include "tst_uvc_descriptor.moc"
