#include "camsettingsfixture.h"
#include "core/platformbackend.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QtTest>

Q_DECLARE_METATYPE(platform::CaptureFormat)

class TestCameraSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void bindsStandardCamera();
    void variants_data();
    void variants();
    void sliderWrites_data();
    void sliderWrites();
    void rowsCarryCameraValues();
    void powerLineOfOtherCameras();
    void autoWhiteBalance();
    void defaults();
    void withoutCamera();
    void bindingTwice();
    void rotation();
    void mirrorAndCeiling_data();
    void mirrorAndCeiling();
    void failedRegionReadLeavesRegion();
    void resolutionList_data();
    void resolutionList();
    void frameRateFollowsChoices();
    void restartQuestion();
    void pageLeaveReports();
    void languageRefreshKeepsRows();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore_data();
    void theFormIsBuiltOnFirstUseWithTheStateSetBefore();
    void formLookAndSizes();
};

void TestCameraSettingsDialog::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCameraSettingsDialog::init()
{
    SimulatedCameras::instance()->reset();
}

void TestCameraSettingsDialog::bindsStandardCamera()
{
    Fixture f(firstCamera());
    f.dialog.setCamera(f.camera.get());
    auto *brightness = f.widget<QSlider>("brightnessSlider");
    QCOMPARE(brightness->minimum(), -64);
    QCOMPARE(brightness->maximum(), 64);
    QVERIFY(brightness->isEnabled());
    QCOMPARE(f.widget<QLabel>("lbBrightnessMin")->text(), QStringLiteral("-64"));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbBacklight")), QStringList({"Off", "On"}));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbNoise")), QStringList({"0", "1"}));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbPowerFrquency")), QStringList({"Off", "50hz", "60hz"}));
    QCOMPARE(f.widget<QComboBox>("cbPowerFrquency")->currentIndex(), 1);
    // Only MJPG: the camera's YUV 4:2:2 formats are not offered.
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbOutputMode")), QStringList({"MJPG"}));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbResolution")),
             QStringList({"4:3", "640 x 480", "16:9", "1280 x 720", "1920 x 1080"}));
    QCOMPARE(f.widget<QComboBox>("cbResolution")->currentText(), QStringLiteral("640 x 480"));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbFrameRate")), QStringList({"5fps", "15fps", "30fps", "60fps"}));
    QCOMPARE(f.widget<QComboBox>("cbFrameRate")->currentText(), QStringLiteral("60fps"));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbSensorMode")), QStringList({"Standard", "60fps", "8M"}));
    // The library cannot switch H.264: one greyed "On".
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbH264Output")), QStringList({"On"}));
    QVERIFY(!f.widget<QComboBox>("cbH264Output")->isEnabled());
    QVERIFY(f.widget<QWidget>("lbH264Output")->isHidden());
    QCOMPARE(f.widget<QWidget>("lbSensorMode")->geometry(), QRect(0, 114, 405, 48));
    QVERIFY(f.widget<QCheckBox>("checkBoxMic")->isChecked());
    QVERIFY(!f.widget<QCheckBox>("checkBoxHdmi")->isChecked());
    QVERIFY(f.widget<QWidget>("btnImageSetting")->isEnabled());
    QCOMPARE(f.widget<QStackedWidget>("stackedWidget")->currentIndex(), 0);
}

void TestCameraSettingsDialog::variants_data()
{
    QTest::addColumn<int>("variant");
    QTest::newRow("ZR90") << 0;
    QTest::newRow("product 0x2000") << 1;
    QTest::newRow("brightness min equal max") << 2;
    QTest::newRow("no formats") << 3;
}

void TestCameraSettingsDialog::variants()
{
    QFETCH(int, variant);
    auto *cameras = SimulatedCameras::instance();
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    if (variant == 0)
        sim = cameras->plugStandard(0x0810, 0x01300000, QStringLiteral("ZR90"));
    else if (variant == 1)
        sim = cameras->plugStandard(0x2001, 0x01300000, QStringLiteral("Other"));
    else if (variant == 2)
        setRange(*sim, Processing, 0x02, 5, 5, 5);
    else
        sim->setFormats({});
    Fixture f(sim);
    f.bind();

    switch (variant) {
    case 0: {
        QVERIFY(!f.widget<QWidget>("btnImageSetting")->isEnabled());
        QVERIFY(f.widget<QSlider>("brightnessSlider")->isEnabled()); // still read and filled
        // A camera of another model opens the entry again.
        Fixture other(firstCamera());
        other.dialog.setCamera(f.camera.get());
        other.dialog.setCamera(other.camera.get());
        QVERIFY(other.widget<QWidget>("btnImageSetting")->isEnabled());
        break;
    }
    case 1: {
        QCOMPARE(itemsOf(f.widget<QComboBox>("cbBacklight")), QStringList({"N/A"}));
        QCOMPARE(itemsOf(f.widget<QComboBox>("cbNoise")), QStringList({"N/A"}));
        QCOMPARE(itemsOf(f.widget<QComboBox>("cbPowerFrquency")), QStringList({"50hz", "60hz"}));
        QCOMPARE(itemsOf(f.widget<QComboBox>("cbH264Output")), QStringList({"N/A"}));
        auto *rates = f.widget<QComboBox>("cbFrameRate");
        QVERIFY(!rates->isEnabled());
        QCOMPARE(rates->currentText(), QStringLiteral("N/A"));
        QCOMPARE(rates->findText("N/A"), rates->count() - 1);
        // Another resolution rebuilds the list: still one "N/A", never two.
        f.widget<QComboBox>("cbResolution")->setCurrentIndex(f.widget<QComboBox>("cbResolution")->count() - 1);
        QCOMPARE(itemsOf(rates).count("N/A"), 1);
        // Binding a camera with frame-rate choice afterwards removes it.
        f.dialog.setCamera(nullptr);
        Fixture standard(firstCamera());
        f.dialog.setCamera(standard.camera.get());
        QVERIFY(!itemsOf(rates).contains("N/A"));
        QVERIFY(rates->isEnabled());
        f.dialog.setCameraNull();
        break;
    }
    case 2: {
        QVERIFY(!f.widget<QSlider>("brightnessSlider")->isEnabled());
        QCOMPARE(f.widget<QLabel>("lbBrightnessMin")->text(), QStringLiteral("-"));
        QCOMPARE(f.widget<QLabel>("lbBrightnessMax")->text(), QStringLiteral("-"));
        // Unsupported: never flagged by the page report, even when the slider moves.
        f.dialog.findChild<QStackedWidget *>()->setCurrentIndex(1);
        f.widget<QSlider>("brightnessSlider")->setValue(3);
        f.invoke("pressBtnBack");
        QVERIFY(f.reports.isEmpty());
        break;
    }
    case 3:
        QCOMPARE(f.widget<QComboBox>("cbOutputMode")->count(), 0);
        QCOMPARE(f.widget<QComboBox>("cbResolution")->count(), 0);
        QCOMPARE(f.widget<QComboBox>("cbFrameRate")->count(), 0);
        f.invoke("applyOutputMode");
        break;
    }
}

void TestCameraSettingsDialog::sliderWrites_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<int>("value");
    QTest::addColumn<quint8>("selector");
    QTest::addColumn<uint>("echo");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("brightness") << "brightnessSlider" << -20 << quint8(0x02) << 0x80000201u << true;
    QTest::newRow("brightness outside the range") << "brightnessSlider" << 100 << quint8(0x02) << 0u << false;
    QTest::newRow("contrast") << "contrastSlider" << 70 << quint8(0x03) << 0x80000240u << true;
    QTest::newRow("saturation") << "saturationSlider" << 10 << quint8(0x07) << 0x80000202u << true;
    QTest::newRow("sharpness") << "sharpnessSlider" << 7 << quint8(0x08) << 0x80000203u << true;
    QTest::newRow("sharpness outside the range") << "sharpnessSlider" << 8 << quint8(0x08) << 0u << false;
}

void TestCameraSettingsDialog::sliderWrites()
{
    QFETCH(QString, slider);
    QFETCH(int, value);
    QFETCH(quint8, selector);
    QFETCH(uint, echo);
    QFETCH(bool, accepted);
    Fixture f(firstCamera());
    f.bind();
    const qint64 before = currentOf(*f.sim, Processing, selector);
    auto *widget = f.widget<QSlider>(slider.toLatin1().constData());
    widget->setEnabled(true);
    // A slider whose range is wider than the camera's (as before a camera is bound).
    widget->setRange(-1000, 20000);
    widget->setValue(value);
    if (accepted) {
        QCOMPARE(currentOf(*f.sim, Processing, selector), qint64(value));
        QCOMPARE(f.echoes.size(), 1);
        QCOMPARE(f.echoes.first().id, echo);
        QCOMPARE(f.echoes.first().values, QList<int>{value});
    } else {
        QCOMPARE(currentOf(*f.sim, Processing, selector), before);
        QVERIFY(f.echoes.isEmpty());
    }
}

void TestCameraSettingsDialog::rowsCarryCameraValues()
{
    // Noise reduction 1..3 at 2 and power line 1..2 at 2: the rows carry the camera's values.
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    setRange(*sim, ExtensionA, 0x0e, 1, 3, 2);
    setRange(*sim, Processing, 0x05, 1, 2, 2);
    Fixture f(sim);
    f.dialog.setCamera(f.camera.get());
    auto *noise = f.widget<QComboBox>("cbNoise");
    QCOMPARE(itemsOf(noise), QStringList({"1", "2", "3"}));
    QCOMPARE(noise->currentText(), QStringLiteral("2"));
    auto *power = f.widget<QComboBox>("cbPowerFrquency");
    QCOMPARE(itemsOf(power), QStringList({"50hz", "60hz"}));
    QCOMPARE(power->currentText(), QStringLiteral("60hz"));

    f.echoes.clear();
    noise->setCurrentIndex(2);
    QCOMPARE(currentOf(*sim, ExtensionA, 0x0e), qint64(3));
    QCOMPARE(f.echoes.last().id, 0x8000020bu);
    QCOMPARE(f.echoes.last().values, QList<int>{3}); // the camera's value, as the phone reads it
    power->setCurrentIndex(0);
    QCOMPARE(currentOf(*sim, Processing, 0x05), qint64(1));
    QCOMPARE(f.echoes.last().values, QList<int>{1});

    // A range from 0: value 0 stays on the first row and is sent and echoed once.
    setRange(*sim, Processing, 0x05, 0, 2, 0);
    sim->uvc().setCurrent(Processing, 0x05, SimulatedUvcControl::bytes(2, 1));
    f.echoes.clear();
    setRange(*sim, Processing, 0x05, 0, 2, 0);
    f.dialog.setCamera(f.camera.get());
    QCOMPARE(power->currentIndex(), 0);
    bool echoed = false;
    for (const Echo &echo : f.echoes)
        echoed |= echo.id == 0x80000208u && echo.values == QList<int>{0};
    QVERIFY(echoed);
}

void TestCameraSettingsDialog::powerLineOfOtherCameras()
{
    QSharedPointer<SimulatedCamera> sim =
        SimulatedCameras::instance()->plugStandard(0x2001, 0x01300000, QStringLiteral("Other"));
    Fixture f(sim);
    f.bind();
    auto *power = f.widget<QComboBox>("cbPowerFrquency");
    power->setCurrentIndex(1);
    QCOMPARE(currentOf(*sim, Processing, 0x05), qint64(2));
    QCOMPARE(f.echoes.last().values, QList<int>{2});
    power->setCurrentIndex(0);
    QCOMPARE(currentOf(*sim, Processing, 0x05), qint64(1));
    QCOMPARE(f.echoes.last().values, QList<int>{1});
}

void TestCameraSettingsDialog::autoWhiteBalance()
{
    // The second simulated camera is opened through its descriptor, which declares white balance.
    Fixture f(SimulatedCameras::instance()->cameraAt(SimulatedCameras::SecondLocationId));
    uvc_control_range range;
    QCOMPARE(f.camera->getWhiteBalanceTemporatureRange(&range), 0u);
    QCOMPARE(range.min, 2800);
    QCOMPARE(range.max, 6500);
    const auto autoEchoes = [&f] {
        QList<QList<int>> values;
        for (const Echo &echo : qAsConst(f.echoes)) {
            if (echo.id == 0x80000207u)
                values << echo.values;
        }
        return values;
    };

    // The simulated camera starts with automatic white balance on: binding keeps it on, once, among
    // the other controls' echoes.
    f.dialog.setCamera(f.camera.get());
    auto *slider = f.widget<QSlider>("whiteBalanceSlider");
    QCOMPARE(slider->minimum(), 2800);
    QCOMPARE(slider->maximum(), 6500);
    QVERIFY(!slider->isEnabled());
    QVERIFY(slider->styleSheet().contains("icon_p_gray.png"));
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(1));
    QCOMPARE(autoEchoes(), QList<QList<int>>{{1}});

    f.echoes.clear();
    f.widget<QToolButton>("btnAuto")->click();
    QVERIFY(slider->isEnabled());
    QVERIFY(slider->styleSheet().contains("icon_p_blue.png"));
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(0));
    QCOMPARE(currentOf(*f.sim, Processing, 0x0a), qint64(slider->value()));
    QCOMPARE(autoEchoes(), QList<QList<int>>{{0}});

    f.echoes.clear();
    f.widget<QToolButton>("btnAuto")->click();
    QVERIFY(!slider->isEnabled());
    QCOMPARE(currentOf(*f.sim, Processing, 0x0b), qint64(1));
    QCOMPARE(autoEchoes(), QList<QList<int>>{{1}});
}

void TestCameraSettingsDialog::defaults()
{
    Fixture f(firstCamera());
    f.bind();
    f.widget<QToolButton>("btnAuto")->click(); // manual white balance
    f.widget<QSlider>("brightnessSlider")->setValue(30);
    f.widget<QSlider>("whiteBalanceSlider")->setValue(3000);
    f.echoes.clear();
    f.widget<QToolButton>("btnDefault")->click();
    QCOMPARE(currentOf(*f.sim, Processing, 0x02), qint64(0));
    uvc_control_range range;
    const bool whiteBalance = int32_t(f.camera->getWhiteBalanceTemporatureRange(&range)) >= 0;
    if (whiteBalance)
        QCOMPARE(currentOf(*f.sim, Processing, 0x0a), qint64(4600));
    QCOMPARE(f.echoes.last().id, 0x80000244u);
    QCOMPARE(f.echoes.last().values, QList<int>({0, 50, 60, 3, 0, whiteBalance ? 4600 : 0}));

    f.dialog.setCurrentAngle(90);
    f.rotations.clear();
    f.widget<QComboBox>("cbPowerFrquency")->setCurrentIndex(2);
    f.widget<QToolButton>("btnDefaultAdvanced")->click();
    QCOMPARE(currentOf(*f.sim, Processing, 0x05), qint64(1));
    QCOMPARE(f.widget<QComboBox>("cbPowerFrquency")->currentIndex(), 1);
    QCOMPARE(f.echoes.last().id, 0x80000245u);
    QCOMPARE(f.echoes.last().values, QList<int>({1, 0, 1}));
    QCOMPARE(f.rotations, QList<int>{0});
    QCOMPARE(f.dialog.getCurrentAngle(), 0);
}

void TestCameraSettingsDialog::withoutCamera()
{
    // Unbound from the start, then bound and unbound with setCamera(nullptr): no slot reaches a camera.
    for (int round = 0; round < 2; ++round) {
        Fixture f(firstCamera());
        if (round == 1) {
            f.dialog.setCamera(f.camera.get());
            f.dialog.setCamera(nullptr);
        }
        f.sim->uvc().clearRequestLog();
        f.echoes.clear();
        for (const char *slot : {"closeDialog", "showVideoOutputMode", "setAuto", "setBasicCameraSettingDefault",
                                 "setAdvancedCameraSettingDefault", "setOutputModeDefault", "applyOutputMode",
                                 "doMirror", "doCelling", "pressBtnBack", "pressBtnBack_2", "pressBtnBack_4",
                                 "showProgressPage", "disableFrameRate"})
            f.invoke(slot);
        for (const char *slider : {"brightnessSlider", "contrastSlider", "whiteBalanceSlider"})
            f.widget<QSlider>(slider)->setValue(f.widget<QSlider>(slider)->maximum());
        for (const char *combo : {"cbBacklight", "cbNoise", "cbPowerFrquency", "cbSensorMode", "cbResolution"})
            f.widget<QComboBox>(combo)->setCurrentIndex(f.widget<QComboBox>(combo)->count() - 1);
        f.widget<QCheckBox>("checkBoxMic")->toggle();
        QVERIFY(f.sim->uvc().requestLog().isEmpty());
        for (const Echo &echo : f.echoes)
            QVERIFY(echo.id == 0x80000212u || echo.id == 0x80000213u); // only what needs no camera
        QVERIFY(f.reports.isEmpty());
        // Rotation works without a camera.
        f.dialog.doRotateRight();
        QCOMPARE(f.dialog.getCurrentAngle(), 90);
    }
}

void TestCameraSettingsDialog::bindingTwice()
{
    Fixture f(firstCamera());
    f.dialog.setCamera(f.camera.get());
    QMap<QString, QStringList> first;
    const char *combos[] = {"cbBacklight", "cbNoise", "cbPowerFrquency", "cbOutputMode", "cbResolution",
                            "cbFrameRate", "cbSensorMode", "cbH264Output"};
    for (const char *name : combos)
        first[name] = itemsOf(f.widget<QComboBox>(name));
    f.dialog.setCamera(f.camera.get());
    for (const char *name : combos)
        QCOMPARE(itemsOf(f.widget<QComboBox>(name)), first[name]);

    // Each control still has exactly one connection: one change, one camera write and one echo.
    f.echoes.clear();
    f.sim->uvc().clearRequestLog();
    f.widget<QSlider>("brightnessSlider")->setValue(12);
    f.widget<QComboBox>("cbBacklight")->setCurrentIndex(0);
    f.widget<QComboBox>("cbNoise")->setCurrentIndex(1);
    QCOMPARE(f.echoes.size(), 3);
    int writes = 0;
    for (const auto &logged : f.sim->uvc().requestLog())
        writes += logged.request.bRequest == 0x01 ? 1 : 0;
    QCOMPARE(writes, 3);
}

void TestCameraSettingsDialog::rotation()
{
    CameraSettingDialog dialog;
    QSignalSpy rotations(&dialog, &CameraSettingDialog::doRotation);
    QList<int> angles;
    for (int i = 0; i < 4; ++i) {
        dialog.doRotateRight();
        angles.append(dialog.getCurrentAngle());
    }
    QCOMPARE(angles, QList<int>({90, 180, 270, 0}));
    dialog.doRotateLeft();
    QCOMPARE(dialog.getCurrentAngle(), 270);
    QCOMPARE(rotations.size(), 5);
    QCOMPARE(rotations.last().first().toInt(), 270);
    const QList<QPair<int, int>> normalised{{-90, 270}, {450, 90}, {360, 0}, {-450, 270}, {180, 180}};
    for (const auto &pair : normalised) {
        dialog.setCurrentAngle(pair.first);
        QCOMPARE(dialog.getCurrentAngle(), pair.second);
    }
}

void TestCameraSettingsDialog::mirrorAndCeiling_data()
{
    QTest::addColumn<bool>("ceilingCall");
    QTest::addColumn<int>("mirror");
    QTest::addColumn<int>("ceiling");
    QTest::addColumn<int>("angle");
    QTest::addColumn<QByteArray>("roi");
    QTest::addColumn<QList<int>>("rotations");
    // Extent 2159 x 3839, region top 100, left 200, bottom 1100, right 1200.
    QTest::newRow("mirror, ceiling off: left and right") << false << 0 << 0 << 0
        << roiBytes(100, 2639, 1100, 3639) << QList<int>();
    QTest::newRow("mirror, ceiling on: top and bottom") << false << 0 << 1 << 180
        << roiBytes(1059, 200, 2059, 1200) << QList<int>();
    QTest::newRow("mirror at 90") << false << 0 << 0 << 90 << roiBytes(100, 2639, 1100, 3639) << QList<int>{270};
    QTest::newRow("ceiling, mirror off at 90: turned") << true << 0 << 0 << 90
        << roiBytes(1059, 2639, 2059, 3639) << QList<int>();
    QTest::newRow("ceiling, mirror on at 270") << true << 1 << 0 << 270
        << roiBytes(1059, 200, 2059, 1200) << QList<int>{90};
}

void TestCameraSettingsDialog::mirrorAndCeiling()
{
    QFETCH(bool, ceilingCall);
    QFETCH(int, mirror);
    QFETCH(int, ceiling);
    QFETCH(int, angle);
    QFETCH(QByteArray, roi);
    QFETCH(QList<int>, rotations);
    Fixture f(firstCamera());
    f.bind();
    f.sim->uvc().setCurrent(ExtensionA, 0x10, SimulatedUvcControl::bytes(mirror, 1));
    f.sim->uvc().setCurrent(ExtensionB, 0x10, SimulatedUvcControl::bytes(ceiling, 1));
    f.sim->uvc().setCurrent(ExtensionB, 0x0f, roiBytes(100, 200, 1100, 1200));
    f.dialog.setCurrentAngle(angle);
    if (ceilingCall)
        f.widget<QToolButton>("lbCelling")->click();
    else
        f.widget<QToolButton>("lbMirror")->click();
    QCOMPARE(f.sim->uvc().current(ExtensionB, 0x0f), roi);
    QCOMPARE(f.rotations, rotations);
    if (ceilingCall)
        QCOMPARE(currentOf(*f.sim, ExtensionB, 0x10), qint64(ceiling ? 0 : 1));
    else
        QCOMPARE(currentOf(*f.sim, ExtensionA, 0x10), qint64(mirror ? 0 : 1));
    QCOMPARE(f.echoes.last().id, ceilingCall ? 0x8000020du : 0x8000020cu);
    QVERIFY(f.echoes.last().values.isEmpty());

    // The full extent stays as it is.
    f.sim->uvc().setCurrent(ExtensionB, 0x0f, roiBytes(0, 0, 2159, 3839));
    f.widget<QToolButton>("lbMirror")->click();
    QCOMPARE(f.sim->uvc().current(ExtensionB, 0x0f), roiBytes(0, 0, 2159, 3839));
}

void TestCameraSettingsDialog::failedRegionReadLeavesRegion()
{
    Fixture f(firstCamera());
    f.bind();
    const QByteArray region = roiBytes(100, 200, 1100, 1200);
    f.sim->uvc().setCurrent(ExtensionB, 0x0f, region);
    f.sim->uvc().setControlFailing(ExtensionB, 0x0f, true);
    f.widget<QToolButton>("lbMirror")->click();
    f.widget<QToolButton>("lbCelling")->click();
    f.sim->uvc().setControlFailing(ExtensionB, 0x0f, false);
    QCOMPARE(f.sim->uvc().current(ExtensionB, 0x0f), region);
    QCOMPARE(currentOf(*f.sim, ExtensionA, 0x10), qint64(1)); // the toggles went through
    QCOMPARE(currentOf(*f.sim, ExtensionB, 0x10), qint64(1));

    // A failed read of the mirror state toggles nothing and moves no region.
    f.sim->uvc().setControlFailing(ExtensionA, 0x10, true);
    f.dialog.setCurrentAngle(90);
    f.rotations.clear();
    f.widget<QToolButton>("lbMirror")->click();
    f.sim->uvc().setControlFailing(ExtensionA, 0x10, false);
    QCOMPARE(f.sim->uvc().current(ExtensionB, 0x0f), region);
    QVERIFY(f.rotations.isEmpty());
}

void TestCameraSettingsDialog::resolutionList_data()
{
    QTest::addColumn<QList<platform::CaptureFormat>>("formats");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("grouped and ordered")
        << QList<platform::CaptureFormat>{format("jpeg", 1920, 1080, {30}), format("jpeg", 640, 480, {30}),
                                          format("jpeg", 1280, 720, {30}), format("jpeg", 2592, 1944, {30}),
                                          format("jpeg", 800, 600, {30}), format("jpeg", 1280, 720, {15})}
        << QStringList{"4:3", "640 x 480", "800 x 600", "16:9", "1280 x 720", "1920 x 1080"};
    QTest::newRow("1920 wide listed, 1921 not, 1.5 is wide")
        << QList<platform::CaptureFormat>{format("jpeg", 1921, 1080, {30}), format("jpeg", 1920, 1440, {30}),
                                          format("jpeg", 720, 480, {30})}
        << QStringList{"4:3", "1920 x 1440", "16:9", "720 x 480"};
    QTest::newRow("only wide; equal heights keep their order")
        << QList<platform::CaptureFormat>{format("jpeg", 1280, 720, {30}), format("jpeg", 1440, 720, {30}),
                                          format("jpeg", 848, 480, {30})}
        << QStringList{"16:9", "848 x 480", "1280 x 720", "1440 x 720"};
}

void TestCameraSettingsDialog::resolutionList()
{
    QFETCH(QList<platform::CaptureFormat>, formats);
    QFETCH(QStringList, rows);
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    sim->setFormats(formats);
    Fixture f(sim);
    auto *resolution = f.widget<QComboBox>("cbResolution");
    QList<int> currents;
    QObject::connect(resolution, qOverload<int>(&QComboBox::currentIndexChanged), resolution,
                     [&](int) { currents.append(resolution->currentIndex()); });
    f.dialog.setCamera(f.camera.get());
    QCOMPARE(itemsOf(resolution), rows);
    // No title row is ever current; the active format's size (the first format) is selected if listed.
    for (int row : currents)
        QVERIFY2(resolution->itemData(row, Qt::AccessibleDescriptionRole).toString() != "titleSeparator",
                 qPrintable(resolution->itemText(row)));
    const QString active = QStringLiteral("%1 x %2").arg(formats.first().width).arg(formats.first().height);
    QCOMPARE(resolution->currentText(), rows.contains(active) ? active : rows.last());
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbOutputMode")), QStringList({"MJPG"}));
}

void TestCameraSettingsDialog::frameRateFollowsChoices()
{
    QSharedPointer<SimulatedCamera> sim = firstCamera();
    sim->setFormats({format("jpeg", 640, 480, {15, 30}), format("jpeg", 1280, 720, {15, 30, 60}),
                     format("jpeg", 1280, 720, {60, 5}), format("yuvs", 640, 480, {30})});
    Fixture f(sim);
    f.dialog.setCamera(f.camera.get());
    auto *resolution = f.widget<QComboBox>("cbResolution");
    auto *rates = f.widget<QComboBox>("cbFrameRate");
    resolution->setCurrentIndex(resolution->findText("1280 x 720"));
    // Frame rates of both formats of that size, merged, each once.
    QCOMPARE(itemsOf(rates), QStringList({"15fps", "30fps", "60fps", "5fps"}));
    rates->setCurrentIndex(rates->findText("30fps"));
    resolution->setCurrentIndex(resolution->findText("640 x 480"));
    QCOMPARE(rates->currentText(), QStringLiteral("30fps")); // kept: the new size offers it
    rates->setCurrentIndex(rates->findText("15fps"));
    // A format change rebuilds everything and keeps both the size and the frame rate.
    f.widget<QComboBox>("cbOutputMode")->setCurrentIndex(0);
    QMetaObject::invokeMethod(&f.dialog, "outputModeChange", Q_ARG(int, 0));
    QCOMPARE(resolution->currentText(), QStringLiteral("640 x 480"));
    QCOMPARE(rates->currentText(), QStringLiteral("15fps"));

    // Removing the largest resolution is remembered across rebuilds, also when it is not listed.
    f.dialog.removeMostHighResolution();
    QMetaObject::invokeMethod(&f.dialog, "outputModeChange", Q_ARG(int, 0));
    QVERIFY(resolution->findText("3264 x 2448") < 0);
}

void TestCameraSettingsDialog::restartQuestion()
{
    Fixture f(firstCamera());
    f.bind();
    auto *stack = f.widget<QStackedWidget>("stackedWidget");
    f.invoke("showVideoOutputMode");
    QCOMPARE(stack->currentIndex(), 3);
    auto *sensor = f.widget<QComboBox>("cbSensorMode");
    sensor->setCurrentIndex(0); // the camera's own mode: no question
    QCOMPARE(stack->currentIndex(), 3);
    sensor->setCurrentIndex(1);
    QCOMPARE(stack->currentIndex(), 4);
    QCOMPARE(f.dialog.size(), QSize(485, 208));
    f.widget<QToolButton>("btnNo")->click();
    QCOMPARE(stack->currentIndex(), 3);
    QCOMPARE(sensor->currentIndex(), 0); // reloaded from the camera
    QCOMPARE(f.dialog.size(), QSize(405, 425));
    QMetaObject::invokeMethod(&f.dialog, "sensorModeChange", Q_ARG(int, -1));
    QCOMPARE(stack->currentIndex(), 3);
}

void TestCameraSettingsDialog::pageLeaveReports()
{
    Fixture f(firstCamera());
    f.dialog.setCameraOrder(2);
    f.bind();
    auto *stack = f.widget<QStackedWidget>("stackedWidget");

    stack->setCurrentIndex(1);
    f.widget<QToolButton>("btnClose")->click();
    QVERIFY(f.reports.isEmpty());
    f.widget<QSlider>("contrastSlider")->setValue(20);
    f.widget<QToolButton>("btnClose")->click();
    QCOMPARE(f.reports.size(), 1);
    QCOMPARE(f.reports.last().id, 0x11000014u);
    QCOMPARE(f.reportFlags.last(), QByteArray::fromHex("000100000000"));
    f.widget<QToolButton>("btnBack")->click();
    QCOMPARE(f.reports.size(), 1);
    f.widget<QToolButton>("btnDefault")->click();
    f.widget<QToolButton>("btnBack")->click();
    QCOMPARE(f.reportFlags.last().at(5), '\1');

    f.reports.clear();
    f.reportFlags.clear();
    f.invoke("showAdvanceImageSetting");
    f.widget<QComboBox>("cbNoise")->setCurrentIndex(1);
    f.widget<QToolButton>("lbMirror")->click();
    f.widget<QToolButton>("lbLeft")->click();
    f.widget<QToolButton>("btnBack_2")->click();
    QCOMPARE(f.reports.size(), 1);
    QCOMPARE(f.reports.last().id, 0x11000015u);
    QCOMPARE(f.reportFlags.last(), QByteArray::fromHex("0001000100010000"));
    // Left then right again: back where it was, nothing to report.
    f.widget<QToolButton>("lbLeft")->click();
    f.widget<QToolButton>("lbRight")->click();
    f.widget<QToolButton>("btnBack_2")->click();
    QCOMPARE(f.reports.size(), 1);

    f.invoke("showMicrophoneSetting");
    f.widget<QCheckBox>("checkBoxHdmi")->setChecked(true);
    QCOMPARE(currentOf(*f.sim, ExtensionB, 0x13), qint64(1));
    f.widget<QToolButton>("btnBack_4")->click();
    QCOMPARE(f.reports.last().id, 0x11000017u);
    QCOMPARE(f.reportFlags.last(), QByteArray::fromHex("0101"));
}

void TestCameraSettingsDialog::languageRefreshKeepsRows()
{
    QSharedPointer<SimulatedCamera> sim =
        SimulatedCameras::instance()->plugStandard(0x2001, 0x01300000, QStringLiteral("Other"));
    Fixture f(sim);
    f.bind();
    f.dialog.updateString();
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbPowerFrquency")), QStringList({"50hz", "60hz"}));
    QCOMPARE(itemsOf(f.widget<QComboBox>("cbBacklight")), QStringList({"N/A"}));
    // Still reacting to the user after the refresh, exactly once.
    f.widget<QComboBox>("cbPowerFrquency")->setCurrentIndex(1);
    QCOMPARE(currentOf(*sim, Processing, 0x05), qint64(2));
    QCOMPARE(f.echoes.size(), 1);
    f.echoes.clear();
    // The unsupported backlight stays deaf.
    f.widget<QComboBox>("cbBacklight")->addItem("x");
    f.widget<QComboBox>("cbBacklight")->setCurrentIndex(1);
    QVERIFY(f.echoes.isEmpty());
}

void TestCameraSettingsDialog::theFormIsBuiltOnFirstUseWithTheStateSetBefore_data()
{
    QTest::addColumn<QString>("use");
    QTest::newRow("show") << "show";
    QTest::newRow("showCameraSetting") << "showCameraSetting";
    QTest::newRow("setCamera") << "setCamera";
}

void TestCameraSettingsDialog::theFormIsBuiltOnFirstUseWithTheStateSetBefore()
{
    QFETCH(QString, use);
    Fixture f(firstCamera());
    // What the camera window may do before the first use: translate, lock the output mode, rotate.
    f.dialog.updateString();
    f.dialog.setToRecordModeUi(true);
    f.dialog.doRotateRight();
    QVERIFY(!f.dialog.hasForm());
    QVERIFY(!f.dialog.findChild<QStackedWidget *>());

    if (use == QLatin1String("show"))
        f.dialog.show();
    else if (use == QLatin1String("showCameraSetting"))
        f.dialog.showCameraSetting();
    else
        f.dialog.setCamera(f.camera.get());
    QVERIFY(f.dialog.hasForm());
    QCOMPARE(f.dialog.findChild<QStackedWidget *>()->count(), 7);
    QVERIFY(f.dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(!f.dialog.findChild<QWidget *>("btnVideoOutputMode")->isEnabled());
    QCOMPARE(f.dialog.getCurrentAngle(), 90);
    QCOMPARE(f.widget<QComboBox>("cbOutputMode")->count() > 0, use == QLatin1String("setCamera"));
}

void TestCameraSettingsDialog::formLookAndSizes()
{
    CameraSettingDialog dialog;
    // The form is built on first use; the camera window opens the first page before it shows it.
    dialog.showCameraSetting();
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Lumidesk - Camera Settings"));
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(dialog.isModal());
    QCOMPARE(dialog.findChild<QStackedWidget *>()->count(), 7);
    QCOMPARE(dialog.findChild<QLabel *>("label_39")->text(), QStringLiteral("Are you sure to re-start your ZQ40?"));
    QVERIFY(dialog.findChild<QToolButton *>("btnAuto")->text().isEmpty());
    QVERIFY(dialog.findChild<QLabel *>("lbAudio")->text().startsWith("<p style=\"line-height:130%\">Enable both"));
    QVERIFY(dialog.findChild<QLabel *>("lbWhite")->toolTip().isEmpty());
    dialog.setToRecordModeUi(true);
    QVERIFY(!dialog.findChild<QWidget *>("btnVideoOutputMode")->isEnabled());
    dialog.setToRecordModeUi(false);
    QVERIFY(dialog.findChild<QWidget *>("btnVideoOutputMode")->isEnabled());
    QCOMPARE(CameraSettingDialog::getMinValue({360, 720, 480}), 480);
    QCOMPARE(CameraSettingDialog::getMinValue({240, 360}), 360);
    QCOMPARE(CameraSettingDialog::getMinValue({}), -1);
    QCOMPARE(CameraSettingDialog::videoFormateToString(5), QStringLiteral("YUY2"));
    QCOMPARE(CameraSettingDialog::videoFormateToString(42), QStringLiteral("OTHER"));

    // Dragging with the left button keeps the pressed point under the pointer; the right one does not drag.
    dialog.show();
    dialog.move(100, 100);
    const auto press = [&dialog](Qt::MouseButton button) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(50, 50), button, button, {});
        QApplication::sendEvent(&dialog, &event);
    };
    const auto drag = [&dialog](Qt::MouseButton button) {
        QMouseEvent move(QEvent::MouseMove, QPointF(80, 90), Qt::NoButton, button, {});
        QApplication::sendEvent(&dialog, &move);
    };
    press(Qt::RightButton);
    drag(Qt::RightButton);
    QCOMPARE(dialog.pos(), QPoint(100, 100));
    press(Qt::LeftButton);
    drag(Qt::LeftButton);
    QCOMPARE(dialog.pos(), QPoint(130, 140));
}

QTEST_MAIN(TestCameraSettingsDialog)
#include "tst_camsettings_dialog.moc"
