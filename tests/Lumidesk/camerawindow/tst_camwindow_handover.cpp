#include "camwindowfixture.h"

#include "camerasettings/camerasettingdialog.h"

#include <QTimer>

using namespace camwindow;

// Hot-plug hand-over between two camera windows wired as the main window wires them: the manager's news
// of a new camera reaches the first window, which relays it to the second.
class TestCamWindowHandOver : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void newCameraGoesToTheWindowWithout();
    void bothEmptyTakeOneEach();
    void unplugStopsAndRemoves();
    void rebootListsButDoesNotSelect();
    void plugDuringTheRemovalWaitIsHandledAfterIt();
    void unplugTheLastZq40TakesItsCompanionsAlong();
    void autoShowCamera_data();
    void autoShowCamera();

private:
    void wire();
    std::unique_ptr<CameraMainWidget> m_first;
    std::unique_ptr<CameraMainWidget> m_second;
};

void TestCamWindowHandOver::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindowHandOver::init()
{
    QFile::remove(_GUID_SETTING_INI);
    plugOnly({makeCamera(0, 0x0815, QStringLiteral("Doc"))});
    m_first = makeWindow(1);
    m_second = makeWindow(2);
    wire();
}

void TestCamWindowHandOver::cleanup()
{
    m_first.reset();
    m_second.reset();
}

void TestCamWindowHandOver::wire()
{
    connect(DocCamManager::getDocCamManager(), &DocCamManager::nonQorvCameraDetected, m_first.get(),
            QOverload<GeneralCamera *>::of(&CameraMainWidget::cameraDetected));
    connect(m_first.get(), &CameraMainWidget::nonQorvCameraDetected, m_second.get(),
            QOverload<GeneralCamera *, bool, bool>::of(&CameraMainWidget::cameraDetected));
}

void TestCamWindowHandOver::newCameraGoesToTheWindowWithout()
{
    m_first->comboBoxSource->setCurrentIndex(1);
    QVERIFY(m_first->getSourceCamera());
    GeneralCamera *shown = m_first->getSourceCamera();
    const auto desk = makeCamera(1, 0x0816, QStringLiteral("Desk"));
    QVERIFY(SimulatedCameras::instance()->plug(desk));
    // The first window keeps its camera and lists the new one; the second takes it.
    QCOMPARE(m_first->getSourceCamera(), shown);
    QCOMPARE(m_first->comboBoxSource->count(), 3);
    QCOMPARE(m_second->getSourceCamera(), generalCamera(desk));
    QCOMPARE(m_second->comboBoxSource->currentText(), QStringLiteral("Desk"));

    // With both busy a third camera is only listed.
    const auto third = makeCamera(2, 0x0817, QStringLiteral("Third"));
    QVERIFY(SimulatedCameras::instance()->plug(third));
    QCOMPARE(m_first->comboBoxSource->count(), 4);
    QCOMPARE(m_second->comboBoxSource->findText(QStringLiteral("Third")) > 0, true);
    QCOMPARE(m_second->getSourceCamera(), generalCamera(desk));
}

void TestCamWindowHandOver::bothEmptyTakeOneEach()
{
    // A maker camera and a companion device of the maker (product 0x2000 or more).
    const auto companion = SimulatedCamera::makeStandard(0x2001, locationFor(3), QStringLiteral("Hdmi"));
    QVERIFY(SimulatedCameras::instance()->plug(companion));
    m_first->comboBoxSource->setCurrentIndex(0);
    m_second->comboBoxSource->setCurrentIndex(0);
    const auto desk = makeCamera(1, 0x0816, QStringLiteral("Desk"));
    QVERIFY(SimulatedCameras::instance()->plug(desk));
    // The first window takes the new camera; the second the companion, which it lists but cannot open.
    QCOMPARE(m_first->getSourceCamera(), generalCamera(desk));
    QCOMPARE(m_second->comboBoxSource->currentText(), QStringLiteral("Hdmi"));
    QVERIFY(!m_second->getSourceCamera());
}

void TestCamWindowHandOver::unplugStopsAndRemoves()
{
    const auto desk = makeCamera(1, 0x0816, QStringLiteral("Desk"));
    QVERIFY(SimulatedCameras::instance()->plug(desk));
    m_first->comboBoxSource->setCurrentIndex(1);
    m_second->comboBoxSource->setCurrentIndex(m_second->comboBoxSource->findText(QStringLiteral("Desk")));
    QVERIFY(m_second->getSourceCamera());
    m_second->recordClick();
    QCOMPARE(m_second->getRecordState(), 1);
    QSignalSpy selected(m_second.get(), &CameraMainWidget::cameraSelected);

    QVERIFY(SimulatedCameras::instance()->unplug(desk->info().uniqueId));
    QCOMPARE(m_second->getRecordState(), 0);
    QCOMPARE(m_second->comboBoxSource->currentIndex(), 0);
    QVERIFY(!m_second->getSourceCamera());
    QCOMPARE(selected.count(), 1);
    QCOMPARE(m_second->comboBoxSource->findText(QStringLiteral("Desk")), -1);
    // The other window only forgets the entry.
    QCOMPARE(m_first->comboBoxSource->findText(QStringLiteral("Desk")), -1);
    QVERIFY(m_first->getSourceCamera());
}

void TestCamWindowHandOver::rebootListsButDoesNotSelect()
{
    m_first->setRebootFlag(true);
    m_second->setRebootFlag(true);
    const auto desk = makeCamera(1, 0x0816, QStringLiteral("Desk"));
    QVERIFY(SimulatedCameras::instance()->plug(desk));
    QVERIFY(m_first->comboBoxSource->findText(QStringLiteral("Desk")) > 0);
    QVERIFY(m_second->comboBoxSource->findText(QStringLiteral("Desk")) > 0);
    QVERIFY(!m_first->getSourceCamera());
    QVERIFY(!m_second->getSourceCamera());
}

void TestCamWindowHandOver::plugDuringTheRemovalWaitIsHandledAfterIt()
{
    const auto doc = SimulatedCameras::instance()->cameras().first();
    m_first->comboBoxSource->setCurrentIndex(1);
    QVERIFY(m_first->getSourceCamera());
    m_first->settingDialog->show();
    const auto desk = makeCamera(1, 0x0816, QStringLiteral("Desk"));
    // The camera arrives while the removal waits for the settings dialog.
    QTimer::singleShot(50, [desk] { SimulatedCameras::instance()->plug(desk); });
    QVERIFY(SimulatedCameras::instance()->unplug(doc->info().uniqueId));

    QVERIFY(!m_first->settingDialog->isVisible());
    QCOMPARE(m_first->getSourceCamera(), generalCamera(desk));
    QCOMPARE(m_first->comboBoxSource->currentText(), QStringLiteral("Desk"));
    // The settings dialog follows the camera the window shows now.
    QSignalSpy changed(m_first->settingDialog, &CameraSettingDialog::UIChange);
    const qint64 brightness =
        platform::SimulatedUvcControl::signedValue(desk->uvc().control(2, 0x02).defaultValue);
    QVERIFY(QMetaObject::invokeMethod(m_first->settingDialog, "setBrightness", Q_ARG(int, int(brightness))));
    QCOMPARE(changed.count(), 1);
}

// The companion devices (product 0x2000 or more) serve the ZQ40: unplugging the last one takes their
// entries from both lists, and a window showing one goes back to no camera.
void TestCamWindowHandOver::unplugTheLastZq40TakesItsCompanionsAlong()
{
    m_first->comboBoxSource->setCurrentIndex(1);
    const auto zq40 = makeCamera(1, 0x0701, QStringLiteral("Document camera"));
    QVERIFY(SimulatedCameras::instance()->plug(zq40));
    QCOMPARE(m_second->comboBoxSource->currentText(), QStringLiteral("ZQ40"));
    QVERIFY(m_second->getSourceCamera());
    const auto companion = SimulatedCamera::makeStandard(0x2001, locationFor(3), QStringLiteral("Hdmi"));
    QVERIFY(SimulatedCameras::instance()->plug(companion));
    m_first->comboBoxSource->setCurrentIndex(m_first->comboBoxSource->findText(QStringLiteral("Hdmi")));
    QVERIFY(m_first->comboBoxSource->currentIndex() > 0);
    QVERIFY(!m_first->getSourceCamera());

    QVERIFY(SimulatedCameras::instance()->unplug(zq40->info().uniqueId));
    for (CameraMainWidget *window : {m_first.get(), m_second.get()}) {
        QCOMPARE(window->comboBoxSource->currentIndex(), 0);
        QCOMPARE(window->comboBoxSource->findText(QStringLiteral("ZQ40")), -1);
        QCOMPARE(window->comboBoxSource->findText(QStringLiteral("Hdmi")), -1);
        QVERIFY(window->comboBoxSource->findText(QStringLiteral("Doc")) > 0);
    }
    QVERIFY(!m_second->getSourceCamera());

    // Beside a ZQ40 still there, a companion stays listed.
    QVERIFY(SimulatedCameras::instance()->unplug(companion->info().uniqueId));
    const auto other = makeCamera(1, 0x0701, QStringLiteral("Document camera"));
    const auto another = makeCamera(2, 0x0701, QStringLiteral("Document camera"));
    QVERIFY(SimulatedCameras::instance()->plug(other));
    QVERIFY(SimulatedCameras::instance()->plug(another));
    QVERIFY(SimulatedCameras::instance()->plug(companion));
    QVERIFY(m_first->comboBoxSource->findText(QStringLiteral("Hdmi")) > 0);
    QVERIFY(SimulatedCameras::instance()->unplug(other->info().uniqueId));
    QVERIFY(m_first->comboBoxSource->findText(QStringLiteral("Hdmi")) > 0);
    QVERIFY(m_second->comboBoxSource->findText(QStringLiteral("Hdmi")) > 0);
}

void TestCamWindowHandOver::autoShowCamera_data()
{
    QTest::addColumn<QList<quint16>>("products");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("shown"); // empty: none

    // 0x0701 lists as "ZQ40", 0x0810 as "ZR90".
    QTest::newRow("mode 2: ZR90 before ZQ40") << QList<quint16>{0x0815, 0x0701, 0x0810} << 2 << "ZR90";
    QTest::newRow("mode 2: ZQ40 without ZR90") << QList<quint16>{0x0815, 0x0701} << 2 << "ZQ40";
    QTest::newRow("mode 2: neither") << QList<quint16>{0x0815} << 2 << "";
    QTest::newRow("mode 1: the first camera") << QList<quint16>{0x0815, 0x0810} << 1 << "Cam 0";
    QTest::newRow("another mode") << QList<quint16>{0x0810} << 3 << "";
}

void TestCamWindowHandOver::autoShowCamera()
{
    QFETCH(QList<quint16>, products);
    QFETCH(int, mode);
    QFETCH(QString, shown);
    m_first.reset();
    m_second.reset();
    QList<QSharedPointer<SimulatedCamera>> cameras;
    for (int i = 0; i < products.size(); ++i)
        cameras.append(makeCamera(i, products.at(i), QStringLiteral("Cam %1").arg(i)));
    plugOnly(cameras);
    auto window = makeWindow();
    window->autoShowCamera(mode);
    if (shown.isEmpty()) {
        QCOMPARE(window->comboBoxSource->currentIndex(), 0);
        QVERIFY(!window->getSourceCamera());
        return;
    }
    QCOMPARE(window->comboBoxSource->currentText(), shown);
    QVERIFY(window->getSourceCamera());
    // A window that shows a camera keeps it.
    GeneralCamera *camera = window->getSourceCamera();
    window->autoShowCamera(1);
    QCOMPARE(window->getSourceCamera(), camera);
}

QTEST_MAIN(TestCamWindowHandOver)
#include "tst_camwindow_handover.moc"
