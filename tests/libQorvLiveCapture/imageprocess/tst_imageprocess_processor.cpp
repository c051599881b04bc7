#include "imageprocess/imageprocessor.h"

#include <QtTest>

#include <functional>

namespace {

// Every pixel its own colour, so that a wrong mapping of any pixel shows.
QImage numbered(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 4, y * 4, 100));
    return image;
}

// Where an output pixel comes from in the input; false for pixels the turned picture leaves empty.
using SourceOf = std::function<bool(int x, int y, int w, int h, QPoint *source)>;

} // namespace

Q_DECLARE_METATYPE(SourceOf)

class TestImageProcessor : public QObject
{
    Q_OBJECT

private slots:
    void untouchedWithoutSteps();
    void stepTable();
    void zoomShowsCentreQuarter();
    void rotation_data();
    void rotation();
    void mirrorAndFlipAreHalfTurn();
};

void TestImageProcessor::untouchedWithoutSteps()
{
    ImageProcessor processor;
    const QImage frame = numbered(16, 8);
    QCOMPARE(processor.process(frame).constBits(), frame.constBits());
    QVERIFY(processor.process(QImage()).isNull());

    // Back to ratio 1 after a zoom: the next frame is shown whole again.
    processor.setZoomAttributes(0.5f, QPointF(0.25, 0.25));
    QVERIFY(processor.process(frame) != frame);
    processor.setZoomAttributes(1.0f, QPointF(0, 0));
    QCOMPARE(processor.process(frame).constBits(), frame.constBits());
}

void TestImageProcessor::stepTable()
{
    ImageProcessor processor;
    processor.setZoomAttributes(1.5f, QPointF());
    QVERIFY(processor.getFunctionList().isEmpty()); // above 1 changes nothing
    processor.setZoomAttributes(0.5f, QPointF());
    processor.setRotationAttributes(false, true, 0);
    QCOMPARE(processor.getFunctionList().keys(), (QList<int>{ImageProcessor::ZoomStep, ImageProcessor::RotationStep}));
    processor.setZoomAttributes(1.5f, QPointF());
    QCOMPARE(processor.getFunctionList().keys(), (QList<int>{ImageProcessor::ZoomStep, ImageProcessor::RotationStep}));
    processor.setRotationAttributes(false, false, 0);
    processor.setZoomAttributes(1.0f, QPointF());
    QVERIFY(processor.getFunctionList().isEmpty());
    QCOMPARE(processor.getZoomAttributes().getZoomRatio(), 1.0f);
}

void TestImageProcessor::zoomShowsCentreQuarter()
{
    // A 4 x 4 grid of 10-pixel cells in distinct colours.
    QImage frame(40, 40, QImage::Format_ARGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            frame.setPixel(x, y, qRgb(60 * (x / 10), 60 * (y / 10), 200));
    ImageProcessor processor;
    processor.setZoomAttributes(0.5f, QPointF(0.25, 0.25));
    const QImage zoomed = processor.process(frame);
    QCOMPARE(zoomed.size(), frame.size());
    QCOMPARE(zoomed.format(), frame.format());
    // Each of the four centre cells now fills a quarter of the frame.
    for (int cy = 0; cy < 2; ++cy) {
        for (int cx = 0; cx < 2; ++cx) {
            const QRgb expected = qRgb(60 * (cx + 1), 60 * (cy + 1), 200);
            for (const QPoint p : {QPoint(3, 3), QPoint(10, 10), QPoint(16, 16)})
                QCOMPARE(zoomed.pixel(cx * 20 + p.x(), cy * 20 + p.y()), expected);
        }
    }
}

void TestImageProcessor::rotation_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<bool>("flip");
    QTest::addColumn<int>("degree");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<SourceOf>("sourceOf");

    const SourceOf mirror = [](int x, int y, int w, int, QPoint *s) { *s = QPoint(w - 1 - x, y); return true; };
    const SourceOf flip = [](int x, int y, int, int h, QPoint *s) { *s = QPoint(x, h - 1 - y); return true; };
    const SourceOf half = [](int x, int y, int w, int h, QPoint *s) { *s = QPoint(w - 1 - x, h - 1 - y); return true; };
    // A quarter turn clockwise: the top-left corner goes to the top right.
    const SourceOf quarter = [](int x, int y, int, int h, QPoint *s) { *s = QPoint(y, h - 1 - x); return true; };
    const SourceOf threeQuarters = [](int x, int y, int w, int, QPoint *s) { *s = QPoint(w - 1 - y, x); return true; };
    const SourceOf quarterMirrored = [](int x, int y, int w, int h, QPoint *s) {
        *s = QPoint(y, h - 1 - (w - 1 - x));
        return true;
    };
    // A 40 x 20 frame turned upright: the 20-wide picture sits in the middle, its ends cut off.
    const SourceOf landscapeQuarter = [](int x, int y, int, int h, QPoint *s) {
        if (x < 10 || x >= 30)
            return false;
        *s = QPoint(y + 10, h - 1 - (x - 10));
        return true;
    };
    const SourceOf landscapeThreeQuarters = [](int x, int y, int, int h, QPoint *s) {
        if (x < 10 || x >= 30)
            return false;
        *s = QPoint(40 - 1 - (y + 10), x - 10);
        Q_UNUSED(h);
        return true;
    };

    QTest::newRow("mirror") << true << false << 0 << QSize(16, 12) << mirror;
    QTest::newRow("flip") << false << true << 0 << QSize(16, 12) << flip;
    QTest::newRow("180") << false << false << 180 << QSize(16, 12) << half;
    QTest::newRow("90 square") << false << false << 90 << QSize(16, 16) << quarter;
    QTest::newRow("270 square") << false << false << 270 << QSize(16, 16) << threeQuarters;
    QTest::newRow("90 mirrored") << true << false << 90 << QSize(16, 16) << quarterMirrored;
    QTest::newRow("90 landscape") << false << false << 90 << QSize(40, 20) << landscapeQuarter;
    QTest::newRow("270 landscape") << false << false << 270 << QSize(40, 20) << landscapeThreeQuarters;
}

void TestImageProcessor::rotation()
{
    QFETCH(bool, mirror);
    QFETCH(bool, flip);
    QFETCH(int, degree);
    QFETCH(QSize, size);
    QFETCH(SourceOf, sourceOf);

    const QImage frame = numbered(size.width(), size.height());
    ImageProcessor processor;
    processor.setRotationAttributes(mirror, flip, ushort(degree));
    const QImage turned = processor.process(frame);
    QCOMPARE(turned.size(), frame.size());
    QCOMPARE(turned.format(), frame.format());
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            QPoint source;
            const QRgb expected = sourceOf(x, y, size.width(), size.height(), &source)
                                      ? frame.pixel(source)
                                      : qRgb(0, 0, 0);
            if (turned.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) is %3, expected %4")
                                     .arg(x).arg(y).arg(turned.pixel(x, y), 0, 16).arg(expected, 0, 16)));
        }
    }
}

void TestImageProcessor::mirrorAndFlipAreHalfTurn()
{
    const QImage frame = numbered(24, 10);
    QCOMPARE(ImageProcessor::doRotation(frame, true, true, 0), ImageProcessor::doRotation(frame, false, false, 180));
    QCOMPARE(ImageProcessor::doRotation(frame, true, true, 180), frame);
}

QTEST_GUILESS_MAIN(TestImageProcessor)
#include "tst_imageprocess_processor.moc"
