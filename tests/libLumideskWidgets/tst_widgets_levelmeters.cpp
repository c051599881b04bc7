// The two audio level meters, checked on the pixels they paint.
#include "custrenderarea.h"
#include "custrenderareahorizontal.h"

#include <QImage>
#include <QTest>

namespace {
const QColor Paper(200, 0, 200);
const QRgb VerticalGreen = qRgb(6, 183, 2);
const QRgb HorizontalGreen = qRgb(6, 183, 1);

QImage paint(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Paper);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Rows of column x with the colour, and whether they are one run ending at the last row.
int rowsOf(const QImage &image, int x, QRgb colour, bool *fromBottom)
{
    int rows = 0;
    int lowest = -1;
    for (int y = 0; y < image.height(); ++y) {
        if (image.pixel(x, y) == colour) {
            ++rows;
            lowest = y;
        }
    }
    *fromBottom = rows == 0 || (lowest == image.height() - 1 && image.pixel(x, image.height() - rows) == colour);
    return rows;
}

int columnsOf(const QImage &image, int y, QRgb colour, int *first)
{
    int columns = 0;
    *first = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) == colour) {
            if (*first < 0)
                *first = x;
            ++columns;
        }
    }
    return columns;
}
}

class TestWidgetsLevelMeters : public QObject
{
    Q_OBJECT

private slots:
    void verticalBarRisesFromTheBottom_data();
    void verticalBarRisesFromTheBottom();
    void horizontalBarGrowsFromTheLeft_data();
    void horizontalBarGrowsFromTheLeft();
    void horizontalTrackTakesItsColour();
};

void TestWidgetsLevelMeters::verticalBarRisesFromTheBottom_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("rows");
    QTest::newRow("silent") << 0.0 << 0;
    QTest::newRow("half") << 0.5 << 50;
    QTest::newRow("truncated") << 0.337 << 33;
    QTest::newRow("full") << 1.0 << 100;
    QTest::newRow("clipping input") << 1.7 << 100;
    QTest::newRow("negative") << -0.2 << 0;
}

void TestWidgetsLevelMeters::verticalBarRisesFromTheBottom()
{
    QFETCH(double, level);
    QFETCH(int, rows);
    CustRenderArea meter;
    QCOMPARE(meter.minimumSize(), QSize(19, 75));
    meter.resize(19, 100);
    meter.setLevel(level);
    const QImage image = paint(meter);

    for (int x = 6; x <= 9; ++x) {
        bool fromBottom = false;
        QCOMPARE(rowsOf(image, x, VerticalGreen, &fromBottom), rows);
        QVERIFY(fromBottom);
    }
    QCOMPARE(image.pixel(5, 99), Paper.rgb());
    QCOMPARE(image.pixel(10, 99), Paper.rgb());
    // The black track shows above the bar, two pixels wide; nothing else is painted.
    const int aboveBar = 99 - rows;
    if (aboveBar >= 0) {
        QCOMPARE(image.pixel(7, aboveBar), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(8, 0), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(6, aboveBar), Paper.rgb());
        QCOMPARE(image.pixel(9, 0), Paper.rgb());
    }
}

void TestWidgetsLevelMeters::horizontalBarGrowsFromTheLeft_data()
{
    QTest::addColumn<double>("level");
    QTest::addColumn<int>("columns");
    QTest::newRow("empty") << 0.0 << 0;
    QTest::newRow("quarter") << 0.25 << 25;
    QTest::newRow("truncated") << 0.999 << 99;
    QTest::newRow("full") << 1.0 << 100;
    QTest::newRow("beyond full") << 3.0 << 100;
}

void TestWidgetsLevelMeters::horizontalBarGrowsFromTheLeft()
{
    QFETCH(double, level);
    QFETCH(int, columns);
    CustRenderAreaHorizontal meter;
    meter.setSize(30, 120);
    QCOMPARE(meter.minimumSize(), QSize(120, 30));
    meter.resize(120, 30);
    meter.setLevel(level);
    const QImage image = paint(meter);

    int first = -1;
    for (int y = 8; y <= 11; ++y) {
        QCOMPARE(columnsOf(image, y, HorizontalGreen, &first), columns);
        if (columns)
            QCOMPARE(first, 10);
    }
    QCOMPARE(columnsOf(image, 7, HorizontalGreen, &first), 0);
    QCOMPARE(columnsOf(image, 12, HorizontalGreen, &first), 0);
    // The white track runs 10 pixels in from either edge.
    QCOMPARE(columnsOf(image, 15, qRgb(255, 255, 255), &first), 100);
    QCOMPARE(first, 10);
}

void TestWidgetsLevelMeters::horizontalTrackTakesItsColour()
{
    CustRenderAreaHorizontal meter;
    meter.resize(60, 30);
    meter.setPaintColor(QColor(0, 0, 255));
    int first = -1;
    QCOMPARE(columnsOf(paint(meter), 15, qRgb(0, 0, 255), &first), 40);
}

QTEST_MAIN(TestWidgetsLevelMeters)
#include "tst_widgets_levelmeters.moc"
