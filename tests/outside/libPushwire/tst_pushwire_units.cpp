#include "aacpacket.h"
#include "fakepublisher.h"
#include "h264accessunit.h"
#include "mediapacketqueue.h"
#include "uploadmonitor.h"

#include <QtTest>

// The parts of the publisher that decide what is sent, what is refused and what is dropped.
class TestPushwireUnits : public QObject
{
    Q_OBJECT

private slots:
    void accessUnit_data();
    void accessUnit();
    void decoderConfiguration();
    void aacPacket_data();
    void aacPacket();
    void queueDropsUpToNextKeyFrame();
    void queueKeepsConfigurationsAndPutsFaultsFirst();
    void uploadMonitor_data();
    void uploadMonitor();
    void fakePublisherKeepsFramesAndOrder();
};

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

// A stored 720p parameter-set header: start code, SPS, start code, PPS, trailing start code.
const char header720p[] = "000001 2764001fac523014016ec05a81010152615af7be02 000001 28fe09cb 000001";

QByteArray lengthPrefixedNal(int size, uchar type)
{
    QByteArray nal(size, char(0x11));
    nal[0] = char(0x60 | type);
    return H264AccessUnit::lengthPrefix(nal);
}

MediaPacket video(qint64 ts, bool key, int size = 100)
{
    MediaPacket packet;
    packet.kind = MediaPacket::Video;
    packet.data = QByteArray(size, 'v');
    packet.timestampMs = ts;
    packet.keyFrame = key;
    return packet;
}

} // namespace

void TestPushwireUnits::accessUnit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("header");
    QTest::addColumn<bool>("slices");
    QTest::addColumn<bool>("key");
    QTest::addColumn<int>("payloadSize");

    const QByteArray stored = hex(QByteArray(header720p).replace(' ', "").constData());
    QTest::newRow("stored header with trailing start code") << stored << true << true << false << false
                                                           << (21 + 4) + (4 + 4);
    QTest::newRow("header with four-byte start codes")
        << hex("0000000167640029ac00000001 68fe09cb") << true << true << false << false << (5 + 4) + (4 + 4);
    QTest::newRow("key frame, length-prefixed") << lengthPrefixedNal(40, 5) << true << false << true << true << 44;
    // Its length field reads 00 00 01 2c: a start code to a careless reader.
    QTest::newRow("300-byte frame, length-prefixed") << lengthPrefixedNal(300, 1) << true << false << true
                                                    << false << 304;
    QTest::newRow("two NAL units, delimiter dropped")
        << H264AccessUnit::lengthPrefix(hex("0910")) + lengthPrefixedNal(20, 1) << true << false << true
        << false << 24;
    QTest::newRow("frame in start-code form") << hex("00000001 65888421 00000001 41aa") << true << false
                                             << true << true << (4 + 4) + (4 + 2);
    QTest::newRow("length runs past the end") << hex("0000001065aabb") << false << false << false << false << 0;
    QTest::newRow("zero length") << hex("0000000065") << false << false << false << false << 0;
    QTest::newRow("forbidden bit set") << H264AccessUnit::lengthPrefix(hex("e5aabb")) << false << false
                                      << false << false << 0;
    QTest::newRow("SPS too short for profile and level") << hex("000001 6764 000001 68fe") << false << false
                                                        << false << false << 0;
    QTest::newRow("garbage") << QByteArray("not a video frame") << false << false << false << false << 0;
    QTest::newRow("empty") << QByteArray() << false << false << false << false << 0;
}

void TestPushwireUnits::accessUnit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(bool, header);
    QFETCH(bool, slices);
    QFETCH(bool, key);
    QFETCH(int, payloadSize);

    H264AccessUnit unit;
    QCOMPARE(unit.parse(bytes.constData(), bytes.size()), valid);
    QCOMPARE(unit.hasParameterSets(), header);
    QCOMPARE(unit.hasSlices(), slices);
    QCOMPARE(unit.isKeyFrame(), key);
    QCOMPARE(unit.lengthPrefixed().size(), payloadSize);
}

void TestPushwireUnits::decoderConfiguration()
{
    const QByteArray sps = hex("6764001fac5230");
    const QByteArray pps = hex("68fe09cb");
    QCOMPARE(H264AccessUnit::decoderConfiguration(sps, pps),
             hex("0164001f ffe1 0007 6764001fac5230 01 0004 68fe09cb"));
    QVERIFY(H264AccessUnit::decoderConfiguration(hex("6764"), pps).isEmpty());
    QVERIFY(H264AccessUnit::decoderConfiguration(sps, QByteArray()).isEmpty());
}

void TestPushwireUnits::aacPacket_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("config");

    // AAC-LC 44100 Hz mono is what the live audio path produces.
    QTest::newRow("raw packet") << hex("21100503a0") << true << hex("21100503a0") << hex("1208");
    // ADTS, no CRC, LC, 48000 Hz (index 3), stereo, frame length 7 + 3.
    QTest::newRow("ADTS header removed") << hex("fff14c8001 5ffc 010203") << true << hex("010203")
                                        << hex("1190");
    QTest::newRow("ADTS frame longer than the data") << hex("fff14c8003 fffc 0102") << false << QByteArray()
                                                    << hex("1208");
    QTest::newRow("oversized") << QByteArray(AacPacket::MaxPacketSize + 1, 'a') << false << QByteArray()
                              << hex("1208");
    QTest::newRow("empty") << QByteArray() << false << QByteArray() << hex("1208");
}

void TestPushwireUnits::aacPacket()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, config);

    AacPacket packet;
    QCOMPARE(packet.parse(bytes.constData(), bytes.size()), valid);
    QCOMPARE(packet.payload(), payload);
    QCOMPARE(packet.audioSpecificConfig(), config);
}

void TestPushwireUnits::queueDropsUpToNextKeyFrame()
{
    MediaPacketQueue queue(1000, 3000);
    QVERIFY(!queue.push(video(0, true))); // closed until a stream opens it
    queue.open();
    QVERIFY(queue.push(video(0, true, 400)));
    QVERIFY(queue.push(video(33, false, 400)));
    QVERIFY(!queue.push(video(66, false, 400))); // over the byte bound
    MediaPacket taken;
    QVERIFY(queue.take(&taken, 0));
    // Room again, but the frames up to the next key frame reference the dropped one.
    QVERIFY(!queue.push(video(100, false)));
    MediaPacket audio;
    audio.kind = MediaPacket::Audio;
    audio.data = QByteArray(10, 'a');
    audio.timestampMs = 110;
    QVERIFY(queue.push(audio)); // audio does not depend on the lost frame
    QVERIFY(queue.push(video(133, true)));
    QVERIFY(queue.push(video(166, false)));
    QCOMPARE(queue.takeDropCount(), 2);
    QCOMPARE(queue.takeDropCount(), 0);

    // The time bound: a backlog of more than maxSpanMs is not grown further.
    MediaPacketQueue slow(1 << 20, 1000);
    slow.open();
    QVERIFY(slow.push(video(0, true)));
    QVERIFY(slow.push(video(900, false)));
    QVERIFY(!slow.push(video(1200, false)));
    QCOMPARE(slow.backlogMs(), 900);
}

void TestPushwireUnits::queueKeepsConfigurationsAndPutsFaultsFirst()
{
    MediaPacketQueue queue(500, 3000);
    queue.open();
    // A configuration waiting while the connection is made does not count in the time span.
    MediaPacket early;
    early.kind = MediaPacket::AudioConfig;
    early.data = QByteArray(2, 'c');
    QVERIFY(queue.push(early));
    QVERIFY(queue.push(video(86400000, true, 10)));
    QCOMPARE(queue.backlogMs(), 0);
    queue.clear();
    QVERIFY(queue.push(video(0, true, 450)));
    MediaPacket config;
    config.kind = MediaPacket::VideoConfig;
    config.data = QByteArray(100, 'c');
    QVERIFY(queue.push(config)); // never dropped, even over the bound
    MediaPacket fault;
    fault.kind = MediaPacket::Fault;
    fault.code = -2;
    QVERIFY(queue.push(fault));
    queue.close();
    QVERIFY(!queue.push(video(40, true)));
    MediaPacket taken;
    QVERIFY(queue.take(&taken, 0));
    QCOMPARE(taken.kind, MediaPacket::Fault);
    QCOMPARE(taken.code, -2);
    QVERIFY(!queue.take(&taken, 0));
}

void TestPushwireUnits::uploadMonitor_data()
{
    // Per second: "g" good, "s" slow (drops or backlog); the expected warning and export rate after it.
    QTest::addColumn<QString>("seconds");
    QTest::addColumn<QString>("warnings");
    QTest::addColumn<QList<int>>("fps");

    QTest::newRow("steady") << "ggg" << "---" << QList<int> { 30, 30, 30 };
    QTest::newRow("one slow second only warns") << "sgggggg" << "WWWWW--"
                                                << QList<int> { 30, 30, 30, 30, 30, 30, 30 };
    QTest::newRow("slow uplink lowers to the floor") << "ssssssssss" << "WWWWWWWWWW"
                                                     << QList<int> { 30, 25, 25, 20, 20, 15, 15, 10, 10, 10 };
    QTest::newRow("recovery raises after ten good seconds")
        << "ssgggggggggg" << "WWWWWW------" << QList<int> { 30, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 30 };
}

void TestPushwireUnits::uploadMonitor()
{
    QFETCH(QString, seconds);
    QFETCH(QString, warnings);
    QFETCH(QList<int>, fps);

    UploadMonitor monitor(30);
    bool warning = false;
    int exportFps = 30;
    for (int i = 0; i < seconds.size(); ++i) {
        const bool slow = seconds.at(i) == QLatin1Char('s');
        const UploadMonitor::Report report = monitor.second(125000, 30, slow ? 3 : 0, 0);
        QCOMPARE(report.kbps, 1000);
        if (report.warningChanged) {
            QVERIFY(report.warning != warning); // only real changes are reported
            warning = report.warning;
        }
        if (report.fpsChanged) {
            QVERIFY(report.exportFps != exportFps);
            exportFps = report.exportFps;
        }
        QCOMPARE(warning, warnings.at(i) == QLatin1Char('W'));
        QCOMPARE(exportFps, fps.at(i));
    }
}

void TestPushwireUnits::fakePublisherKeepsFramesAndOrder()
{
    FakePublisher fake;
    fake.setUrl(QStringLiteral("rtmp://example/live"));
    fake.setStreamKey(QStringLiteral("key"));
    fake.startPublish();
    QByteArray frame = hex("0000000165");
    fake.sendVideoFrame(frame.data(), frame.size(), 40, 0);
    frame.fill('x'); // the caller's buffer is reused after the call
    QCOMPARE(fake.calls(), QStringList({ "setUrl(rtmp://example/live)", "setStreamKey(key)", "startPublish()" }));
    QCOMPARE(fake.videoFrames().size(), 1);
    QCOMPARE(fake.videoFrames().first().data, hex("0000000165"));
    QCOMPARE(fake.videoFrames().first().timestampMs, 40);
}

QTEST_GUILESS_MAIN(TestPushwireUnits)
#include "tst_pushwire_units.moc"
