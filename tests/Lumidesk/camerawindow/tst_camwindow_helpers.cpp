#include "camerawindow/capturefilenames.h"
#include "camerawindow/microphonenames.h"
#include "camerawindow/zoompan.h"

#include <QFile>
#include <QStandardPaths>
#include <QtTest>

using Edges = QList<int>;

namespace {

uvcx_roi_control_t roi(int top, int left, int bottom, int right)
{
    uvcx_roi_control_t value;
    value.wROI_Top = uint16_t(top);
    value.wROI_Left = uint16_t(left);
    value.wROI_Bottom = uint16_t(bottom);
    value.wROI_Right = uint16_t(right);
    return value;
}

Edges edgesOf(const uvcx_roi_control_t &value)
{
    return {value.wROI_Top, value.wROI_Left, value.wROI_Bottom, value.wROI_Right};
}

const QSize Frame(1920, 1080);

} // namespace

class TestCamWindowHelpers : public QObject
{
    Q_OBJECT

private slots:
    void digitalZoomSteps();
    void zoomKeepsCropInsideFrame();
    void pan_data();
    void pan();
    void rotateEdges_data();
    void rotateEdges();
    void dragRoi_data();
    void dragRoi();
    void moveRoi_data();
    void moveRoi();
    void microphoneTexts_data();
    void microphoneTexts();
    void sameSecondNamesNeverCollide();
};

void TestCamWindowHelpers::digitalZoomSteps()
{
    ZoomPan zoom;
    QCOMPARE(zoom.fraction(), 1.0f);
    int steps = 0;
    while (zoom.zoomIn(Frame))
        ++steps;
    QCOMPARE(steps, 15);
    QCOMPARE(zoom.level(), 16);
    QCOMPARE(zoom.fraction(), 0.0625f);
    // The crop stays centred all the way in.
    QVERIFY(qAbs(zoom.origin().x() + zoom.fraction() / 2 - 0.5) < 0.01);
    QVERIFY(!zoom.zoomIn(Frame));
    QCOMPARE(zoom.level(), 16);
    while (zoom.zoomOut(Frame))
        --steps;
    QCOMPARE(steps, 0);
    QCOMPARE(zoom.level(), 1);
    QCOMPARE(zoom.origin(), QPointF(0, 0));
    // The slider's value v is the level v + 1.
    zoom.setSliderValue(7, Frame);
    QCOMPARE(zoom.level(), 8);
    QCOMPARE(zoom.fraction(), 1.0f - 7 * 0.0625f);
}

void TestCamWindowHelpers::zoomKeepsCropInsideFrame()
{
    ZoomPan zoom;
    zoom.zoomIn(Frame);
    zoom.zoomIn(Frame);
    // Dragged to the right-hand edge, then zoomed out: the crop may not reach past the frame.
    for (int i = 0; i < 100; ++i)
        zoom.pan(-30, -30, 0);
    QCOMPARE(zoom.origin().x() + zoom.fraction(), 1.0);
    QCOMPARE(zoom.origin().y() + zoom.fraction(), 1.0);
    zoom.zoomOut(Frame);
    QVERIFY(zoom.origin().x() + zoom.fraction() <= 1.0 + 1e-9);
    QVERIFY(zoom.origin().y() + zoom.fraction() <= 1.0 + 1e-9);
    QVERIFY(zoom.origin().x() >= 0.0);
}

void TestCamWindowHelpers::pan_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("moveX"); // in steps of 1 / (level x 20)
    QTest::addColumn<int>("moveY");
    QTest::newRow("20 px: below the threshold") << 0 << 20 << -20 << 0 << 0;
    QTest::newRow("21 px right") << 0 << 21 << 0 << -1 << 0;
    QTest::newRow("21 px left and up") << 0 << -21 << -21 << 1 << 1;
    QTest::newRow("90: a horizontal drag moves vertically") << 90 << 40 << 0 << 0 << 1;
    QTest::newRow("90: a vertical drag moves horizontally") << 90 << 0 << 40 << -1 << 0;
    QTest::newRow("180 turns both") << 180 << 21 << 21 << 1 << 1;
    QTest::newRow("270") << 270 << 21 << 21 << 1 << -1;
    QTest::newRow("other angles move nothing") << 45 << 60 << 60 << 0 << 0;
}

void TestCamWindowHelpers::pan()
{
    QFETCH(int, angle);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, moveX);
    QFETCH(int, moveY);
    ZoomPan zoom;
    zoom.setSliderValue(3, Frame); // level 4, the crop in the middle
    const QPointF before = zoom.origin();
    QCOMPARE(zoom.pan(dx, dy, angle), moveX != 0 || moveY != 0);
    const double step = 1.0 / (4 * 20.0);
    QVERIFY(qAbs(zoom.origin().x() - (before.x() + moveX * step)) < 1e-9);
    QVERIFY(qAbs(zoom.origin().y() - (before.y() + moveY * step)) < 1e-9);

    // Nothing pans at level 1.
    ZoomPan whole;
    QVERIFY(!whole.pan(dx, dy, angle));
}

void TestCamWindowHelpers::rotateEdges_data()
{
    QTest::addColumn<int>("angle");
    QTest::addColumn<Edges>("expected");
    // (top, left, bottom, right) = (100, 200, 300, 600) about (960, 540).
    QTest::newRow("0") << 0 << Edges{100, 200, 300, 600};
    QTest::newRow("90 swaps the axes") << 90 << Edges{-220, 1200, 180, 1400};
    QTest::newRow("180") << 180 << Edges{780, 1320, 980, 1720};
    QTest::newRow("270") << 270 << Edges{900, 520, 1300, 720};
    QTest::newRow("-90 is 270") << -90 << Edges{900, 520, 1300, 720};
    QTest::newRow("450 is 90") << 450 << Edges{-220, 1200, 180, 1400};
    QTest::newRow("45: none") << 45 << Edges{};
}

void TestCamWindowHelpers::rotateEdges()
{
    QFETCH(int, angle);
    QFETCH(Edges, expected);
    QCOMPARE(ZoomPan::rotateEdges(100, 200, 300, 600, 960, 540, angle), expected);
}

void TestCamWindowHelpers::dragRoi_data()
{
    QTest::addColumn<uvcx_roi_control_t>("start");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<int>("angle");
    QTest::addColumn<Edges>("expected");
    const uvcx_roi_control_t middle = roi(540, 960, 1620, 2880);
    QTest::newRow("0: the window moves against the drag") << middle << 40 << 10 << 0 << Edges{530, 920, 1610, 2840};
    QTest::newRow("90: a horizontal drag moves it vertically")
        << middle << 40 << 0 << 90 << Edges{580, 960, 1660, 2880};
    QTest::newRow("180: with the drag") << middle << 40 << 10 << 180 << Edges{550, 1000, 1630, 2920};
    QTest::newRow("other angles: unchanged") << middle << 40 << 10 << 30 << Edges{540, 960, 1620, 2880};
    // A drag longer than the window is high: in 16-bit arithmetic the bottom would wrap to 65000-odd.
    QTest::newRow("drag past the top edge") << roi(10, 960, 30, 2880) << 0 << 200 << 0 << Edges{0, 960, 30, 2880};
    QTest::newRow("drag past the left edge, turned")
        << roi(540, 100, 1620, 300) << -500 << 0 << 180 << Edges{540, 0, 1620, 300};
}

void TestCamWindowHelpers::dragRoi()
{
    QFETCH(uvcx_roi_control_t, start);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(int, angle);
    QFETCH(Edges, expected);
    // The camera's range, both records the whole 4K picture.
    const uvcx_roi_control_t largest = roi(0, 0, 2159, 3839);
    const uvcx_roi_control_t smallest = largest;
    const Edges moved = edgesOf(ZoomPan::dragRoi(start, largest, smallest, dx, dy, angle));
    QCOMPARE(moved, expected);
    for (int edge : moved)
        QVERIFY(edge >= 0 && edge <= 3839);
}

void TestCamWindowHelpers::moveRoi_data()
{
    QTest::addColumn<uvcx_roi_control_t>("start");
    QTest::addColumn<int>("dx");
    QTest::addColumn<int>("dy");
    QTest::addColumn<bool>("moves");
    QTest::addColumn<Edges>("expected");
    const uvcx_roi_control_t middle = roi(540, 960, 1620, 2880);
    QTest::newRow("right by 16") << middle << -16 << 0 << true << Edges{540, 976, 1620, 2896};
    QTest::newRow("up by 112") << middle << 0 << 112 << true << Edges{428, 960, 1508, 2880};
    QTest::newRow("stopped at the right edge") << roi(540, 1919, 1620, 3839) << -16 << 0 << false << Edges{};
    QTest::newRow("stopped at the top edge") << roi(0, 960, 1080, 2880) << 0 << 16 << false << Edges{};
    QTest::newRow("the last step ends at the edge") << roi(540, 1900, 1620, 3820) << -112 << 0 << true
                                                    << Edges{540, 1919, 1620, 3839};
    // Past the left edge the window starts at the smallest window's left edge; never below 0.
    QTest::newRow("past the left edge") << roi(540, 10, 1620, 1930) << 112 << 0 << true << Edges{540, 0, 1620, 1920};
}

void TestCamWindowHelpers::moveRoi()
{
    QFETCH(uvcx_roi_control_t, start);
    QFETCH(int, dx);
    QFETCH(int, dy);
    QFETCH(bool, moves);
    QFETCH(Edges, expected);
    uvcx_roi_control_t moved = start;
    QCOMPARE(ZoomPan::moveRoi(start, roi(0, 0, 2159, 3839), roi(0, 0, 1079, 1919), dx, dy, &moved), moves);
    if (moves)
        QCOMPARE(edgesOf(moved), expected);
}

void TestCamWindowHelpers::microphoneTexts_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("texts");
    const QString thirty = QStringLiteral("USB Microphone Array Front 123");
    QCOMPARE(thirty.size(), 30);
    QTest::newRow("30 characters: 25 and ...") << QStringList{thirty} << QStringList{thirty.left(25) + "..."};
    QTest::newRow("25 characters whole") << QStringList{thirty.left(25)} << QStringList{thirty.left(25)};
    QTest::newRow("equal names numbered") << QStringList{"Mic", "Line", "Mic", "Mic"}
                                          << QStringList{"Mic", "Line", "Mic (2)", "Mic (3)"};
    QTest::newRow("equal once cut") << QStringList{thirty, thirty.left(27)}
                                    << QStringList{thirty.left(25) + "...", thirty.left(25) + "... (2)"};
}

void TestCamWindowHelpers::microphoneTexts()
{
    QFETCH(QStringList, names);
    QFETCH(QStringList, texts);
    QCOMPARE(MicrophoneNames::entryTexts(names), texts);
}

void TestCamWindowHelpers::sameSecondNamesNeverCollide()
{
    const QDateTime second(QDate(2025, 3, 7), QTime(9, 8, 7));
    const QString first = CaptureFileNames::nextPicturePath(second);
    QVERIFY2(first.endsWith(QLatin1String("/Qorv/Tivlo/Picture/Pic03-07-25_090807.jpg")), qPrintable(first));
    QVERIFY(first.startsWith(QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first()));
    // Not written yet (snapshots are written later, on the capture queue): still never handed out twice.
    const QString second2 = CaptureFileNames::nextPicturePath(second);
    QVERIFY2(second2.endsWith(QLatin1String("/Pic03-07-25_090807-2.jpg")), qPrintable(second2));
    // A file left from another run is skipped as well.
    const QString video = CaptureFileNames::nextVideoPath(second);
    QVERIFY2(video.endsWith(QLatin1String("/Qorv/Tivlo/Video/Video03-07-25_090807.mov")), qPrintable(video));
    QFile taken(video.left(video.size() - 4) + QStringLiteral("-2.mov"));
    QVERIFY(taken.open(QIODevice::WriteOnly));
    taken.close();
    QVERIFY(CaptureFileNames::nextVideoPath(second).endsWith(QLatin1String("Video03-07-25_090807-3.mov")));
}

QTEST_GUILESS_MAIN(TestCamWindowHelpers)
#include "tst_camwindow_helpers.moc"
