#include "camera/lcgeneralcamera.h"
#include "core/platformbackend.h"
#include "manager/lccameramanager.h"
#include "simulated/simulatedcameras.h"
#include "video/videodevices.h"

#include <QtTest>

using platform::SimulatedCamera;
using platform::SimulatedCameras;

namespace {

constexpr quint32 DuringListingLocation = 0x01300000;
constexpr quint32 AfterListingLocation = 0x01400000;

QStringList uniqueIdsOf(const QList<GeneralCamera *> &cameras)
{
    QStringList ids;
    for (GeneralCamera *camera : cameras) {
        ids.append(QStringLiteral("0x%1").arg(static_cast<LCGeneralCamera *>(camera)->getUniqueID(), 16,
                                              16, QLatin1Char('0')));
    }
    return ids;
}

QSharedPointer<SimulatedCamera> deviceWith(const QString &uniqueId, bool muxed = false)
{
    platform::VideoDeviceInfo info;
    info.uniqueId = uniqueId;
    info.name = QStringLiteral("Odd device");
    info.muxed = muxed;
    return QSharedPointer<SimulatedCamera>::create(info);
}

} // namespace

class TestCameraManager : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startUpListsEveryCameraOnce();
    void plugAndUnplug();
    void ignoredDevices_data();
    void ignoredDevices();
    void noticesForUnknownOrListedDevices();
    void sleepAndWake();

private:
    DocCamManager *m_manager = nullptr;
};

void TestCameraManager::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    // One camera arrives while the start-up list is being read, one right after it was read: both
    // must be listed, once each, after the cameras that were there.
    SimulatedCameras *cameras = SimulatedCameras::instance();
    cameras->setEnumerationHook(SimulatedCameras::BeforeListing, [cameras] {
        cameras->plugStandard(0x0901, DuringListingLocation, QStringLiteral("During listing"));
    });
    cameras->setEnumerationHook(SimulatedCameras::AfterListing, [cameras] {
        cameras->plugStandard(0x0902, AfterListingLocation, QStringLiteral("After listing"));
    });
    m_manager = DocCamManager::getDocCamManager(QMap<QString, QString>());
    QVERIFY(m_manager);
}

void TestCameraManager::startUpListsEveryCameraOnce()
{
    QCOMPARE(DocCamManager::getDocCamManager(), m_manager);
    QCOMPARE(uniqueIdsOf(m_manager->queryCameras(false)),
             (QStringList{SimulatedCamera::uniqueIdFor(SimulatedCameras::FirstLocationId, 0x2574, 0x0701),
                          SimulatedCamera::uniqueIdFor(SimulatedCameras::SecondLocationId, 0x2574, 0x0815),
                          SimulatedCamera::uniqueIdFor(DuringListingLocation, 0x2574, 0x0901),
                          SimulatedCamera::uniqueIdFor(AfterListingLocation, 0x2574, 0x0902)}));
    for (GeneralCamera *camera : m_manager->queryCameras(true))
        QCOMPARE(static_cast<LCGeneralCamera *>(camera)->referenceCount(), 1);
    QVERIFY(m_manager->asyncSearchQorvWirelessCamera(QString()));
}

void TestCameraManager::plugAndUnplug()
{
    QSignalSpy detected(m_manager, &DocCamManager::nonQorvCameraDetected);
    QSignalSpy removed(m_manager, &DocCamManager::nonQorvCameraRemoved);
    const int before = m_manager->queryCameras(false).size();

    const auto simulated = SimulatedCameras::instance()->plugStandard(0x0903, 0x02100000,
                                                                      QStringLiteral("Plugged"));
    QCOMPARE(detected.count(), 1);
    auto *camera = static_cast<LCGeneralCamera *>(detected.first().at(0).value<GeneralCamera *>());
    QCOMPARE(m_manager->queryCameras(false).size(), before + 1);
    QCOMPARE(m_manager->queryCameras(false).last(), camera);
    QCOMPARE(camera->referenceCount(), 1);
    QCOMPARE(camera->getName(), QStringLiteral("Plugged"));
    QCOMPARE(camera->getLocationID(), 0x02100000u);
    float brightness = 99;
    QCOMPARE(camera->getBrightness(&brightness), 0u);

    QVERIFY(SimulatedCameras::instance()->unplug(simulated->info().uniqueId));
    QCOMPARE(removed.count(), 1);
    QCOMPARE(removed.first().at(0).value<GeneralCamera *>(), camera);
    QCOMPARE(m_manager->queryCameras(false).size(), before);
    // Still valid after the signal: the list's reference is not released.
    QCOMPARE(camera->getName(), QStringLiteral("Plugged"));
    QCOMPARE(camera->getBrightness(&brightness), 0xC0000002u);
}

void TestCameraManager::ignoredDevices_data()
{
    QTest::addColumn<QString>("uniqueId");
    QTest::addColumn<bool>("muxed");

    QTest::newRow("no 0x") << QStringLiteral("usb-0000:00:14.0-1") << false;
    QTest::newRow("not hexadecimal") << QStringLiteral("0x01500000257g0701") << false;
    QTest::newRow("too short") << QStringLiteral("0x0150") << false;
    QTest::newRow("low 32 bits 0") << QStringLiteral("0x0150000000000000") << false;
    QTest::newRow("muxed") << SimulatedCamera::uniqueIdFor(0x01600000, 0x2574, 0x0701) << true;
}

void TestCameraManager::ignoredDevices()
{
    QFETCH(QString, uniqueId);
    QFETCH(bool, muxed);

    QSignalSpy detected(m_manager, &DocCamManager::nonQorvCameraDetected);
    QSignalSpy removed(m_manager, &DocCamManager::nonQorvCameraRemoved);
    const int before = m_manager->queryCameras(false).size();
    QVERIFY(SimulatedCameras::instance()->plug(deviceWith(uniqueId, muxed)));
    QVERIFY(SimulatedCameras::instance()->unplug(uniqueId));
    QCOMPARE(detected.count(), 0);
    QCOMPARE(removed.count(), 0);
    QCOMPARE(m_manager->queryCameras(false).size(), before);
}

void TestCameraManager::noticesForUnknownOrListedDevices()
{
    QSignalSpy detected(m_manager, &DocCamManager::nonQorvCameraDetected);
    QSignalSpy removed(m_manager, &DocCamManager::nonQorvCameraRemoved);
    const int before = m_manager->queryCameras(false).size();
    platform::VideoDevices *devices = platform::VideoDevices::instance();

    platform::VideoDeviceInfo unknown;
    unknown.uniqueId = SimulatedCamera::uniqueIdFor(0x03100000, 0x2574, 0x0904);
    emit devices->deviceRemoved(unknown);
    QCOMPARE(removed.count(), 0);

    // A second notice for a listed camera does not list it twice.
    emit devices->deviceAdded(SimulatedCameras::instance()->cameras().first()->info());
    QCOMPARE(detected.count(), 0);
    QCOMPARE(m_manager->queryCameras(false).size(), before);
}

void TestCameraManager::sleepAndWake()
{
    QSignalSpy bySignature(m_manager, SIGNAL(powerStateChanged(int)));
    QSignalSpy byBase(m_manager, &DocCamManager::powerStateChanged);
    SimulatedCameras::instance()->suspendComputer();
    SimulatedCameras::instance()->resumeComputer();
    QCOMPARE(bySignature.count(), 2);
    QCOMPARE(bySignature.at(0).at(0).toInt(), 0);
    QCOMPARE(bySignature.at(1).at(0).toInt(), 1);
    QCOMPARE(byBase.count(), 2);
}

QTEST_GUILESS_MAIN(TestCameraManager)
#include "tst_camera_manager.moc"
