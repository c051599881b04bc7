#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "hid/hidreport.h"
#include "hid/ifhqcapture.h"
#include "simulated/simulatedcameras.h"
#include "simulatedhidcamera.h"
#include "uvc/uvccameracontrol.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <QtTest>

#include <cstring>

using platform::SimulatedCameras;
using platform::SimulatedHidDevice;

namespace {

constexpr int ShortTimeout = 60;

UVCCameraControl *controlOf(quint32 location)
{
    auto *camera = qobject_cast<LCGeneralCamera *>(SimulatedHidCamera::listedCamera(location));
    return camera && camera->impl() ? camera->impl()->uvcControl() : nullptr;
}

QByteArray record(char first)
{
    QByteArray bytes(UVCCameraControl::IspPayloadSize, '\0');
    bytes[0] = first;
    return bytes;
}

} // namespace

class TestHidCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void reportLayout_data();
    void reportLayout();
    void propertyAnswerFollowsItsCommand();
    void getWithoutAnswerTimesOut();
    void staleAnswerIsNotTakenForTheNext();
    void stopReopensThePropertyChannel();
    void propertyNeedsTheLocationOpenedCamera();
    void oversizedPayloadIsRefused();
    void hqCaptureWithoutCamera();
    void hqCaptureTransfersThePicture();
};

void TestHidCommands::initTestCase()
{
    SimulatedHidCamera::resetCameras();
    QVERIFY(controlOf(SimulatedCameras::FirstLocationId));
}

void TestHidCommands::init()
{
    SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId)->hid().reset();
    SimulatedHidCamera::simulated(SimulatedCameras::SecondLocationId)->hid().reset();
    controlOf(SimulatedCameras::FirstLocationId)->setHidTimeout(1000);
}

void TestHidCommands::reportLayout_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("payloadSize");
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("payloadKept");

    QTest::newRow("ISP status") << 1 << 60 << 16 << 60;
    QTest::newRow("ISP stop") << 6 << 60 << 16 << 60;
    QTest::newRow("first other command") << 7 << 60 << 15 << 60;
    QTest::newRow("HQ capture") << 0x91 << 4 << 15 << 4;
    QTest::newRow("HID data block") << 3 << 508 << 16 << 508;
    QTest::newRow("largest payload") << 3 << 509 << 16 << 509;
    QTest::newRow("payload too long is cut") << 3 << 600 << 16 << 509;
    QTest::newRow("negative size") << 1 << -5 << 16 << 0;
}

void TestHidCommands::reportLayout()
{
    QFETCH(int, command);
    QFETCH(int, payloadSize);
    QFETCH(int, form);
    QFETCH(int, payloadKept);

    QByteArray payload(qMax(0, payloadSize), '\0');
    for (int i = 0; i < payload.size(); ++i)
        payload[i] = char(i % 255 + 1);
    const QByteArray report = UVCCameraControl::buildHidReport(uint8_t(command), payload.constData(),
                                                               payloadSize);
    QCOMPARE(report.size(), 512);
    QCOMPARE(int(quint8(report.at(0))), 8);
    QCOMPARE(int(quint8(report.at(1))), form);
    QCOMPARE(int(quint8(report.at(2))), command);
    QCOMPARE(report.mid(3, payloadKept), payload.left(payloadKept));
    QCOMPARE(report.mid(3 + payloadKept), QByteArray(512 - 3 - payloadKept, '\0'));
}

void TestHidCommands::propertyAnswerFollowsItsCommand()
{
    UVCCameraControl *uvc = controlOf(SimulatedCameras::FirstLocationId);
    auto sim = SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId);
    sim->hid().setIdleStatus(2);

    QVERIFY(uvc->setISPStatus(record(0).constData()));
    const QList<QByteArray> sent = sim->hid().reportLog();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent.first(), UVCCameraControl::buildHidReport(1, record(0).constData(), 60));

    QByteArray answer(60, '\x55');
    QVERIFY(uvc->getISPStatus(answer.data()));
    QCOMPARE(int(answer.at(0)), 2);
    QCOMPARE(answer.mid(1, 9), QByteArray("isp_ready"));
}

void TestHidCommands::getWithoutAnswerTimesOut()
{
    // The camera never answers: the get gives up after its time limit and writes nothing.
    UVCCameraControl *uvc = controlOf(SimulatedCameras::FirstLocationId);
    SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId)->hid().setAnswering(false);
    uvc->setHidTimeout(ShortTimeout);
    QVERIFY(uvc->setISPStatus(record(0).constData()));

    QByteArray answer(60, '\x55');
    QElapsedTimer timer;
    timer.start();
    QVERIFY(!uvc->getISPStatus(answer.data()));
    QVERIFY(timer.elapsed() >= ShortTimeout - 10);
    QVERIFY(timer.elapsed() < 3000);
    QCOMPARE(answer, QByteArray(60, '\x55'));
}

void TestHidCommands::staleAnswerIsNotTakenForTheNext()
{
    UVCCameraControl *uvc = controlOf(SimulatedCameras::FirstLocationId);
    QVERIFY(uvc->setISPStatus(record(0).constData()));
    // The status answer is never read; the file-start get must see the file-start answer.
    char start[60] = "UpdaterFW.dat";
    qToLittleEndian<quint32>(1000, start + 52);
    QVERIFY(uvc->setISP_File_Start(start));

    QByteArray answer(60, '\0');
    QVERIFY(uvc->getISP_File_Start(answer.data()));
    QCOMPARE(answer.left(18), QByteArray("isp_file_start_ack"));
    QCOMPARE(qFromLittleEndian<quint32>(answer.constData() + 52), 1000u);
}

void TestHidCommands::stopReopensThePropertyChannel()
{
    UVCCameraControl *uvc = controlOf(SimulatedCameras::FirstLocationId);
    QVERIFY(uvc->setISPStatus(record(0).constData()));
    QVERIFY(uvc->isHidPropertyOpen());
    QVERIFY(uvc->setISP_Stop(record(0).constData()));
    QVERIFY(uvc->isHidPropertyOpen());
    QByteArray answer(60, '\x55');
    QVERIFY(uvc->getISP_Stop(answer.data()));
    QCOMPARE(int(answer.at(0)), 0);
}

void TestHidCommands::propertyNeedsTheLocationOpenedCamera()
{
    // The second camera is opened by its ids: no property channel, but the data channel works.
    UVCCameraControl *uvc = controlOf(SimulatedCameras::SecondLocationId);
    QVERIFY(uvc);
    uvc->setHidTimeout(ShortTimeout);
    QVERIFY(!uvc->setISPStatus(record(0).constData()));
    QByteArray answer(60, '\x55');
    QVERIFY(!uvc->getISPStatus(answer.data()));
    QCOMPARE(answer, QByteArray(60, '\x55'));

    const QByteArray take(4, '\0');
    QCOMPARE(uvc->setHQCapture(take.constData()), 512);
    QByteArray data(508, '\0');
    QCOMPARE(uvc->getHQCapture(data.data(), data.size()), 508);
    QCOMPARE(int(quint8(data.at(0))), 9);
}

void TestHidCommands::oversizedPayloadIsRefused()
{
    UVCCameraControl *uvc = controlOf(SimulatedCameras::FirstLocationId);
    const QByteArray big(600, 'x');
    QVERIFY(!uvc->setHidProperty(3, big.constData(), big.size()));
    QCOMPARE(uvc->setHidData(0x92, big.constData(), big.size()), -1);
    QVERIFY(SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId)->hid().reportLog().isEmpty());
}

void TestHidCommands::hqCaptureWithoutCamera()
{
    IfHQCapture capture;
    QByteArray buffer(508, '\x55');
    QCOMPARE(capture.setSnapshot(1), -1);
    QCOMPARE(capture.setSnapshotData(0), -1);
    QCOMPARE(capture.getSnapshot(buffer.data()), -1);
    QCOMPARE(capture.getSnapshotData(buffer.data()), -1);
    QCOMPARE(buffer, QByteArray(508, '\x55'));
}

void TestHidCommands::hqCaptureTransfersThePicture()
{
    auto sim = SimulatedHidCamera::simulated(SimulatedCameras::FirstLocationId);
    QByteArray picture("\xFF\xD8", 2);
    for (int i = 0; i < 1200; ++i)
        picture.append(char(i % 199));
    picture.append("\xFF\xD9", 2);
    sim->hid().setSnapshotImage(picture);

    GeneralCamera *camera = SimulatedHidCamera::listedCamera(SimulatedCameras::FirstLocationId);
    auto *lc = qobject_cast<LCGeneralCamera *>(camera);
    const int64_t references = lc->referenceCount();
    {
        IfHQCapture capture;
        capture.setControlCamera(camera);
        QCOMPARE(lc->referenceCount(), references + 1);

        QCOMPARE(capture.setSnapshot(1), 0);
        char answer[508];
        QCOMPARE(capture.getSnapshot(answer), 0);
        QCOMPARE(QByteArray(answer, 3), QByteArray("\x09\x0f\x91", 3));
        const int size = int(qFromLittleEndian<quint32>(answer + 3));
        QCOMPARE(size, picture.size());

        QByteArray received;
        for (int index = 0; received.size() < size; ++index) {
            char data[505];
            QCOMPARE(capture.setSnapshotData(index), 0);
            QCOMPARE(capture.getSnapshotData(data), 0);
            received.append(data, qMin(505, size - received.size()));
        }
        QCOMPARE(received, picture);
    }
    QCOMPARE(lc->referenceCount(), references);
}

QTEST_GUILESS_MAIN(TestHidCommands)
#include "tst_hid_commands.moc"
