#include "firmware/ratewindow.h"

#include <QtTest>

using Arrivals = QVector<QPair<qint64, qint64>>;
Q_DECLARE_METATYPE(Arrivals)

// The window's edges, on a 1600 ms window of 100 ms slices that starts at 1000 ms.
class TestRateWindow : public QObject
{
    Q_OBJECT

private slots:
    void bytesWithin_data();
    void bytesWithin();
    void nextChange_data();
    void nextChange();
};

void TestRateWindow::bytesWithin_data()
{
    QTest::addColumn<Arrivals>("arrivals");
    QTest::addColumn<qint64>("now");
    QTest::addColumn<bool>("full");
    QTest::addColumn<qint64>("bytes");

    const Arrivals spread = {{1000, 10}, {1800, 20}, {2599, 30}};
    QTest::newRow("one short of a window") << spread << qint64(2599) << false << qint64(60);
    QTest::newRow("a whole window") << spread << qint64(2600) << true << qint64(60);
    const Arrivals early = {{1050, 100}, {2650, 1}};
    // Counted while at most a window and a slice ago, never for less than a window.
    QTest::newRow("a window after") << early << qint64(2650) << true << qint64(101);
    QTest::newRow("kept up to a slice longer") << early << qint64(2699) << true << qint64(101);
    QTest::newRow("gone a slice later") << early << qint64(2700) << true << qint64(1);
    QTest::newRow("before the start") << Arrivals{{500, 100}, {999, 100}} << qint64(2600) << true << qint64(0);
    // Slots are reused around the ring: one left from long ago must not count again.
    QTest::newRow("a long gap") << Arrivals{{1000, 5}, {11000, 7}} << qint64(11000) << true << qint64(7);
    QTest::newRow("nothing since a long time") << Arrivals{{1000, 5}, {2000, 7}} << qint64(11000) << true
                                               << qint64(0);
    // Noted out of order: counted with the latest arrival, not in a slot reused since.
    QTest::newRow("out of order") << Arrivals{{5000, 5}, {1000, 7}} << qint64(5000) << true << qint64(12);
}

void TestRateWindow::bytesWithin()
{
    QFETCH(Arrivals, arrivals);
    QFETCH(qint64, now);
    QFETCH(bool, full);
    QFETCH(qint64, bytes);
    RateWindow window(1000, 1600);
    for (const auto &arrival : arrivals)
        window.add(arrival.first, arrival.second);
    QCOMPARE(window.isFull(now), full);
    QCOMPARE(window.bytesWithin(now), bytes);
}

void TestRateWindow::nextChange_data()
{
    QTest::addColumn<qint64>("now");
    QTest::addColumn<qint64>("next");

    QTest::newRow("before the start") << qint64(0) << qint64(2600);
    QTest::newRow("not yet full") << qint64(2000) << qint64(2600);
    QTest::newRow("just full") << qint64(2600) << qint64(2700);
    QTest::newRow("inside a slice") << qint64(2655) << qint64(2700);
}

void TestRateWindow::nextChange()
{
    QFETCH(qint64, now);
    QFETCH(qint64, next);
    const RateWindow window(1000, 1600);
    QCOMPARE(window.nextChange(now), next);
}

QTEST_APPLESS_MAIN(TestRateWindow)
#include "tst_firmware_rate_window.moc"
