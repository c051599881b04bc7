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

    // Sound in 10 ms blocks, with a gap after the first second; picture over the first 2 s.
    const int block = 441;
    qint64 position = 0;
    for (qint64 t = soundStartUs; t < soundEndUs; t += 10000) {
        if (gapUs > 0 && t >= 1000000 && t < 1000000 + gapUs)
            continue;
        QVERIFY(writer.appendAudio(WriterSamples::tone(block, position, start + t)));
        position += block;
    }
    const QImage image = WriterSamples::frameImage(320, 240, 0);
    for (int i = 0; i < 60; ++i)
        QVERIFY(writer.appendVideo(platform::VideoSample(image, start + i * 33333)));
    QVERIFY(writer.finishWriting());

    const WriterProbe probe = WriterProbe::run(writer.path());
    QVERIFY2(probe.ok, qPrintable(probe.error));
    const WriterProbedStream audio = probe.stream(QStringLiteral("audio"));
    QVERIFY2(qAbs(audio.firstTime) < 0.05, qPrintable(QString::number(audio.firstTime)));
    QCOMPARE(writer.status(), MovieFileWriter::Completed);
    QVERIFY2(qAbs(audio.endTime - soundEndUs / 1e6) < 0.08, qPrintable(QString::number(audio.endTime)));
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
