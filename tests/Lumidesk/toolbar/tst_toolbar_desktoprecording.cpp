#include "toolbarfixture.h"

#include "audio/qorvaudiosource.h"
#include "audio/simulatedaudioinputs.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesourceimpl.h"
#include "manager/doccammanager.h"
#include "simulated/simulatedcameras.h"
#include "writer/avfmediaassetwriter.h"
#include "writerprobe.h"

#include <QDesktopServices>
#include <QImageReader>
#include <QUrl>

using namespace toolbar;

namespace {

constexpr qint64 TenMiB = 10 * 1024 * 1024;

QStringList filesIn(const QString &folder, const QString &pattern)
{
    return QDir(folder).entryList({pattern}, QDir::Files, QDir::Name);
}

// A movie that a player accepts: H.264 of the desktop's size, about as long as it was recorded. The
// test knows the recorded time only within bounds: each part of it began between the command's sending
// and its effect being seen, and ended likewise (milliseconds).
void checkMovie(const QString &path, qint64 leastMs, qint64 mostMs)
{
    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(path + ": " + probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QCOMPARE(QSize(video.width, video.height), QSize(1920, 1080));
    const double seconds = video.duration();
    QVERIFY2(seconds > leastMs / 1000.0 - 0.7 && seconds < mostMs / 1000.0 + 0.7,
             qPrintable(QStringLiteral("%1 s, recorded %2-%3 ms").arg(seconds).arg(leastMs).arg(mostMs)));
}

} // namespace

// Desktop recording of the toolbar, driven as the record and live panel drives it over the real local
// command link (and, for stops that start in the program, without a panel too), checked with ffprobe;
// snapshots, the output folder and the desktop's sound input.
class TestDesktopRecording : public QObject
{
    Q_OBJECT

public slots:
    void openUrl(const QUrl &url) { m_opened.append(url); }

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void recordsThroughThePanel();
    void fullDiskAtStart_data();
    void fullDiskAtStart();
    void diskFillsWhileRecording_data();
    void diskFillsWhileRecording();
    void writerThatCannotStart();
    void fullDiskStopHoldsUntilTheRecordingEnds();
    void restartWhileTheLastMovieIsWritten();
    void captureErrors_data();
    void captureErrors();
    void sleepPausesWakeResumes_data();
    void sleepPausesWakeResumes();
    void closingWhileRecordingFinishesTheFile_data();
    void closingWhileRecordingFinishesTheFile();
    void snapshotsInOneSecond();
    void previewOpensTheFolder();
    void soundInputFromThePanel();

private:
    // A toolbar recording the desktop, started as the panel starts it (or directly without one).
    void startRecording(Lumidesk &bar, ScriptedPanel *panel);

    QList<QUrl> m_opened;
};

void TestDesktopRecording::initTestCase()
{
    useSimulatedDevices();
    QVERIFY(DocCamManager::getDocCamManager());
    QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "openUrl");
}

void TestDesktopRecording::init()
{
    writeSettings({});
}

void TestDesktopRecording::cleanup()
{
    QorvFrameSourceImpl::setDiskSpaceReader({});
    platform::SimulatedAudioInputs::instance()->reset();
    QDir(tivlo(QString())).removeRecursively();
}

void TestDesktopRecording::startRecording(Lumidesk &bar, ScriptedPanel *panel)
{
    if (panel) {
        QVERIFY(panel->connectToToolbar());
        QTRY_VERIFY(bar.localServer()->isPanelConnected());
        panel->send("cap_startRecord");
    } else {
        QVERIFY(QMetaObject::invokeMethod(&bar, "startRecord"));
    }
    QTRY_VERIFY(bar.isRecording());
    QCOMPARE(bar.recordState(), int(Lumidesk::Recording));
}

void TestDesktopRecording::recordsThroughThePanel()
{
    auto bar = makeToolbar();
    ScriptedPanel panel;
    QSignalSpy ended(bar->desktopSession(), &QorvCaptureSession::recordingDidEnd);
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    QElapsedTimer clock;
    clock.start();
    const QDateTime before = QDateTime::currentDateTime();
    startRecording(*bar, &panel);
    const QDateTime after = QDateTime::currentDateTime();
    const qint64 started = clock.elapsed();

    QTest::qWait(2000);
    panel.clear();
    const qint64 pauseSent = clock.elapsed();
    panel.send("cap_pauseRecord");
    QTRY_COMPARE(bar->recordState(), int(Lumidesk::Paused));
    const qint64 paused = clock.elapsed();
    QTRY_VERIFY(panel.received().contains("cap_getRecordTime"));
    QTest::qWait(1000);
    panel.clear();
    const qint64 resumeSent = clock.elapsed();
    panel.send("cap_startRecord");
    QTRY_COMPARE(bar->recordState(), int(Lumidesk::Resumed));
    const qint64 resumed = clock.elapsed();
    QTRY_VERIFY(panel.received().contains("cap_getRecordTime"));
    QTest::qWait(1000);
    const qint64 stopSent = clock.elapsed();
    panel.send("cap_stopRecord/p3");
    QTRY_VERIFY(!bar->isRecording());
    const qint64 stopped = clock.elapsed();
    QCOMPARE(bar->recordState(), int(Lumidesk::Idle));

    // The file may be complete before the stop is seen here already.
    QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 20000);
    const QString movie = ended.first().at(0).toString();
    QCOMPARE(ended.first().at(1).toInt(), 0);
    QCOMPARE(QFileInfo(movie).path(), tivlo("Video"));
    // Named after a second between the command's sending and its effect: a busy machine may take
    // several seconds for that.
    QStringList names;
    for (QDateTime second = before.addMSecs(-before.time().msec()); second <= after; second = second.addSecs(1))
        names << "Video" + second.toString("MM-dd-yy_hhmmss") + ".mov";
    const QString name = QFileInfo(movie).fileName();
    QVERIFY2(names.contains(name), qPrintable(name + " is none of " + names.join(' ')));
    // The paused second is not in it.
    checkMovie(movie, (pauseSent - started) + (stopSent - resumed), paused + (stopped - resumeSent));
    QCOMPARE(countOf(analytics, Lumidesk::RecordStartEvent), 1);
    QCOMPARE(countOf(analytics, Lumidesk::RecordStopEvent), 1);
    QCOMPARE(firstOf(analytics, Lumidesk::RecordStopEvent).at(1).toInt(), 3);
}

void TestDesktopRecording::fullDiskAtStart_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::newRow("panel") << true;
    QTest::newRow("no panel") << false;
}

void TestDesktopRecording::fullDiskAtStart()
{
    QFETCH(bool, withPanel);
    QorvFrameSourceImpl::setDiskSpaceReader([](const QString &) { return TenMiB; });
    auto bar = makeToolbar();
    HeldNotices notices;
    notices.holdFor(*bar);
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    ScriptedPanel panel;
    if (withPanel) {
        QVERIFY(panel.connectToToolbar());
        QTRY_VERIFY(bar->localServer()->isPanelConnected());
        // Twice within the notice's delay: one stop, one notice.
        panel.send("cap_startRecord");
        panel.send("cap_startRecord");
    } else {
        QMetaObject::invokeMethod(bar.get(), "startRecord");
        QMetaObject::invokeMethod(bar.get(), "startRecord");
    }
    QTRY_COMPARE(countOf(analytics, Lumidesk::RecordStartEvent), 2);
    QVERIFY(!bar->isRecording());
    QCOMPARE(bar->recordState(), int(Lumidesk::Idle));
    QCOMPARE(notices.count(), 1);
    QVERIFY(shownNotice(*bar).isEmpty());
    if (withPanel) {
        QVERIFY(panel.settle(*bar));
        QCOMPARE(panel.count("cap_stopRecord"), 0);
    }

    notices.release();
    QTRY_VERIFY(!shownNotice(*bar).isEmpty());
    QVERIFY(shownNotice(*bar).contains("Recording has stopped"));
    QVERIFY(shownNotice(*bar).contains("Destination disk drive is full."));
    if (withPanel) {
        // The panel's echo ends the stop, which then asks the panel for its time.
        QTRY_VERIFY(panel.received().contains("cap_getRecordTime"));
        QVERIFY(panel.settle(*bar));
    }
    QCOMPARE(panel.count("cap_stopRecord"), withPanel ? 1 : 0);
    QCOMPARE(notices.count(), 0);
    QVERIFY(filesIn(tivlo("Video"), "*.mov").isEmpty());
    QCOMPARE(bar->recordState(), int(Lumidesk::Idle));
}

void TestDesktopRecording::diskFillsWhileRecording_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::newRow("panel") << true;
    QTest::newRow("no panel") << false;
}

void TestDesktopRecording::diskFillsWhileRecording()
{
    QFETCH(bool, withPanel);
    auto bar = makeToolbar();
    HeldNotices notices;
    notices.holdFor(*bar);
    ScriptedPanel panel;
    QSignalSpy ended(bar->desktopSession(), &QorvCaptureSession::recordingDidEnd);
    QElapsedTimer clock;
    clock.start();
    startRecording(*bar, withPanel ? &panel : nullptr);
    const qint64 started = clock.elapsed();
    QTest::qWait(1500);

    // From here on every recorded frame reports the full disk: one notice however many frames come
    // before it.
    const qint64 filled = clock.elapsed();
    QorvFrameSourceImpl::setDiskSpaceReader([](const QString &) { return TenMiB; });
    QTRY_VERIFY_WITH_TIMEOUT(notices.count() > 0, 5000);
    QVERIFY(runQueued(*bar));
    QCOMPARE(notices.count(), 1);
    notices.release();
    QTRY_VERIFY_WITH_TIMEOUT(!bar->isRecording(), 5000);
    const qint64 stopped = clock.elapsed();
    QVERIFY(shownNotice(*bar).contains("Destination disk drive is full."));
    // The file may be complete before the stop is seen here already.
    QTRY_VERIFY_WITH_TIMEOUT(!ended.isEmpty(), 20000);
    QCOMPARE(ended.first().at(1).toInt(), 0);
    checkMovie(ended.first().at(0).toString(), filled - started, stopped);
    if (withPanel)
        QVERIFY(panel.settle(*bar));
    QVERIFY(runQueued(*bar));
    QCOMPARE(panel.count("cap_stopRecord"), withPanel ? 1 : 0);
    QCOMPARE(notices.count(), 0);
    QCOMPARE(ended.size(), 1);
}

void TestDesktopRecording::writerThatCannotStart()
{
    // A file where the Video folder should be: no movie can be made there.
    QVERIFY(QDir().mkpath(tivlo(QString())));
    QFile blocker(tivlo("Video"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    auto bar = makeToolbar(100);
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    panel.send("cap_startRecord");
    QTRY_COMPARE(panel.count("cap_stopRecord"), 1);
    QVERIFY(!bar->isRecording());
    QCOMPARE(bar->recordState(), int(Lumidesk::Idle));
    // Not a full disk: the notice says what went wrong.
    QVERIFY(shownNotice(*bar).contains("The recording could not be written"));
    QVERIFY(!shownNotice(*bar).contains("full"));
}

// A full-disk stop that the panel never carries out keeps further reports of the full disk quiet,
// but only while the recording lasts: once the movie has ended anyway, the next trouble is told.
void TestDesktopRecording::fullDiskStopHoldsUntilTheRecordingEnds()
{
    auto bar = makeToolbar(100);
    ScriptedPanel panel;
    panel.echo = false;
    QSignalSpy ended(bar->desktopSession(), &QorvCaptureSession::recordingDidEnd);
    startRecording(*bar, &panel);
    emit bar->desktopSession()->receiveError(QorvCaptureSession::DiskFull);
    QTRY_COMPARE(panel.count("cap_stopRecord"), 1);
    QVERIFY(shownNotice(*bar).contains("Destination disk drive is full."));
    bar->notification()->closeDialog();

    // The movie ends without the panel's stop, as when the writer gives up.
    bar->desktopSession()->finishRecording();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 20000);
    emit bar->desktopSession()->receiveError(QorvCaptureSession::StreamLost);
    QTRY_COMPARE(panel.count("cap_stopRecord"), 2);
    QVERIFY2(shownNotice(*bar).contains("The picture of the desktop was lost."), qPrintable(shownNotice(*bar)));
}

void TestDesktopRecording::restartWhileTheLastMovieIsWritten()
{
    auto bar = makeToolbar(100);
    QSignalSpy ended(bar->desktopSession(), &QorvCaptureSession::recordingDidEnd);
    startRecording(*bar, nullptr);
    QTest::qWait(1000);
    // Stopped and started again at once (a phone does this): the last movie is still being finished,
    // and the new one records as soon as it is; both files are complete.
    QMetaObject::invokeMethod(bar.get(), "stopRecord", Q_ARG(int, 1));
    QMetaObject::invokeMethod(bar.get(), "startRecord");
    QVERIFY(bar->isRecording());
    QCOMPARE(bar->recordState(), int(Lumidesk::Recording));
    QTest::qWait(2000);
    QMetaObject::invokeMethod(bar.get(), "stopRecord", Q_ARG(int, 2));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 20000);
    QVERIFY(!bar->isRecording());
    QVERIFY(!shownNotice(*bar).contains("still being saved"));
    const QStringList movies = filesIn(tivlo("Video"), QStringLiteral("*.mov"));
    QCOMPARE(movies.size(), 2);
    for (const QString &movie : movies)
        QVERIFY(WriterProbe::run(tivlo("Video") + QLatin1Char('/') + movie).ok);
}

void TestDesktopRecording::captureErrors_data()
{
    QTest::addColumn<qint64>("code");
    QTest::addColumn<bool>("recording");
    QTest::addColumn<int>("reports");
    QTest::addColumn<int>("stops");
    QTest::addColumn<bool>("delayed");
    QTest::addColumn<QString>("notice");

    // Reported three times, as the capture thread may report trouble with each frame: stopped and
    // told once, after the notice's delay.
    QTest::newRow("disk full while recording") << qint64(0xE0300003) << true << 3 << 1 << true
                                               << "Destination disk drive is full.";
    QTest::newRow("writer failed while recording") << qint64(0xE0300000) << true << 3 << 1 << true
                                                   << "The recording could not be written";
    QTest::newRow("picture lost while recording") << qint64(0xE0000006) << true << 3 << 1 << true
                                                  << "The picture of the desktop was lost.";
    QTest::newRow("recording memory") << qint64(0xE0050002) << true << 1 << 1 << false << "not enough memory";
    QTest::newRow("memory while recording") << qint64(0xE0100004) << true << 1 << 1 << false << "not enough memory";
    QTest::newRow("memory while idle") << qint64(0xE0200007) << false << 1 << 0 << false << "not enough memory";
    QTest::newRow("writer failed while idle") << qint64(0xE0300000) << false << 3 << 0 << false << "";
    QTest::newRow("input not created") << qint64(0xE0000002) << true << 3 << 0 << false << "";
}

void TestDesktopRecording::captureErrors()
{
    QFETCH(qint64, code);
    QFETCH(bool, recording);
    QFETCH(int, reports);
    QFETCH(int, stops);
    QFETCH(bool, delayed);
    QFETCH(QString, notice);

    auto bar = makeToolbar();
    HeldNotices notices;
    notices.holdFor(*bar);
    ScriptedPanel panel;
    panel.echo = false;
    QVERIFY(panel.connectToToolbar());
    QTRY_VERIFY(bar->localServer()->isPanelConnected());
    if (recording) {
        panel.send("cap_startRecord");
        QTRY_VERIFY(bar->isRecording());
    }
    for (int i = 0; i < reports; ++i)
        emit bar->desktopSession()->receiveError(qint32(code));
    QVERIFY(runQueued(*bar));
    QCOMPARE(notices.count(), delayed ? 1 : 0);
    notices.release();
    if (delayed) {
        // Reported on while the panel has not carried the stop out yet: the same trouble, told once.
        for (int i = 0; i < reports; ++i)
            emit bar->desktopSession()->receiveError(qint32(code));
        QVERIFY(runQueued(*bar));
    }
    QVERIFY(panel.settle(*bar));
    QCOMPARE(panel.count("cap_stopRecord"), stops);
    QCOMPARE(notices.count(), 0);
    if (notice.isEmpty())
        QVERIFY(shownNotice(*bar).isEmpty());
    else
        QVERIFY2(shownNotice(*bar).contains(notice), qPrintable(shownNotice(*bar)));
    if (bar->isRecording())
        panel.send("cap_stopRecord/p1");
}

void TestDesktopRecording::sleepPausesWakeResumes_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::addColumn<bool>("pausedBefore");
    QTest::addColumn<int>("afterWake");

    QTest::newRow("panel, recording") << true << false << int(Lumidesk::Resumed);
    QTest::newRow("panel, paused by the user") << true << true << int(Lumidesk::Paused);
    QTest::newRow("no panel, recording") << false << false << int(Lumidesk::Resumed);
    QTest::newRow("no panel, paused by the user") << false << true << int(Lumidesk::Paused);
}

void TestDesktopRecording::sleepPausesWakeResumes()
{
    QFETCH(bool, withPanel);
    QFETCH(bool, pausedBefore);
    QFETCH(int, afterWake);

    auto bar = makeToolbar();
    ScriptedPanel panel;
    startRecording(*bar, withPanel ? &panel : nullptr);
    if (pausedBefore) {
        if (withPanel)
            panel.send("cap_pauseRecord");
        else
            QMetaObject::invokeMethod(bar.get(), "pauseRecord");
        QTRY_COMPARE(bar->recordState(), int(Lumidesk::Paused));
    }
    panel.clear();
    platform::SimulatedCameras::instance()->suspendComputer();
    QTRY_COMPARE(bar->recordState(), int(Lumidesk::Paused));
    if (withPanel)
        QTRY_VERIFY(panel.received().contains("cap_pauseRecord"));
    QSignalSpy power(DocCamManager::getDocCamManager(), &DocCamManager::powerStateChanged);
    platform::SimulatedCameras::instance()->resumeComputer();
    QTRY_VERIFY(!power.isEmpty());
    QTRY_COMPARE(bar->recordState(), afterWake);
    // Whatever the wake and the panel's echo sent has arrived once the marker has.
    if (withPanel)
        QVERIFY(panel.settle(*bar));
    QCOMPARE(bar->recordState(), afterWake);
    QCOMPARE(panel.count("cap_startRecord"), withPanel && !pausedBefore ? 1 : 0);
    QVERIFY(bar->isRecording());
}

void TestDesktopRecording::closingWhileRecordingFinishesTheFile_data()
{
    QTest::addColumn<bool>("withPanel");
    QTest::newRow("panel") << true;
    QTest::newRow("no panel") << false;
}

void TestDesktopRecording::closingWhileRecordingFinishesTheFile()
{
    QFETCH(bool, withPanel);
    auto bar = makeToolbar();
    ScriptedPanel panel;
    panel.echo = false;
    QElapsedTimer clock;
    clock.start();
    startRecording(*bar, withPanel ? &panel : nullptr);
    const qint64 started = clock.elapsed();
    QTest::qWait(1500);

    const QWeakPointer<AVFMediaAssetWriter> writer = bar->desktopSession()->writer();
    QVERIFY(writer);
    const qint64 closed = clock.elapsed();
    bar->closeBtn->click();
    if (withPanel)
        QTRY_VERIFY(panel.received().contains("cap_stopRecord"));
    // As main() does once the event loop has ended: the toolbar goes, and with it the session, whose
    // writer has finished the movie by then; nothing is left to write after main returns.
    bar.reset();
    const qint64 ended = clock.elapsed();
    QVERIFY(writer.isNull());
    const QStringList movies = filesIn(tivlo("Video"), "Video*.mov");
    QCOMPARE(movies.size(), 1);
    checkMovie(tivlo("Video/") + movies.first(), closed - started, ended);
}

void TestDesktopRecording::snapshotsInOneSecond()
{
    auto bar = makeToolbar();
    QSignalSpy analytics(bar.get(), &Lumidesk::sendCommand);
    bar->captureBtn->click();
    bar->captureBtn->click(); // while the first runs: nothing
    QTRY_COMPARE(countOf(analytics, Lumidesk::SnapshotEvent), 1);
    QCOMPARE(filesIn(tivlo("Picture"), "Pic*.jpg").size(), 1);

    // The pictures are written in the order they were asked for: a picture of the second click would
    // be on disk before this one.
    bar->captureBtnVer->click();
    QTRY_COMPARE(countOf(analytics, Lumidesk::SnapshotEvent), 2);
    const QStringList pictures = filesIn(tivlo("Picture"), "Pic*.jpg");
    QCOMPARE(pictures.size(), 2);
    // Taken within one second, the second gets "-2"; either way neither replaces the other.
    if (pictures.at(0).left(18) == pictures.at(1).left(18))
        QVERIFY2(pictures.contains(pictures.at(0).left(18) + "-2.jpg"), qPrintable(pictures.join(' ')));
    for (const QString &picture : pictures) {
        QImageReader reader(tivlo("Picture/") + picture);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        QCOMPARE(reader.size(), QSize(1920, 1080));
    }
}

void TestDesktopRecording::previewOpensTheFolder()
{
    auto bar = makeToolbar();
    m_opened.clear();
    bar->previewBtn->click();
    QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(tivlo(QString()).chopped(1))});
    QVERIFY(QFileInfo(tivlo("Picture")).isDir());
    QVERIFY(QFileInfo(tivlo("Video")).isDir());
}

void TestDesktopRecording::soundInputFromThePanel()
{
    auto bar = makeToolbar();
    Lumidesk::Timing slowPoll;
    slowPoll.audioPollMs = 60000;
    bar->setTiming(slowPoll);
    ScriptedPanel panel;
    QVERIFY(panel.connectToToolbar());

    QList<QString> names;
    QList<QString> ids;
    QCOMPARE(QorvAudioSource::getAvailableSources(&names, &ids), 0);
    QCOMPARE(ids.size(), 2);
    const QString list = QStringLiteral("cap_MacUpdateAudioList/p2/p%1/p%2/p%3/p%4").arg(names[0], ids[0], names[1], ids[1]);
    QTRY_VERIFY(panel.received().contains(list));

    panel.send(QStringLiteral("cap_MacChangeAudioSource/p%1/p%2/p2").arg(names[1], ids[1]));
    QTRY_VERIFY(bar->audioSource());
    QCOMPARE(bar->audioSource()->currentUuid(), ids[1]);
    QTRY_VERIFY(panel.has("cap_updateVolume/p"));
    // The same input again leaves the source and its volume alone.
    QorvAudioSource *chosen = bar->audioSource();
    panel.clear();
    QSignalSpy changes(bar->localServer(), qOverload<QString, QString, int>(&LocalServer::audioSourceChange));
    panel.send(QStringLiteral("cap_MacChangeAudioSource/p%1/p%2/p2").arg(names[1], ids[1]));
    QTRY_COMPARE(changes.count(), 1);
    QVERIFY(panel.settle(*bar));
    QCOMPARE(bar->audioSource(), chosen);
    QVERIFY(!panel.has("cap_updateVolume"));

    panel.send("cap_setAudioSource/p" + names[1]);
    QTRY_COMPARE(QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value("Audio/AudioDesktop").toString(), names[1]);

    panel.send("cap_removeAudioSource");
    QTRY_VERIFY(!bar->audioSource());
    QTRY_VERIFY(panel.received().contains("cap_updateLevelReport/p0"));

    // A microphone plugged in reaches the panel without waiting for the poll.
    panel.clear();
    platform::SimulatedAudioInputs::instance()->addInput({"usb-mic", "USB Mic"});
    QTRY_VERIFY_WITH_TIMEOUT(panel.has("cap_MacUpdateAudioList/p3/"), 3000);
    QCOMPARE(bar->audioInputIds().size(), 3);
}

QTEST_MAIN(TestDesktopRecording)
#include "tst_toolbar_desktoprecording.moc"
