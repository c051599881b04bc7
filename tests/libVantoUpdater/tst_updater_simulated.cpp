#include "simulated/simulatedcameras.h"
#include "simulatedhidcamera.h"
#include "vantoupdater.h"

#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

using platform::SimulatedCameras;
using platform::SimulatedHidDevice;

class UpdaterSimulatedTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void versions();
    void transferAndReboot();
    void verificationFails();
    void unpluggedMidTransfer();

private:
    std::unique_ptr<VantoUpdater> makeUpdater(const QByteArray &image);

    GeneralCamera *m_camera = nullptr;
    QSharedPointer<platform::SimulatedCamera> m_sim;
};

void UpdaterSimulatedTest::initTestCase()
{
    SimulatedHidCamera::resetCameras();
    m_sim = SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId);
    QVERIFY(m_sim);
}

void UpdaterSimulatedTest::init()
{
    if (!m_sim->isConnected())
        QVERIFY(SimulatedCameras::instance()->plug(m_sim));
    m_camera = SimulatedHidCamera::listedCamera(SimulatedCameras::FirstLocationId);
    QVERIFY(m_camera);
    m_sim->hid().reset();
}

std::unique_ptr<VantoUpdater> UpdaterSimulatedTest::makeUpdater(const QByteArray &image)
{
    auto updater = std::make_unique<VantoUpdater>();
    updater->SetControlCamera(m_camera);
    updater->setReprogramInterval(10);
    QFile file(updater->downloadFolder() + QLatin1String(VantoUpdater::FirmwareFileName));
    if (file.open(QIODevice::WriteOnly))
        file.write(image);
    return updater;
}

void UpdaterSimulatedTest::versions()
{
    VantoUpdater updater;
    QCOMPARE(updater.getCurrentFWVersion(), QString());
    updater.SetControlCamera(m_camera);
    QCOMPARE(updater.getCurrentFWVersion(), QStringLiteral("1.0.7"));
    QCOMPARE(updater.getCurrentSWVersion(), QStringLiteral("1.0.1003.6"));
    updater.SetControlCamera(nullptr);
    QCOMPARE(updater.getCurrentFWVersion(), QString());
}

void UpdaterSimulatedTest::transferAndReboot()
{
    const QByteArray image = SimulatedHidCamera::firmwareImage(508000);
    auto updater = makeUpdater(image);
    QSignalSpy spy(updater.get(), &VantoUpdater::sendPercentage);

    QCOMPARE(updater->CheckFWUpgrade(), 0);

    QCOMPARE(m_sim->hid().installedImage(), image);
    QList<int> transfer;
    for (int i = 0; i < 100; ++i)
        transfer << spy.at(i).at(0).toInt();
    QList<int> expected;
    for (int k = 1; k <= 100; ++k)
        expected << k / 3 + 33;
    QCOMPARE(transfer, expected);
    QCOMPARE(spy.last().at(0).toInt(), 100);
    for (int i = 100; i < spy.size() - 1; ++i) {
        QVERIFY(spy.at(i).at(0).toInt() > 66);
        QVERIFY(spy.at(i).at(0).toInt() <= 99);
    }
}

void UpdaterSimulatedTest::verificationFails()
{
    m_sim->hid().setReprogramFails(true);
    auto updater = makeUpdater(SimulatedHidCamera::firmwareImage(5080));
    QCOMPARE(updater->CheckFWUpgrade(), 1);
    QVERIFY(m_sim->hid().installedImage().isEmpty());
}

void UpdaterSimulatedTest::unpluggedMidTransfer()
{
    m_sim->hid().setFaultAfterBlocks(SimulatedHidDevice::UnplugsItself, 5);
    auto updater = makeUpdater(SimulatedHidCamera::firmwareImage(50800));
    QCOMPARE(updater->CheckFWUpgrade(), 2);
}

QTEST_GUILESS_MAIN(UpdaterSimulatedTest)
#include "tst_updater_simulated.moc"
