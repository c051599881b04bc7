#pragma once

#include <QList>
#include <QString>
#include <QVector>

// What ffprobe reads from a movie file, packet by packet, so tests see what a player would see.
struct WriterProbedStream
{
    int index = -1;
    QString codecType; // "video", "audio"
    QString codecName; // "h264", "aac"
    int width = 0;
    int height = 0;
    int packets = 0;
    double firstTime = 0; // seconds
    double endTime = 0;   // last packet's time plus its duration
    QVector<double> packetTimes; // presentation times in seconds, in file order
    double duration() const { return endTime - firstTime; }
    // Packets whose presentation time is at `fromSeconds` or later.
    int packetsFrom(double fromSeconds) const;
};

struct WriterProbe
{
    bool ok = false;
    QString error;
    QList<WriterProbedStream> streams;

    WriterProbedStream stream(const QString &codecType) const;

    // Runs ffprobe, then decodes the whole file with ffmpeg, each under a time limit. ok is false when
    // either fails, times out or says anything at the error level, or when no stream is read: a file
    // a player would stumble over does not pass.
    static WriterProbe run(const QString &path, int timeoutMs = 60000);
    // Only the decoding: empty when ffmpeg read every packet of every stream without an error,
    // otherwise what went wrong.
    static QString decodeErrors(const QString &path, int timeoutMs = 60000);
};
