#include "capture/framepacer.h"
#include "capture/frameratemeter.h"
#include "capture/pacedconsumer.h"

#include <QtTest>

#include <atomic>

namespace {

constexpr double Tick = 1.0 / 30;

// Frames a consumer takes when a frame comes after every pacing tick for `seconds`.
int framesTaken(PacedConsumer &consumer, bool wholeSeconds, double seconds)
{
    int taken = 0;
    for (double now = 100.0; now < 100.0 + seconds; now += Tick) {
        if (wholeSeconds)
            consumer.tickWholeSeconds(now);
        else
            consumer.tickFraction(now);
        if (consumer.take())
            ++taken;
    }
    return taken;
}

} // namespace

class TestSessionPacing : public QObject
{
    Q_OBJECT

private slots:
    void consumerRate_data();
    void consumerRate();
    void offLowersTheFlag();
    void meter_data();
    void meter();
    void pacerTicksAtThirtyPerSecond();
};

void TestSessionPacing::consumerRate_data()
{
    QTest::addColumn<bool>("wholeSeconds");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("minFrames");
    QTest::addColumn<int>("maxFrames");

    // Ten seconds of ticks. Whole-second pacing: rate 1 at most once a second, 2 or more every tick.
    QTest::newRow("BGR interval 1") << true << 1.0 << 9 << 11;
    QTest::newRow("BGR interval 2") << true << 2.0 << 299 << 301;
    QTest::newRow("H.264 at 15") << true << 15.0 << 299 << 301;
    // Fractional pacing follows the recording rate, rounded to the nearest whole tick. A recording
    // paced at the camera's own rate takes every frame, not every other one.
    QTest::newRow("recording at 10") << false << 10.0 << 99 << 101;
    QTest::newRow("recording at 15") << false << 15.0 << 149 << 151;
    QTest::newRow("recording at the camera's 29") << false << 29.0 << 299 << 301;
    QTest::newRow("recording at the camera's 30") << false << 30.0 << 299 << 301;
    QTest::newRow("recording at 0 is 3") << false << 0.0 << 28 << 31;
}

void TestSessionPacing::consumerRate()
{
    QFETCH(bool, wholeSeconds);
    QFETCH(double, rate);
    QFETCH(int, minFrames);
    QFETCH(int, maxFrames);

    PacedConsumer consumer;
    consumer.enable(rate);
    QVERIFY(consumer.isWanted()); // the first frame after switching on is taken at once
    const int taken = framesTaken(consumer, wholeSeconds, 10.0);
    QVERIFY2(taken >= minFrames && taken <= maxFrames, qPrintable(QString::number(taken)));
}

void TestSessionPacing::offLowersTheFlag()
{
    PacedConsumer consumer;
    consumer.enable(30);
    consumer.disable();
    QVERIFY(!consumer.isWanted());
    QCOMPARE(framesTaken(consumer, true, 1.0), 0);
    QCOMPARE(framesTaken(consumer, false, 1.0), 0);
}

void TestSessionPacing::meter_data()
{
    QTest::addColumn<double>("interval");
    QTest::addColumn<int>("expected");

    QTest::newRow("30 fps") << 1.0 / 30 << 30;
    QTest::newRow("15 fps") << 1.0 / 15 << 15;
    // Bursts faster than 75 fps are no measure of the camera: nothing is reported.
    QTest::newRow("burst") << 1.0 / 100 << 0;
}

void TestSessionPacing::meter()
{
    QFETCH(double, interval);
    QFETCH(int, expected);

    FrameRateMeter meter;
    meter.addSample(10.0); // the first interval is unknown
    // Whole parts of 1 / interval, with a little jitter that must not move the mean's whole part.
    double now = 10.0;
    for (int round = 0; round < 2; ++round) {
        for (int i = 1; i < FrameRateMeter::SamplesPerReport; ++i) {
            now += interval * (i % 2 ? 0.999 : 0.998);
            QCOMPARE(meter.addSample(now), 0.0f);
        }
        now += interval * 0.999;
        QCOMPARE(int(meter.addSample(now)), expected);
    }
}

void TestSessionPacing::pacerTicksAtThirtyPerSecond()
{
    std::atomic<int> ticks{0};
    FramePacer pacer;
    QVERIFY(pacer.start([&ticks] { ++ticks; }));
    QVERIFY(!pacer.start([] {}));
    QTest::qWait(1000);
    pacer.stop();
    const int counted = ticks;
    QVERIFY2(counted >= 20 && counted <= 40, qPrintable(QString::number(counted)));
    QTest::qWait(100);
    QCOMPARE(ticks.load(), counted); // nothing after stop
    // A stopped pacer starts again.
    QVERIFY(pacer.start([&ticks] { ++ticks; }));
    QTRY_VERIFY(ticks > counted);
}

QTEST_GUILESS_MAIN(TestSessionPacing)
#include "tst_session_pacing.moc"
