#include "audiolivedecoder.h"
#include "writersamples.h"

#include "encoding/aacliveencoder.h"
#include "encoding/h264bitstream.h"
#include "encoding/h264liveencoder.h"

#include <QtTest>

using platform::H264Bitstream;
using platform::H264LiveEncoder;

class TestLiveH264Encoder : public QObject
{
    Q_OBJECT

private slots:
    void streamIsValidAtEveryLevel_data();
    void streamIsValidAtEveryLevel();
    void headerComesFromTheEncodersOwnParameterSets();
    void keyFramesFollowTheIntervalRules_data();
    void keyFramesFollowTheIntervalRules();
    void rateChangeSetsBitRateAndInterval();
    void refusesSizesThatAreNoPicture_data();
    void refusesSizesThatAreNoPicture();
    void annexBConversion_data();
    void annexBConversion();
    void aacGivesOnePacketPerFrame();
};

namespace {

constexpr qint64 FrameUs = 33333;

} // namespace

void TestLiveH264Encoder::streamIsValidAtEveryLevel_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("fps");
    QTest::addColumn<int>("level");
    QTest::addColumn<double>("frameRate");

    // The resolution levels of the publisher; the level must hold the picture size at 30 frames/s.
    QTest::newRow("1080p30") << 1920 << 1080 << 30 << 40 << 30.0;
    QTest::newRow("720p30") << 1280 << 720 << 30 << 31 << 30.0;
    QTest::newRow("480p15") << 640 << 480 << 15 << 30 << 15.0;
    QTest::newRow("360p, no rate") << 640 << 360 << 0 << 30 << 10.0;
}

void TestLiveH264Encoder::streamIsValidAtEveryLevel()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, fps);
    QFETCH(int, level);
    QFETCH(double, frameRate);

    H264LiveEncoder encoder;
    QVERIFY2(encoder.open({width, height, fps}), qPrintable(encoder.errorString()));
    QCOMPARE(encoder.level(), level);

    LiveStreamDecoder decoder;
    QVERIFY2(decoder.feedHeader(encoder.parameterSetHeader()), decoder.error().constData());
    QVector<H264LiveEncoder::EncodedFrame> frames;
    const int count = 6;
    // Frames of another size than the stream are scaled to it.
    for (int i = 0; i < count; ++i)
        QVERIFY(encoder.encode(WriterSamples::frame(1024, 768, i, 5000000 + i * FrameUs), &frames));
    // No look-ahead: every frame is out as soon as it went in.
    QCOMPARE(frames.size(), count);
    QVERIFY(frames.first().keyFrame);
    for (int i = 0; i < frames.size(); ++i) {
        QVERIFY2(decoder.feedFrame(frames.at(i).data), decoder.error().constData());
        QCOMPARE(frames.at(i).presentationTimeUs, 5000000 + i * FrameUs);
        QCOMPARE(frames.at(i).decodeTimeUs, frames.at(i).presentationTimeUs); // no reordering
    }
    decoder.finish();
    QCOMPARE(decoder.decodedFrames(), count);
    QCOMPARE(decoder.width(), width);
    QCOMPARE(decoder.height(), height);
    QCOMPARE(decoder.profile() & 0xff, 66); // Baseline (constrained, as libx264 makes it)
    QCOMPARE(decoder.level(), level);
    QCOMPARE(decoder.frameRate(), frameRate);
}

void TestLiveH264Encoder::headerComesFromTheEncodersOwnParameterSets()
{
    H264LiveEncoder encoder;
    QVERIFY(encoder.open({1920, 1080, 30}));
    const QByteArray sps = encoder.sps();
    const QByteArray pps = encoder.pps();
    QCOMPARE(H264Bitstream::nalType(sps), int(H264Bitstream::NalSps));
    QCOMPARE(H264Bitstream::nalType(pps), int(H264Bitstream::NalPps));
    QCOMPARE(uchar(sps.at(1)), uchar(66));                 // profile_idc: Baseline, as encoded
    QCOMPARE(uchar(sps.at(3)), uchar(encoder.level()));    // level_idc

    const QByteArray header = encoder.parameterSetHeader();
    const QByteArray startCode("\x00\x00\x01", 3);
    QCOMPARE(header.size(), sps.size() + pps.size() + 9);
    QCOMPARE(header, startCode + sps + startCode + pps + startCode);

    // Frames carry no parameter sets of their own: they travel in the header only.
    QVector<H264LiveEncoder::EncodedFrame> frames;
    QVERIFY(encoder.encode(WriterSamples::frame(1920, 1080, 0, 0), &frames));
    QCOMPARE(frames.size(), 1);
    const QList<QByteArray> units = H264Bitstream::splitAnnexB(LiveStreamDecoder::toAnnexB(frames.first().data));
    QVERIFY(!units.isEmpty());
    for (const QByteArray &unit : units) {
        QVERIFY(H264Bitstream::nalType(unit) != H264Bitstream::NalSps);
        QVERIFY(H264Bitstream::nalType(unit) != H264Bitstream::NalPps);
    }
}

void TestLiveH264Encoder::keyFramesFollowTheIntervalRules_data()
{
    QTest::addColumn<int>("fps");
    QTest::addColumn<qint64>("frameUs");
    QTest::addColumn<int>("frames");
    QTest::addColumn<QList<int>>("keyFrames");

    // Rate x 10 frames.
    QTest::newRow("fps 2: every 20th frame") << 2 << qint64(FrameUs) << 45 << QList<int>{0, 20, 40};
    // A rate of 0 is the default rate, never intra-only.
    QTest::newRow("fps 0: 100 frames") << 0 << qint64(FrameUs) << 101 << QList<int>{0, 100};
    // Sparse frames (a still screen): the 10-second limit comes first.
    QTest::newRow("fps 30, 3 s apart") << 30 << qint64(3000000) << 9 << QList<int>{0, 4, 8};
}

void TestLiveH264Encoder::keyFramesFollowTheIntervalRules()
{
    QFETCH(int, fps);
    QFETCH(qint64, frameUs);
    QFETCH(int, frames);
    QFETCH(QList<int>, keyFrames);

    H264LiveEncoder encoder;
    QVERIFY(encoder.open({320, 240, fps}));
    QVERIFY(encoder.currentKeyFrameInterval() > 0);
    QVector<H264LiveEncoder::EncodedFrame> out;
    for (int i = 0; i < frames; ++i)
        QVERIFY(encoder.encode(WriterSamples::frame(320, 240, i, i * frameUs), &out));
    QCOMPARE(out.size(), frames);
    QList<int> seen;
    for (int i = 0; i < out.size(); ++i) {
        if (out.at(i).keyFrame)
            seen.append(i);
    }
    QCOMPARE(seen, keyFrames);
}

void TestLiveH264Encoder::rateChangeSetsBitRateAndInterval()
{
    H264LiveEncoder encoder;
    QVERIFY(encoder.open({1280, 720, 30}));
    QCOMPARE(encoder.bitRate(), qint64(1280 * 720 * 96 * 0.07));
    QCOMPARE(encoder.currentKeyFrameInterval(), 300);
    encoder.setFrameRate(0);
    QCOMPARE(encoder.bitRate(), qint64(10 * 2500000 / 30));
    QCOMPARE(encoder.currentKeyFrameInterval(), 100);

    // The new rate reaches libx264 while it encodes: noise, which takes every bit it is given,
    // comes out at a fraction of the size after the rate drops from 6.2 Mbit/s to 0.4 Mbit/s.
    encoder.setFrameRate(30);
    auto noise = [](int i) {
        QImage image(1280, 720, QImage::Format_ARGB32);
        auto *pixels = reinterpret_cast<quint32 *>(image.bits());
        quint32 state = quint32(i) * 2654435761u + 1;
        for (int k = 0; k < 1280 * 720; ++k) {
            state = state * 1664525u + 1013904223u;
            pixels[k] = 0xff000000u | (state >> 8);
        }
        return platform::VideoSample(image, 1000000 + i * FrameUs);
    };
    auto encodedBytes = [&](int first, int count) {
        QVector<H264LiveEncoder::EncodedFrame> out;
        for (int i = first; i < first + count; ++i)
            encoder.encode(noise(i), &out);
        qint64 bytes = 0;
        for (const auto &frame : qAsConst(out))
            bytes += frame.data.size();
        return bytes;
    };
    const qint64 before = encodedBytes(0, 45);
    encoder.setFrameRate(5);
    QCOMPARE(encoder.bitRate(), qint64(5 * 2500000 / 30));
    QCOMPARE(encoder.currentKeyFrameInterval(), 50);
    const qint64 after = encodedBytes(45, 45);
    QVERIFY2(after * 4 < before, qPrintable(QStringLiteral("%1 -> %2 bytes").arg(before).arg(after)));
}

void TestLiveH264Encoder::refusesSizesThatAreNoPicture_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("unknown level") << -1 << -1;
    QTest::newRow("zero") << 0 << 720;
    QTest::newRow("odd") << 641 << 360;
}

void TestLiveH264Encoder::refusesSizesThatAreNoPicture()
{
    QFETCH(int, width);
    QFETCH(int, height);
    H264LiveEncoder encoder;
    QVERIFY(!encoder.open({width, height, 30}));
    QVERIFY(!encoder.isOpen());
    QVERIFY(!encoder.errorString().isEmpty());
    QVector<H264LiveEncoder::EncodedFrame> out;
    QVERIFY(!encoder.encode(WriterSamples::frame(320, 240, 0, 0), &out));
    QVERIFY(out.isEmpty());
}

void TestLiveH264Encoder::annexBConversion_data()
{
    QTest::addColumn<QByteArray>("annexB");
    QTest::addColumn<QByteArray>("lengthPrefixed");

    QTest::newRow("3- and 4-byte start codes, trailing zeros")
        << QByteArray::fromHex("0000000165aabb00000001419900")
        << QByteArray::fromHex("0000000365aabb000000024199");
    QTest::newRow("parameter sets and delimiter left out")
        << QByteArray::fromHex("00000109f0000001674200000001680000016588")
        << QByteArray::fromHex("000000026588");
    QTest::newRow("garbage before the first start code") << QByteArray::fromHex("ff0000016501")
                                                          << QByteArray::fromHex("000000026501");
    QTest::newRow("no start code") << QByteArray::fromHex("65010203") << QByteArray();
}

void TestLiveH264Encoder::annexBConversion()
{
    QFETCH(QByteArray, annexB);
    QFETCH(QByteArray, lengthPrefixed);
    QCOMPARE(H264Bitstream::toLengthPrefixed(annexB), lengthPrefixed);
}

void TestLiveH264Encoder::aacGivesOnePacketPerFrame()
{
    platform::AacLiveEncoder aac;
    QVERIFY2(aac.open(), qPrintable(aac.errorString()));
    QVERIFY(aac.audioSpecificConfig().startsWith(QByteArray::fromHex("1208"))); // AAC-LC, 44.1 kHz, mono
    const platform::AudioSample tone = WriterSamples::tone(1024 * 20, 0, 0);
    QVector<platform::AacLiveEncoder::Packet> packets;
    for (int i = 0; i < 20; ++i)
        QVERIFY(aac.encode(tone.pcm().constData() + i * platform::AacLiveEncoder::FrameBytes, 1000 + i * 23, &packets));
    QVERIFY(aac.finish(&packets));
    QVERIFY(packets.size() >= 20);
    // Packets keep the block times in order, beginning with the first block's.
    QCOMPARE(packets.first().timeMs, qint64(1000));
    for (int i = 1; i < 20; ++i)
        QCOMPARE(packets.at(i).timeMs, qint64(1000 + i * 23));
    for (const auto &packet : qAsConst(packets)) {
        QVERIFY(!packet.data.isEmpty());
        QVERIFY(uchar(packet.data.at(0)) != 0xff); // raw, no ADTS header
    }
}

QTEST_MAIN(TestLiveH264Encoder)
#include "tst_live_h264_encoder.moc"
