#include "keystonepictures.h"

#include "camerawindow/keystonealgorithm.h"
#include "keystonepagesearch.h"
#include "simulated/simulatedframegenerator.h"

#include <QElapsedTimer>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <opencv2/imgcodecs.hpp>

#include <cstring>
#include <thread>

using keystonepictures::Page;

Q_DECLARE_METATYPE(std::vector<double>)
Q_DECLARE_METATYPE(std::vector<cv::Point>)
Q_DECLARE_METATYPE(cv::Vec4i)
Q_DECLARE_METATYPE(std::vector<cv::Vec4i>)
Q_DECLARE_METATYPE(keystonepictures::Page)
Q_DECLARE_METATYPE(cv::Mat)

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

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The largest difference of one channel between two pictures of one size and type.
double largestDifference(const cv::Mat &a, const cv::Mat &b)
{
    cv::Mat difference;
    cv::absdiff(a, b, difference);
    double largest = 0;
    cv::minMaxLoc(difference.reshape(1), nullptr, &largest);
    return largest;
}

cv::Mat plainFrame(int width, int height)
{
    return cv::Mat(height, width, CV_8UC4, cv::Scalar(90, 90, 90, 255));
}

// The picture's working copy (350 rows, blurred) split into its colour planes, as the edge search sees it.
std::vector<cv::Mat> workingPlanes(const Page &page, quint64 seed)
{
    const cv::Mat frame = keystonepictures::drawPage(page, seed);
    const double scale = double(KeyStonePageSearch::WorkingRows) / frame.rows;
    cv::Mat working;
    cv::resize(frame, working, cv::Size(0, 0), scale, scale, cv::INTER_LINEAR);
    cv::medianBlur(working, working, 3);
    std::vector<cv::Mat> planes;
    cv::split(working, planes);
    planes.resize(3);
    return planes;
}

// The closing of the edge search, one OpenCV call a step.
void openCvClosing(cv::Mat &edges)
{
    const cv::Mat element = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(10, 10), cv::Point(-1, -1));
    const cv::Point anchor(-1, -1);
    const cv::Scalar border = cv::morphologyDefaultBorderValue();
    cv::dilate(edges, edges, cv::Mat(), anchor, 1, cv::BORDER_CONSTANT, border);
    cv::dilate(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
    cv::erode(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
    cv::dilate(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
    cv::erode(edges, edges, element, anchor, 1, cv::BORDER_CONSTANT, border);
}

// The edge maps the segment search gets for a picture, one per colour plane.
std::vector<cv::Mat> edgeMaps(const Page &page, quint64 seed)
{
    std::vector<cv::Mat> maps;
    for (const cv::Mat &plane : workingPlanes(page, seed)) {
        cv::Mat scratch;
        cv::Mat edges;
        const double level = cv::threshold(plane, scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU);
        cv::Canny(plane, edges, level * 0.5, level, 3, false);
        openCvClosing(edges);
        cv::Canny(edges, edges, level * 0.5, level, 3, false);
        cv::dilate(edges, edges, cv::Mat(), cv::Point(-1, -1), 1, cv::BORDER_CONSTANT,
                   cv::morphologyDefaultBorderValue());
        maps.push_back(edges);
    }
    return maps;
}

// Pixels set at random, with the given share, as 0 or 255.
cv::Mat scatteredPixels(cv::Size size, double share, quint64 seed)
{
    cv::RNG rng(seed);
    cv::Mat values(size, CV_32F);
    rng.fill(values, cv::RNG::UNIFORM, 0.0, 1.0);
    cv::Mat map = values < share;
    return map;
}

// Straight strokes of one to three pixels at every slant, some running off the picture.
cv::Mat strokes(cv::Size size, int count, quint64 seed)
{
    cv::RNG rng(seed);
    cv::Mat map = cv::Mat::zeros(size, CV_8UC1);
    for (int i = 0; i < count; ++i) {
        const cv::Point a(rng.uniform(-20, size.width + 20), rng.uniform(-20, size.height + 20));
        const cv::Point b(rng.uniform(-20, size.width + 20), rng.uniform(-20, size.height + 20));
        cv::line(map, a, b, cv::Scalar(255), rng.uniform(1, 4));
    }
    return map;
}

// A frame of the simulated document camera as the camera window hands it over: BGRA, owned.
cv::Mat simulatedFrame(platform::SimulatedFrameGenerator &generator, const QSize &size, quint64 number)
{
    QImage image;
    generator.render(image, size, number);
    return cv::Mat(image.height(), image.width(), CV_8UC4, image.bits(), size_t(image.bytesPerLine())).clone();
}

Page tiltedPage(double angle, double narrowing)
{
    Page page;
    page.frame = QSize(1920, 1080);
    page.angleDegrees = angle;
    page.widthShare = 0.42;
    page.heightShare = 0.7;
    page.topNarrowing = narrowing;
    return page;
}

// As the loop hands a frame on: a 32-bit image of the same bytes.
void processFrame(KeyStoneAlgorithm &algorithm, const cv::Mat &frame)
{
    const QImage image(frame.data, frame.cols, frame.rows, int(frame.step[0]), QImage::Format_ARGB32);
    algorithm.processFrame(image.copy());
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
    void findsTheSimulatedCamerasPage_data();
    void findsTheSimulatedCamerasPage();
    void acceptance_data();
    void acceptance();
    void segmentSides_data();
    void segmentSides();
    void cornersFromFourSides_data();
    void cornersFromFourSides();
    void segmentsAsOpenCvFindsThem_data();
    void segmentsAsOpenCvFindsThem();
    void closingAsOpenCvDoesIt_data();
    void closingAsOpenCvDoesIt();
    void otsuLevelAsOpenCvFindsIt_data();
    void otsuLevelAsOpenCvFindsIt();
    void backlogLowersTheRate_data();
    void backlogLowersTheRate();
    void framesAreCopiedOnArrival();
    void stopEndsTheRunPromptly();
    void noPageNoFile();
    void snapshotOfEachType_data();
    void runLoadsTheModule();
    void withoutTheModuleNothingIsFound();
    void snapshotOfEachType();
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
        processFrame(algorithm, keystonepictures::drawPage(page, quint64(frame)));
        QCOMPARE(listener.reports.size(), 0);
        // Accepted frames are kept for a snapshot before any report.
        QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    }
    processFrame(algorithm, keystonepictures::drawPage(page, quint64(2 * rate)));
    QCOMPARE(listener.reports.size(), 1);

    // A few pixels of the working copy (350 rows): its edges are found on edge maps thickened by
    // the closing, so a side may lie up to about three of its pixels off the drawn one.
    const double tolerance = 6.0 * page.frame.height() / KeyStonePageSearch::WorkingRows;
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

void TestKeyStoneAlgorithm::findsTheSimulatedCamerasPage_data()
{
    QTest::addColumn<QSize>("size");
    // The sizes of the simulated cameras' formats; both start at 640 x 480.
    QTest::newRow("640 x 480") << QSize(640, 480);
    QTest::newRow("1280 x 720") << QSize(1280, 720);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080);
    QTest::newRow("3840 x 2160") << QSize(3840, 2160);
}

// What the detection is for, on what the simulated camera shows: the page's true corners, known to
// the scene, and an upright page in the snapshot.
void TestKeyStoneAlgorithm::findsTheSimulatedCamerasPage()
{
    QFETCH(QSize, size);
    const int rate = 2;
    platform::SimulatedFrameGenerator generator;
    KeyStoneAlgorithm algorithm;
    Listener listener(algorithm);
    algorithm.setFps(rate);
    algorithm.beginRun();
    for (int frame = 1; frame <= 2 * rate; ++frame)
        processFrame(algorithm, simulatedFrame(generator, size, quint64(frame)));
    QCOMPARE(listener.reports.size(), 1);
    QVERIFY(!listener.reports.first().empty());

    const QPolygonF page = platform::SimulatedFrameGenerator::pageCorners(size);
    const double tolerance = 0.01 * std::hypot(size.width(), size.height());
    const QList<QPoint> found = listener.reports.first().corners;
    for (int i = 0; i < 4; ++i) {
        const double off = QLineF(found.at(i), page.at(i)).length();
        QVERIFY2(off <= tolerance, qPrintable(QStringLiteral("corner %1 found at (%2, %3), the page's is at "
                                                             "(%4, %5): %6 px off, %7 allowed")
                                                  .arg(i)
                                                  .arg(found.at(i).x())
                                                  .arg(found.at(i).y())
                                                  .arg(page.at(i).x())
                                                  .arg(page.at(i).y())
                                                  .arg(off)
                                                  .arg(tolerance)));
    }

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    const QImage written(path);
    QVERIFY(!written.isNull());
    const QList<double> slants = keystonepictures::printSlants(written);
    QVERIFY2(slants.size() >= 10, qPrintable(QString::number(slants.size())));
    for (double slant : slants)
        QVERIFY2(std::abs(slant) <= 1.0, qPrintable(QStringLiteral("a line of print slants %1 degrees").arg(slant)));
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
    QCOMPARE(KeyStonePageSearch::isAcceptable(scores, corners), accepted);
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
    QCOMPARE(KeyStonePageSearch::segmentSlot(segment, 622, 350), slot);
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
    KeyStonePageSearch search;
    cv::Mat image(50, 100, CV_8UC4);
    QCOMPARE(search.findIntersect(image, sides), corners);
}

// The edge search's own steps stand in for OpenCV calls and must give exactly what those give: the
// segments decide the page's sides, so one segment more, less or elsewhere changes what is found.
void TestKeyStoneAlgorithm::segmentsAsOpenCvFindsThem_data()
{
    QTest::addColumn<cv::Mat>("edges");
    QTest::addColumn<int>("threshold");
    QTest::addColumn<int>("minLength");
    QTest::addColumn<int>("maxGap");
    const int angles[] = {-14, 0, 9};
    for (int angle : angles) {
        const std::vector<cv::Mat> maps = edgeMaps(tiltedPage(angle, angle < 0 ? 0.15 : 0), quint64(angle + 100));
        for (size_t plane = 0; plane < maps.size(); ++plane) {
            QTest::addRow("page at %d degrees, plane %d", angle, int(plane)) << maps[plane] << 100 << 50 << 1;
        }
    }
    const cv::Mat page = edgeMaps(tiltedPage(5, 0.1), 7)[1];
    QTest::newRow("page, low threshold, short segments, wide gaps") << page << 20 << 10 << 5;
    QTest::newRow("page, no gaps") << page << 60 << 30 << 0;
    QTest::newRow("page seen through a window") << page(cv::Rect(100, 40, 400, 250)) << 100 << 50 << 1;
    QTest::newRow("strokes at every slant") << strokes(cv::Size(622, 350), 40, 1) << 100 << 50 << 1;
    QTest::newRow("strokes, threshold 1") << strokes(cv::Size(200, 120), 12, 2) << 1 << 0 << 0;
    QTest::newRow("scattered pixels") << scatteredPixels(cv::Size(300, 200), 0.08, 3) << 10 << 5 << 2;
    QTest::newRow("every pixel set") << cv::Mat(60, 90, CV_8UC1, cv::Scalar(255)) << 30 << 20 << 1;
    QTest::newRow("no pixel set") << cv::Mat(350, 622, CV_8UC1, cv::Scalar(0)) << 100 << 50 << 1;
    QTest::newRow("one column") << strokes(cv::Size(1, 150), 3, 4) << 5 << 5 << 1;
    QTest::newRow("one row") << strokes(cv::Size(150, 1), 3, 5) << 5 << 5 << 1;
    QTest::newRow("one pixel") << cv::Mat(1, 1, CV_8UC1, cv::Scalar(255)) << 1 << 0 << 0;
}

void TestKeyStoneAlgorithm::segmentsAsOpenCvFindsThem()
{
    QFETCH(cv::Mat, edges);
    QFETCH(int, threshold);
    QFETCH(int, minLength);
    QFETCH(int, maxGap);
    std::vector<cv::Vec4i> expected;
    cv::HoughLinesP(edges, expected, 1.0, CV_PI / 180, threshold, minLength, maxGap);
    KeyStonePageSearch search;
    std::vector<cv::Vec4i> found;
    // Twice: the tables kept from the first search must not leak into the second.
    for (int round = 0; round < 2; ++round) {
        search.houghSegments(edges, threshold, minLength, maxGap, found);
        QCOMPARE(found, expected);
    }
}

void TestKeyStoneAlgorithm::closingAsOpenCvDoesIt_data()
{
    QTest::addColumn<cv::Mat>("edges");
    const std::vector<cv::Mat> page = edgeMaps(tiltedPage(-7, 0.1), 11);
    cv::Mat canny;
    const std::vector<cv::Mat> planes = workingPlanes(tiltedPage(-7, 0.1), 11);
    cv::Canny(planes[0], canny, 60, 120, 3, false);
    QTest::newRow("edges of a page") << canny;
    QTest::newRow("closed edges of a page") << page[2];
    // Widths on either side of the 64-pixel words and of the 16-pixel loads; heights below the
    // rectangle's; sparse, dense and nearly full maps.
    const cv::Size sizes[] = {{622, 350}, {64, 9}, {65, 40}, {63, 3}, {127, 1}, {1, 30}, {17, 17}, {200, 130}};
    const double shares[] = {0.01, 0.2, 0.93};
    quint64 seed = 20;
    for (const cv::Size &size : sizes) {
        for (double share : shares) {
            QTest::addRow("%d x %d, %.0f%% set", size.width, size.height, share * 100)
                << scatteredPixels(size, share, ++seed);
        }
    }
    QTest::newRow("strokes") << strokes(cv::Size(300, 180), 30, 9);
    QTest::newRow("window onto strokes") << strokes(cv::Size(300, 180), 30, 10)(cv::Rect(13, 7, 250, 150));
}

void TestKeyStoneAlgorithm::closingAsOpenCvDoesIt()
{
    QFETCH(cv::Mat, edges);
    // Closed where it lies: a window into a larger map is closed in place, taking in the pixels around
    // it as OpenCV does, and the map around it stays as it was.
    cv::Size whole;
    cv::Point offset;
    edges.locateROI(whole, offset);
    cv::Mat map = edges;
    map.adjustROI(offset.y, whole.height - offset.y - edges.rows, offset.x, whole.width - offset.x - edges.cols);
    const cv::Rect window(offset, edges.size());
    cv::Mat expected = map.clone();
    cv::Mat expectedWindow = expected(window);
    openCvClosing(expectedWindow);
    cv::Mat closed = map.clone();
    cv::Mat closedWindow = closed(window);
    KeyStonePageSearch search;
    search.closeEdges(closedWindow);
    QCOMPARE(cv::countNonZero(closed != expected), 0);
}

void TestKeyStoneAlgorithm::otsuLevelAsOpenCvFindsIt_data()
{
    QTest::addColumn<cv::Mat>("plane");
    const int angles[] = {-12, 3};
    for (int angle : angles) {
        const std::vector<cv::Mat> planes = workingPlanes(tiltedPage(angle, 0.05), quint64(angle + 50));
        for (size_t i = 0; i < planes.size(); ++i)
            QTest::addRow("page at %d degrees, plane %d", angle, int(i)) << planes[i];
    }
    cv::RNG rng(5);
    cv::Mat uniform(97, 131, CV_8UC1);
    rng.fill(uniform, cv::RNG::UNIFORM, 0, 256);
    QTest::newRow("uniform noise") << uniform;
    cv::Mat twoPeaks(120, 160, CV_8UC1, cv::Scalar(40));
    twoPeaks(cv::Rect(0, 0, 70, 120)).setTo(200);
    cv::Mat noise(twoPeaks.size(), CV_8UC1);
    rng.fill(noise, cv::RNG::NORMAL, 0, 12);
    QTest::newRow("two peaks with noise") << cv::Mat(twoPeaks + noise);
    QTest::newRow("two values") << twoPeaks;
    QTest::newRow("one value") << cv::Mat(50, 50, CV_8UC1, cv::Scalar(77));
    QTest::newRow("black") << cv::Mat(50, 50, CV_8UC1, cv::Scalar(0));
    QTest::newRow("white") << cv::Mat(50, 50, CV_8UC1, cv::Scalar(255));
    QTest::newRow("one pixel") << cv::Mat(1, 1, CV_8UC1, cv::Scalar(9));
    QTest::newRow("window, odd width") << uniform(cv::Rect(3, 5, 61, 40));
}

void TestKeyStoneAlgorithm::otsuLevelAsOpenCvFindsIt()
{
    QFETCH(cv::Mat, plane);
    cv::Mat scratch;
    QCOMPARE(KeyStonePageSearch::otsuLevel(plane),
             cv::threshold(plane, scratch, 0, 255, cv::THRESH_BINARY | cv::THRESH_OTSU));
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
        QVERIFY2(algorithm.wait(15000), qPrintable(QStringLiteral("round %1").arg(round)));
    }
    // A stop during the idle sleep ends the run after that sleep, not after a frame or a long wait;
    // the bound leaves a busy machine its stalls.
    // With its one frame taken, the queue is empty: the loop goes to its idle sleep.
    algorithm.startDetection(5);
    cv::Mat frame(240, 320, CV_8UC4, cv::Scalar(80, 80, 80, 255));
    algorithm.setSampleImage(frame.data, frame.cols, frame.rows);
    QTRY_COMPARE(algorithm.processedFrames(), 1);
    QElapsedTimer clock;
    clock.start();
    algorithm.stop();
    QVERIFY(algorithm.wait(10000));
    QVERIFY2(clock.elapsed() < 5 * KeyStoneAlgorithm::IdleSleepMs, qPrintable(QString::number(clock.elapsed())));
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
    processFrame(algorithm, keystonepictures::drawPage(page, 3));
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("page.jpg"))), 0);
    // A folder that does not exist, or a type nobody writes: -1.
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("missing/page.jpg"))), -1);
    QCOMPARE(algorithm.getkeyStoneFile(folder.filePath(QStringLiteral("page.unknown"))), -1);
}

void TestKeyStoneAlgorithm::snapshotOfEachType_data()
{
    QTest::addColumn<QString>("extension");
    // How the file starts, whatever its name says.
    QTest::addColumn<QByteArray>("signature");
    // What may differ from the page, per channel (0: every pixel as it was).
    QTest::addColumn<double>("tolerance");
    QTest::newRow("jpg") << "jpg" << QByteArray("\xff\xd8\xff", 3) << 32.0;
    QTest::newRow("jpeg") << "jpeg" << QByteArray("\xff\xd8\xff", 3) << 32.0;
    QTest::newRow("png") << "png" << QByteArray("\x89PNG\r\n\x1a\n", 8) << 0.0;
    QTest::newRow("bmp") << "bmp" << QByteArray("BM") << 0.0;
    QTest::newRow("tiff") << "tiff" << QByteArray("II*\0", 4) << 0.0;
    QTest::newRow("upper-case PNG") << "PNG" << QByteArray("\x89PNG\r\n\x1a\n", 8) << 0.0;
}

// The file a keystone snapshot writes is the one cv::imwrite writes of the straightened page, byte for
// byte: its type follows the extension, its size is the page's and so are its pixels.
void TestKeyStoneAlgorithm::snapshotOfEachType()
{
    QFETCH(QString, extension);
    QFETCH(QByteArray, signature);
    QFETCH(double, tolerance);

    Page page = tiltedPage(7, 0.08);
    page.frame = QSize(1280, 720);
    KeyStoneAlgorithm algorithm;
    Listener listener(algorithm);
    algorithm.setFps(1);
    algorithm.beginRun();
    processFrame(algorithm, keystonepictures::drawPage(page, 1));
    const cv::Mat frame = keystonepictures::drawPage(page, 2);
    processFrame(algorithm, frame);
    // The report carries the corners the page was kept with, so the straightened page can be made here.
    QCOMPARE(listener.reports.size(), 1);
    QVERIFY(!listener.reports.first().empty());
    std::vector<cv::Point> corners;
    for (const QPoint &corner : listener.reports.first().corners)
        corners.emplace_back(corner.x(), corner.y());
    const cv::Mat expected = KeyStonePageSearch::warpPage(frame, corners);
    QVERIFY(!expected.empty());

    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.") + extension);
    QCOMPARE(algorithm.getkeyStoneFile(path), 0);
    const QByteArray written = fileBytes(path);
    QVERIFY2(written.startsWith(signature), qPrintable(written.left(8).toHex()));

    const QString reference = folder.filePath(QStringLiteral("reference.") + extension);
    QVERIFY(cv::imwrite(reference.toLocal8Bit().constData(), expected, std::vector<int>()));
    QVERIFY(written == fileBytes(reference));

    const cv::Mat read = cv::imread(path.toLocal8Bit().constData(), cv::IMREAD_UNCHANGED);
    QCOMPARE(read.cols, expected.cols);
    QCOMPARE(read.rows, expected.rows);
    // Types without transparency keep the colours only.
    cv::Mat compared = expected;
    if (read.channels() == 3)
        cv::cvtColor(expected, compared, cv::COLOR_BGRA2BGR);
    QCOMPARE(read.type(), compared.type());
    QVERIFY2(largestDifference(read, compared) <= tolerance, qPrintable(QString::number(largestDifference(read, compared))));
}

// The module is loaded when a run starts, not when the algorithm is made (with every camera window).
void TestKeyStoneAlgorithm::runLoadsTheModule()
{
    KeyStoneAlgorithm algorithm;
    QVERIFY(!algorithm.isModuleLoaded());
    algorithm.startDetection(1);
    QTRY_VERIFY(algorithm.isModuleLoaded());
    finish(algorithm);
}

// A run without its module says why and takes frames without finding anything: no page, no
// snapshot, no crash, and the queue does not grow.
void TestKeyStoneAlgorithm::withoutTheModuleNothingIsFound()
{
    const QString missing = QStringLiteral("/nonexistent/liblumidesk-keystone.so");
    KeyStoneAlgorithm algorithm(missing);
    Listener listener(algorithm);
    const cv::Mat frame = keystonepictures::drawPage(tiltedPage(4, 0.05), 1);
    algorithm.startDetection(1);
    for (int i = 0; i < 4; ++i)
        feed(algorithm, frame);
    QTRY_COMPARE(algorithm.processedFrames(), 4);
    QCOMPARE(algorithm.queuedFrames(), 0);
    QVERIFY(!algorithm.isModuleLoaded());
    QVERIFY2(algorithm.moduleError().contains(missing), qPrintable(algorithm.moduleError()));
    QVERIFY2(algorithm.moduleError().contains(QLatin1String("cannot be loaded")),
             qPrintable(algorithm.moduleError()));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("page.png"));
    QCOMPARE(algorithm.getkeyStoneFile(path), -1);
    QVERIFY(!QFile::exists(path));
    finish(algorithm);
    QCOMPARE(listener.reports.size(), 0);
}

QTEST_GUILESS_MAIN(TestKeyStoneAlgorithm)
#include "tst_keystone_algorithm.moc"
