#include "camera/generalcamera.h"
#include "core/platformbackend.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcamera.h"
#include "simulated/simulatedcameras.h"
#include "vantohqcapture.h"

#include <QBuffer>

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

namespace {

GeneralCamera *cameraAt(quint32 location)
{
    for (GeneralCamera *each : DocCamManager::getDocCamManager()->queryCameras(false)) {
        if (each->getLocationID() == location)
            return each;
    }
    return nullptr;
}

// Waits until every step the capture queued before the call has run (queued calls run in order).
bool stepsQueuedSoFarRan(QObject *capture)
{
    bool ran = false;
    QTimer::singleShot(0, capture, [&ran] { ran = true; });
    return QTest::qWaitFor([&ran] { return ran; }, 60000);
}

} // namespace

class TestCamWindowHQCapture : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void fallbackFrame_data();
    void fallbackFrame();
    void stopCancelsAQueuedCapture();
    void cameraPictureOverHid();
    void unreadableCameraPictureGivesWayToTheFrame_data();
    void unreadableCameraPictureGivesWayToTheFrame();
    void simulatedCameraTakesItsFullSizePicture();
    void timeLimitAndOneAtATime_data();
    void timeLimitAndOneAtATime();
};

void TestCamWindowHQCapture::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
}

void TestCamWindowHQCapture::fallbackFrame_data()
{
    QTest::addColumn<bool>("hasProvider");
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<bool>("written");
    QTest::newRow("frame written as JPEG") << true << QSize(1920, 1080) << "hq.jpg" << true;
    QTest::newRow("no frame source") << false << QSize() << "hq.jpg" << false;
    QTest::newRow("no frame yet") << true << QSize() << "hq.jpg" << false;
    QTest::newRow("folder missing") << true << QSize(64, 48) << "missing/hq.jpg" << false;
}

void TestCamWindowHQCapture::fallbackFrame()
{
    QFETCH(bool, hasProvider);
    QFETCH(QSize, frameSize);
    QFETCH(QString, fileName);
    QFETCH(bool, written);

    QTemporaryDir dir;
    const QString path = dir.filePath(fileName);
    VantoHQCapture capture;
    capture.setControlCamera(nullptr);
    if (hasProvider) {
        capture.setFrameProvider([frameSize] {
            if (frameSize.isEmpty())
                return QImage();
            QImage frame(frameSize, QImage::Format_RGB32);
            frame.fill(Qt::darkGreen);
            return frame;
        });
    }
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    capture.doHQCapture(path);
    QVERIFY(capture.isCapturing());
    QCOMPARE(finished.count(), 0); // asynchronous
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(!capture.isCapturing());

    // A failure is never reported as a picture.
    QCOMPARE(finished.first().at(0).toString(), written ? path : QString());
    QImage image;
    QCOMPARE(image.load(path, "JPG"), written);
    if (written)
        QCOMPARE(image.size(), frameSize);
}

void TestCamWindowHQCapture::stopCancelsAQueuedCapture()
{
    QTemporaryDir dir;
    VantoHQCapture capture;
    capture.setFrameProvider([] { return QImage(8, 8, QImage::Format_RGB32); });
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    capture.doHQCapture(dir.filePath("a.jpg"));
    capture.stopCapture();
    QVERIFY(stepsQueuedSoFarRan(&capture));
    QCOMPARE(finished.count(), 0);
    QVERIFY(!QFile::exists(dir.filePath("a.jpg")));
}

void TestCamWindowHQCapture::cameraPictureOverHid()
{
    auto simulated = platform::SimulatedCameras::instance()->cameras().first();
    QCOMPARE(simulated->info().productId, quint16(0x0701));
    // Larger than one 505-byte piece and not a multiple of it, so the last piece is cut.
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(picture.save(&buffer, "JPG"));
    QVERIFY(jpeg.size() % 505 != 0);
    simulated->hid().setSnapshotImage(jpeg);

    GeneralCamera *camera = cameraAt(simulated->info().locationId);
    QVERIFY(camera);
    QTemporaryDir dir;
    VantoHQCapture capture;
    capture.setControlCamera(camera);
    capture.setFrameProvider([] { return QImage(); });
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    capture.doHQCapture(dir.filePath("hq.jpg"));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toString(), dir.filePath("hq.jpg"));
    QFile file(dir.filePath("hq.jpg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), jpeg);
    capture.setControlCamera(nullptr);
}

void TestCamWindowHQCapture::unreadableCameraPictureGivesWayToTheFrame_data()
{
    QTest::addColumn<QByteArray>("answer");
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(Qt::darkRed);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG");
    const int scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    QTest::newRow("cut short") << jpeg.left(jpeg.size() - 600);
    QTest::newRow("headers without an image") << jpeg.left(scan) + QByteArray("\xFF\xD9", 2);
    QTest::newRow("no JPEG") << QByteArray(3000, 'x');
}

// A picture from the camera that does not read as one is never written: the latest frame is.
void TestCamWindowHQCapture::unreadableCameraPictureGivesWayToTheFrame()
{
    QFETCH(QByteArray, answer);
    auto simulated = platform::SimulatedCameras::instance()->cameras().first();
    simulated->hid().setSnapshotImage(answer);
    GeneralCamera *camera = cameraAt(simulated->info().locationId);
    QVERIFY(camera);
    QTemporaryDir dir;
    VantoHQCapture capture;
    capture.setControlCamera(camera);
    capture.setFrameProvider([] {
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::darkBlue);
        return frame;
    });
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    capture.doHQCapture(dir.filePath("hq.jpg"));
    QTRY_COMPARE(finished.count(), 1);
    QCOMPARE(finished.first().at(0).toString(), dir.filePath("hq.jpg"));
    QImage image;
    QVERIFY(image.load(dir.filePath("hq.jpg"), "JPG"));
    QCOMPARE(image.size(), QSize(64, 48));
    capture.setControlCamera(nullptr);
}

void TestCamWindowHQCapture::simulatedCameraTakesItsFullSizePicture()
{
    // Without a picture set by a test the simulated camera answers with what it sees, as a JPEG at
    // its largest format, through the same HID transfer.
    auto simulated = platform::SimulatedCameras::instance()->cameras().first();
    simulated->hid().reset();
    GeneralCamera *camera = cameraAt(simulated->info().locationId);
    QVERIFY(camera);
    QTemporaryDir dir;
    VantoHQCapture capture;
    capture.setControlCamera(camera);
    capture.setFrameProvider([] { return QImage(); });
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    capture.doHQCapture(dir.filePath("hq.jpg"));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    QCOMPARE(finished.first().at(0).toString(), dir.filePath("hq.jpg"));
    QImage picture;
    QVERIFY(picture.load(dir.filePath("hq.jpg"), "JPG"));
    QCOMPARE(picture.size(), QSize(3840, 2160));
    capture.setControlCamera(nullptr);
}

void TestCamWindowHQCapture::timeLimitAndOneAtATime_data()
{
    QTest::addColumn<bool>("hasFrame");
    QTest::newRow("the latest frame instead") << true;
    QTest::newRow("nothing to write") << false;
}

void TestCamWindowHQCapture::timeLimitAndOneAtATime()
{
    QFETCH(bool, hasFrame);
    auto simulated = platform::SimulatedCameras::instance()->cameras().first();
    // Twenty pieces; the injected clock makes each step take a second, the limit is five.
    QByteArray picture(20 * 505, 'p');
    simulated->hid().setSnapshotImage(picture);
    GeneralCamera *camera = cameraAt(simulated->info().locationId);
    QVERIFY(camera);
    QTemporaryDir dir;
    VantoHQCapture capture;
    capture.setControlCamera(camera);
    capture.setTimeLimit(5000);
    qint64 now = 0;
    capture.setClock([&now] { return now += 1000; });
    capture.setFrameProvider([hasFrame] {
        if (!hasFrame)
            return QImage();
        QImage frame(64, 48, QImage::Format_RGB32);
        frame.fill(Qt::darkBlue);
        return frame;
    });
    QSignalSpy finished(&capture, &VantoHQCapture::finishedCapture);
    QVERIFY(capture.doHQCapture(dir.filePath("hq.jpg")));
    QVERIFY(!capture.doHQCapture(dir.filePath("second.jpg"))); // one at a time
    QTRY_COMPARE(finished.count(), 1);
    QVERIFY(stepsQueuedSoFarRan(&capture));
    QCOMPARE(finished.count(), 1);
    QVERIFY(!QFile::exists(dir.filePath("second.jpg")));
    QVERIFY(now < 20 * 1000); // given up before the camera's last piece
    QCOMPARE(finished.first().at(0).toString(), hasFrame ? dir.filePath("hq.jpg") : QString());
    QImage image;
    QCOMPARE(image.load(dir.filePath("hq.jpg"), "JPG"), hasFrame);
    if (hasFrame)
        QCOMPARE(image.size(), QSize(64, 48));
    // Free again for the next one.
    QVERIFY(capture.doHQCapture(dir.filePath("third.jpg")));
    QTRY_COMPARE(finished.count(), 2);
    capture.setControlCamera(nullptr);
}

QTEST_MAIN(TestCamWindowHQCapture)
#include "tst_camwindow_hqcapture.moc"
