#include "capture/framepacer.h"
#include "capture/frameratemeter.h"
#include "capture/pacedconsumer.h"

#include <QElapsedTimer>
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
    // Judged by the ticks' own times, which a busy machine's slow looks from this thread do not move.
    struct Ticks
    {
        QElapsedTimer clock;
        std::atomic<int> count{0};
        std::atomic<qint64> firstNs{0};
        std::atomic<qint64> lastNs{0};
    };
    Ticks ticks;
    ticks.clock.start();
    constexpr int Intervals = 30;
    FramePacer pacer;
    QVERIFY(pacer.start([&ticks] {
        const int count = ++ticks.count;
        if (count == 1)
            ticks.firstNs = ticks.clock.nsecsElapsed();
        else if (count == Intervals + 1)
            ticks.lastNs = ticks.clock.nsecsElapsed();
    }));
    QVERIFY(!pacer.start([] {}));
    QTRY_VERIFY_WITH_TIMEOUT(ticks.count > Intervals, 30000);
    pacer.stop();
    const int counted = ticks.count;
    // Never faster than 30 a second, not even to make up for a late tick; a late tick may stretch the
    // second, so the slow side leaves a busy machine room.
    const double seconds = double(ticks.lastNs - ticks.firstNs) / 1e9;
    QVERIFY2(seconds >= Intervals * FramePacer::DefaultInterval * 0.99 && seconds < 2.0,
             qPrintable(QStringLiteral("%1 ticks took %2 s").arg(Intervals).arg(seconds)));

    // Nothing follows the stop: while a second pacer ticks ten times, the stopped one stays silent.
    std::atomic<int> witnessed{0};
    FramePacer witness;
    QVERIFY(witness.start([&witnessed] { ++witnessed; }));
    QTRY_VERIFY_WITH_TIMEOUT(witnessed >= 10, 30000);
    witness.stop();
    QCOMPARE(ticks.count.load(), counted);

    // A stopped pacer starts again.
    std::atomic<int> again{0};
    QVERIFY(pacer.start([&again] { ++again; }));
    QTRY_VERIFY_WITH_TIMEOUT(again >= 1, 30000);
}

QTEST_GUILESS_MAIN(TestSessionPacing)
#include "tst_session_pacing.moc"
