#include "toolbarfixture.h"

#include "camerawindow/cameramainwidget.h"
#include "camerawindow/keystonewidget.h"
#include "common/abstractcapturescreenaction.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "toolbar/pipwidget.h"
#include "toolbar/toolbarstyle.h"
#include "ui_pipwidget.h"
#include "xstackorder.h"

#include <QScreen>
#include <QToolButton>

using namespace toolbar;
using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

void plugTwoCameras()
{
    SimulatedCameras *all = SimulatedCameras::instance();
    for (const auto &each : all->cameras())
        all->unplug(each->info().uniqueId);
    all->plug(SimulatedCamera::makeStandard(0x0815, 0x05100000u, QStringLiteral("Doc one")));
    all->plug(SimulatedCamera::makeStandard(0x0701, 0x05200000u, QStringLiteral("Doc two")));
}

// Every window a camera window puts on screen: itself, its picture and its keystone outline.
QList<QPair<QString, const QWidget *>> cameraWindows(const Lumidesk &bar)
{
    QList<QPair<QString, const QWidget *>> windows;
    const QList<QPair<QString, CameraMainWidget *>> owners = {{QStringLiteral("first"), bar.firstCameraWindow()},
                                                             {QStringLiteral("second"), bar.secondCameraWindow()}};
    for (const auto &owner : owners) {
        if (!owner.second)
            continue;
        windows.append({owner.first, owner.second});
        windows.append({owner.first + QStringLiteral(" picture"), owner.second->previewWindow()});
        windows.append({owner.first + QStringLiteral(" keystone"), owner.second->keyStone()});
    }
    return windows;
}

QList<const QWidget *> widgetsOf(const QList<QPair<QString, const QWidget *>> &named)
{
    QList<const QWidget *> widgets;
    for (const auto &each : named)
        widgets.append(each.second);
    return widgets;
}

QToolButton *layoutButton(PipWidget *chooser, int mode)
{
    Ui::PipWidget *form = chooser->form();
    return mode == PipWidget::SingleCamera ? form->singleCameraBtn
                                           : (mode == PipWidget::DualCamera ? form->dualCameraBtn : form->pipCameraBtn);
}

} // namespace

// Which window lies above which on a real X server, bare and under a window manager: the bar and the
// layout chooser and notices it opens lie above every window of the camera layouts, wherever the bar is
// docked.
class TestStacking : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void barAboveTheCameraWindows_data();
    void barAboveTheCameraWindows();
};

void TestStacking::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
}

void TestStacking::init()
{
    plugTwoCameras();
}

void TestStacking::barAboveTheCameraWindows_data()
{
    QTest::addColumn<bool>("managed");
    QTest::addColumn<QPoint>("place");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("mode");

    const QList<QPair<const char *, bool>> servers = {{"bare", false}, {"openbox", true}};
    // The right edge is where the camera windows stand.
    const QList<QPair<const char *, QPair<QPoint, int>>> places = {
            {"bottom", {QPoint(716, 1025), AbstractCaptureScreenAction::Bottom}},
            {"right", {QPoint(1865, 300), AbstractCaptureScreenAction::Right}}};
    const QList<QPair<const char *, int>> modes = {
            {"one camera", 1}, {"two cameras", 2}, {"picture in picture", 3}};
    for (const auto &server : servers) {
        for (const auto &place : places) {
            for (const auto &mode : modes) {
                QTest::addRow("%s, %s, %s", server.first, place.first, mode.first)
                        << server.second << place.second.first << place.second.second << mode.second;
            }
        }
    }
}

void TestStacking::barAboveTheCameraWindows()
{
    QFETCH(bool, managed);
    QFETCH(QPoint, place);
    QFETCH(int, edge);
    QFETCH(int, mode);

    // Made before the bar, so it outlives every window.
    WindowManagerRun manager;
    if (managed)
        QVERIFY(manager.start());
    QCOMPARE(WindowManagerRun::managing(), managed);

    writeSettings({{QStringLiteral("POSITION/X"), place.x()}, {QStringLiteral("POSITION/Y"), place.y()}});
    auto bar = makeToolbar();
    QCOMPARE(bar->dockEdge(), edge);
    PipWidget *chooser = bar->layoutChooser();
    QTRY_VERIFY(chooser->isVisible());

    // The user picks the layout in the chooser the bar opened.
    layoutButton(chooser, mode)->click();
    QTRY_COMPARE(bar->layoutMode(), mode);
    QTRY_VERIFY(!chooser->isVisible());
    const auto cameras = cameraWindows(*bar);
    QTRY_VERIFY(XStackOrder::levelOf(bar->firstCameraWindow()) >= 0);
    if (mode >= 2)
        QTRY_VERIFY(XStackOrder::levelOf(bar->secondCameraWindow()) >= 0);

    auto stack = [&] {
        auto all = cameras;
        all.append({QStringLiteral("bar"), bar.get()});
        all.append({QStringLiteral("chooser"), chooser});
        return XStackOrder::describe(all);
    };
    QTRY_VERIFY2_WITH_TIMEOUT(XStackOrder::above({bar.get()}, widgetsOf(cameras)), qPrintable(stack()), 10000);

    // The chooser opened again from the bar comes up above the camera windows too, the bar still
    // above them.
    QToolButton *chooserButton = ToolbarStyle::isVertical(edge) ? bar->selectLayoutBtnVer : bar->selectLayoutBtn;
    chooserButton->click();
    QTRY_VERIFY(chooser->isVisible());
    QTRY_VERIFY2_WITH_TIMEOUT(XStackOrder::above({chooser}, widgetsOf(cameras)), qPrintable(stack()), 10000);
    QVERIFY2(XStackOrder::above({bar.get()}, widgetsOf(cameras)), qPrintable(stack()));
    chooser->reject();

    // A notice of the bar stays above a camera window brought to the front (as a click on it does), and
    // so does the bar.
    bar->showNotificationDialog(QStringLiteral("Notice"), QStringLiteral("Above the cameras."), 1);
    QTRY_VERIFY(XStackOrder::levelOf(bar->notification()) >= 0);
    // What its showing set going is through before the camera window comes forward.
    QCoreApplication::processEvents();
    bar->firstCameraWindow()->raise();
    auto withNotice = [&] {
        return stack() + QStringLiteral(" | notice (%1)").arg(XStackOrder::levelOf(bar->notification()));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(XStackOrder::above({bar.get(), bar->notification()}, widgetsOf(cameras)),
                              qPrintable(withNotice()), 10000);
}

QTEST_MAIN(TestStacking)
#include "tst_toolbar_stacking.moc"
