#include "keystonepictures.h"

#include "camerawindow/keystonealgorithm.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <thread>

using keystonepictures::Page;

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<cv::Point>)
Q_DECLARE_METATYPE(cv::Vec4i)
Q_DECLARE_METATYPE(std::vector<cv::Vec4i>)
Q_DECLARE_METATYPE(keystonepictures::Page)

namespace {

struct Report
{
    QList<QPoint> corners;
    bool empty() const { return corners == QList<QPoint>{{0, 0}, {0, 0}, {0, 0}, {0, 0}}; }
};

// Collects the reports of an algorithm on the GUI thread, the way the keystone widget receives them.
class Listener : public QObject
{
public:
    explicit Listener(KeyStoneAlgorithm &algorithm)
    {
        connect(&algorithm, &KeyStoneAlgorithm::updatePolygonPoints, this,
                [this](QPoint a, QPoint b, QPoint c, QPoint d) { reports.append(Report{{a, b, c, d}}); });
        connect(&algorithm, &KeyStoneAlgorithm::updateFps, this, [this](int fps) { rates.append(fps); });
    }
    int emptyReports() const
    {
        int count = 0;
        for (const Report &report : reports)
            count += report.empty() ? 1 : 0;
        return count;
    }
    QList<Report> reports;
    QList<int> rates;
};

double distance(const QPoint &a, const cv::Point2f &b)
{
    return std::hypot(a.x() - double(b.x), a.y() - double(b.y));
}

cv::Mat plainFrame(int width, int height)
{
    return cv::Mat(height, width, CV_8UC4, cv::Scalar(90, 90, 90, 255));
}

void feed(KeyStoneAlgorithm &algorithm, cv::Mat frame)
{
    algorithm.setSampleImage(frame.data, frame.cols, frame.rows);
}

// Ends a run and lets its last queued reports arrive.
void finish(KeyStoneAlgorithm &algorithm)
{
    algorithm.stop();
    QVERIFY(algorithm.wait(5000));
    QCoreApplication::processEvents();
}

} // namespace

// The page detection on pictures drawn for it, its acceptance rules, its queue and its thread.
class TestKeyStoneAlgorithm : public QObject
{
    Q_OBJECT

private slots:
    void findsThePageAfterTwoRatesOfFrames_data();
    void findsThePageAfterTwoRatesOfFrames();
    void acceptance_data();
    void acceptance();
    void segmentSides_data();
    void segmentSides();
    void cornersFromFourSides_data();
    void cornersFromFourSides();
    void backlogLowersTheRate_data();
    void backlogLowersTheRate();
    void framesAreCopiedOnArrival();
    void stopEndsTheRunPromptly();
    void noPageNoFile();
};

void TestKeyStoneAlgorithm::findsThePageAfterTwoRatesOfFrames_data()
{
    QTest::addColumn<Page>("page");
    QTest::addColumn<int>("rate");
    auto page = [](QSize frame, double angle, double width, double height, double narrowing, QPointF shift) {
        Page p;
        p.frame = frame;
        p.angleDegrees = angle;
        p.widthShare = width;
        p.heightShare = height;
        p.topNarrowing = narrowing;
        p.shift = shift;
        return p;
    };
    QTest::newRow("1080p upright") << page({1920, 1080}, 0, 0.45, 0.75, 0, {}) << 2;
    QTest::newRow("1080p tilted 8 degrees") << page({1920, 1080}, 8, 0.4, 0.7, 0, {40, -20}) << 3;
    QTest::newRow("1080p tilted -14 degrees, in perspective") << page({1920, 1080}, -14, 0.42, 0.68, 0.18, {}) << 2;
    QTest::newRow("720p small page off centre") << page({1280, 720}, 5, 0.3, 0.55, 0.05, {-60, 25}) << 2;
    QTest::newRow("4:3 page nearly filling the frame") << page({640, 480}, -3, 0.8, 0.72, 0.1, {}) << 5;
    QTest::newRow("4K landscape sheet") << page({3840, 2160}, 11, 0.6, 0.55, 0, {100, 0}) << 1;
}

void TestKeyStoneAlgorithm::findsThePageAfterTwoRatesOfFrames()
{
    QFETCH(Page, page);
    QFETCH(int, rate);
    const std::vector<cv::Point2f> drawn = keystonepictures::pageCorners(page);

    KeyStoneAlgorithm algorithm;
    Listener listener(algorithm);
    algorithm.setFps(rate);
    algorithm.beginRun();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.jpg"));
    for (int frame = 1; frame < 2 * rate; ++frame) {
        algorithm.processFrame(keystonepictures::drawPage(page, quint64(frame)));
        QCOMPARE(listener.reports.size(), 0);
        // Accepted frames are kept for a snapshot before any report.
        QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    }
    algorithm.processFrame(keystonepictures::drawPage(page, quint64(2 * rate)));
    QCOMPARE(listener.reports.size(), 1);

    // A few pixels of the working copy (350 rows): its edges are found on edge maps thickened by
    // the closing, so a side may lie up to about three of its pixels off the drawn one.
    const double tolerance = 6.0 * page.frame.height() / KeyStoneAlgorithm::WorkingRows;
    const QList<QPoint> found = listener.reports.first().corners;
    for (int i = 0; i < 4; ++i) {
        QVERIFY2(distance(found.at(i), drawn[size_t(i)]) <= tolerance,
                 qPrintable(QStringLiteral("corner %1 found at (%2, %3), drawn at (%4, %5)")
                                .arg(i)
                                .arg(found.at(i).x())
                                .arg(found.at(i).y())
                                .arg(double(drawn[size_t(i)].x))
                                .arg(double(drawn[size_t(i)].y))));
    }

    // The snapshot is the page straightened: as wide and high as its sides are long.
    QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    QImage written(path);
    QVERIFY(!written.isNull());
    const double width = (cv::norm(drawn[0] - drawn[1]) + cv::norm(drawn[3] - drawn[2])) / 2;
    const double height = (cv::norm(drawn[0] - drawn[3]) + cv::norm(drawn[1] - drawn[2])) / 2;
    QVERIFY2(std::abs(written.width() - width) <= 2 * tolerance && std::abs(written.height() - height) <= 2 * tolerance,
             qPrintable(QStringLiteral("%1 x %2 written for a page of %3 x %4")
                            .arg(written.width())
                            .arg(written.height())
                            .arg(width)
                            .arg(height)));
    // Its middle is the page, not the desk.
    QVERIFY(qGray(written.pixel(written.width() / 2, written.height() / 2)) > 180);
}

void TestKeyStoneAlgorithm::acceptance_data()
{
    QTest::addColumn<std::vector<double>>("scores");
    QTest::addColumn<std::vector<cv::Point>>("corners");
    QTest::addColumn<bool>("accepted");
    const std::vector<double> scored{120, 80, 120, 80};
    QTest::newRow("area 1001") << scored << std::vector<cv::Point>{{0, 0}, {7, 0}, {7, 143}, {0, 143}} << true;
    QTest::newRow("area exactly 1000") << scored << std::vector<cv::Point>{{0, 0}, {40, 0}, {40, 25}, {0, 25}}
                                       << false;
    QTest::newRow("area 1000 counter-clockwise") << scored << std::vector<cv::Point>{{0, 0}, {0, 25}, {40, 25}, {40, 0}}
                                                 << false;
    QTest::newRow("non-convex") << scored << std::vector<cv::Point>{{0, 0}, {200, 0}, {200, 200}, {120, 60}} << false;
    QTest::newRow("a side without a segment") << std::vector<double>{120, 0, 120, 80}
                                              << std::vector<cv::Point>{{0, 0}, {200, 0}, {200, 200}, {0, 200}}
                                              << false;
    QTest::newRow("three corners") << scored << std::vector<cv::Point>{{0, 0}, {200, 0}, {200, 200}} << false;
    QTest::newRow("large convex page") << scored << std::vector<cv::Point>{{40, 30}, {300, 35}, {310, 300}, {35, 290}}
                                       << true;
}

void TestKeyStoneAlgorithm::acceptance()
{
    QFETCH(std::vector<double>, scores);
    QFETCH(std::vector<cv::Point>, corners);
    QFETCH(bool, accepted);
    QCOMPARE(KeyStoneAlgorithm::isAcceptable(scores, corners), accepted);
}

void TestKeyStoneAlgorithm::segmentSides_data()
{
    // A working copy of 622 x 350: the band is x 30..591 and y 30..319; the centre is (310, 174).
    QTest::addColumn<cv::Vec4i>("segment");
    QTest::addColumn<int>("slot");
    QTest::newRow("left edge at x 29 is outside") << cv::Vec4i(29, 60, 29, 260) << -1;
    QTest::newRow("left edge at x 30 is inside") << cv::Vec4i(30, 60, 30, 260) << 1;
    QTest::newRow("right edge at columns - 31 is inside") << cv::Vec4i(591, 60, 591, 260) << 0;
    QTest::newRow("right edge at columns - 30 is outside") << cv::Vec4i(592, 60, 592, 260) << -1;
    QTest::newRow("top edge at y 29 is outside") << cv::Vec4i(100, 29, 500, 29) << -1;
    QTest::newRow("top edge at y 30 is inside") << cv::Vec4i(100, 30, 500, 30) << 2;
    QTest::newRow("bottom edge at rows - 31 is inside") << cv::Vec4i(100, 319, 500, 319) << 3;
    QTest::newRow("bottom edge at rows - 30 is outside") << cv::Vec4i(100, 320, 500, 320) << -1;
    QTest::newRow("vertical through the centre column") << cv::Vec4i(310, 60, 310, 260) << -1;
    QTest::newRow("horizontal through the centre row") << cv::Vec4i(100, 174, 500, 174) << -1;
    QTest::newRow("slope just above 2 is vertical") << cv::Vec4i(100, 50, 149, 151) << 1;
    QTest::newRow("slope exactly 2 is neither") << cv::Vec4i(100, 50, 150, 150) << -1;
    QTest::newRow("slope exactly 0.5 is neither") << cv::Vec4i(100, 100, 300, 200) << -1;
    QTest::newRow("slope just below 0.5 is horizontal") << cv::Vec4i(100, 200, 302, 300) << 3;
}

void TestKeyStoneAlgorithm::segmentSides()
{
    QFETCH(cv::Vec4i, segment);
    QFETCH(int, slot);
    QCOMPARE(KeyStoneAlgorithm::segmentSlot(segment, 622, 350), slot);
}

void TestKeyStoneAlgorithm::cornersFromFourSides_data()
{
    // Sides in the order right, top, left, bottom on an image of 100 x 50.
    QTest::addColumn<std::vector<cv::Vec4i>>("sides");
    QTest::addColumn<std::vector<cv::Point>>("corners");
    QTest::newRow("a box, corners from top-left clockwise")
        << std::vector<cv::Vec4i>{{80, 5, 80, 45}, {10, 8, 90, 8}, {20, 5, 20, 45}, {10, 40, 90, 40}}
        << std::vector<cv::Point>{{20, 8}, {80, 8}, {80, 40}, {20, 40}};
    QTest::newRow("corners on the far border are kept")
        << std::vector<cv::Vec4i>{{100, 0, 100, 50}, {0, 0, 100, 0}, {0, 0, 0, 50}, {0, 50, 100, 50}}
        << std::vector<cv::Point>{{0, 0}, {100, 0}, {100, 50}, {0, 50}};
    QTest::newRow("a corner past the border: none")
        << std::vector<cv::Vec4i>{{101, 0, 101, 50}, {0, 0, 100, 0}, {0, 0, 0, 50}, {0, 50, 100, 50}}
        << std::vector<cv::Point>{};
    QTest::newRow("parallel sides meet nowhere")
        << std::vector<cv::Vec4i>{{80, 5, 80, 45}, {80, 5, 80, 45}, {20, 5, 20, 45}, {10, 40, 90, 40}}
        << std::vector<cv::Point>{};
}

void TestKeyStoneAlgorithm::cornersFromFourSides()
{
    QFETCH(std::vector<cv::Vec4i>, sides);
    QFETCH(std::vector<cv::Point>, corners);
    KeyStoneAlgorithm algorithm;
    cv::Mat image(50, 100, CV_8UC4);
    QCOMPARE(algorithm.findIntersect(image, sides), corners);
}

void TestKeyStoneAlgorithm::backlogLowersTheRate_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("queued");
    QTest::addColumn<QList<int>>("announced");
    QTest::addColumn<int>("emptyReports");
    QTest::addColumn<int>("processed");
    // Without a page each periodic reset (every 2 x rate frames) is followed by one empty report.
    QTest::newRow("4 x rate queued: kept") << 5 << 20 << QList<int>{} << 2 << 20;
    QTest::newRow("4 x rate + 1 queued: one lower, polygon cleared") << 5 << 21 << QList<int>{4} << 1 << 1;
    QTest::newRow("rate 2 overloaded") << 2 << 9 << QList<int>{1} << 1 << 1;
    QTest::newRow("rate 1 is never lowered, still cleared") << 1 << 5 << QList<int>{} << 1 << 1;
}

void TestKeyStoneAlgorithm::backlogLowersTheRate()
{
    QFETCH(int, rate);
    QFETCH(int, queued);
    QFETCH(QList<int>, announced);
    QFETCH(int, emptyReports);
    QFETCH(int, processed);

    KeyStoneAlgorithm algorithm;
    Listener listener(algorithm);
    for (int i = 0; i < queued; ++i)
        feed(algorithm, plainFrame(160, 120));
    algorithm.startDetection(rate);
    QTRY_COMPARE(algorithm.processedFrames(), processed);
    QCOMPARE(algorithm.queuedFrames(), 0);
    finish(algorithm);
    QCOMPARE(listener.rates, announced);
    QCOMPARE(listener.emptyReports(), emptyReports);
    QCOMPARE(listener.reports.size(), emptyReports);
    QCOMPARE(algorithm.fps(), announced.isEmpty() ? rate : announced.last());
}

void TestKeyStoneAlgorithm::framesAreCopiedOnArrival()
{
    Page page;
    page.frame = QSize(1280, 720);
    page.angleDegrees = 6;
    cv::Mat buffer = keystonepictures::drawPage(page, 1);

    KeyStoneAlgorithm algorithm;
    // As the capture queue does it: the buffer is reused as soon as the call returns.
    std::thread queue([&] {
        algorithm.setSampleImage(buffer.data, buffer.cols, buffer.rows);
        std::memset(buffer.data, 0, buffer.total() * buffer.elemSize());
    });
    queue.join();
    algorithm.startDetection(1);
    QTRY_COMPARE(algorithm.processedFrames(), 1);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    const QImage written(path);
    QVERIFY(qGray(written.pixel(written.width() / 2, written.height() / 2)) > 180);
    finish(algorithm);
    // A run that ended keeps nothing.
    QCOMPARE(algorithm.getkeyStoneFile(path), -1);
}

void TestKeyStoneAlgorithm::stopEndsTheRunPromptly()
{
    KeyStoneAlgorithm algorithm;
    // A stop asked for right after the start, before the new thread's first turn, ends that run.
    for (int round = 0; round < 20; ++round) {
        algorithm.startDetection(5);
        algorithm.stop();
        QVERIFY2(algorithm.wait(2000), qPrintable(QStringLiteral("round %1").arg(round)));
    }
    // A stop during the idle sleep ends the run within about one sleep.
    algorithm.startDetection(5);
    QTest::qWait(30);
    QElapsedTimer clock;
    clock.start();
    algorithm.stop();
    QVERIFY(algorithm.wait(2000));
    QVERIFY2(clock.elapsed() < 2 * KeyStoneAlgorithm::IdleSleepMs, qPrintable(QString::number(clock.elapsed())));
}

void TestKeyStoneAlgorithm::noPageNoFile()
{
    KeyStoneAlgorithm algorithm;
    QTemporaryDir folder;
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("none.jpg"))), -1);
    QVERIFY(!QFile::exists(folder.filePath(QStringLiteral("none.jpg"))));

    Page page;
    page.frame = QSize(1280, 720);
    algorithm.beginRun();
    algorithm.processFrame(keystonepictures::drawPage(page, 3));
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("page.jpg"))), 0);
    // A folder that does not exist, or a type nobody writes: -1.
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("missing/page.jpg"))), -1);
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("page.unknown"))), -1);
}

QTEST_GUILESS_MAIN(TestKeyStoneAlgorithm)
#include "tst_keystone_algorithm.moc"
