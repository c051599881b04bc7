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

QTEST_MAIN(TestCamWindowHandOver)
#include "tst_camwindow_handover.moc"
