// Records generated frames and sound in real time, at 30 frames a second, as the frame source feeds a
// writer. Prints "frames N" after every frame appended, so a test knows how much it fed.
//
//   tst_writer_kill_helper MOVIE
//       records until it is killed.
//   tst_writer_kill_helper MOVIE --file-size-limit BYTES --frames N
//       records N frames with files limited to BYTES (RLIMIT_FSIZE: a disk that is full from there
//       on), stops and prints "result CODE" with the writer's result.

#include "writer/avfmediaassetwriter.h"
#include "writersamples.h"

#include "media/mediaclock.h"

#include <QGuiApplication>
#include <QPainter>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tst_writer_kill_helper MOVIE [--file-size-limit BYTES --frames N]\n");
        return 2;
    }
    const QString path = args.at(1);
    const int limitAt = args.indexOf(QStringLiteral("--file-size-limit"));
    const int framesAt = args.indexOf(QStringLiteral("--frames"));
    const int maxFrames = framesAt > 0 ? args.value(framesAt + 1).toInt() : -1;
    if (limitAt > 0) {
        // Writes past the limit fail with EFBIG instead of killing the process, as a full disk fails.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{rlim_t(args.value(limitAt + 1).toLongLong()), RLIM_INFINITY};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            std::perror("setrlimit");
            return 1;
        }
    }
    const int width = 640;
    const int height = 480;

    // Frames are made ahead, so that pacing is not held up by drawing them. A still page with a block
    // moving over it, as a camera sees a hand over a document: the encoder makes key frames only at
    // its key-frame interval, as in a real recording.
    const QImage page = WriterSamples::frameImage(width, height, 0);
    QVector<QImage> images;
    for (int i = 0; i < 30; ++i) {
        QImage image = page.copy();
        QPainter painter(&image);
        painter.fillRect(QRect((i * 16) % width, height / 3, width / 8, height / 3), Qt::white);
        images.append(image);
    }

    AVFMediaAssetWriter writer;
    qint32 result = -1;
    QObject::connect(&writer, &AVFMediaAssetWriter::writingFinished, [&result](const QString &, qint32 code) {
        result = code;
    });
    if (!writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, width, height), 1, QRect(), path, false)) {
        std::fprintf(stderr, "cannot record %s\n", qPrintable(path));
        return 1;
    }
    writer.start(); // a failure is reported through writingFinished
    const qint64 frameUs = 1000000 / 30;
    const int chunk = platform::AudioSample::SampleRate / 30;
    const qint64 startUs = platform::MediaClock::monotonicNowUs();
    qint64 audioPosition = 0;
    for (int i = 0; maxFrames < 0 || i < maxFrames; ++i) {
        const qint64 dueUs = startUs + i * frameUs;
        const qint64 waitUs = dueUs - platform::MediaClock::monotonicNowUs();
        if (waitUs > 0)
            QThread::usleep(quint64(waitUs));
        writer.writeVideoSampleBuffer(platform::VideoSample(images.at(i % images.size()), dueUs));
        writer.writeAudioSampleBuffer(WriterSamples::tone(chunk, audioPosition, dueUs));
        audioPosition += chunk;
        std::printf("frames %d\n", i + 1);
        std::fflush(stdout);
    }
    writer.stop();
    writer.waitForFinished();
    std::printf("result %d\n", int(result));
    return 0;
}
