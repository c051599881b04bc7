#include "toolbarfixture.h"

#include "camera/generalcamera.h"
#include "camerawindow/cameramainwidget.h"
#include "common/cameralayoutgeometry.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "toolbar/pipwidget.h"

#include <QScreen>

using namespace toolbar;
using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

QSharedPointer<SimulatedCamera> camera(int position, quint16 product, const QString &name)
{
    return SimulatedCamera::makeStandard(product, 0x05100000u + quint32(position) * 0x00100000u, name);
}

void plugOnly(const QList<QSharedPointer<SimulatedCamera>> &cameras)
{
    SimulatedCameras *all = SimulatedCameras::instance();
    for (const auto &each : all->cameras())
        all->unplug(each->info().uniqueId);
    for (const auto &each : cameras)
        all->plug(each);
}

quint32 locationShown(CameraMainWidget *window)
{
    GeneralCamera *shown = window ? window->getSourceCamera() : nullptr;
    return shown ? shown->getLocationID() : 0;
}

} // namespace

// Camera layouts on a 1920 x 1080 screen: window sizes and places, which simulated camera each window
// gets, closing a window with its own button and swapping the two windows.
class TestLayouts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void geometryOfTheScreen_data();
    void geometryOfTheScreen();
    void layoutsPlaceTheWindows_data();
    void layoutsPlaceTheWindows();
    void supportedCamerasInListOrder();
    void closingAWindowWithItsButton();
    void swapTwiceIsIdentity();
    void sameCameraInBothWindows();

private:
    void choose(Lumidesk &bar, int mode);
};

void TestLayouts::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestLayouts::init()
{
    writeSettings({});
    plugOnly({camera(0, 0x0815, "Doc one"), camera(1, 0x0701, "Doc two")});
}

void TestLayouts::choose(Lumidesk &bar, int mode)
{
    // As the chooser reports it: queued, once its own click handling is through.
    emit bar.layoutChooser()->doShowCameraMode(mode);
    QTRY_COMPARE(bar.layoutMode(), mode);
}

void TestLayouts::geometryOfTheScreen_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("first");
    QTest::addColumn<QRect>("second");

    const QRect screen(0, 0, 1920, 1080);
    // Small: 1080 x 0.38 = 410 high, (410 - 30) / 9 x 16 = 672 wide; large: 850 high, 1456 wide.
    QTest::newRow("one camera") << 1 << screen << QRect(1248, 624, 672, 410) << QRect();
    QTest::newRow("two cameras") << 2 << screen << QRect(1248, 621, 672, 410) << QRect(1248, 0, 672, 410);
    QTest::newRow("picture in picture") << 3 << screen << QRect(464, 181, 1456, 850) << QRect(1248, 621, 672, 410);
    QTest::newRow("two cameras, panel at the top")
            << 2 << QRect(0, 27, 1920, 1053) << QRect(1248, 621, 672, 410) << QRect(1248, 27, 672, 410);
}

void TestLayouts::geometryOfTheScreen()
{
    QFETCH(int, mode);
    QFETCH(QRect, available);
    QFETCH(QRect, first);
    QFETCH(QRect, second);
    const QRect screen(0, 0, 1920, 1080);
    if (mode == 1) {
        QCOMPARE(CameraLayoutGeometry::single(screen, available), first);
    } else {
        const CameraLayoutGeometry::Places places = CameraLayoutGeometry::dual(mode, screen, available);
        QCOMPARE(places.first, first);
        QCOMPARE(places.second, second);
    }
    QCOMPARE(CameraLayoutGeometry::smallSize(720), QSize(432, 273)); // (273 - 30) / 9 = 27
}

void TestLayouts::layoutsPlaceTheWindows_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("first");
    QTest::addColumn<QRect>("second");

    QTest::newRow("one camera") << 1 << QRect(1248, 624, 672, 410) << QRect();
    QTest::newRow("two cameras") << 2 << QRect(1248, 621, 672, 410) << QRect(1248, 0, 672, 410);
    QTest::newRow("picture in picture") << 3 << QRect(464, 181, 1456, 850) << QRect(1248, 621, 672, 410);
}

void TestLayouts::layoutsPlaceTheWindows()
{
    QFETCH(int, mode);
    QFETCH(QRect, first);
    QFETCH(QRect, second);
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1080));

    auto bar = makeToolbar();
    choose(*bar, mode);
    CameraMainWidget *one = bar->firstCameraWindow();
    QVERIFY(one->isVisible());
    // The last resize sets the width's lowest bit: it makes the window lay itself out afresh.
    auto relaidOut = [](const QRect &r) { return QRect(r.topLeft(), QSize(r.width() | 1, r.height())); };
    // Then each window is drawn afresh by growing it a pixel and putting it back: the X server answers
    // both steps, one by one, and a busy machine may handle the first answer (the grown width) before
    // the second has come. The place is the one the last step leaves.
    QTRY_COMPARE(one->geometry(), relaidOut(first));
    QVERIFY(locationShown(one) != 0);
    QCOMPARE(bar->layoutChooser()->getCameraCount(), mode);
    if (second.isNull()) {
        QVERIFY(!bar->secondCameraWindow() || !bar->secondCameraWindow()->isVisible());
        QVERIFY(one->btnChange->isHidden());
    } else {
        CameraMainWidget *two = bar->secondCameraWindow();
        QVERIFY(two->isVisible());
        QTRY_COMPARE(two->geometry(), relaidOut(second));
        QCOMPARE(two->getCameraOrder(), 2);
        QVERIFY(!one->btnChange->isHidden());
        QVERIFY(!two->btnChange->isHidden());
        QVERIFY(locationShown(two) != 0);
        QVERIFY(locationShown(two) != locationShown(one));
    }

    // Back to the desktop only: the windows close and stay for the next layout.
    CameraMainWidget *kept = bar->firstCameraWindow();
    choose(*bar, 0);
    QVERIFY(!kept->isVisible());
    QCOMPARE(bar->firstCameraWindow(), kept);
    QCOMPARE(bar->layoutChooser()->getCameraCount(), 0);
}

void TestLayouts::supportedCamerasInListOrder()
{
    // The maker's cameras only, in the manager's order; a product of 0x2000 or above is not one.
    const auto first = camera(0, 0x0815, "Doc one");
    const auto other = camera(1, 0x2001, "Other");
    const auto second = camera(2, 0x0701, "Doc two");
    plugOnly({first, other, second});
    auto bar = makeToolbar();
    choose(*bar, 2);
    QCOMPARE(locationShown(bar->firstCameraWindow()), first->info().locationId);
    QCOMPARE(locationShown(bar->secondCameraWindow()), second->info().locationId);

    // One supported camera in picture in picture: the large window gets it, the small none.
    plugOnly({other, first});
    choose(*bar, 0);
    choose(*bar, 3);
    QCOMPARE(locationShown(bar->firstCameraWindow()), first->info().locationId);
    QCOMPARE(locationShown(bar->secondCameraWindow()), 0u);
}

void TestLayouts::closingAWindowWithItsButton()
{
    auto bar = makeToolbar();
    choose(*bar, 2);
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    bar->secondCameraWindow()->btnMainClose->click();
    QCOMPARE(bar->layoutChooser()->getCameraCount(), 1);
    QCOMPARE(countOf(analytics, Lumidesk::LayoutEvent), 1);
    QCOMPARE(firstOf(analytics, Lumidesk::LayoutEvent).at(1).toInt(), 0x12000002);
    QVERIFY(!bar->secondCameraWindow()->getBtnCloseClicked());
    QVERIFY(bar->firstCameraWindow()->btnChange->isHidden());
    QVERIFY(bar->secondCameraWindow()->btnChange->isHidden());

    bar->firstCameraWindow()->btnMainClose->click();
    QCOMPARE(bar->layoutChooser()->getCameraCount(), 0);
    QCOMPARE(countOf(analytics, Lumidesk::LayoutEvent), 2);
    QCOMPARE(analytics.last().at(1).toInt(), 0x12000001);
}

void TestLayouts::swapTwiceIsIdentity()
{
    auto bar = makeToolbar();
    choose(*bar, 3);
    CameraMainWidget *large = bar->firstCameraWindow();
    CameraMainWidget *small = bar->secondCameraWindow();
    // The layout is where a maximised window goes back to; the windows end there once the X server's
    // answers to both steps of their redraw (a pixel wider, then back) are in.
    QTRY_COMPARE(large->geometry(), large->restoreRect());
    QTRY_COMPARE(small->geometry(), small->restoreRect());
    const QRect largeAt = large->geometry();
    const QRect smallAt = small->geometry();
    QCOMPARE(smallAt, QRect(1248, 621, 673, 410));
    large->btnMainMax->click();
    QVERIFY(large->isMaximizedState());
    const QRect full = large->geometry();
    QCOMPARE(full, QGuiApplication::primaryScreen()->availableGeometry());

    // One swap: each window takes the other's place, flag and way back.
    emit large->switchScreens();
    QCOMPARE(large->geometry(), smallAt);
    QCOMPARE(small->geometry(), full);
    QVERIFY(!large->isMaximizedState());
    QVERIFY(small->isMaximizedState());
    QCOMPARE(large->restoreRect(), smallAt);
    QCOMPARE(small->restoreRect(), largeAt);

    // The second swap gives everything back.
    emit small->switchScreens();
    QCOMPARE(large->geometry(), full);
    QCOMPARE(small->geometry(), smallAt);
    QVERIFY(large->isMaximizedState());
    QVERIFY(!small->isMaximizedState());
    QCOMPARE(large->restoreRect(), largeAt);
    QCOMPARE(small->restoreRect(), smallAt);

    // And the maximised window still goes back to its place.
    large->btnMainMax->click();
    QVERIFY(!large->isMaximizedState());
    QCOMPARE(large->geometry(), largeAt);
}

void TestLayouts::sameCameraInBothWindows()
{
    auto bar = makeToolbar();
    choose(*bar, 2);
    CameraMainWidget *one = bar->firstCameraWindow();
    CameraMainWidget *two = bar->secondCameraWindow();
    const quint32 firstShows = locationShown(one);
    QVERIFY(firstShows != 0);
    // The second window picks the first one's camera: it gives way at once, the first keeps it.
    const int index = two->comboBoxSource->findData(int(firstShows), Qt::UserRole);
    QVERIFY(index > 0);
    two->comboBoxSource->setCurrentIndex(index);
    QTRY_COMPARE(locationShown(two), 0u);
    QCOMPARE(locationShown(one), firstShows);
}

QTEST_MAIN(TestLayouts)
#include "tst_toolbar_layouts.moc"
