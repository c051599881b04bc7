#include "keystonepictures.h"

#include "camerawindow/keystonealgorithm.h"
#include "camerawindow/keystonewidget.h"
#include "camerawindow/seethroughmask.h"

#include <QImage>
#include <QPointer>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QList<QPoint> Page1080{{500, 200}, {1400, 240}, {1420, 900}, {480, 880}};

void report(KeyStoneWidget &widget, const QList<QPoint> &points)
{
    widget.setPolygonPoints(points.at(0), points.at(1), points.at(2), points.at(3));
}

void giveFrame(KeyStoneWidget &widget, int width, int height)
{
    cv::Mat frame(height, width, CV_8UC4, cv::Scalar(80, 80, 80, 255));
    widget.setSampleImage(frame.data, width, height);
}

// Whether the widget as painted is white at `at`.
bool whiteAt(KeyStoneWidget &widget, QPoint at)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.pixel(at) == qRgba(255, 255, 255, 255);
}

} // namespace

// The keystone overlay: where it draws the page, when it draws nothing, and how it runs its thread.
class TestKeyStoneWidget : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void outlineFitsThePicture_data();
    void outlineFitsThePicture();
    void paintsTheOutlineOnly();
    void nothingDrawnOnceOff();
    void switchingOffAndOnWhileDrainingStartsAgain();
    void destructionEndsTheThread();
    void snapshotNeedsAnOutline();
    void shapeWithoutACompositor();
};

void TestKeyStoneWidget::cleanup()
{
    SeeThroughMask::setCompositingOverride(-1);
}

void TestKeyStoneWidget::outlineFitsThePicture_data()
{
    QTest::addColumn<QSize>("widget");
    QTest::addColumn<QSize>("frame");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QPoint>("shown");
    // 16:9 in 4:3: scale 400 / 1920, picture 225 high, shifted down by (300 - 225) / 2.
    QTest::newRow("16:9 in 4:3") << QSize(400, 300) << QSize(1920, 1080) << QPoint(1920, 1080) << QPoint(400, 262);
    QTest::newRow("16:9 in 4:3, a middle point") << QSize(400, 300) << QSize(1920, 1080) << QPoint(960, 540)
                                                 << QPoint(200, 149);
    // 4:3 in 16:9: scale 360 / 480, picture 480 wide, shifted right by (640 - 480) / 2.
    QTest::newRow("4:3 in 16:9") << QSize(640, 360) << QSize(640, 480) << QPoint(320, 240) << QPoint(320, 180);
    QTest::newRow("4:3 in 16:9, the corner") << QSize(640, 360) << QSize(640, 480) << QPoint(640, 480)
                                             << QPoint(560, 360);
    QTest::newRow("same shape, scaled") << QSize(960, 540) << QSize(1920, 1080) << QPoint(1000, 300)
                                        << QPoint(500, 150);
}

void TestKeyStoneWidget::outlineFitsThePicture()
{
    QFETCH(QSize, widget);
    QFETCH(QSize, frame);
    QFETCH(QPoint, point);
    QFETCH(QPoint, shown);
    QCOMPARE(KeyStoneWidget::mapToWidget(point, widget, frame), shown);
}

void TestKeyStoneWidget::paintsTheOutlineOnly()
{
    KeyStoneWidget widget;
    widget.resize(400, 300);
    widget.showKeyStone(true, 5);
    giveFrame(widget, 1920, 1080);
    QTRY_COMPARE(widget.sampleSize(), QSize(1920, 1080));
    report(widget, Page1080);
    const QPolygon outline = widget.outline();
    QCOMPARE(outline.size(), 4);
    // (500, 200) of the frame: x 500 x 400 / 1920, y 200 x 400 / 1920 + 37.
    QCOMPARE(outline.at(0), QPoint(104, 78));
    QVERIFY(whiteAt(widget, outline.at(0)));
    QVERIFY(whiteAt(widget, (outline.at(1) + outline.at(2)) / 2));
    QVERIFY(!whiteAt(widget, QPoint(200, 150)));
    QVERIFY(!whiteAt(widget, QPoint(5, 5)));

    // A report of four (0, 0) points erases the outline.
    report(widget, {{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    QVERIFY(widget.outline().isEmpty());
    QVERIFY(!whiteAt(widget, QPoint(104, 78)));
    widget.showKeyStone(false, 1);
}

void TestKeyStoneWidget::nothingDrawnOnceOff()
{
    KeyStoneWidget widget;
    widget.resize(400, 300);
    widget.showKeyStone(true, 5);
    giveFrame(widget, 1920, 1080);
    report(widget, Page1080);
    QVERIFY(!widget.outline().isEmpty());
    widget.showKeyStone(false, 1);
    QCOMPARE(widget.sampleSize(), QSize(0, 0));
    // A report that was under way arrives late, and a frame comes in after the switch: nothing shows.
    giveFrame(widget, 1920, 1080);
    report(widget, Page1080);
    QCOMPARE(widget.sampleSize(), QSize(0, 0));
    QVERIFY(widget.outline().isEmpty());
    QVERIFY(!whiteAt(widget, QPoint(104, 78)));
    // The run drains and ends; frames given from then on never reach the thread.
    QTRY_VERIFY(!widget.algorithm()->isRunning());
    giveFrame(widget, 1920, 1080);
    QCOMPARE(widget.algorithm()->queuedFrames(), 0);
}

void TestKeyStoneWidget::switchingOffAndOnWhileDrainingStartsAgain()
{
    KeyStoneWidget widget;
    KeyStoneAlgorithm *algorithm = widget.algorithm();
    for (int round = 0; round < 5; ++round) {
        widget.showKeyStone(true, 5);
        QVERIFY(algorithm->isRunning());
        // With its one frame taken, the loop goes to its idle sleep.
        const int taken = algorithm->processedFrames();
        giveFrame(widget, 320, 240);
        QTRY_COMPARE(algorithm->processedFrames(), taken + 1);
        widget.showKeyStone(false, 1);
        widget.showKeyStone(true, 4);
        // The old run ended on its stop request; a new one runs and takes frames, and is still
        // running once it has taken one: a run stopped for good takes none.
        QCOMPARE(algorithm->fps(), 4);
        const int before = algorithm->processedFrames();
        giveFrame(widget, 320, 240);
        QTRY_COMPARE(algorithm->processedFrames(), before + 1);
        QVERIFY2(algorithm->isRunning(), qPrintable(QStringLiteral("round %1").arg(round)));
        widget.showKeyStone(false, 1);
    }
}

void TestKeyStoneWidget::destructionEndsTheThread()
{
    auto *widget = new KeyStoneWidget;
    widget->showKeyStone(true, 5);
    giveFrame(*widget, 320, 240);
    QPointer<KeyStoneAlgorithm> algorithm = widget->algorithm();
    QVERIFY(algorithm->isRunning());
    // A running thread destroyed would abort the program; the widget stops, waits and deletes it.
    delete widget;
    QVERIFY(algorithm.isNull());
}

void TestKeyStoneWidget::snapshotNeedsAnOutline()
{
    keystonepictures::Page page;
    page.frame = QSize(1280, 720);
    page.angleDegrees = 4;
    const cv::Mat frame = keystonepictures::drawPage(page, 9);

    KeyStoneWidget widget;
    widget.resize(640, 360);
    widget.showKeyStone(true, 1);
    widget.setSampleImage(frame.data, frame.cols, frame.rows);
    QTRY_COMPARE(widget.algorithm()->processedFrames(), 1);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.jpg"));
    // The thread holds a page, but nothing is outlined yet: no keystone snapshot.
    QCOMPARE(widget.getkeyStoneFile(path), -1);
    QVERIFY(!QFile::exists(path));
    widget.setSampleImage(frame.data, frame.cols, frame.rows);
    QTRY_VERIFY(!widget.outline().isEmpty());
    QCOMPARE(widget.getkeyStoneFile(path), 0);
    QVERIFY(!QImage(path).isNull());
    widget.showKeyStone(false, 1);
}

void TestKeyStoneWidget::shapeWithoutACompositor()
{
    KeyStoneWidget widget;
    widget.resize(400, 300);
    SeeThroughMask::setCompositingOverride(1);
    widget.showKeyStone(true, 5);
    giveFrame(widget, 1920, 1080);
    report(widget, Page1080);
    // With a compositor: no shape, the clear pixels are blended.
    QVERIFY(widget.mask().isEmpty());
    QImage painted(widget.size(), QImage::Format_ARGB32);
    painted.fill(Qt::transparent);
    widget.render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);

    // Without one the window is exactly its outline: the picture below shows everywhere else.
    SeeThroughMask::setCompositingOverride(0);
    widget.relayout();
    const QRegion shape = widget.mask();
    QCOMPARE(shape, widget.outlineRegion());
    QVERIFY(!shape.contains(QPoint(200, 150)));
    int covered = 0;
    for (int y = 0; y < painted.height(); ++y) {
        for (int x = 0; x < painted.width(); ++x) {
            if (qAlpha(painted.pixel(x, y)) == 0)
                continue;
            QVERIFY2(shape.contains(QPoint(x, y)), qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
            ++covered;
        }
    }
    QVERIFY(covered > 4 * 5 * 100);
    // Without an outline nothing of the window is left to cover the picture.
    widget.showKeyStone(false, 1);
    QVERIFY(!widget.mask().intersects(QRect(QPoint(0, 0), widget.size())));
}

QTEST_MAIN(TestKeyStoneWidget)
#include "tst_keystone_widget.moc"
