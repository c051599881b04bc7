#include "toolbarfixture.h"

#include "camerasettings/camerasettingdialog.h"
#include "camerawindow/cameramainwidget.h"
#include "dialogs/livestreamsettingdialog.h"
#include "dialogs/navigationdialog.h"
#include "dialogs/othersettingdialog.h"
#include "dialogs/swupdatedialog.h"
#include "livewarningdialog.h"
#include "manager/doccammanager.h"
#include "progressdialog.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "toolbar/pipwidget.h"
#include "ui_pipwidget.h"
#include "warningdialog.h"
#include "xstackorder.h"
#include "xwindowlist.h"

#include <QToolButton>

#include <algorithm>
#include <functional>

using namespace toolbar;
using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

const int WaitMs = 10000;
const QString Entry = QStringLiteral("entry");
const QString KeptOut = QStringLiteral("kept out");

void plugTwoCameras()
{
    SimulatedCameras *all = SimulatedCameras::instance();
    for (const auto &each : all->cameras())
        all->unplug(each->info().uniqueId);
    all->plug(SimulatedCamera::makeStandard(0x0815, 0x05100000u, QStringLiteral("Doc one")));
    all->plug(SimulatedCamera::makeStandard(0x0701, 0x05200000u, QStringLiteral("Doc two")));
}

// Each window the window manager lists for this process.
QStringList listed()
{
    return XWindowList::taskbarLines(QCoreApplication::applicationPid());
}

QStringList sorted(QStringList lines)
{
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The program's own titles: its name, and after it what the window is.
bool readable(const QString &line)
{
    const QString title = line.section(QStringLiteral(": "), 0, 0);
    return title == QLatin1String("Lumidesk") || title.startsWith(QLatin1String("Lumidesk - "));
}

QStringList cameraWindows(int count)
{
    QStringList lines;
    for (int order = 1; order <= count; ++order) {
        const QString camera = QStringLiteral("Lumidesk - Camera %1").arg(order);
        lines << camera + QStringLiteral(": entry") << camera + QStringLiteral(" Picture: kept out")
              << camera + QStringLiteral(" Keystone: kept out");
    }
    return lines;
}

QToolButton *layoutButton(PipWidget *chooser, int mode)
{
    Ui::PipWidget *form = chooser->form();
    const QList<QToolButton *> buttons = {form->noCameraBtn, form->singleCameraBtn, form->dualCameraBtn,
                                          form->pipCameraBtn};
    return buttons.at(mode);
}

using Opener = std::function<QWidget *(Lumidesk &)>;

} // namespace

Q_DECLARE_METATYPE(Opener)

// What a taskbar or window list shows of the program under a real window manager: every window has
// a title a user can read, the toolbar and the camera windows have their entries, and the pop-ups
// that belong to them are kept out of the taskbar and the pager, whenever they are shown.
class TestWindowTitles : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void eachLayout_data();
    void eachLayout();
    void eachPopup_data();
    void eachPopup();
    void titlesFollowTheLanguage();

private:
    std::unique_ptr<Lumidesk> openLayout(int mode);

    WindowManagerRun m_manager;
};

void TestWindowTitles::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
    QVERIFY(m_manager.start());
}

void TestWindowTitles::init()
{
    plugTwoCameras();
    writeSettings({});
}

std::unique_ptr<Lumidesk> TestWindowTitles::openLayout(int mode)
{
    auto bar = makeToolbar();
    PipWidget *chooser = bar->layoutChooser();
    if (!QTest::qWaitFor([&] { return chooser->isVisible(); }, WaitMs))
        return nullptr;
    layoutButton(chooser, mode)->click();
    if (!QTest::qWaitFor([&] { return bar->layoutMode() == mode && !chooser->isVisible(); }, WaitMs))
        return nullptr;
    return bar;
}

void TestWindowTitles::eachLayout_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("windows");
    const QStringList bar = {QStringLiteral("Lumidesk: entry")};
    QTest::newRow("desktop only") << int(PipWidget::NoCamera) << bar;
    QTest::newRow("one camera") << int(PipWidget::SingleCamera) << bar + cameraWindows(1);
    QTest::newRow("two cameras") << int(PipWidget::DualCamera) << bar + cameraWindows(2);
    QTest::newRow("picture in picture") << int(PipWidget::PipCamera) << bar + cameraWindows(2);
}

void TestWindowTitles::eachLayout()
{
    QFETCH(int, mode);
    QFETCH(QStringList, windows);

    auto bar = makeToolbar();
    PipWidget *chooser = bar->layoutChooser();
    QTRY_VERIFY(chooser->isVisible());
    // The chooser the toolbar opens at start belongs to it.
    QTRY_COMPARE_WITH_TIMEOUT(listed(),
                              sorted({QStringLiteral("Lumidesk: entry"), QStringLiteral("Lumidesk - Camera Layout: kept out")}),
                              WaitMs);

    layoutButton(chooser, mode)->click();
    QTRY_COMPARE(bar->layoutMode(), mode);
    QTRY_COMPARE_WITH_TIMEOUT(listed(), sorted(windows), WaitMs);
}

void TestWindowTitles::eachPopup_data()
{
    QTest::addColumn<Opener>("open");
    QTest::addColumn<QString>("title");

    QTest::newRow("toolbar notice") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.showNotificationDialog(QStringLiteral("Stream Notification"), QStringLiteral("A notice."), 0);
        return bar.notification();
    }) << "Lumidesk - Notice";
    QTest::newRow("general settings") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.settingsBtn->click();
        return bar.settingDialog();
    }) << "Lumidesk - Settings";
    QTest::newRow("desktop stream setting") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.streamingBtn->click();
        return bar.liveSettingDialog();
    }) << "Lumidesk - Stream Setting";
    QTest::newRow("layout chooser") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.selectLayoutBtn->click();
        return bar.layoutChooser();
    }) << "Lumidesk - Camera Layout";
    QTest::newRow("guide from the chooser") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.selectLayoutBtn->click();
        bar.layoutChooser()->form()->questionBtn->click();
        return bar.layoutChooser()->guide();
    }) << "Lumidesk - Guide";
    QTest::newRow("software update") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.updateDialog()->show();
        return bar.updateDialog();
    }) << "Lumidesk - Software Update";
    QTest::newRow("camera settings") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->btnCameraSettting->click();
        return bar.firstCameraWindow()->cameraSettingDialog();
    }) << "Lumidesk - Camera Settings";
    QTest::newRow("camera stream setting") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->btnStartLive->click();
        return bar.firstCameraWindow()->liveStreamSettingDialog();
    }) << "Lumidesk - Stream Setting";
    QTest::newRow("camera notice") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->showNotificationDialog(QStringLiteral("Tivlo"), QStringLiteral("A notice."), 0);
        return bar.firstCameraWindow()->notification();
    }) << "Lumidesk - Notice";
    QTest::newRow("camera frame-rate warning") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->btnWarring->click();
        return bar.firstCameraWindow()->findChild<WarningDialog *>();
    }) << "Lumidesk - Warning";
    QTest::newRow("camera stream warning") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->btnLiveWarring->click();
        return bar.firstCameraWindow()->findChild<LiveWarningDialog *>();
    }) << "Lumidesk - Stream Warning";
    QTest::newRow("high-quality capture") << Opener([](Lumidesk &bar) -> QWidget * {
        bar.firstCameraWindow()->hqProgressDialog()->show();
        return bar.firstCameraWindow()->hqProgressDialog();
    }) << "Lumidesk - HQ Capture";
}

void TestWindowTitles::eachPopup()
{
    QFETCH(Opener, open);
    QFETCH(QString, title);

    auto bar = openLayout(PipWidget::SingleCamera);
    QVERIFY(bar);
    QTRY_COMPARE_WITH_TIMEOUT(listed(), sorted(QStringList{QStringLiteral("Lumidesk: entry")} + cameraWindows(1)),
                              WaitMs);
    CameraMainWidget *camera = bar->firstCameraWindow();
    QTRY_VERIFY(camera->btnCameraSettting->isEnabled());

    QWidget *popup = open(*bar);
    QVERIFY(popup);
    const QString line = title + QStringLiteral(": kept out");
    const auto shown = [] { return listed().join(QLatin1Char('\n')); };
    QTRY_VERIFY2_WITH_TIMEOUT(listed().contains(line), qPrintable(shown()), WaitMs);
    // Beside it, only the toolbar and the camera window have entries.
    const QStringList entries = {QStringLiteral("Lumidesk: entry"), camera->windowTitle() + QStringLiteral(": entry")};
    for (const QString &each : listed()) {
        QVERIFY2(readable(each), qPrintable(each));
        QVERIFY2(each.endsWith(QLatin1String(": kept out")) || entries.contains(each), qPrintable(each));
    }

    // Hidden, the window manager lets go of it and drops its states: shown again, it is kept out again,
    // whether the manager was through with the hiding first or not.
    popup->hide();
    QTRY_VERIFY2_WITH_TIMEOUT(!listed().contains(line), qPrintable(shown()), WaitMs);
    popup->show();
    QTRY_VERIFY2_WITH_TIMEOUT(listed().contains(line), qPrintable(shown()), WaitMs);
    const auto frameOf = [popup] {
        for (const XListedWindow &window : XWindowList::mappedWindowsOf(QCoreApplication::applicationPid())) {
            if (window.id == popup->internalWinId())
                return window.frame;
        }
        return quint32(0);
    };
    // The manager may take it in again before it has let go of it: a few times over, so that happens.
    for (int round = 0; round < 3; ++round) {
        const quint32 before = frameOf();
        QVERIFY(before);
        popup->hide();
        popup->show();
        // Taken in anew, in a frame of its own.
        QTRY_VERIFY2_WITH_TIMEOUT(frameOf() && frameOf() != before, qPrintable(shown()), WaitMs);
        QTRY_VERIFY2_WITH_TIMEOUT(listed().contains(line), qPrintable(shown()), WaitMs);
    }
}

void TestWindowTitles::titlesFollowTheLanguage()
{
    auto bar = openLayout(PipWidget::SingleCamera);
    QVERIFY(bar);
    emit bar->settingDialog()->langChanged(QStringLiteral("de_DE"));
    QCOMPARE(bar->currentLanguage(), QStringLiteral("de_DE"));
    bar->selectLayoutBtn->click();
    const QStringList german = {QStringLiteral("Lumidesk: entry"), QStringLiteral("Lumidesk - Kamera 1: entry"),
                                QStringLiteral("Lumidesk - Kamera 1 Bild: kept out"),
                                QStringLiteral("Lumidesk - Kamera 1 Trapezkorrektur: kept out"),
                                QStringLiteral("Lumidesk - Kameralayout: kept out")};
    QTRY_COMPARE_WITH_TIMEOUT(listed(), sorted(german), WaitMs);
}

QTEST_MAIN(TestWindowTitles)
#include "tst_toolbar_windowtitles.moc"
