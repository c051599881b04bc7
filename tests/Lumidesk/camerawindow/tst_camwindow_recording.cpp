#include "camwindowfixture.h"

#include "capture/qorvcapturesession.h"
#include "capture/qorvframesourceimpl.h"
#include "common/widgets/progressdialog.h"
#include "vantohqcapture.h"
#include "writerprobe.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QStandardPaths>

using namespace camwindow;

namespace {

QString tivlo(const QString &leaf)
{
    return QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation).first() + "/Qorv/Tivlo/" + leaf;
}

QByteArray jpegOf(QSize size, Qt::GlobalColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG");
    return jpeg;
}

} // namespace

// Recording (countdown, counters, pause and resume, the 6-hour limit, failed starts, errors, sleep and
// wake) and snapshots (same-second names, high-quality capture) of a camera window on a simulated camera.
class TestCamWindowRecording : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void recordsWithCountdown();
    void pauseAndResumeKeepTheFrameRate();
    void sixHourLimit();
    void onlyValidTransitions();
    void restartRightAfterStop();
    void failedStarts_data();
    void failedStarts();
    void errorRows_data();
    void errorRows();
    void sleepAndWake_data();
    void sleepAndWake();
    void twoSnapshotsInOneSecond();
    void highQualityOneAtATime();

private:
    std::unique_ptr<CameraMainWidget> openWindow(quint16 product = 0x0815);
    QSharedPointer<SimulatedCamera> m_camera;
};

void TestCamWindowRecording::initTestCase()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    QVERIFY(DocCamManager::getDocCamManager());
}

void TestCamWindowRecording::init()
{
    QFile::remove(_GUID_SETTING_INI);
}

void TestCamWindowRecording::cleanup()
{
    QorvFrameSourceImpl::setDiskSpaceReader({});
    QDir(tivlo(QString())).removeRecursively();
}

std::unique_ptr<CameraMainWidget> TestCamWindowRecording::openWindow(quint16 product)
{
    m_camera = makeCamera(0, product, QStringLiteral("Doc"));
    plugOnly({m_camera});
    auto window = makeWindow();
    window->comboBoxSource->setCurrentIndex(1);
    return window;
}

void TestCamWindowRecording::recordsWithCountdown()
{
    auto window = openWindow();
    QVERIFY(window->getSourceCamera());
    CameraMainWidget::Timing timing;
    timing.countdownStepMs = 300;
    window->setTiming(timing);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);

    window->btnRecord->click();
    QCOMPARE(window->lebalCountdown->text(), QStringLiteral("3"));
    QVERIFY(window->lebalCountdown->isVisible());
    QVERIFY(!window->comboBoxSource->isEnabled());
    window->btnRecord->click(); // a second press during the countdown starts nothing new
    QTRY_COMPARE(window->lebalCountdown->text(), QStringLiteral("2"));
    QCOMPARE(window->getRecordState(), 0);
    QTRY_COMPARE(window->lebalCountdown->text(), QStringLiteral("1"));
    QTRY_COMPARE(window->getRecordState(), 1);
    QVERIFY(!window->lebalCountdown->isVisible());
    QVERIFY(!window->btnStop->isHidden());
    QCOMPARE(sentInts(sent, CameraMainWidget::RecordStateId), (QList<QList<qint32>>{{1, 0}}));
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStartEvent), 1);
    QCOMPARE(window->recordElapsed(), 500);

    QTest::qWait(3000);
    QVERIFY(window->lbRecordTime->text() >= QStringLiteral("00:00:03"));
    window->btnStop->click();
    QCOMPARE(window->getRecordState(), 0);
    QCOMPARE(window->lbRecordTime->text(), QStringLiteral("00:00:00"));
    QVERIFY(window->comboBoxSource->isEnabled());
    QVERIFY(ended.wait(20000));
    const QString movie = ended.first().at(0).toString();
    QVERIFY2(QFileInfo(movie).dir().path() == tivlo("Video"), qPrintable(movie));
    QVERIFY2(QFileInfo(movie).fileName().startsWith("Video"), qPrintable(movie));
    QCOMPARE(ended.first().at(1).toInt(), 0);

    const WriterProbe probe = WriterProbe::run(movie);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QVERIFY2(qAbs(video.duration() - 3.0) < 0.5, qPrintable(QString::number(video.duration())));
    const QList<QList<qint32>> states = sentInts(sent, CameraMainWidget::RecordStateId);
    QCOMPARE(states.last(), (QList<qint32>{0, 0}));
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStopEvent), 1);
}

void TestCamWindowRecording::pauseAndResumeKeepTheFrameRate()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    QTest::qWait(500); // the camera's frames are flowing
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);
    QTest::qWait(1500);
    window->recordPause();
    QCOMPARE(window->getRecordState(), 2);
    const qint64 pausedAt = window->recordElapsed();
    QTest::qWait(1000);
    QCOMPARE(window->recordElapsed(), pausedAt); // the counter stands still while paused
    window->recordContinue();
    QCOMPARE(window->getRecordState(), 3);
    QTest::qWait(1500);
    window->recordStop();
    QVERIFY(ended.wait(20000));

    const QList<QList<qint32>> states = sentInts(sent, CameraMainWidget::RecordStateId);
    QCOMPARE(states.size(), 4);
    QCOMPARE(states.at(1).at(0), 2);
    QCOMPARE(states.at(2).at(0), 3);
    QCOMPARE(states.at(1).at(1), states.at(2).at(1)); // continues from the paused time

    const WriterProbe probe = WriterProbe::run(ended.first().at(0).toString());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    // The paused second is not in the movie, and the frames after the pause come at the same rate.
    QVERIFY2(qAbs(video.duration() - 3.0) < 0.5, qPrintable(QString::number(video.duration())));
    const double rate = video.packets / video.duration();
    const int cameraRate = window->getSourceCamera()->getActiveFormat().frameRate;
    QVERIFY2(rate > cameraRate * 0.75 && rate < cameraRate * 1.15,
             qPrintable(QStringLiteral("%1 frames in %2 s, camera %3 fps").arg(video.packets).arg(video.duration())
                            .arg(cameraRate)));
}

void TestCamWindowRecording::sixHourLimit()
{
    auto window = openWindow();
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);
    window->setRecordElapsed(CameraMainWidget::RecordLimitMs - 1000);
    window->countRecordTime(); // 5:59:59.5
    QCOMPARE(window->getRecordState(), 1);
    QCOMPARE(window->lbRecordTime->text(), QStringLiteral("05:59:59"));
    QCOMPARE(shownNotice(*window), QString());
    window->countRecordTime(); // 6:00:00
    QCOMPARE(window->getRecordState(), 0);
    const QString notice = shownNotice(*window);
    QVERIFY2(notice.contains(QStringLiteral("maximum time (6 hours)")), qPrintable(notice));
    QVERIFY2(notice.contains(window->comboBoxSource->currentText()), qPrintable(notice));
    QVERIFY(ended.wait(20000));
}

void TestCamWindowRecording::onlyValidTransitions()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    // Nothing to pause, continue or stop yet.
    window->recordPause();
    window->recordContinue();
    window->recordStop();
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(sentInts(sent, CameraMainWidget::RecordStateId).isEmpty());
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStopEvent), 0);

    window->recordClick();
    window->recordClick();       // already recording
    window->recordContinue();    // not paused
    window->recordPause();
    window->recordPause();       // already paused
    window->recordContinue();
    window->recordStop();
    window->recordStop();        // already stopped
    const QList<QList<qint32>> states = sentInts(sent, CameraMainWidget::RecordStateId);
    QList<qint32> order;
    for (const QList<qint32> &state : states)
        order.append(state.first());
    QCOMPARE(order, (QList<qint32>{1, 2, 3, 0}));
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStartEvent), 1);
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStopEvent), 1);
}

void TestCamWindowRecording::restartRightAfterStop()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    window->recordClick();
    QTest::qWait(300);
    window->recordStop();
    // The first movie is still being finished: whatever the session makes of the new start, the window
    // shows and reports a recording only when the session records.
    window->recordClick();
    const bool recording = window->captureSession()->isRecording();
    QCOMPARE(window->getRecordState() != 0, recording);
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStartEvent), recording ? 2 : 1);
    QCOMPARE(sentInts(sent, CameraMainWidget::RecordStateId).last(), (QList<qint32>{recording ? 1 : 0, 0}));
    window->recordStop();
    QTRY_VERIFY_WITH_TIMEOUT(ended.count() >= 1, 20000);
}

void TestCamWindowRecording::failedStarts_data()
{
    QTest::addColumn<bool>("diskFull");
    QTest::addColumn<QString>("notice");
    QTest::newRow("disk full") << true << QStringLiteral("Destination disk drive is full.");
    QTest::newRow("movie cannot be written") << false << QStringLiteral("The video file could not be written.");
}

void TestCamWindowRecording::failedStarts()
{
    QFETCH(bool, diskFull);
    QFETCH(QString, notice);
    auto window = openWindow();
    if (diskFull) {
        QorvFrameSourceImpl::setDiskSpaceReader([](const QString &) { return qint64(1024 * 1024); });
    } else {
        // A file where the video folder should be: no movie can be made there.
        QVERIFY(QDir().mkpath(tivlo(QString())));
        QFile blocker(tivlo("Video"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    window->recordClick();

    // A failed start is never shown or reported as a recording.
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(!window->captureSession()->isRecording());
    QVERIFY(sentInts(sent, CameraMainWidget::RecordStateId).isEmpty());
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStartEvent), 0);
    QVERIFY2(shownNotice(*window).contains(notice), qPrintable(shownNotice(*window)));
    QVERIFY(!window->btnRecord->isHidden());
    QVERIFY(window->btnStop->isHidden());
    QVERIFY(window->comboBoxSource->isEnabled());
    QCOMPARE(window->recordElapsed(), 0);
}

void TestCamWindowRecording::errorRows_data()
{
    QTest::addColumn<qint32>("code");
    QTest::addColumn<bool>("releasesCamera");
    QTest::addColumn<QString>("notice");
    QTest::newRow("writer failed") << CameraMainWidget::WriterFailed << false
                                   << QStringLiteral("The video file could not be written.");
    QTest::newRow("stream lost") << CameraMainWidget::StreamLost << true
                                 << QStringLiteral("The camera stopped sending pictures.");
    QTest::newRow("disk full") << CameraMainWidget::DiskFull << false << QStringLiteral("Destination disk drive is full.");
}

void TestCamWindowRecording::errorRows()
{
    QFETCH(qint32, code);
    QFETCH(bool, releasesCamera);
    QFETCH(QString, notice);
    auto window = openWindow();
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);
    emit window->captureSession()->receiveError(code);
    QCOMPARE(window->getRecordState(), 0);
    QVERIFY(!window->captureSession()->isRecording());
    QCOMPARE(window->getSourceCamera() == nullptr, releasesCamera);
    QVERIFY2(shownNotice(*window).contains(notice), qPrintable(shownNotice(*window)));
    // Later reports of the same fault (every frame on a full disk) add nothing.
    QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
    window->receiveCloseDialog();
    emit window->captureSession()->receiveError(code);
    QCOMPARE(shown.count(), 1); // the close only
}

void TestCamWindowRecording::sleepAndWake_data()
{
    QTest::addColumn<bool>("pausedBefore");
    QTest::newRow("recording: paused and continued") << false;
    QTest::newRow("paused by the user: stays paused") << true;
}

void TestCamWindowRecording::sleepAndWake()
{
    QFETCH(bool, pausedBefore);
    auto window = openWindow();
    window->recordClick();
    if (pausedBefore)
        window->recordPause();
    SimulatedCameras::instance()->sleep();
    QTRY_COMPARE(window->getRecordState(), 2);
    SimulatedCameras::instance()->wake();
    QTRY_COMPARE(window->getRecordState(), pausedBefore ? 2 : 3);
    QTest::qWait(50);
    QCOMPARE(window->getRecordState(), pausedBefore ? 2 : 3);
    window->recordStop();
}

void TestCamWindowRecording::twoSnapshotsInOneSecond()
{
    auto window = openWindow();
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    QTest::qWait(500); // frames are flowing
    window->doCapture();
    window->doCapture();
    QCOMPARE(countOf(analytics, CameraMainWidget::SnapshotEvent), 2);
    QDir pictures(tivlo("Picture"));
    QTRY_COMPARE_WITH_TIMEOUT(pictures.entryList({"Pic*.jpg"}, QDir::Files).size(), 2, 10000);
    const QStringList files = pictures.entryList({"Pic*.jpg"}, QDir::Files, QDir::Name);
    // Taken within one second, the second one gets "-2"; either way neither replaces the other.
    if (files.at(0).left(19) == files.at(1).left(19))
        QVERIFY2(files.at(1).endsWith(QLatin1String("-2.jpg")), qPrintable(files.join(' ')));
    const VideoFormat active = window->getSourceCamera()->getActiveFormat();
    for (const QString &file : files) {
        QImage image;
        QTRY_VERIFY_WITH_TIMEOUT(image.load(pictures.filePath(file), "JPG"), 5000);
        QCOMPARE(image.size(), QSize(active.width, active.height));
    }
}

void TestCamWindowRecording::highQualityOneAtATime()
{
    auto window = openWindow(0x0701);
    const QByteArray jpeg = jpegOf(QSize(640, 480), Qt::darkRed);
    m_camera->hid().setSnapshotImage(jpeg);
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy finished(window->hqCaptureObject(), &VantoHQCapture::finishedCapture);

    window->doHQCapture();
    QVERIFY(window->isHQBusy());
    QVERIFY(window->hqProgressDialog()->isVisible());
    window->doHQCapture(); // refused while the first runs
    QCOMPARE(sentInts(sent, CameraMainWidget::HQCaptureStateId), (QList<QList<qint32>>{{0}}));
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 10000);
    QVERIFY(!window->isHQBusy());
    QVERIFY(!window->hqProgressDialog()->isVisible());
    QCOMPARE(sentInts(sent, CameraMainWidget::HQCaptureStateId), (QList<QList<qint32>>{{0}, {1}}));
    const QString path = finished.first().at(0).toString();
    QCOMPARE(QFileInfo(path).dir().path(), tivlo("Picture"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), jpeg);
    QTest::qWait(100);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(shownNotice(*window), QString());

    // Leaving the camera during a capture leaves the window free for the next one.
    window->doHQCapture();
    QVERIFY(window->isHQBusy());
    window->comboBoxSource->setCurrentIndex(0);
    QVERIFY(!window->isHQBusy());
    QVERIFY(!window->hqProgressDialog()->isVisible());
}

QTEST_MAIN(TestCamWindowRecording)
#include "tst_camwindow_recording.moc"
