#include "writer/avfmediaassetwriter.h"
#include "writerclock.h"
#include "writerprobe.h"
#include "writersamples.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr qint64 FrameUs = 33333;
constexpr int AudioPerFrame = platform::AudioSample::SampleRate / 30;

// Feeds a writer as the frame source does at 30 frames a second: each tick a frame, then the sound
// of that tick. The clock moves by hand, so that seconds of movie take no seconds.
class Feeder
{
public:
    Feeder(AVFMediaAssetWriter &writer, WriterManualClock &clock, int width, int height)
        : m_writer(writer), m_clock(clock), m_width(width), m_height(height)
    {
        for (int i = 0; i < 10; ++i)
            m_images.append(WriterSamples::frameImage(width, height, i));
    }

    // Returns how many frames the writer took.
    int feed(int frames)
    {
        int taken = 0;
        for (int i = 0; i < frames; ++i) {
            m_clock.advanceUs(FrameUs);
            const qint64 now = m_clock.nowUs();
            const QImage &image = m_images.at(m_index++ % m_images.size());
            if (m_writer.writeVideoSampleBuffer(platform::VideoSample(image, now)))
                ++taken;
            m_writer.writeAudioSampleBuffer(WriterSamples::tone(AudioPerFrame, m_audioPosition, now));
            m_audioPosition += AudioPerFrame;
        }
        return taken;
    }

private:
    AVFMediaAssetWriter &m_writer;
    WriterManualClock &m_clock;
    int m_width;
    int m_height;
    QVector<QImage> m_images;
    int m_index = 0;
    qint64 m_audioPosition = 0;
};

// Waits for the recording's last file to be complete and returns the (path, result) reported.
QList<QVariant> waitForEnd(AVFMediaAssetWriter &writer, QSignalSpy &finished)
{
    if (finished.isEmpty() && !finished.wait(60000))
        return {};
    writer.waitForFinished();
    return finished.takeFirst();
}

} // namespace

class tst_writer_asset_writer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void recordsVideoAndAudio_data();
    void recordsVideoAndAudio();
    void pauseRemovesPausedTime_data();
    void pauseRemovesPausedTime();
    void splitContinuesInNumberedFiles_data();
    void splitContinuesInNumberedFiles();
    void failureIsReportedAndFinishes_data();
    void failureIsReportedAndFinishes();
    void refusesExistingFile();
    void neverStartedWriterIsFinished();
    void stopBeforeAnyFrame();
    void stopWhileFramesArrive();
    void countsAndRate();
    void killedRecordingStaysPlayable_data();
    void killedRecordingStaysPlayable();
    void fullDiskFromTheStartLeavesNoFile_data();
    void fullDiskFromTheStartLeavesNoFile();
    void fullDiskMidwayLeavesPlayableMovie_data();
    void fullDiskMidwayLeavesPlayableMovie();

private:
    QString moviePath(const QString &name) const { return m_dir->filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_writer_asset_writer::initTestCase()
{
    qRegisterMetaType<qint32>("qint32");
    if (QStandardPaths::findExecutable(QStringLiteral("ffprobe")).isEmpty())
        QFAIL("ffprobe is needed to read the movies back");
}

void tst_writer_asset_writer::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_writer_asset_writer::recordsVideoAndAudio_data()
{
    QTest::addColumn<bool>("desktop");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("movieRect");
    QTest::addColumn<QRect>("cropRect");
    QTest::addColumn<QSize>("frameSize");
    QTest::addColumn<QSize>("expectedSize");

    QTest::newRow("camera") << false << 1 << QRect(0, 0, 640, 480) << QRect(0, 0, 640, 480)
                            << QSize(640, 480) << QSize(640, 480);
    QTest::newRow("desktop") << true << 1 << QRect(0, 0, 640, 360) << QRect(0, 0, 640, 360)
                             << QSize(640, 360) << QSize(640, 360);
    QTest::newRow("frames scaled to the movie") << false << 1 << QRect(0, 0, 320, 240) << QRect()
                                                << QSize(640, 480) << QSize(320, 240);
    QTest::newRow("clean aperture keeps the crop") << false << 0 << QRect(0, 0, 640, 480)
                                                   << QRect(100, 60, 320, 200) << QSize(640, 480)
                                                   << QSize(320, 200);
    QTest::newRow("odd size") << false << 1 << QRect(0, 0, 321, 241) << QRect() << QSize(321, 241)
                              << QSize(320, 240);
}

void tst_writer_asset_writer::recordsVideoAndAudio()
{
    QFETCH(bool, desktop);
    QFETCH(int, mode);
    QFETCH(QRect, movieRect);
    QFETCH(QRect, cropRect);
    QFETCH(QSize, frameSize);
    QFETCH(QSize, expectedSize);

    const QString path = moviePath(QStringLiteral("Video01-02-20_101010.mov"));
    WriterManualClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QSignalSpy failed(&writer, &AVFMediaAssetWriter::recordingFailed);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), movieRect, mode, cropRect, path, desktop));
    QVERIFY(writer.start());
    QVERIFY(writer.isRecording());

    Feeder feeder(writer, clock, frameSize.width(), frameSize.height());
    QCOMPARE(feeder.feed(90), 90);
    writer.stop();
    QVERIFY(!writer.isRecording());

    const QList<QVariant> end = waitForEnd(writer, finished);
    QCOMPARE(end.value(0).toString(), path);
    QCOMPARE(end.value(1).toInt(), 0);
    QVERIFY(failed.isEmpty());
    QVERIFY(writer.isFinishWriting());

    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QCOMPARE(audio.codecName, QStringLiteral("aac"));
    QCOMPARE(QSize(video.width, video.height), expectedSize);
    QCOMPARE(video.packets, 90);
    QVERIFY2(qAbs(video.duration() - 3.0) < 0.05, qPrintable(QString::number(video.duration())));
    QVERIFY2(qAbs(audio.duration() - 3.0) < 0.1, qPrintable(QString::number(audio.duration())));
    // Picture and sound start together.
    QVERIFY(qAbs(video.firstTime - audio.firstTime) < 0.05);
}

void tst_writer_asset_writer::pauseRemovesPausedTime_data()
{
    // Frame counts to feed in turn: positive ones while recording, negative ones while paused.
    QTest::addColumn<QVector<int>>("segments");
    QTest::addColumn<int>("expectedFrames");

    QTest::newRow("one pause of 2 s") << QVector<int>{30, -60, 30} << 60;
    QTest::newRow("two pauses add up") << QVector<int>{20, -30, 20, -45, 20} << 60;
}

void tst_writer_asset_writer::pauseRemovesPausedTime()
{
    QFETCH(QVector<int>, segments);
    QFETCH(int, expectedFrames);

    const QString path = moviePath(QStringLiteral("paused.mov"));
    WriterManualClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
    QVERIFY(writer.start());
    Feeder feeder(writer, clock, 320, 240);
    for (int frames : segments) {
        if (frames > 0) {
            writer.resume();
            QCOMPARE(feeder.feed(frames), frames);
        } else {
            writer.pause();
            writer.pause(); // a second pause must not lose the time already paused
            QCOMPARE(feeder.feed(-frames), 0);
        }
    }
    writer.stop();
    QCOMPARE(waitForEnd(writer, finished).value(1).toInt(), 0);

    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const double expectedSeconds = expectedFrames / 30.0;
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.packets, expectedFrames);
    QVERIFY2(qAbs(video.duration() - expectedSeconds) < 0.05, qPrintable(QString::number(video.duration())));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QVERIFY2(qAbs(audio.duration() - expectedSeconds) < 0.1, qPrintable(QString::number(audio.duration())));
}

void tst_writer_asset_writer::splitContinuesInNumberedFiles_data()
{
    QTest::addColumn<QStringList>("existing");
    // Frame counts to feed in turn: positive ones while recording, negative ones while paused.
    QTest::addColumn<QVector<int>>("segments");
    QTest::addColumn<QStringList>("expectedFiles");

    const QStringList numberedFrom02{"Video01-02-20_101010.mov", "Video01-02-20_101010-02.mov",
                                     "Video01-02-20_101010-03.mov"};
    QTest::newRow("numbered from 02") << QStringList() << QVector<int>{180} << numberedFrom02;
    QTest::newRow("an existing number is skipped")
        << QStringList{"Video01-02-20_101010-02.mov"} << QVector<int>{180}
        << QStringList{"Video01-02-20_101010.mov", "Video01-02-20_101010-03.mov", "Video01-02-20_101010-04.mov"};
    // After a pause the frames are stamped behind the clock by the paused time: a file opened by a
    // split must start at its first frame's own time, or every frame until the clock catches up is
    // refused as too early. The first second fits the first file: every split comes after the pause.
    QTest::newRow("split after a pause") << QStringList() << QVector<int>{30, -120, 150} << numberedFrom02;
}

void tst_writer_asset_writer::splitContinuesInNumberedFiles()
{
    QFETCH(QStringList, existing);
    QFETCH(QVector<int>, segments);
    QFETCH(QStringList, expectedFiles);

    const QByteArray keep("not a movie, must survive");
    for (const QString &name : existing) {
        QFile file(moviePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(keep);
    }
    const QString path = moviePath(QStringLiteral("Video01-02-20_101010.mov"));
    WriterManualClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    // The 6 s of movie take about a megabyte: a few files, the first second in the first.
    writer.setSplitThresholdBytes(300 * 1024);
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 640, 480), 1, QRect(), path, false));
    QVERIFY(writer.start());
    int fed = 0;
    Feeder feeder(writer, clock, 640, 480);
    for (int frames : segments) {
        if (frames > 0) {
            writer.resume();
            QCOMPARE(feeder.feed(frames), frames);
            fed += frames;
        } else {
            writer.pause();
            QCOMPARE(feeder.feed(-frames), 0);
        }
    }
    writer.stop();
    const QList<QVariant> end = waitForEnd(writer, finished);
    QCOMPARE(end.value(0).toString(), path); // the name given at set-up, whatever the splits
    QCOMPARE(end.value(1).toInt(), 0);
    QVERIFY(finished.isEmpty());

    for (const QString &name : existing) {
        QFile file(moviePath(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), keep);
    }
    QStringList movies = QDir(m_dir->path()).entryList({QStringLiteral("*.mov")}, QDir::Files, QDir::Name);
    for (const QString &name : existing)
        movies.removeAll(name);
    for (const QString &name : expectedFiles)
        QVERIFY2(movies.contains(name), qPrintable(name + " missing from: " + movies.join(' ')));

    int frames = 0;
    double seconds = 0;
    for (const QString &name : movies) {
        const WriterProbe probe = WriterProbe::run(moviePath(name));
        QVERIFY2(probe.ok, qPrintable(name + ": " + probe.error));
        const WriterProbedStream video = probe.stream(QStringLiteral("video"));
        QCOMPARE(video.codecName, QStringLiteral("h264"));
        frames += video.packets;
        seconds += video.duration();
    }
    QCOMPARE(frames, fed);
    // The paused time is in no file.
    QVERIFY2(qAbs(seconds - fed / 30.0) < 0.05 * movies.size(), qPrintable(QString::number(seconds)));
}

void tst_writer_asset_writer::failureIsReportedAndFinishes_data()
{
    QTest::addColumn<QString>("path");

    QTest::newRow("missing folder") << QStringLiteral("no/such/folder/movie.mov");
    QTest::newRow("folder is a file") << QStringLiteral("plain/movie.mov");
    QTest::newRow("read-only file system") << QStringLiteral("/proc/lumidesk-writer-test.mov");
}

void tst_writer_asset_writer::failureIsReportedAndFinishes()
{
    QFETCH(QString, path);
    {
        QFile plain(moviePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
    }
    if (QDir::isRelativePath(path))
        path = moviePath(path);

    WriterManualClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QSignalSpy failed(&writer, &AVFMediaAssetWriter::recordingFailed);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
    QVERIFY(!writer.start());
    QVERIFY(!writer.isRecording());

    Feeder feeder(writer, clock, 320, 240);
    QCOMPARE(feeder.feed(5), 0);
    writer.stop(); // a stop after the failure changes nothing

    const QList<QVariant> end = waitForEnd(writer, finished);
    QCOMPARE(end.value(0).toString(), path);
    QCOMPARE(end.value(1).toInt(), AVFMediaAssetWriter::WriterFailedError);
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.at(0).at(0).toInt(), AVFMediaAssetWriter::WriterFailedError);
    QVERIFY(!failed.at(0).at(1).toString().isEmpty());
    QVERIFY(finished.isEmpty());
    QVERIFY(writer.isFinishWriting()); // so the next recording is not refused
}

void tst_writer_asset_writer::refusesExistingFile()
{
    const QString path = moviePath(QStringLiteral("taken.mov"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier recording");
    }
    AVFMediaAssetWriter writer;
    QVERIFY(!writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("earlier recording"));
}

void tst_writer_asset_writer::neverStartedWriterIsFinished()
{
    const QString path = moviePath(QStringLiteral("unused.mov"));
    AVFMediaAssetWriter writer;
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
    QVERIFY(!writer.isFinishWriting());
    writer.stop();
    QVERIFY(writer.isFinishWriting());
    QVERIFY(writer.waitForFinished(10000));
    QVERIFY(finished.isEmpty()); // nothing was recorded, so nothing ends
    QVERIFY(!QFile::exists(path));
}

void tst_writer_asset_writer::stopBeforeAnyFrame()
{
    const QString path = moviePath(QStringLiteral("empty.mov"));
    AVFMediaAssetWriter writer;
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
    QVERIFY(writer.start());
    writer.writeAudioSampleBuffer(WriterSamples::tone(AudioPerFrame, 0, platform::MediaClock::monotonicNowUs()));
    writer.stop();
    QCOMPARE(waitForEnd(writer, finished).value(1).toInt(), 0);
    QVERIFY(writer.isFinishWriting());
}

void tst_writer_asset_writer::stopWhileFramesArrive()
{
    // The saving queue may still be appending when the session stops the writer on its own thread:
    // every frame taken must be in the file, and the late ones refused.
    const QString path = moviePath(QStringLiteral("racing.mov"));
    AVFMediaAssetWriter writer;
    QSignalSpy finished(&writer, &AVFMediaAssetWriter::writingFinished);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 640, 480), 1, QRect(), path, false));
    QVERIFY(writer.start());

    const QImage image = WriterSamples::frameImage(640, 480, 0);
    std::atomic<int> taken{0};
    std::atomic<int> offered{0};
    std::atomic<bool> done{false};
    std::unique_ptr<QThread> saving(QThread::create([&] {
        while (!done) {
            const qint64 now = platform::MediaClock::monotonicNowUs();
            if (writer.writeVideoSampleBuffer(platform::VideoSample(image, now)))
                ++taken;
            writer.writeAudioSampleBuffer(WriterSamples::tone(AudioPerFrame, 0, now));
            ++offered;
            QThread::msleep(2);
        }
    }));
    saving->start();
    QTRY_VERIFY_WITH_TIMEOUT(taken >= 20, 30000);
    writer.stop();
    const int offeredAtStop = offered;
    QTRY_VERIFY_WITH_TIMEOUT(offered >= offeredAtStop + 10, 30000);
    done = true;
    QVERIFY(saving->wait(30000));

    QCOMPARE(waitForEnd(writer, finished).value(1).toInt(), 0);
    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    QCOMPARE(probe.stream(QStringLiteral("video")).packets, taken.load());
}

void tst_writer_asset_writer::countsAndRate()
{
    const QString path = moviePath(QStringLiteral("rate.mov"));
    WriterManualClock clock;
    AVFMediaAssetWriter writer;
    writer.setClock(&clock);
    QVERIFY(writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 160, 120), 1, QRect(), path, false));
    QVERIFY(writer.start());

    // Sound never opens a movie.
    writer.writeAudioSampleBuffer(WriterSamples::tone(AudioPerFrame, 0, clock.nowUs()));
    QCOMPARE(writer.audioSampleCount(), 0);

    const QImage image = WriterSamples::frameImage(160, 120, 0);
    for (int frame = 1; frame <= 60; ++frame) {
        clock.advanceUs(1000000 / 25); // 25 frames a second
        QVERIFY(writer.writeVideoSampleBuffer(platform::VideoSample(image, clock.nowUs())));
        const float expected = frame % 30 == 0 ? 25.0f : 0.0f;
        QVERIFY2(qFuzzyCompare(writer.getRecordingFps() + 1, expected + 1),
                 qPrintable(QStringLiteral("frame %1: %2").arg(frame).arg(writer.getRecordingFps())));
    }
    QCOMPARE(writer.videoSampleCount(), 60);
    writer.writeAudioSampleBuffer(WriterSamples::tone(AudioPerFrame, 0, clock.nowUs()));
    QCOMPARE(writer.audioSampleCount(), 1);
    writer.stop();
    QVERIFY(writer.waitForFinished(60000));
    QVERIFY(writer.isFinishWriting());
}

void tst_writer_asset_writer::killedRecordingStaysPlayable_data()
{
    QTest::addColumn<int>("killAfterFrames");

    QTest::newRow("killed at 0.2 s") << 6;
    QTest::newRow("killed at 3.5 s") << 105;
}

void tst_writer_asset_writer::killedRecordingStaysPlayable()
{
    QFETCH(int, killAfterFrames);

    const QString path = moviePath(QStringLiteral("killed.mov"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_writer_kill_helper"), {path});
    QVERIFY2(helper.waitForStarted(10000), qPrintable(helper.errorString()));

    // Let it record, then kill it without warning.
    int fed = 0;
    const auto readFed = [&helper, &fed] {
        while (helper.canReadLine()) {
            const QByteArray line = helper.readLine().trimmed();
            if (line.startsWith("frames "))
                fed = line.mid(7).toInt();
        }
    };
    QDeadlineTimer deadline(60000);
    while (fed < killAfterFrames && !deadline.hasExpired()) {
        if (!helper.canReadLine() && !helper.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime()))))
            break;
        readFed();
    }
    QVERIFY2(fed >= killAfterFrames, qPrintable(QStringLiteral("the helper fed only %1 frames").arg(fed)));
    helper.kill(); // SIGKILL
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitStatus(), QProcess::CrashExit);
    // It went on feeding until the kill reached it, for as long as this test took to send it: what
    // it said after the last look counts too, and so does one frame it may have appended unsaid.
    readFed();
    ++fed;

    // The file plays from the first frame on, and the kill costs at most half a second of it.
    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.codecName, QStringLiteral("h264"));
    QVERIFY(video.packets > 0);
    const double fedSeconds = fed / 30.0;
    qInfo("fed %.2f s, the killed file holds %.2f s (%d frames)", fedSeconds, video.duration(), video.packets);
    QVERIFY2(video.duration() >= fedSeconds - 0.5, qPrintable(QString::number(video.duration())));
    QVERIFY(video.duration() <= fedSeconds + 0.1);
}

void tst_writer_asset_writer::fullDiskFromTheStartLeavesNoFile_data()
{
    // Where the disk is full: before the movie header, or after it, before the first frame.
    QTest::addColumn<qint64>("fileSizeLimit");

    QTest::newRow("nothing fits") << qint64(0);
    QTest::newRow("only the header fits") << qint64(4096);
}

void tst_writer_asset_writer::fullDiskFromTheStartLeavesNoFile()
{
    QFETCH(qint64, fileSizeLimit);

    const QString path = moviePath(QStringLiteral("Video01-02-20_131313.mov"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_writer_kill_helper"),
                 {path, QStringLiteral("--file-size-limit"), QString::number(fileSizeLimit),
                  QStringLiteral("--frames"), QStringLiteral("20")});
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitCode(), 0);
    const QList<QByteArray> lines = helper.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines.last(), QByteArray("result ") + QByteArray::number(AVFMediaAssetWriter::WriterFailedError));
    // A movie that never got a frame plays nothing: it is gone, and its name is free for the next try.
    QVERIFY(!QFileInfo::exists(path));

    AVFMediaAssetWriter retry;
    QVERIFY(retry.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, 320, 240), 1, QRect(), path, false));
}

void tst_writer_asset_writer::fullDiskMidwayLeavesPlayableMovie_data()
{
    // Where the disk fills up: about half a second or a second and a half into a 640x480 recording
    // (some 160 KiB a second). Writes past the limit fail part way, as they do on a full disk.
    QTest::addColumn<qint64>("fileSizeLimit");

    QTest::newRow("full after 0.5 s") << qint64(80 * 1024);
    QTest::newRow("full after 1.5 s") << qint64(240 * 1024);
}

void tst_writer_asset_writer::fullDiskMidwayLeavesPlayableMovie()
{
    QFETCH(qint64, fileSizeLimit);

    const QString path = moviePath(QStringLiteral("Video01-02-20_141414.mov"));
    QProcess helper;
    helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    helper.start(QCoreApplication::applicationDirPath() + QStringLiteral("/tst_writer_kill_helper"),
                 {path, QStringLiteral("--file-size-limit"), QString::number(fileSizeLimit),
                  QStringLiteral("--frames"), QStringLiteral("90")});
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitCode(), 0);
    const QList<QByteArray> lines = helper.readAllStandardOutput().trimmed().split('\n');
    // The failure is reported...
    QCOMPARE(lines.last(), QByteArray("result ") + QByteArray::number(AVFMediaAssetWriter::WriterFailedError));

    // ...and what was written before it plays, to the end of the file.
    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QVERIFY(video.packets > 0);
    QVERIFY2(video.packets < 90, qPrintable(QString::number(video.packets)));
    QVERIFY(QFileInfo(path).size() <= fileSizeLimit);
}

QTEST_MAIN(tst_writer_asset_writer)
#include "tst_writer_asset_writer.moc"
