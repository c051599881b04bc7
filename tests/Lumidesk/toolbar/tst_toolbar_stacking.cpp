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
#include "camerasettings/camerasettingdialog.h"
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/swupdatedialog.h"
#include "xdotool.h"
#include "xstackorder.h"

#include <QCursor>
#include <QProcess>
#include <QScopeGuard>
#include <QSettings>
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

// The pop-ups of the bar that are on screen.
QList<QPair<QString, const QWidget *>> shownPopups(const Lumidesk &bar)
{
    const QList<QPair<QString, const QWidget *>> all = {{QStringLiteral("chooser"), bar.layoutChooser()},
                                                         {QStringLiteral("notice"), bar.notification()},
                                                         {QStringLiteral("settings"), bar.settingDialog()},
                                                         {QStringLiteral("live settings"), bar.liveSettingDialog()},
                                                         {QStringLiteral("update"), bar.updateDialog()}};
    QList<QPair<QString, const QWidget *>> shown;
    for (const auto &each : all) {
        if (XStackOrder::levelOf(each.second) >= 0)
            shown.append(each);
    }
    return shown;
}

QPoint centreOf(const QWidget *widget)
{
    return widget->mapToGlobal(widget->rect().center());
}

// The user's pointer, through the X server: the window manager sees it as the program does.
QStringList pointerTo(const QPoint &point)
{
    // Waiting for a move that does not happen would wait for ever.
    if (QCursor::pos() == point)
        return {};
    return {"mousemove", "--sync", QString::number(point.x()), QString::number(point.y())};
}

bool clickAt(const QPoint &point)
{
    return xdotool(pointerTo(point) + QStringList{"click", "1"});
}

bool dragFrom(const QPoint &from, const QPoint &by)
{
    return xdotool(pointerTo(from)
                   + QStringList{"mousedown", "1", "mousemove", "--sync", QString::number(from.x() + by.x() / 2),
                                 QString::number(from.y() + by.y() / 2), "mousemove", "--sync",
                                 QString::number(from.x() + by.x()), QString::number(from.y() + by.y()), "mouseup",
                                 "1"});
}

QToolButton *layoutButton(PipWidget *chooser, int mode)
{
    Ui::PipWidget *form = chooser->form();
    return mode == PipWidget::SingleCamera ? form->singleCameraBtn
                                           : (mode == PipWidget::DualCamera ? form->dualCameraBtn : form->pipCameraBtn);
}

} // namespace

// Which window lies above which on a real X server, bare and under a window manager: the bar lies above
// every window of the camera layouts and its pop-ups above the bar, wherever the bar is docked and
// whatever the user clicks; in picture in picture the small camera window lies above the large one.
class TestStacking : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void barAboveTheCameraWindows_data();
    void barAboveTheCameraWindows();
    void penGivesTheScreenBack_data();
    void penGivesTheScreenBack();
    void minimiseLeavesAWayBack_data();
    void minimiseLeavesAWayBack();
};

namespace {

// What must hold whatever the user does: each camera window above its picture and keystone outline,
// the bar above all of them, every pop-up of the bar on screen above the bar, and in picture in
// picture the small window (the second) with its picture above the large one.
bool stackingHolds(const Lumidesk &bar, bool pictureInPicture)
{
    const auto cameras = cameraWindows(bar);
    if (!XStackOrder::above({&bar}, widgetsOf(cameras)) || !XStackOrder::above(widgetsOf(shownPopups(bar)), {&bar}))
        return false;
    for (CameraMainWidget *camera : {bar.firstCameraWindow(), bar.secondCameraWindow()}) {
        if (camera && XStackOrder::levelOf(camera) >= 0
            && !XStackOrder::above({camera}, {camera->previewWindow(), camera->keyStone()}))
            return false;
    }
    if (!pictureInPicture)
        return true;
    const CameraMainWidget *large = bar.firstCameraWindow();
    const CameraMainWidget *small = bar.secondCameraWindow();
    return XStackOrder::above({small, small->previewWindow(), small->keyStone()},
                              {large, large->previewWindow(), large->keyStone()});
}

QString stackOf(const Lumidesk &bar)
{
    auto all = cameraWindows(bar);
    all.append({QStringLiteral("bar"), &bar});
    all.append(shownPopups(bar));
    return XStackOrder::describe(all);
}

} // namespace

void TestStacking::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY2(xdotool({"version"}), "xdotool is needed to act as the user");
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
    QList<CameraMainWidget *> windows = {bar->firstCameraWindow()};
    if (mode >= 2)
        windows.append(bar->secondCameraWindow());
    for (CameraMainWidget *window : windows) {
        QTRY_VERIFY(XStackOrder::levelOf(window) >= 0);
        QTRY_VERIFY(XStackOrder::levelOf(window->previewWindow()) >= 0);
    }

    const bool pictureInPicture = mode == PipWidget::PipCamera;
    // After the window manager has done what the user's pointer asks of it, and the program has
    // answered.
    const auto holds = [&] { return stackingHolds(*bar, pictureInPicture); };
    QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable(stackOf(*bar)), 10000);

    // Clicks and a pan on each picture, the camera's settings opened and closed: a window manager
    // raises what is clicked, and the window a dialog belongs to.
    for (CameraMainWidget *window : windows) {
        const QString name = window == bar->firstCameraWindow() ? QStringLiteral("first") : QStringLiteral("second");
        QVERIFY(clickAt(centreOf(window->previewWindow())));
        QVERIFY(WindowManagerRun::settle());
        QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable(name + " picture clicked: " + stackOf(*bar)), 10000);

        QVERIFY(dragFrom(centreOf(window->previewWindow()), QPoint(60, 30)));
        QVERIFY(WindowManagerRun::settle());
        QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable(name + " picture dragged: " + stackOf(*bar)), 10000);

        QTRY_VERIFY(window->btnCameraSettting->isEnabled());
        QVERIFY(clickAt(centreOf(window->btnCameraSettting)));
        CameraSettingDialog *settings = window->cameraSettingDialog();
        QTRY_VERIFY(XStackOrder::levelOf(settings) >= 0);
        // Above the window it belongs to, which the click raised.
        QTRY_VERIFY2_WITH_TIMEOUT(XStackOrder::above({settings}, {window, window->previewWindow(), window->keyStone()}),
                                  qPrintable(name + " settings below the window: " + stackOf(*bar)), 10000);
        QVERIFY(WindowManagerRun::settle());
        QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable(name + " settings open: " + stackOf(*bar)), 10000);

        QVERIFY(clickAt(centreOf(settings->findChild<QToolButton *>(QStringLiteral("btnClose")))));
        QTRY_VERIFY(!settings->isVisible());
        QVERIFY(WindowManagerRun::settle());
        QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable(name + " settings closed: " + stackOf(*bar)), 10000);
    }

    // The chooser opened again from the bar comes up above the bar and the camera windows.
    QToolButton *chooserButton = ToolbarStyle::isVertical(edge) ? bar->selectLayoutBtnVer : bar->selectLayoutBtn;
    chooserButton->click();
    QTRY_VERIFY(XStackOrder::levelOf(chooser) >= 0);
    QTRY_VERIFY2_WITH_TIMEOUT(holds(), qPrintable("chooser: " + stackOf(*bar)), 10000);
    chooser->reject();

    // A notice of the bar stays above a camera window brought to the front (as a click on it does), and
    // so does the bar.
    bar->showNotificationDialog(QStringLiteral("Notice"), QStringLiteral("Above the cameras."), 1);
    QTRY_VERIFY(XStackOrder::levelOf(bar->notification()) >= 0);
    // What its showing set going is through before the camera window comes forward.
    QCoreApplication::processEvents();
    bar->firstCameraWindow()->raise();
    QVERIFY(WindowManagerRun::settle());
    QTRY_VERIFY2_WITH_TIMEOUT(holds() && XStackOrder::above({bar->notification()}, widgetsOf(cameras)),
                              qPrintable("notice: " + stackOf(*bar)), 10000);
}

void TestStacking::penGivesTheScreenBack_data()
{
    QTest::addColumn<bool>("managed");
    QTest::addColumn<QPoint>("place");

    // At the right edge so low that DrawletApp's longer toolbar has to go to the top of the edge.
    QTest::newRow("bare, right") << false << QPoint(1865, 507);
    QTest::newRow("openbox, right") << true << QPoint(1865, 507);
    QTest::newRow("openbox, bottom") << true << QPoint(716, 1025);
}

void TestStacking::penGivesTheScreenBack()
{
    QFETCH(bool, managed);
    QFETCH(QPoint, place);

    WindowManagerRun manager;
    if (managed)
        QVERIFY(manager.start());
    writeSettings({{QStringLiteral("POSITION/X"), place.x()}, {QStringLiteral("POSITION/Y"), place.y()}});
    auto bar = makeToolbar();
    const QRect docked = bar->geometry();
    QCOMPARE(docked.topLeft(), place);
    QTRY_VERIFY(bar->layoutChooser()->isVisible());
    bar->layoutChooser()->reject();

    // The real DrawletApp with its panel, linked to this bar.
    QProcess drawlet;
    drawlet.setProcessChannelMode(QProcess::ForwardedChannels);
    drawlet.start(QStringLiteral(DRAWLETAPP_PROGRAM), QStringList());
    QVERIFY(drawlet.waitForStarted());
    const auto endDrawlet = qScopeGuard([&drawlet] {
        drawlet.kill();
        drawlet.waitForFinished();
    });
    QTRY_VERIFY_WITH_TIMEOUT(bar->localServer()->isPanelConnected(), 20000);

    // The pen, clicked: DrawletApp's toolbar takes the screen.
    const bool vertical = ToolbarStyle::isVertical(bar->dockEdge());
    QToolButton *pen = vertical ? bar->drawletBtnVer : bar->drawletBtn;
    QVERIFY(clickAt(centreOf(pen)));
    QTRY_VERIFY(!bar->isVisible());
    QRect annotation;
    const auto annotationShown = [&] {
        QString ids;
        xdotool({"search", "--onlyvisible", "--pid", QString::number(drawlet.processId())}, &ids);
        for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
            QString shell;
            if (!xdotool({"getwindowgeometry", "--shell", id}, &shell))
                continue;
            QMap<QString, int> values;
            for (const QString &line : shell.split('\n', Qt::SkipEmptyParts))
                values.insert(line.section('=', 0, 0), line.section('=', 1).toInt());
            const QRect window(values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]);
            if (window.width() == 776 || window.height() == 776)
                annotation = window;
        }
        return annotation.isValid();
    };
    QTRY_VERIFY_WITH_TIMEOUT(annotationShown(), 20000);

    // Its close button at the far end gives the screen back, the mouse far from where the pen was.
    const QPoint close = annotation.topLeft() + (vertical ? QPoint(annotation.width() / 2, 737 + 17)
                                                          : QPoint(737 + 17, annotation.height() / 2));
    QVERIFY(clickAt(close));
    QTRY_VERIFY_WITH_TIMEOUT(bar->isVisible(), 20000);
    // Back where it was, its pen no longer drawn as under the mouse.
    QTRY_COMPARE(bar->geometry(), docked);
    QVERIFY(!pen->geometry().contains(pen->parentWidget()->mapFromGlobal(close)));
    QVERIFY(!pen->underMouse());

    // And that place is the one kept for the next start.
    QVERIFY(QMetaObject::invokeMethod(bar.get(), "closeToolBar"));
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    QCOMPARE(QPoint(settings.value(QStringLiteral("POSITION/X")).toInt(),
                    settings.value(QStringLiteral("POSITION/Y")).toInt()),
             place);
}

void TestStacking::minimiseLeavesAWayBack_data()
{
    QTest::addColumn<bool>("managed");
    QTest::newRow("bare") << false;
    QTest::newRow("openbox") << true;
}

void TestStacking::minimiseLeavesAWayBack()
{
    QFETCH(bool, managed);

    WindowManagerRun manager;
    if (managed)
        QVERIFY(manager.start());
    writeSettings({});
    auto bar = makeToolbar();
    PipWidget *chooser = bar->layoutChooser();
    QTRY_VERIFY(chooser->isVisible());
    layoutButton(chooser, PipWidget::SingleCamera)->click();
    QTRY_VERIFY(!chooser->isVisible());
    CameraMainWidget *window = bar->firstCameraWindow();
    QTRY_VERIFY(XStackOrder::levelOf(window) >= 0);
    QTRY_VERIFY(XStackOrder::levelOf(window->previewWindow()) >= 0);

    // Minimised, nothing of the camera window stays on the screen: a window manager keeps it as an
    // icon; without one it is hidden whole.
    QVERIFY(clickAt(centreOf(window->btnMainMin)));
    QVERIFY(WindowManagerRun::settle());
    QTRY_VERIFY(XStackOrder::levelOf(window) < 0);
    QTRY_VERIFY(XStackOrder::levelOf(window->previewWindow()) < 0);
    QCOMPARE(window->isVisible(), managed);

    // The layout chooser brings it back with its picture.
    bar->selectLayoutBtn->click();
    QTRY_VERIFY(chooser->isVisible());
    layoutButton(chooser, PipWidget::SingleCamera)->click();
    QTRY_VERIFY(!chooser->isVisible());
    QTRY_VERIFY(XStackOrder::levelOf(window) >= 0);
    QTRY_VERIFY(XStackOrder::levelOf(window->previewWindow()) >= 0);
    QVERIFY(!window->isMinimized());
    QTRY_VERIFY2_WITH_TIMEOUT(stackingHolds(*bar, false), qPrintable(stackOf(*bar)), 10000);
}

QTEST_MAIN(TestStacking)
#include "tst_toolbar_stacking.moc"
