#include "media/moviefilewriter.h"
#include "writerprobe.h"
#include "writersamples.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using platform::MovieFileWriter;

class tst_media_movie_file : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void outOfOrderFramesAreDropped();
    void soundIsTrimmedAndGapsFilled_data();
    void soundIsTrimmedAndGapsFilled();
    void tracksStartingApartStayInStep_data();
    void tracksStartingApartStayInStep();
    void soundHandedOverBeforeThePicture_data();
    void soundHandedOverBeforeThePicture();
    void killLeavesEveryFrameButTheLast_data();
    void killLeavesEveryFrameButTheLast();
    void refusesWhatItCannotWrite();
    void probeRejectsDamagedMovies_data();
    void probeRejectsDamagedMovies();

private:
    static platform::MovieSettings settings()
    {
        platform::MovieSettings s;
        s.width = 320;
        s.height = 240;
        s.videoBitRate = 500000;
        return s;
    }

    // A writer for `name` in the test folder, writing, its session started at `startUs`.
    std::unique_ptr<MovieFileWriter> sessionWriter(const QString &name, qint64 startUs) const
    {
        auto writer = std::make_unique<MovieFileWriter>(m_dir->filePath(name), settings());
        if (writer->startWriting())
            writer->startSession(startUs);
        return writer;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_media_movie_file::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_media_movie_file::outOfOrderFramesAreDropped()
{
    // A late or repeated time stamp costs that frame, never the recording.
    const QString path = m_dir->filePath(QStringLiteral("order.mov"));
    MovieFileWriter writer(path, settings());
    QVERIFY(writer.startWriting());
    const QImage image = WriterSamples::frameImage(320, 240, 0);
    QVERIFY(!writer.appendVideo(platform::VideoSample(image, 0))); // no session yet
    writer.startSession(0);
    QVERIFY(writer.appendVideo(platform::VideoSample(image, 0)));
    QVERIFY(writer.appendVideo(platform::VideoSample(image, 40000)));
    QVERIFY(!writer.appendVideo(platform::VideoSample(image, 40000)));
    QVERIFY(!writer.appendVideo(platform::VideoSample(image, 20000)));
    QVERIFY(writer.appendVideo(platform::VideoSample(image, 80000)));
    QCOMPARE(writer.status(), MovieFileWriter::Writing);
    QVERIFY(writer.finishWriting());
    QVERIFY(!writer.appendVideo(platform::VideoSample(image, 120000)));

    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    QCOMPARE(probe.stream(QStringLiteral("video")).packets, 3);
}

void tst_media_movie_file::soundIsTrimmedAndGapsFilled_data()
{
    QTest::addColumn<qint64>("soundStartUs"); // relative to the session start
    QTest::addColumn<qint64>("gapUs");        // missing sound after the first second
    QTest::addColumn<qint64>("soundEndUs");

    QTest::newRow("sound from before the start") << qint64(-500000) << qint64(0) << qint64(2000000);
    QTest::newRow("a short gap is filled") << qint64(0) << qint64(300000) << qint64(2000000);
    QTest::newRow("a long gap stays a gap") << qint64(0) << qint64(6000000) << qint64(8000000);
}

void tst_media_movie_file::soundIsTrimmedAndGapsFilled()
{
    QFETCH(qint64, soundStartUs);
    QFETCH(qint64, gapUs);
    QFETCH(qint64, soundEndUs);

    const qint64 start = 5000000;
    const std::unique_ptr<MovieFileWriter> movie = sessionWriter(QStringLiteral("sound.mov"), start);
    MovieFileWriter &writer = *movie;
    QCOMPARE(writer.status(), MovieFileWriter::Writing);

    // Sound in 10 ms blocks, with a gap after the first second; picture over the first 2 s. Both in
    // time order, as a recording brings them: a gap then falls between two fragments of the file.
    const int block = 441;
    const QImage image = WriterSamples::frameImage(320, 240, 0);
    int frames = 0;
    const auto appendFramesUpTo = [&](qint64 t) {
        bool appended = true;
        for (; frames < 60 && frames * 33333 <= t; ++frames)
            appended = writer.appendVideo(platform::VideoSample(image, start + frames * 33333)) && appended;
        return appended;
    };
    qint64 position = 0;
    for (qint64 t = soundStartUs; t < soundEndUs; t += 10000) {
        QVERIFY(appendFramesUpTo(t));
        if (gapUs > 0 && t >= 1000000 && t < 1000000 + gapUs)
            continue;
        QVERIFY(writer.appendAudio(WriterSamples::tone(block, position, start + t)));
        position += block;
    }
    QVERIFY(appendFramesUpTo(2000000));
    QVERIFY(writer.finishWriting());

    const WriterProbe probe = WriterProbe::run(writer.path());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QVERIFY2(qAbs(audio.firstTime) < 0.05, qPrintable(QString::number(audio.firstTime)));
    QCOMPARE(writer.status(), MovieFileWriter::Completed);
    QVERIFY2(qAbs(audio.endTime - soundEndUs / 1e6) < 0.08, qPrintable(QString::number(audio.endTime)));
}

void tst_media_movie_file::tracksStartingApartStayInStep_data()
{
    // Picture and sound of a recording never start at the same instant: the first sound block is
    // stamped a little after the first frame or the other way round, by up to half a second when the
    // sound input is slow to deliver, and a sound input switched on later starts seconds after the
    // picture. Whichever comes first and however far apart, the movie decodes without a fault, keeps
    // every frame and keeps the sound where it was stamped, without a hole.
    QTest::addColumn<bool>("soundFirst");
    QTest::addColumn<qint64>("apartUs");
    QTest::addColumn<int>("soundBlockMs");

    for (const int soundBlockMs : {10, 100}) {
        for (const bool soundFirst : {false, true}) {
            QList<qint64> apart{0, 5, 20, 34, 50, 100, 250, 500};
            if (!soundFirst)
                apart.append(6000); // later than the longest stretch filled with silence
            for (const qint64 apartMs : apart) {
                QTest::addRow("%s, %lld ms later, sound in %d ms blocks", soundFirst ? "sound first" : "picture first",
                              apartMs, soundBlockMs)
                    << soundFirst << apartMs * 1000 << soundBlockMs;
            }
        }
    }
}

void tst_media_movie_file::tracksStartingApartStayInStep()
{
    QFETCH(bool, soundFirst);
    QFETCH(qint64, apartUs);
    QFETCH(int, soundBlockMs);

    // The session starts with the first sample of one track, the first of the other follows, stamped
    // apartUs later; from then on both run in time order, the picture at 30 frames a second and the
    // sound in blocks as the input delivers them, for 2 s or a second after the later start.
    const qint64 start = 7000000;
    const std::unique_ptr<MovieFileWriter> writer = sessionWriter(QStringLiteral("apart.mov"), start);
    QCOMPARE(writer->status(), MovieFileWriter::Writing);
    const qint64 videoStartUs = start + (soundFirst ? apartUs : 0);
    const qint64 soundStartUs = start + (soundFirst ? 0 : apartUs);
    const qint64 endUs = start + qMax<qint64>(2000000, apartUs + 1000000);
    const int block = platform::AudioSample::SampleRate * soundBlockMs / 1000;
    int frames = 0;
    qint64 soundPosition = 0;
    const auto appendFrame = [&] {
        const bool appended = writer->appendVideo(WriterSamples::frame(320, 240, frames, videoStartUs + frames * 33333));
        ++frames;
        return appended;
    };
    const auto appendSound = [&] {
        const qint64 timeUs = soundStartUs + soundPosition * 1000000 / platform::AudioSample::SampleRate;
        const bool appended = writer->appendAudio(WriterSamples::tone(block, soundPosition, timeUs));
        soundPosition += block;
        return appended;
    };
    QVERIFY(soundFirst ? appendSound() && appendFrame() : appendFrame() && appendSound());
    for (;;) {
        const qint64 frameUs = videoStartUs + frames * 33333;
        const qint64 soundUs = soundStartUs + soundPosition * 1000000 / platform::AudioSample::SampleRate;
        if (frameUs >= endUs && soundUs >= endUs)
            break;
        QVERIFY(frameUs <= soundUs ? appendFrame() : appendSound());
    }
    QVERIFY2(writer->finishWriting(), qPrintable(writer->errorString()));

    const WriterProbe probe = WriterProbe::run(writer->path());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QCOMPARE(video.packets, frames);
    // The last frame and the end of the sound are where they were stamped: nothing shifted either
    // track against the other.
    const double lastFrame = double(videoStartUs - start + (frames - 1) * 33333) / 1e6;
    QVERIFY2(qAbs(video.packetTimes.last() - lastFrame) < 0.005,
             qPrintable(QStringLiteral("last frame at %1 s, stamped %2 s").arg(video.packetTimes.last()).arg(lastFrame)));
    const double soundEnd = double(soundStartUs - start) / 1e6 + double(soundPosition) / platform::AudioSample::SampleRate;
    QVERIFY2(qAbs(audio.endTime - soundEnd) < 0.05,
             qPrintable(QStringLiteral("sound ends at %1 s, stamped %2 s").arg(audio.endTime).arg(soundEnd)));
    // Up to the first sound the track is silence from zero on. A sound input that starts later than
    // that begins where it was stamped; the file shows only its very first packet from zero.
    const double packetSeconds = 1024.0 / platform::AudioSample::SampleRate;
    QVERIFY2(qAbs(audio.firstTime) < 0.001, qPrintable(QString::number(audio.firstTime)));
    for (int i = apartUs > 5000000 ? 2 : 1; i < audio.packetTimes.size(); ++i) {
        const double step = audio.packetTimes.at(i) - audio.packetTimes.at(i - 1);
        QVERIFY2(qAbs(step - packetSeconds) < 0.001,
                 qPrintable(QStringLiteral("sound packet %1 at %2 s, %3 s after the one before")
                                .arg(i).arg(audio.packetTimes.at(i)).arg(step)));
    }
}

void tst_media_movie_file::killLeavesEveryFrameButTheLast_data()
{
    QTest::addColumn<QVector<qint64>>("framesMs");
    QTest::addColumn<QVector<double>>("expectedSeconds"); // the frames' times in the file a kill leaves

    QTest::newRow("the first frame alone") << QVector<qint64>{0} << QVector<double>{0};
    QTest::newRow("two frames") << QVector<qint64>{0, 33} << QVector<double>{0};
    // The first frame is written at once, lasting a nominal frame: the second one, sooner or later,
    // is shown when the first ends, the others at their own times.
    QTest::newRow("second frame soon after the first") << QVector<qint64>{0, 10, 45, 78, 111}
                                                       << QVector<double>{0, 0.0333, 0.045, 0.078};
    QTest::newRow("second frame late") << QVector<qint64>{0, 150, 183, 216} << QVector<double>{0, 0.0333, 0.183};
    QVector<qint64> second;
    QVector<double> secondWritten;
    for (int i = 0; i < 45; ++i) {
        second.append(i * 100 / 3);
        if (i < 44)
            secondWritten.append(i / 30.0);
    }
    QTest::newRow("a second and a half") << second << secondWritten;
}

void tst_media_movie_file::soundHandedOverBeforeThePicture_data()
{
    // The session is started, the sound input delivers first and the camera's first frame, captured
    // at the session start, comes after a fifth of a second of sound: a camera slow to hand over its
    // frames. The sound was stamped after the session start, up to the silence filled before it or
    // later.
    QTest::addColumn<qint64>("soundStartUs"); // relative to the session start

    QTest::newRow("sound from 2 s on, silence before it") << qint64(2000000);
    QTest::newRow("sound from 6 s on, later than the silence filled") << qint64(6000000);
    QTest::newRow("sound from 20 s on") << qint64(20000000);
}

void tst_media_movie_file::soundHandedOverBeforeThePicture()
{
    QFETCH(qint64, soundStartUs);

    // The muxer shifts every track by the time of the first packet it is handed: sound stamped after
    // the picture must wait for the first picture, or the picture is shifted before zero (FFmpeg's
    // mov muxer then aborts the program).
    const qint64 start = 3000000;
    const std::unique_ptr<MovieFileWriter> writer = sessionWriter(QStringLiteral("sound-first.mov"), start);
    QCOMPARE(writer->status(), MovieFileWriter::Writing);
    const int block = 441;
    qint64 position = 0;
    for (int i = 0; i < 20; ++i, position += block)
        QVERIFY(writer->appendAudio(WriterSamples::tone(block, position, start + soundStartUs + position * 1000000 / 44100)));
    const int frames = 30;
    for (int i = 0; i < frames; ++i)
        QVERIFY2(writer->appendVideo(WriterSamples::frame(320, 240, i, start + i * 33333)), qPrintable(writer->errorString()));
    QVERIFY2(writer->finishWriting(), qPrintable(writer->errorString()));

    // Every frame is there from zero on, and the sound ends where it was stamped.
    const WriterProbe probe = WriterProbe::run(writer->path());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QCOMPARE(video.packets, frames);
    QVERIFY2(qAbs(video.firstTime) < 0.001, qPrintable(QString::number(video.firstTime)));
    const double lastFrame = (frames - 1) * 0.033333;
    QVERIFY2(qAbs(video.packetTimes.last() - lastFrame) < 0.005,
             qPrintable(QStringLiteral("last frame at %1 s, stamped %2 s").arg(video.packetTimes.last()).arg(lastFrame)));
    const double soundEnd = soundStartUs / 1e6 + double(position) / 44100;
    QVERIFY2(qAbs(audio.endTime - soundEnd) < 0.05,
             qPrintable(QStringLiteral("sound ends at %1 s, stamped %2 s").arg(audio.endTime).arg(soundEnd)));
}

void tst_media_movie_file::killLeavesEveryFrameButTheLast()
{
    // A kill leaves the file as it stands while the writer is still writing. Each frame is in it,
    // with the sound up to it, as soon as the next one is encoded, and the first one at once: the
    // file plays from the first frame on, and the kill costs only the frame still waiting for its
    // length.
    QFETCH(QVector<qint64>, framesMs);
    QFETCH(QVector<double>, expectedSeconds);

    const std::unique_ptr<MovieFileWriter> writer = sessionWriter(QStringLiteral("open.mov"), 0);
    qint64 soundPosition = 0;
    for (int i = 0; i < framesMs.size(); ++i) {
        const qint64 timeUs = framesMs.at(i) * 1000;
        QVERIFY(writer->appendVideo(WriterSamples::frame(320, 240, i, timeUs)));
        // The sound up to the next frame.
        const qint64 soundEnd = i + 1 < framesMs.size() ? framesMs.at(i + 1) * 1000 : timeUs + 33333;
        const int frames = int(soundEnd * platform::AudioSample::SampleRate / 1000000 - soundPosition);
        QVERIFY(writer->appendAudio(WriterSamples::tone(frames, soundPosition,
                                                        soundPosition * 1000000 / platform::AudioSample::SampleRate)));
        soundPosition += frames;
    }
    const QString killed = m_dir->filePath(QStringLiteral("killed.mov"));
    QVERIFY(QFile::copy(writer->path(), killed));

    const WriterProbe probe = WriterProbe::run(killed);
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream video = probe.stream(QStringLiteral("video"));
    QCOMPARE(video.packets, expectedSeconds.size());
    for (int i = 0; i < expectedSeconds.size(); ++i)
        QVERIFY2(qAbs(video.packetTimes.at(i) - expectedSeconds.at(i)) < 0.001,
                 qPrintable(QStringLiteral("frame %1 at %2 s").arg(i).arg(video.packetTimes.at(i))));
    if (expectedSeconds.size() > 2) {
        // The sound lags by what the AAC encoder holds (two of its frames) at most.
        const double soundEnd = probe.stream(QStringLiteral("audio")).endTime;
        QVERIFY2(soundEnd >= video.endTime - 0.06 && soundEnd <= video.endTime + 0.03,
                 qPrintable(QStringLiteral("sound up to %1 s, frames up to %2 s").arg(soundEnd).arg(video.endTime)));
    }
    QVERIFY(writer->finishWriting());
    QVERIFY2(WriterProbe::run(writer->path()).ok, qPrintable(WriterProbe::run(writer->path()).error));
}

void tst_media_movie_file::refusesWhatItCannotWrite()
{
    const QString taken = m_dir->filePath(QStringLiteral("taken.mov"));
    {
        QFile file(taken);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("keep");
    }
    MovieFileWriter existing(taken, settings());
    QVERIFY(!existing.startWriting());
    QCOMPARE(existing.status(), MovieFileWriter::Failed);
    QVERIFY(!existing.errorString().isEmpty());
    QVERIFY(!existing.finishWriting());
    QFile file(taken);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));

    MovieFileWriter unwritable(m_dir->filePath(QStringLiteral("missing/movie.mov")), settings());
    QVERIFY(!unwritable.startWriting());
    QCOMPARE(unwritable.status(), MovieFileWriter::Failed);
    QVERIFY(!unwritable.finishWriting());

    platform::MovieSettings tiny = settings();
    tiny.width = 1;
    MovieFileWriter tooSmall(m_dir->filePath(QStringLiteral("tiny.mov")), tiny);
    QVERIFY(!tooSmall.startWriting());
}

void tst_media_movie_file::probeRejectsDamagedMovies_data()
{
    // How the good movie is spoilt: bytes overwritten at a fraction of its length, or the file cut
    // there. The movie tests rely on the probe to tell a movie that plays from one that does not.
    QTest::addColumn<QString>("damage");
    QTest::addColumn<double>("at");
    QTest::addColumn<bool>("plays");

    QTest::newRow("intact") << QString() << 0.0 << true;
    QTest::newRow("picture data overwritten") << QStringLiteral("overwrite") << 0.5 << false;
    QTest::newRow("cut inside a fragment") << QStringLiteral("cut") << 0.55 << false;
    QTest::newRow("not a movie") << QStringLiteral("text") << 0.0 << false;
}

void tst_media_movie_file::probeRejectsDamagedMovies()
{
    QFETCH(QString, damage);
    QFETCH(double, at);
    QFETCH(bool, plays);

    const std::unique_ptr<MovieFileWriter> writer = sessionWriter(QStringLiteral("probed.mov"), 0);
    for (int i = 0; i < 60; ++i)
        QVERIFY(writer->appendVideo(WriterSamples::frame(320, 240, i, i * 33333)));
    QVERIFY(writer->finishWriting());
    const QString path = writer->path();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 offset = qint64(double(file.size()) * at);
    if (damage == QLatin1String("overwrite")) {
        file.seek(offset);
        file.write(QByteArray(4096, '\xff'));
    } else if (damage == QLatin1String("cut")) {
        file.resize(offset);
    } else if (damage == QLatin1String("text")) {
        file.resize(0);
        file.write("not a movie at all\n");
    }
    file.close();

    const WriterProbe probe = WriterProbe::run(path);
    QVERIFY2(probe.ok == plays, qPrintable(probe.error));
    QCOMPARE(probe.error.isEmpty(), plays);
}

QTEST_MAIN(tst_media_movie_file)
#include "tst_media_movie_file.moc"
