#include "camsettingsfixture.h"
#include "notificationdialog.h"
#include "h264testcamera.h"
#include "core/platformbackend.h"
#include "vantoupdater.h"

#include <QFile>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStandardPaths>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr int Forever = 24 * 3600 * 1000;

int page(Fixture &f)
{
    return f.widget<QStackedWidget>("stackedWidget")->currentIndex();
}

void select(QComboBox *combo, const QString &text)
{
    const int row = combo->findText(text);
    QVERIFY2(row >= 0, qPrintable(text));
    combo->setCurrentIndex(row);
}

// What the user changes on the output-mode page before the restart question.
enum Choice { H264Off, H264On, SensorMode60fps, H264OffAndSensorMode60fps, OutputModeDefault };

QList<uint> reportIds(const Fixture &f)
{
    QList<uint> ids;
    for (const Echo &report : f.reports)
        ids << report.id;
    return ids;
}

} // namespace

class TestCameraSettingsReboot : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void applySwitchesAndReports();
    void applyRefusedIsShown();
    void applyWithoutFrameRateChoice();
    void reboot_data();
    void reboot();
    void rebootCarriesTheChange_data();
    void rebootCarriesTheChange();
    void outputModeDefault();
};

void TestCameraSettingsReboot::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCameraSettingsReboot::init()
{
    SimulatedCameras::instance()->reset();
}

void TestCameraSettingsReboot::applySwitchesAndReports()
{
    // An update object of the camera window's, with a file of its own in its folder.
    VantoUpdater windowUpdater;
    QVERIFY(!windowUpdater.downloadFolder().isEmpty());
    QFile kept(windowUpdater.downloadFolder() + QStringLiteral("update.cfg"));
    QVERIFY(kept.open(QIODevice::WriteOnly));
    kept.close();

    Fixture f(firstCamera());
    f.dialog.setCameraOrder(2);
    f.bind();
    f.invoke("showVideoOutputMode");
    select(f.widget<QComboBox>("cbResolution"), "1280 x 720");
    select(f.widget<QComboBox>("cbFrameRate"), "30fps");
    f.log.clear();
    f.widget<QToolButton>("btnApply")->click();

    QCOMPARE(f.sim->activeFormatIndex(), 1);
    QCOMPARE(f.sim->activeMinFrameDuration().denominator, 30u);
    QCOMPARE(f.log, QStringList({"settingApplied", "startReboot(0)", "closeSetting"}));
    QCOMPARE(reportIds(f), QList<uint>({0x1100000d, 0x1100000c, 0x11000016}));
    const QString name = f.camera->getName();
    QCOMPARE(f.reportValues.at(0), QVariantList({2, name, -1, -1, -1, -1}));
    const QVariantList details = f.reportValues.at(1);
    QCOMPARE(details.mid(0, 4), QVariantList({2, name, "1280X720",
                                              QStringLiteral("%1X%2").arg(f.dialog.width()).arg(f.dialog.height())}));
    QVERIFY(!details.at(4).toString().isEmpty());
    QCOMPARE(details.at(5).toString(), QString::fromLatin1(VantoUpdater::SoftwareVersion));
    QCOMPARE(f.reportValues.at(2),
             QVariantList({2, name,
                           "VideoOutputMode=MJPG&H264Output=MAC&CameraMode=Standard&FrameRate=30fps"
                           "&Resolution=1280X720",
                           -1, -1, -1}));
    QVERIFY2(kept.exists(), "the report's own update object must not empty another's folder");

    // The same resolution again: only the output-mode report.
    f.reports.clear();
    f.reportValues.clear();
    f.widget<QToolButton>("btnApply")->click();
    QCOMPARE(reportIds(f), QList<uint>({0x11000016}));
}

void TestCameraSettingsReboot::applyRefusedIsShown()
{
    Fixture f(firstCamera());
    f.bind();
    f.invoke("showVideoOutputMode");
    select(f.widget<QComboBox>("cbResolution"), "1280 x 720");
    f.sim->setLockRefused(true); // another program holds the camera's configuration
    f.log.clear();
    f.widget<QToolButton>("btnApply")->click();

    QCOMPARE(f.sim->activeFormatIndex(), 0);
    QCOMPARE(f.log, QStringList({"setActiveFormatError"}));
    QVERIFY2(f.reports.isEmpty(), "a refused format is not reported as applied");
    auto *notice = f.dialog.findChild<NotificationDialog *>();
    QVERIFY(notice);
    QVERIFY(notice->isVisible());
    QCOMPARE(page(f), 3); // still open on the output mode, to choose again

    f.sim->setLockRefused(false);
    notice->hide();
    f.widget<QToolButton>("btnApply")->click();
    QCOMPARE(f.sim->activeFormatIndex(), 1);
    QCOMPARE(f.log.mid(1), QStringList({"settingApplied", "startReboot(0)", "closeSetting"}));
}

void TestCameraSettingsReboot::applyWithoutFrameRateChoice()
{
    // A camera without a frame-rate choice gets the format's first rate, not its present one kept.
    QSharedPointer<SimulatedCamera> sim =
        SimulatedCameras::instance()->plugStandard(0x2001, 0x01300000, QStringLiteral("Other"));
    sim->setFormats({format("jpeg", 640, 480, {30}), format("jpeg", 1280, 720, {15, 30})});
    Fixture f(sim);
    f.bind();
    f.invoke("showVideoOutputMode");
    QVERIFY(!f.widget<QComboBox>("cbFrameRate")->isEnabled());
    select(f.widget<QComboBox>("cbResolution"), "1280 x 720");
    f.log.clear();
    f.widget<QToolButton>("btnApply")->click();
    QCOMPARE(f.log.value(0), QStringLiteral("settingApplied"));
    QCOMPARE(sim->activeFormatIndex(), 1);
    QCOMPARE(sim->activeMinFrameDuration().denominator, 15u);
}

void TestCameraSettingsReboot::reboot_data()
{
    QTest::addColumn<int>("closing"); // 0 stays open, 1 closed during the wait, 2 closed and opened again
    QTest::addColumn<bool>("ownTimer");
    QTest::newRow("runs to the end") << 0 << false;
    QTest::newRow("closed during the reboot") << 1 << false;
    QTest::newRow("closed and opened again") << 2 << false;
    QTest::newRow("closed, on its own timer") << 1 << true;
}

void TestCameraSettingsReboot::reboot()
{
    QFETCH(int, closing);
    QFETCH(bool, ownTimer);
    Fixture f(firstCamera());
    f.bind();
    f.dialog.setRestartIntervals(ownTimer ? 2 : Forever, ownTimer ? 2 : 0);
    f.invoke("showVideoOutputMode");
    select(f.widget<QComboBox>("cbSensorMode"), "60fps");
    QCOMPARE(page(f), 4);
    f.log.clear();
    f.widget<QToolButton>("btnYes")->click();

    QCOMPARE(f.log, QStringList({"updateSetting(MJPG,60fps,640 x 480)", "changeSensorMode(1,0)", "restartCamera",
                                 "startReboot(1)"}));
    QCOMPARE(currentOf(*f.sim, ExtensionB, 0x0e), qint64(1));
    QVERIFY(f.dialog.getIsSensorModeReboot());
    QCOMPARE(page(f), 5);
    auto *bar = f.widget<QProgressBar>("progressBar");
    QCOMPARE(bar->value(), 0);
    // The camera window binds the camera again meanwhile: no question while the reboot runs.
    select(f.widget<QComboBox>("cbSensorMode"), "8M");
    QCOMPARE(page(f), 5);

    f.log.clear();
    if (closing > 0) {
        f.widget<QToolButton>("btnClose")->click();
        QCOMPARE(f.log, QStringList({"closeSetting"})); // the reboot flag stays until the camera is back
        f.log.clear();
    }
    if (closing == 2)
        f.dialog.showCameraSetting();

    const QStringList finished{"cameraRestartFinished", "startReboot(0)"};
    if (ownTimer) {
        QTRY_COMPARE_WITH_TIMEOUT(f.log.mid(f.log.size() - 2), finished, 5000);
        QCOMPARE(bar->value(), 100);
        return;
    }
    for (int tick = 1; tick <= 24; ++tick)
        QVERIFY(QMetaObject::invokeMethod(&f.dialog, "reStartProgerssBar"));
    QCOMPARE(bar->value(), 96);
    QVERIFY(f.log.isEmpty());
    QVERIFY(QMetaObject::invokeMethod(&f.dialog, "reStartProgerssBar"));
    QCOMPARE(bar->value(), 100);
    // The bar closes the dialog it still shows; one the user opened again stays open.
    QCOMPARE(f.log, closing == 2 ? QStringList({"startReboot(0)"}) : QStringList({"startReboot(0)", "closeSetting"}));
    f.log.clear();
    QTRY_COMPARE(f.log, finished);
    QCOMPARE(page(f), closing == 2 ? 0 : 5);
}

void TestCameraSettingsReboot::rebootCarriesTheChange_data()
{
    QTest::addColumn<int>("cameraMode");
    QTest::addColumn<bool>("h264Off");
    QTest::addColumn<bool>("defaultH264Off");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QStringList>("commands"); // what "Yes" sends to the camera, in order
    QTest::addColumn<QString>("modeSignal");   // the camera window's sensor-mode signal, if any

    QTest::newRow("H.264 switched off") << 0 << false << false << int(H264Off)
                                        << QStringList({"setDisableH264(true)", "setReboot()"}) << QString();
    QTest::newRow("H.264 switched on") << 0 << true << false << int(H264On)
                                       << QStringList({"setDisableH264(false)", "setReboot()"}) << QString();
    QTest::newRow("sensor mode alone") << 0 << false << false << int(SensorMode60fps)
                                       << QStringList({"setSensorMode(1)"}) << "changeSensorMode(1,0)";
    QTest::newRow("H.264 and sensor mode") << 0 << false << false << int(H264OffAndSensorMode60fps)
                                           << QStringList({"setDisableH264(true)", "setSensorMode(1)"})
                                           << "changeSensorMode(1,0)";
    // The camera runs sensor mode 60fps: Default chooses "Standard", and the restart also brings back
    // the camera's default H.264 state, whichever it is.
    QTest::newRow("Default from another sensor mode") << 1 << true << false << int(OutputModeDefault)
                                                      << QStringList({"setDisableH264(false)", "setSensorMode(0)"})
                                                      << "changeSensorMode(0,1)";
    QTest::newRow("Default from another sensor mode, H.264 off by default")
        << 1 << false << true << int(OutputModeDefault) << QStringList({"setDisableH264(true)", "setSensorMode(0)"})
        << "changeSensorMode(0,1)";
}

void TestCameraSettingsReboot::rebootCarriesTheChange()
{
    QFETCH(int, cameraMode);
    QFETCH(bool, h264Off);
    QFETCH(bool, defaultH264Off);
    QFETCH(int, choice);
    QFETCH(QStringList, commands);
    QFETCH(QString, modeSignal);

    QSharedPointer<SimulatedCamera> sim = firstCamera();
    sim->uvc().setCurrent(ExtensionB, 0x0e, SimulatedUvcControl::bytes(cameraMode, 1));
    auto *camera = new H264TestCamera(sim->info(), h264Off, defaultH264Off);
    Fixture f(sim, std::unique_ptr<LCGeneralCamera>(camera));
    f.bind();
    f.dialog.setRestartIntervals(Forever, 0);
    f.invoke("showVideoOutputMode");
    auto *h264 = f.widget<QComboBox>("cbH264Output");
    auto *sensor = f.widget<QComboBox>("cbSensorMode");
    QCOMPARE(itemsOf(h264), QStringList({"Off", "On"}));
    QVERIFY(h264->isEnabled());
    const int h264Shown = h264Off ? 0 : 1;
    QCOMPARE(h264->currentIndex(), h264Shown);
    const QString modeShown = CameraSettingDialog::sensorModeToString(cameraMode);
    QCOMPARE(sensor->currentText(), modeShown);

    const auto choose = [&] {
        switch (choice) {
        case H264Off: select(h264, "Off"); break;
        case H264On: select(h264, "On"); break;
        case SensorMode60fps: select(sensor, "60fps"); break;
        case H264OffAndSensorMode60fps:
            select(h264, "Off");
            select(sensor, "60fps");
            break;
        case OutputModeDefault: f.widget<QToolButton>("btnDefaultOutputMode")->click(); break;
        }
    };
    // Every change here asks first; "No" puts the page back to the camera's state without asking again.
    choose();
    QCOMPARE(page(f), 4);
    f.widget<QToolButton>("btnNo")->click();
    QCOMPARE(page(f), 3);
    QCOMPARE(h264->currentIndex(), h264Shown);
    QCOMPARE(sensor->currentText(), modeShown);
    QVERIFY(camera->rebootCommands().isEmpty());

    choose();
    QCOMPARE(page(f), 4);
    if (choice == OutputModeDefault)
        QCOMPARE(sensor->currentText(), QStringLiteral("Standard"));
    f.log.clear();
    f.widget<QToolButton>("btnYes")->click();
    QCOMPARE(camera->rebootCommands(), commands);
    const int cameraModeAfter = int(currentOf(*sim, ExtensionB, 0x0e));
    QCOMPARE(CameraSettingDialog::sensorModeToString(cameraModeAfter), sensor->currentText());
    const QStringList modeSignals = f.log.filter(QStringLiteral("changeSensorMode"));
    QCOMPARE(modeSignals, modeSignal.isEmpty() ? QStringList() : QStringList({modeSignal}));
    QVERIFY(f.log.contains("restartCamera"));
    QCOMPARE(page(f), 5);
}

void TestCameraSettingsReboot::outputModeDefault()
{
    // At the default sensor mode, Default picks MJPG, 848 x 480 at 30fps without a restart, and
    // sends nothing to the camera before Apply.
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    sim->setFormats({format("jpeg", 640, 480, {5, 15, 30}), format("jpeg", 848, 480, {15, 30}),
                     format("jpeg", 1280, 720, {5, 15, 30, 60})});
    Fixture g(sim);
    g.bind();
    g.invoke("showVideoOutputMode");
    select(g.widget<QComboBox>("cbResolution"), "1280 x 720");
    select(g.widget<QComboBox>("cbFrameRate"), "5fps");
    g.widget<QToolButton>("btnDefaultOutputMode")->click();
    QCOMPARE(page(g), 3);
    QCOMPARE(g.widget<QComboBox>("cbOutputMode")->currentText(), QStringLiteral("MJPG"));
    QCOMPARE(g.widget<QComboBox>("cbResolution")->currentText(), QStringLiteral("848 x 480"));
    QCOMPARE(g.widget<QComboBox>("cbFrameRate")->currentText(), QStringLiteral("30fps"));
    QCOMPARE(sim->activeFormatIndex(), 0);

    // Another maker's camera: the smallest MJPG height of 480 or more.
    Fixture other(SimulatedCameras::instance()->plugStandard(0x2001, 0x01300000, QStringLiteral("Other")));
    other.bind();
    other.invoke("showVideoOutputMode");
    select(other.widget<QComboBox>("cbResolution"), "1920 x 1080");
    other.widget<QToolButton>("btnDefaultOutputMode")->click();
    QCOMPARE(other.widget<QComboBox>("cbResolution")->currentText(), QStringLiteral("640 x 480"));
}

QTEST_MAIN(TestCameraSettingsReboot)
#include "tst_camsettings_reboot.moc"
