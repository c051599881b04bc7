// Records generated frames and sound in real time, at 30 frames a second, until it is killed.
// Prints "frames N" after every frame appended, so the test knows how much it fed before the kill.

#include "writer/avfmediaassetwriter.h"
#include "writersamples.h"

#include "media/mediaclock.h"

#include <QGuiApplication>
#include <QThread>

#include <cstdio>

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: tst_writer_kill_helper MOVIE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    const int width = 640;
    const int height = 480;

    // Frames are made ahead, so that pacing is not held up by drawing them.
    QVector<QImage> images;
    for (int i = 0; i < 30; ++i)
        images.append(WriterSamples::frameImage(width, height, i));

    AVFMediaAssetWriter writer;
    if (!writer.setupWithFileURL(QUrl::fromLocalFile(path), QRect(0, 0, width, height), 1, QRect(), path, false)
        || !writer.start()) {
        std::fprintf(stderr, "cannot record %s\n", qPrintable(path));
        return 1;
    }
    const qint64 frameUs = 1000000 / 30;
    const int chunk = platform::AudioSample::SampleRate / 30;
    const qint64 startUs = platform::MediaClock::monotonicNowUs();
    qint64 audioPosition = 0;
    for (int i = 0;; ++i) {
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
}
