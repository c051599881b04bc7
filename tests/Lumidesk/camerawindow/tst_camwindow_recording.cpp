#include "camwindowfixture.h"

#include "capture/qorvcapturesession.h"
#include "capture/qorvframesourceimpl.h"
#include "dialogs/livestreamsettingdialog.h"
#include "progressdialog.h"
#include "vantohqcapture.h"
#include "writerprobe.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTcpServer>
#include <QVector>

#include <algorithm>

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
    void frameRateWarning();
    void sleepAndWake_data();
    void sleepAndWake();
    void twoSnapshotsInOneSecond();
    void highQualityOneAtATime();
    void highQualityPictureAlwaysReads_data();
    void highQualityPictureAlwaysReads();

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
    QElapsedTimer recorded;
    recorded.start();

    QTRY_COMPARE_WITH_TIMEOUT(window->lbRecordTime->text(), QStringLiteral("00:00:03"), 20000);
    const double span = recorded.elapsed() / 1000.0;
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
    // The movie is as long as the recording ran.
    QVERIFY2(qAbs(video.duration() - span) < 0.5,
             qPrintable(QStringLiteral("%1 s in the movie, %2 s recorded").arg(video.duration()).arg(span)));
    const QList<QList<qint32>> states = sentInts(sent, CameraMainWidget::RecordStateId);
    QCOMPARE(states.last(), (QList<qint32>{0, 0}));
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStopEvent), 1);
}

void TestCamWindowRecording::pauseAndResumeKeepTheFrameRate()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    QVERIFY(waitForFrames(*window, 5));
    QElapsedTimer clock;
    clock.start();
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(window->recordElapsed() >= 2000, 20000);
    window->recordPause();
    const double beforePause = clock.restart() / 1000.0;
    double recordedSpan = beforePause;
    QCOMPARE(window->getRecordState(), 2);
    const qint64 pausedAt = window->recordElapsed();
    // Two of the counter's ticks: the counter stands still while paused.
    QVERIFY(waitPast(2 * CameraMainWidget::CounterStepMs));
    QCOMPARE(window->recordElapsed(), pausedAt);
    clock.restart();
    window->recordContinue();
    QCOMPARE(window->getRecordState(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(window->recordElapsed() >= pausedAt + 1500, 20000);
    window->recordStop();
    recordedSpan += clock.elapsed() / 1000.0;
    QVERIFY(ended.wait(20000));

    const QList<QList<qint32>> states = sentInts(sent, CameraMainWidget::RecordStateId);
    QCOMPARE(states.size(), 4);
    QCOMPARE(states.at(1).at(0), 2);
    QCOMPARE(states.at(2).at(0), 3);
    QCOMPARE(states.at(1).at(1), states.at(2).at(1)); // continues from the paused time

    const WriterProbe probe = WriterProbe::run(ended.first().at(0).toString());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    // The pause is not in the movie.
    QVERIFY2(qAbs(video.duration() - recordedSpan) < 0.5,
             qPrintable(QStringLiteral("%1 s in the movie, %2 s recorded").arg(video.duration()).arg(recordedSpan)));
    // Each frame's time follows the last by the camera's frame time, before the pause and after it,
    // within 10 %. A loaded machine drops a frame now and then (a double step); the usual step, the
    // median, stays the camera's.
    const int cameraRate = window->getSourceCamera()->getActiveFormat().frameRate;
    QVector<double> times = video.packetTimes;
    std::sort(times.begin(), times.end());
    const auto usualStep = [&times](double from, double to) {
        QVector<double> steps;
        for (int i = 1; i < times.size(); ++i) {
            if (times.at(i - 1) >= from && times.at(i) <= to)
                steps.append(times.at(i) - times.at(i - 1));
        }
        if (steps.size() < 10)
            return -1.0;
        std::sort(steps.begin(), steps.end());
        return steps.at(steps.size() / 2);
    };
    const double frameTime = 1.0 / cameraRate;
    const double pauseAt = times.first() + beforePause;
    for (const double step : {usualStep(times.first(), pauseAt - 0.2), usualStep(pauseAt + 0.2, times.last())}) {
        QVERIFY2(step > frameTime * 0.9 && step < frameTime * 1.1,
                 qPrintable(QStringLiteral("frames %1 s apart, camera %2 fps (%3 frames in %4 s)")
                                .arg(step).arg(cameraRate).arg(video.packets).arg(video.duration())));
    }
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

// Stopped and started again at once, while the first movie is still being finished: the second
// recording runs, and both movies are complete.
void TestCamWindowRecording::restartRightAfterStop()
{
    auto window = openWindow();
    QSignalSpy sent(window.get(), &CameraMainWidget::SendToClient);
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    QSignalSpy ended(window->captureSession(), &QorvCaptureSession::recordingDidEnd);
    window->recordClick();
    QVERIFY(waitForFrames(*window, 10));
    window->recordStop();
    window->recordClick();
    QCOMPARE(window->getRecordState(), 1);
    QVERIFY(window->captureSession()->isRecording());
    QCOMPARE(countOf(analytics, CameraMainWidget::RecordStartEvent), 2);
    QList<qint32> order;
    for (const QList<qint32> &state : sentInts(sent, CameraMainWidget::RecordStateId))
        order.append(state.first());
    QCOMPARE(order, (QList<qint32>{1, 0, 1}));
    QVERIFY(shownNotice(*window).isEmpty());
    QVERIFY(waitForFrames(*window, 10));
    window->recordStop();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 20000);
    QVERIFY(ended.at(0).at(0).toString() != ended.at(1).at(0).toString());
    for (const QList<QVariant> &movie : ended) {
        QCOMPARE(movie.at(1).toInt(), 0);
        const WriterProbe probe = WriterProbe::run(movie.at(0).toString());
        QVERIFY2(probe.ok, qPrintable(probe.error));
    }
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
    QTest::addColumn<bool>("stopsRecording");
    QTest::addColumn<bool>("stopsLive");
    QTest::addColumn<bool>("releasesCamera");
    QTest::addColumn<QString>("notice");
    QTest::addColumn<bool>("once"); // a repeat of the report after the notice is closed adds nothing

    const QString memory = QStringLiteral("There is not enough memory to run record or live stream.");
    QTest::newRow("writer failed") << CameraMainWidget::WriterFailed << true << false << false
                                   << QStringLiteral("The video file could not be written.") << true;
    QTest::newRow("stream lost") << CameraMainWidget::StreamLost << true << true << true
                                 << QStringLiteral("The camera stopped sending pictures.") << true;
    QTest::newRow("disk full") << CameraMainWidget::DiskFull << true << false << false
                               << QStringLiteral("Destination disk drive is full.") << true;
    QTest::newRow("no memory to record") << qint32(0xE0050002) << true << false << false << memory << false;
    QTest::newRow("no memory to stream") << qint32(0xE0050003) << false << true << false << memory << false;
    for (const quint32 code : {0xE0100004u, 0xE0100005u, 0xE0200006u, 0xE0200007u})
        QTest::addRow("device fault 0x%x", code) << qint32(code) << true << true << true << memory << false;
}

// An error while the window records and streams ends what it concerns, lets the camera go where the
// camera failed, and tells the user.
void TestCamWindowRecording::errorRows()
{
    QFETCH(qint32, code);
    QFETCH(bool, stopsRecording);
    QFETCH(bool, stopsLive);
    QFETCH(bool, releasesCamera);
    QFETCH(QString, notice);
    QFETCH(bool, once);
    // A stream server that takes the connection and never answers: the stream stays up.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(QStringLiteral("Live/Service"), 0);
        settings.setValue(QStringLiteral("Live/YoutubeUrl"),
                          QStringLiteral("rtmp://127.0.0.1:%1/live").arg(silent.serverPort()));
        settings.setValue(QStringLiteral("Live/YoutubeKey"), QStringLiteral("cam"));
    }
    auto window = openWindow();
    window->liveStreamSettingDialog()->loadSetting();
    window->recordClick();
    window->startLiveStream();
    QCOMPARE(window->getRecordState(), 1);
    QVERIFY(window->isLive());
    emit window->captureSession()->receiveError(code);
    QCOMPARE(window->getRecordState() == 0, stopsRecording);
    QCOMPARE(window->captureSession()->isRecording(), !stopsRecording);
    QCOMPARE(window->isLive(), !stopsLive);
    QCOMPARE(window->captureSession()->isLive(), !stopsLive);
    QCOMPARE(window->getSourceCamera() == nullptr, releasesCamera);
    QCOMPARE(window->comboBoxSource->currentIndex() == 0, releasesCamera);
    QVERIFY2(shownNotice(*window).contains(notice), qPrintable(shownNotice(*window)));
    // The memory notice is titled with the program's name.
    if (notice.contains(QLatin1String("not enough memory")))
        QVERIFY2(shownNotice(*window).contains(QLatin1String("Tivlo|")), qPrintable(shownNotice(*window)));
    if (once) {
        // Later reports of the same fault (every frame on a full disk) add nothing.
        QSignalSpy shown(window.get(), &CameraMainWidget::dialogIsShow);
        window->receiveCloseDialog();
        emit window->captureSession()->receiveError(code);
        QCOMPARE(shown.count(), 1); // the close only
    }
    window->stopLiveStream();
    window->recordStop();
}

// A displayed frame rate under half the format's shows the warning at the eleventh report in a row,
// and as many good ones hide it again.
void TestCamWindowRecording::frameRateWarning()
{
    auto window = openWindow();
    const qint32 rate = window->getSourceCamera()->getActiveFormat().frameRate;
    QVERIFY(rate >= 4);
    const auto report = [&window](qint32 fps, int times) {
        for (int i = 0; i < times; ++i)
            emit window->captureSession()->displayedFPSReceived(fps);
        return drainQueued();
    };
    QVERIFY(report(rate / 2 - 1, 10));
    QVERIFY(window->btnWarring->isHidden());
    QVERIFY(report(rate / 2 - 1, 1));
    QVERIFY(!window->btnWarring->isHidden());
    QVERIFY(report(rate / 2, 10));
    QVERIFY(!window->btnWarring->isHidden());
    QVERIFY(report(rate / 2, 1));
    QVERIFY(window->btnWarring->isHidden());
    // A good report in between starts the count again.
    QVERIFY(report(rate / 2 - 1, 10));
    QVERIFY(report(rate, 1));
    QVERIFY(report(rate / 2 - 1, 10));
    QVERIFY(window->btnWarring->isHidden());
    // Asleep, the reports mean nothing.
    SimulatedCameras::instance()->suspendComputer();
    QVERIFY(report(0, 20));
    QVERIFY(window->btnWarring->isHidden());
    SimulatedCameras::instance()->resumeComputer();
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
    SimulatedCameras::instance()->suspendComputer();
    QTRY_COMPARE(window->getRecordState(), 2);
    SimulatedCameras::instance()->resumeComputer();
    QTRY_COMPARE(window->getRecordState(), pausedBefore ? 2 : 3);
    // Whatever the wake still had queued changes it no more.
    QVERIFY(drainQueued());
    QCOMPARE(window->getRecordState(), pausedBefore ? 2 : 3);
    window->recordStop();
}

// Snapshots never replace a picture: a name of a second already taken gets "-2", "-3" before ".jpg".
void TestCamWindowRecording::twoSnapshotsInOneSecond()
{
    auto window = openWindow();
    QSignalSpy analytics(window.get(), &CameraMainWidget::sendCommand);
    QVERIFY(waitForFrames(*window, 3));
    // Pictures under the names of the seconds the two snapshots can fall in.
    QDir pictures(tivlo("Picture"));
    QVERIFY(pictures.mkpath(QStringLiteral(".")));
    const QDateTime now = QDateTime::currentDateTime();
    QStringList earlier;
    for (int second = -1; second <= 30; ++second) {
        const QString name = QStringLiteral("Pic") + now.addSecs(second).toString(QStringLiteral("MM-dd-yy_hhmmss"))
                             + QStringLiteral(".jpg");
        QFile file(pictures.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("taken before");
        earlier.append(name);
    }
    window->doCapture();
    window->doCapture();
    QCOMPARE(countOf(analytics, CameraMainWidget::SnapshotEvent), 2);
    const auto newPictures = [&] {
        QStringList files = pictures.entryList({"Pic*.jpg"}, QDir::Files, QDir::Name);
        for (const QString &name : qAsConst(earlier))
            files.removeAll(name);
        return files;
    };
    QTRY_COMPARE_WITH_TIMEOUT(newPictures().size(), 2, 10000);
    const QStringList files = newPictures();
    const QRegularExpression named(QStringLiteral("^(Pic\\d\\d-\\d\\d-\\d\\d_\\d{6})-(\\d+)\\.jpg$"));
    QStringList stamps;
    QList<int> numbers;
    for (const QString &file : files) {
        const QRegularExpressionMatch match = named.match(file);
        QVERIFY2(match.hasMatch(), qPrintable(file));
        QVERIFY2(earlier.contains(match.captured(1) + QStringLiteral(".jpg")), qPrintable(file));
        stamps.append(match.captured(1));
        numbers.append(match.captured(2).toInt());
    }
    // Numbered from 2; within one second the second snapshot takes another number.
    QVERIFY(numbers.at(0) >= 2 && numbers.at(1) >= 2);
    if (stamps.at(0) == stamps.at(1))
        QVERIFY(numbers.at(0) != numbers.at(1));
    for (const QString &name : qAsConst(earlier)) {
        QFile file(pictures.filePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("taken before"));
    }
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
    QVERIFY(drainQueued());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(shownNotice(*window), QString());

    // Leaving the camera during a capture leaves the window free for the next one.
    window->doHQCapture();
    QVERIFY(window->isHQBusy());
    window->comboBoxSource->setCurrentIndex(0);
    QVERIFY(!window->isHQBusy());
    QVERIFY(!window->hqProgressDialog()->isVisible());
}

void TestCamWindowRecording::highQualityPictureAlwaysReads_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("fromCamera");
    enum { Own, Whole, CutShort, HeaderOnly, Noise };
    QTest::newRow("the camera's own picture") << int(Own) << true;
    QTest::newRow("a picture set on the camera") << int(Whole) << true;
    QTest::newRow("a picture cut short") << int(CutShort) << false;
    QTest::newRow("a picture without its image") << int(HeaderOnly) << false;
    QTest::newRow("no picture at all") << int(Noise) << false;
}

// What the camera answers is kept only when it reads as a picture; anything else gives way to the
// camera's latest frame. Either way the file written is a picture.
void TestCamWindowRecording::highQualityPictureAlwaysReads()
{
    QFETCH(int, answer);
    QFETCH(bool, fromCamera);
    auto window = openWindow(0x0701);
    const QByteArray jpeg = jpegOf(QSize(640, 480), Qt::darkRed);
    const int scan = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    QVERIFY(scan > 0);
    switch (answer) {
    case 1:
        m_camera->hid().setSnapshotImage(jpeg);
        break;
    case 2:
        m_camera->hid().setSnapshotImage(jpeg.left(jpeg.size() / 2));
        break;
    case 3:
        m_camera->hid().setSnapshotImage(jpeg.left(scan) + QByteArray("\xFF\xD9", 2));
        break;
    case 4:
        m_camera->hid().setSnapshotImage(QByteArray(3000, '\x5a'));
        break;
    default:
        break;
    }
    QVERIFY(waitForFrames(*window, 3));
    QSignalSpy finished(window->hqCaptureObject(), &VantoHQCapture::finishedCapture);
    window->doHQCapture();
    QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 30000);
    const QString path = finished.first().at(0).toString();
    QVERIFY(!path.isEmpty());
    QImage picture;
    QVERIFY(picture.load(path, "JPG"));
    const VideoFormat active = window->getSourceCamera()->getActiveFormat();
    if (answer == 1) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), jpeg);
    } else if (fromCamera) {
        QCOMPARE(picture.size(), QSize(3840, 2160)); // the camera's largest format
    } else {
        QCOMPARE(picture.size(), QSize(active.width, active.height));
    }
    QCOMPARE(shownNotice(*window), QString());
}

QTEST_MAIN(TestCamWindowRecording)
#include "tst_camwindow_recording.moc"
