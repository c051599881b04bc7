#include "common/abstractcapturescreenaction.h"
#include "toolbar/lumidesk.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using Edge = AbstractCaptureScreenAction::Edge;

class TestDocking : public QObject
{
    Q_OBJECT

private slots:
    void boundariesOfTheScreen();
    void classify_data();
    void classify();
    void dockedGeometry_data();
    void dockedGeometry();
    void flashCoversTheScreenEachTime();
};

void TestDocking::boundariesOfTheScreen()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry(), QRect(0, 0, 1920, 1080));
    AbstractCaptureScreenAction helper;
    QCOMPARE(AbstractCaptureScreenAction::TopBottmLeftBoundary, 384);
    QCOMPARE(AbstractCaptureScreenAction::TopBottmRightBoundary, 1536);
    QCOMPARE(AbstractCaptureScreenAction::TopBottmBoundary, 540);
    QCOMPARE(AbstractCaptureScreenAction::LeftRightBoundary, 960);
}

void TestDocking::classify_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<int>("previous");
    QTest::addColumn<int>("edge");

    QTest::newRow("left fifth") << QPoint(100, 500) << int(Edge::Top) << int(Edge::Left);
    QTest::newRow("right fifth") << QPoint(1800, 900) << int(Edge::Top) << int(Edge::Right);
    QTest::newRow("upper middle") << QPoint(960, 100) << int(Edge::Left) << int(Edge::Top);
    QTest::newRow("lower middle") << QPoint(960, 1000) << int(Edge::Left) << int(Edge::Bottom);
    QTest::newRow("corner of both rules") << QPoint(384, 540) << int(Edge::Right) << int(Edge::Top);
    QTest::newRow("right boundary, lower") << QPoint(1536, 541) << int(Edge::Top) << int(Edge::Bottom);
    QTest::newRow("just left of middle") << QPoint(383, 100) << int(Edge::Top) << int(Edge::Left);
    QTest::newRow("just right of middle") << QPoint(1537, 100) << int(Edge::Top) << int(Edge::Right);
    QTest::newRow("off screen left keeps rule") << QPoint(-2000, -2000) << int(Edge::Bottom) << int(Edge::Left);
}

void TestDocking::classify()
{
    QFETCH(QPoint, point);
    QFETCH(int, previous);
    QFETCH(int, edge);
    AbstractCaptureScreenAction helper;
    AbstractCaptureScreenAction::toolBarLoaction = previous;
    QCOMPARE(helper.checkDockWidgetPosition(point), edge);
    QCOMPARE(AbstractCaptureScreenAction::toolBarLoaction, edge);
}

void TestDocking::dockedGeometry_data()
{
    QTest::addColumn<QRect>("start");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<int>("edge");
    QTest::addColumn<QRect>("expected");

    const QRect screen(0, 0, 1920, 1080);
    const QRect belowPanel(0, 0, 1920, 1040);
    QTest::newRow("bottom, above a panel") << QRect(716, 700, 488, 55) << belowPanel << int(Edge::Bottom)
                                           << QRect(716, 985, 488, 55);
    QTest::newRow("top") << QRect(716, 700, 488, 55) << screen << int(Edge::Top) << QRect(716, 0, 488, 55);
    QTest::newRow("horizontal past the right edge")
            << QRect(1800, 500, 488, 55) << screen << int(Edge::Bottom) << QRect(1431, 1025, 488, 55);
    QTest::newRow("left, top above the screen")
            << QRect(40, -30, 488, 55) << screen << int(Edge::Left) << QRect(0, 0, 55, 488);
    QTest::newRow("left, below the screen")
            << QRect(40, 900, 55, 488) << screen << int(Edge::Left) << QRect(0, 592, 55, 488);
    QTest::newRow("right, from a horizontal bar")
            << QRect(1500, 300, 488, 55) << screen << int(Edge::Right) << QRect(1865, 300, 55, 488);
    QTest::newRow("right, top above the screen")
            << QRect(1900, -10, 55, 488) << screen << int(Edge::Right) << QRect(1864, 0, 55, 488);
    QTest::newRow("unknown edge keeps geometry")
            << QRect(10, 20, 488, 55) << screen << 7 << QRect(10, 20, 488, 55);
}

void TestDocking::dockedGeometry()
{
    QFETCH(QRect, start);
    QFETCH(QRect, available);
    QFETCH(int, edge);
    QFETCH(QRect, expected);
    const QRect docked = Lumidesk::dockedGeometry(start, available, edge);
    QCOMPARE(docked, expected);
    if (edge >= 0 && edge <= 3)
        QVERIFY(available.contains(docked));
}

void TestDocking::flashCoversTheScreenEachTime()
{
    AbstractCaptureScreenAction helper;
    for (int shot = 0; shot < 2; ++shot) {
        bool seen = false;
        Qt::WindowFlags flags;
        QString style;
        // Looks for the flash while it is up: the wait inside processes events, timers included.
        QTimer::singleShot(20, [&] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                if (widget->isVisible() && widget->geometry() == QRect(0, 0, 1920, 1080)) {
                    seen = true;
                    flags = widget->windowFlags();
                    style = widget->styleSheet();
                }
            }
        });
        QElapsedTimer clock;
        clock.start();
        helper.executeSuccessResponse(QRect(0, 0, 10, 10));
        QVERIFY(clock.elapsed() >= AbstractCaptureScreenAction::FlashMs);
        QVERIFY(seen);
        QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(flags.testFlag(Qt::FramelessWindowHint));
        QCOMPARE(style, QStringLiteral("background-color: black;color: black;"));
        for (QWidget *widget : QApplication::topLevelWidgets())
            QVERIFY(!widget->isVisible());
    }
}

QTEST_MAIN(TestDocking)
#include "tst_core_docking.moc"
